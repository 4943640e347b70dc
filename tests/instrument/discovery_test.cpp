#include <gtest/gtest.h>

#include "instrument/Discovery.h"
#include "support/SimulatedBench.h"

namespace qm {
namespace {

TEST(DeviceLabel, FollowsTheLabelRule) {
    // USB: model field, bus, serial number; no colons anywhere.
    EXPECT_EQ(BuildDeviceLabel("Varnet, TX42, SN000001, V1.00", "USB0::0x1209::0x4101::SN000001::INSTR"),
              " TX42-USBTMC-SN000001");
    // The model field is upper-cased and the descriptor's serial too.
    EXPECT_EQ(BuildDeviceLabel("Varnet, Model tx41, sn2, V1", "USB0::0x1209::0x4101::sn000002::INSTR"),
              " MODEL TX41-USBTMC-SN000002");
    // GPIB: the two characters after the first "::" are the address.
    EXPECT_EQ(BuildDeviceLabel("Varnet, TX42, SN000004, V1.00", "GPIB0::12::INSTR"), " TX42-GPIB-12");
    // A one-digit address brings a colon along, which is removed with the rest.
    EXPECT_EQ(BuildDeviceLabel("Varnet, TX42, SN000004, V1.00", "GPIB0::5::INSTR"), " TX42-GPIB-5");
    // No identity at all.
    EXPECT_EQ(BuildDeviceLabel("", "GPIB0::7::INSTR"), "Unknow Manufacture-GPIB-7");
    // Odd descriptors never read past their end.
    EXPECT_EQ(BuildDeviceLabel("A, B", "USB0::1"), " B-USBTMC-");
    EXPECT_EQ(BuildDeviceLabel("A, B", "GPIB0::"), " B-GPIB-");
    EXPECT_EQ(BuildDeviceLabel("A, B, C", "TCPIP0::h::5025::SOCKET"), " B");
}

TEST(DeviceLabel, AcceptsOnlyTheTwoModelsAfterTheMakerField) {
    EXPECT_TRUE(IsSupportedIdentity("Varnet, TX42, SN1, V1"));
    EXPECT_TRUE(IsSupportedIdentity("Varnet, Model TX41, SN1, V1"));
    EXPECT_TRUE(IsSupportedIdentity("Varnet, QMTX42, SN1, V1"));
    EXPECT_FALSE(IsSupportedIdentity("TX42, rest"));  // at position 0
    EXPECT_FALSE(IsSupportedIdentity("Othermaker, DM3000, 0, 1.0"));
    EXPECT_FALSE(IsSupportedIdentity(""));
}

TEST(Discovery, BuiltinBenchListsUsbThenGpibAndSkipsTheForeignMeter) {
    test::SimulatedBench bench;
    bench.UseBuiltin();
    SessionTable sessions;
    const DiscoveryResult found = DiscoverInstruments(sessions);
    EXPECT_EQ(found.usbCount, 3u);
    EXPECT_EQ(found.gpibCount, 2u);
    EXPECT_EQ(found.opened, 5);
    ASSERT_EQ(found.devices.size(), 4u);
    EXPECT_EQ(found.devices[0].label, " TX42-USBTMC-SN000001");
    EXPECT_EQ(found.devices[1].label, " MODEL TX41-USBTMC-SN000002");
    EXPECT_EQ(found.devices[2].label, " QMTX42-USBTMC-SN000003");
    EXPECT_EQ(found.devices[3].label, " TX42-GPIB-12");
    // The foreign meter was opened (raw index 3) but not listed.
    EXPECT_EQ(found.devices[3].rawIndex, 4);
    EXPECT_EQ(sessions.m_slotToRaw[3], 4);
    EXPECT_EQ(sessions.slotCount(), 4);
    EXPECT_EQ(found.devices[0].identity, "Varnet, TX42, SN000001, V1.00");
    // Each slot answers through its own session.
    EXPECT_EQ(sessions.Query(3, "*idn?\n"), "Varnet, TX42, SN000004, V1.00");
}

TEST(Discovery, GpibOnlyAndOneDigitAddress) {
    test::SimulatedBench bench;
    bench.UseTable(test::SimMeterSection("GPIB0::5::INSTR", "TX42", "SN5") +
                   test::SimMeterSection("GPIB1::22::INSTR", "TX41", "SN6"));
    SessionTable sessions;
    const DiscoveryResult found = DiscoverInstruments(sessions);
    EXPECT_EQ(found.usbCount, 0u);
    ASSERT_EQ(found.devices.size(), 2u);
    EXPECT_EQ(found.devices[0].label, " TX42-GPIB-5");
    EXPECT_EQ(found.devices[1].label, " MODEL TX41-GPIB-22");
}

TEST(Discovery, TableSpellingsAreLabelledWithTheirBusAndSerial) {
    // Lower case and decimal ids (4617 = 0x1209) are the same resources to VISA.
    test::SimulatedBench bench;
    bench.UseTable(test::SimMeterSection("usb0::0x1209::0x4101::sn000005::instr", "TX42", "SN5") +
                   test::SimMeterSection("USB0::4617::16641::SN3", "TX41", "SN3"));
    SessionTable sessions;
    const DiscoveryResult found = DiscoverInstruments(sessions);
    ASSERT_EQ(found.devices.size(), 2u);
    EXPECT_EQ(found.devices[0].label, " TX42-USBTMC-SN000005");
    EXPECT_EQ(found.devices[1].label, " MODEL TX41-USBTMC-SN3");
}

TEST(Discovery, UsbOfAnotherVendorAndSilentMetersAreNotListed) {
    test::SimulatedBench bench;
    bench.UseTable(test::SimMeterSection("USB0::0x9999::0x4101::SN7::INSTR", "TX42", "SN7") +
                   test::SimMeterSection("USB0::0x1209::0x4101::SN8::INSTR", "TX42", "SN8",
                                         "timeout=1") +
                   test::SimMeterSection("USB0::0x1209::0x4101::SN9::INSTR", "TX42", "SN9",
                                         "empty_identity=1") +
                   test::SimMeterSection("GPIB0::3::INSTR", "TX42", "SN10"));
    SessionTable sessions;
    const DiscoveryResult found = DiscoverInstruments(sessions);
    EXPECT_EQ(found.usbCount, 2u);
    ASSERT_EQ(found.devices.size(), 1u);
    EXPECT_EQ(found.devices[0].label, " TX42-GPIB-3");
    EXPECT_EQ(found.devices[0].rawIndex, 2);
}

TEST(Discovery, NeverOpensMoreThanEightResources) {
    test::SimulatedBench bench;
    std::string table;
    for (int i = 0; i < 11; ++i) {
        const std::string serial = "SN" + std::to_string(100 + i);
        table += test::SimMeterSection("USB0::0x1209::0x4101::" + serial + "::INSTR", "TX42", serial);
    }
    bench.UseTable(table);
    SessionTable sessions;
    const DiscoveryResult found = DiscoverInstruments(sessions);
    EXPECT_EQ(found.usbCount, 11u);
    EXPECT_EQ(found.opened, 8);
    EXPECT_EQ(found.devices.size(), 8u);
    EXPECT_EQ(found.devices[7].label, " TX42-USBTMC-SN107");
}

TEST(Discovery, NothingFoundAndRediscovery) {
    test::SimulatedBench bench;
    visa::useEmptyResourceTable();
    SessionTable sessions;
    EXPECT_TRUE(DiscoverInstruments(sessions).devices.empty());
    EXPECT_EQ(sessions.slotCount(), 0);
    EXPECT_EQ(sessions.Query(0, "read?\n"), "");

    bench.UseBuiltin();
    sessions.CloseAll();
    EXPECT_EQ(DiscoverInstruments(sessions).devices.size(), 4u);
    sessions.CloseAll();
    EXPECT_EQ(DiscoverInstruments(sessions).devices.size(), 4u);
}

}  // namespace
}  // namespace qm
