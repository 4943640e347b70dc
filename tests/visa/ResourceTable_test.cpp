#include "visa/ResourceTable.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "visa/ResourceName.h"
#include "visa/visa.h"

using qm::visa::parseResourceName;
using qm::visa::ResourceTable;

namespace {

const std::string kData = QM_TEST_DATA_DIR "/visa/";

TEST(ResourceName, ParsesDescriptorsToCanonicalForm) {
    const auto usb = parseResourceName("usb::4617::0x4101::sn000001");
    ASSERT_TRUE(usb);
    EXPECT_EQ(usb->interfaceType, VI_INTF_USB);
    EXPECT_EQ(usb->canonical, "USB0::0x1209::0x4101::SN000001::INSTR");

    const auto gpib = parseResourceName("GPIB0::7::INSTR");
    ASSERT_TRUE(gpib);
    EXPECT_EQ(gpib->interfaceType, VI_INTF_GPIB);
    EXPECT_EQ(parseResourceName("gpib::7")->canonical, gpib->canonical);

    const auto sock = parseResourceName("TCPIP0::localhost::5025::SOCKET");
    ASSERT_TRUE(sock);
    EXPECT_EQ(sock->interfaceType, VI_INTF_TCPIP);
    EXPECT_EQ(sock->resourceClass, "SOCKET");
    EXPECT_EQ(sock->host, "localhost");
    EXPECT_EQ(sock->port, 5025u);

    for (const char* bad : {"", "GPIB0::31::INSTR", "GPIB0::7::1::2::INSTR", "USB0::0x1209::INSTR",
                            "USB0::0x12345::0x1::S::INSTR", "TCPIP0::host::0::SOCKET",
                            "TCPIP0::host::70000::SOCKET", "GPIB0::::INSTR", "GPIB0:7::INSTR",
                            "GPIB0::7 ::INSTR", "PXI0::1::INSTR", "GPIBx::7::INSTR"})
        EXPECT_FALSE(parseResourceName(bad)) << bad;
}

TEST(ResourceTable, ReadsEveryKeyOfAGoodTable) {
    const auto r = ResourceTable::load(kData + "good_table.ini");
    ASSERT_TRUE(r.ok) << r.message;
    const auto& e = r.table.entries();
    ASSERT_EQ(e.size(), 3u);

    EXPECT_EQ(e[0].descriptor, "USB0::0x1209::0x4101::SN000009::INSTR");
    EXPECT_EQ(e[0].backend, "sim");
    const auto& m = e[0].meter;
    EXPECT_EQ(m.model, "TX42");
    EXPECT_EQ(m.serial, "SN000009");
    EXPECT_EQ(m.identity.value_or(""), "Varnet, TX42, SN000009, V1.00");
    EXPECT_TRUE(m.faults.noAnswer);
    EXPECT_EQ(m.faults.answerDelay.count(), 500);
    EXPECT_EQ(m.faults.dropAfterMessages, 3);
    EXPECT_TRUE(m.faults.garbage && m.faults.longAnswer && m.faults.emptyIdentity);
    EXPECT_FALSE(m.faults.realTime);
    EXPECT_DOUBLE_EQ(m.value.value_or(0), 1.5);
    EXPECT_DOUBLE_EQ(m.value2.value_or(0), -0.01);
    EXPECT_DOUBLE_EQ(m.noise, 0.0);
    EXPECT_EQ(m.seed, 7u);

    EXPECT_EQ(e[1].meter.model, "TX41");
    EXPECT_FALSE(e[1].meter.identity.has_value());
    EXPECT_EQ(e[1].meter.faults.dropAfterMessages, -1);

    EXPECT_EQ(e[2].backend, "tcp");
    EXPECT_EQ(e[2].host, "127.0.0.1");
    EXPECT_EQ(e[2].port, 5025);

    // Lookup ignores case and optional descriptor parts.
    EXPECT_EQ(r.table.find("gpib::5"), &e[1]);
    EXPECT_EQ(r.table.find("usb0::4617::16641::sn000010::instr"), &e[2]);
    EXPECT_EQ(r.table.find("GPIB0::6::INSTR"), nullptr);
}

TEST(ResourceTable, EachMistakeNamesFileAndLine) {
    const std::string head = "[GPIB0::5::INSTR]\nbackend=sim\nmodel=TX41\n";
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"backend=sim\n", "t.ini:1: line outside a section"},
        {head + "\n[GPIB0::6::INSTR]\nbackend=usb\n", "t.ini:6: unknown backend"},
        {head + "[GPIB0::6::INSTR]\nbackend=sim\n", "t.ini:4: missing model"},
        {head + "[GPIB0::6::INSTR]\nmodel=TX41\n", "t.ini:4: missing backend"},
        {head + "[GPIB0::6::INSTR]\nbackend=tcp\nport=1\n", "t.ini:4: missing host"},
        {head + "[GPIB0::6::INSTR]\nbackend=tcp\nhost=h\n", "t.ini:4: missing port"},
        {head + "[GPIB0::6::INSTR]\nbackend=tcp\nhost=h\nport=http\n", "t.ini:7: bad value"},
        {head + "[GPIB0::6::INSTR]\nbackend=tcp\nhost=h\nport=70000\n", "t.ini:7: bad value"},
        {head + "delay_ms=5x\n", "t.ini:4: bad value"},
        {head + "value=abc\n", "t.ini:4: bad value"},
        {head + "timeout=maybe\n", "t.ini:4: bad value"},
        {head + "seed=-1\n", "t.ini:4: bad value"},
        {head + "colour=red\n", "t.ini:4: unknown key"},
        {head + "[GPIB0::6::INSTR]\nbackend=tcp\nhost=h\nport=1\nmodel=TX41\n",
         "t.ini:8: unknown key"},
        {head + "model=TX42\n", "t.ini:4: duplicate key"},
        {head + "[gpib::5]\n", "t.ini:4: duplicate section"},
        {head + "[NOT A DESCRIPTOR]\n", "t.ini:4: not a resource descriptor"},
        {head + "[GPIB0::6::INSTR\n", "t.ini:4: malformed section header"},
        {head + "just words\n", "t.ini:4: expected key=value"},
        {"[GPIB0::5::INSTR]\nbackend=sim\nmodel=TX99\n", "t.ini:3: unknown model"},
    };
    for (const auto& c : cases) {
        const auto r = ResourceTable::parse(c.text, "t.ini");
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.message.rfind(c.message, 0), 0u) << r.message;
        EXPECT_TRUE(r.table.entries().empty());
    }

    const auto fromFile = ResourceTable::load(kData + "bad_backend.ini");  // CRLF line ends
    EXPECT_FALSE(fromFile.ok);
    EXPECT_EQ(fromFile.message.rfind(kData + "bad_backend.ini:6: unknown backend", 0), 0u)
        << fromFile.message;
    EXPECT_FALSE(ResourceTable::load(kData + "no_such_table.ini").ok);
}

TEST(ResourceTable, AFileThatIsNoTableIsRefusedAtOnceByName) {
    // A folder is not an empty table, and a FIFO is refused without waiting
    // for a writer that never comes.
    char folder[] = "/tmp/qm_table_XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string dir = folder;
    const std::string fifo = dir + "/table.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const auto& [path, what] : {std::pair{dir, "a folder"}, std::pair{fifo, "not a regular file"},
                                     std::pair{dir + "/none.ini", "no such file"}}) {
        const auto r = ResourceTable::load(path);
        EXPECT_FALSE(r.ok) << path;
        EXPECT_EQ(r.message.rfind(path + ": ", 0), 0u) << r.message;
        EXPECT_NE(r.message.find(what), std::string::npos) << r.message;
    }
    std::remove(fifo.c_str());
    ::rmdir(folder);
}

TEST(ResourceTable, ASectionOfManyKeysIsJudgedInOnePass) {
    // 115,000 distinct keys in one section (just under 1 MiB): every key
    // used to be compared with every earlier one.
    std::string text = "[GPIB0::5::INSTR]\nbackend=sim\nmodel=TX41\n";
    for (int i = 0; i < 115000; ++i) text += "k" + std::to_string(i) + "=1\n";
    ASSERT_LT(text.size(), std::size_t{1} << 20);
    const auto r = ResourceTable::parse(text, "many.ini");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message.rfind("many.ini:4: unknown key \"k0\"", 0), 0u) << r.message;
    // The same key again, far down, is still named with its first line.
    const auto dup = ResourceTable::parse(text + "k7=2\n", "many.ini");
    EXPECT_EQ(dup.message.rfind("many.ini:115004: duplicate key \"k7\" (first at line 11)", 0), 0u)
        << dup.message;
}

TEST(ResourceTable, BuiltinSimulatedMetersInTheirOrder) {
    const auto& e = ResourceTable::builtinSimulated().entries();
    ASSERT_EQ(e.size(), 5u);
    const char* expected[][3] = {
        {"USB0::0x1209::0x4101::SN000001::INSTR", "TX42", "Varnet, TX42, SN000001, V1.00"},
        {"USB0::0x1209::0x4101::SN000002::INSTR", "TX41", "Varnet, Model TX41, SN000002, V1.00"},
        {"USB0::0x1209::0x4102::SN000003::INSTR", "QMTX42", "Varnet, QMTX42, SN000003, V1.00"},
        {"GPIB0::7::INSTR", "TX42", "Othermaker, DM3000, 0, 1.0"},
        {"GPIB0::12::INSTR", "TX42", "Varnet, TX42, SN000004, V1.00"},
    };
    for (std::size_t i = 0; i < e.size(); ++i) {
        EXPECT_EQ(e[i].descriptor, expected[i][0]);
        EXPECT_EQ(e[i].backend, "sim");
        EXPECT_EQ(e[i].meter.model, expected[i][1]);
        EXPECT_EQ(e[i].meter.identity.value_or(""), expected[i][2]);
    }
}

}  // namespace
