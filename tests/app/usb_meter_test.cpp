// Meters on USB (usbtmc) through the main window's core: the device list they
// make, and a meter pulled out while its readings are being saved.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MeterTool.h"
#include "records/RecordTestSupport.h"
#include "support/FakeUsbtmc.h"
#include "support/ScriptedPrompter.h"
#include "support/SimulatedBench.h"

namespace qm {
namespace {

using Bus = test::FakeUsbtmcBus;

sim::MeterConfig Meter(const std::string& model, const std::string& serial) {
    sim::MeterConfig m;
    m.model = model;
    m.serial = serial;
    m.value = 2.5;
    m.noise = 0;
    return m;
}

struct UsbBench {
    UsbBench() { visa::useEmptyResourceTable(); }
    test::TempDir dir;
    test::WorkingDirectory cwd{dir.path()};
    Bus bus;
    test::SimulatedBench visaLayer;
    test::ScriptedPrompter prompter;
    EnglishTexts texts;
    MeterTool tool{prompter, texts, visaLayer.clock};
};

TEST(UsbMeters, EachMeterGetsALabelOfItsOwnEvenWithoutOrWithARepeatedSerialNumber) {
    UsbBench b;
    b.bus.Plug(0, Bus::Usb("SN000021", Bus::SimulatedMeter(Meter("TX42", "SN000021"))));
    b.bus.Plug(1, Bus::Usb(std::nullopt, Bus::SimulatedMeter(Meter("TX41", "SN000022"))));
    b.bus.Plug(2, Bus::Usb("SN000021", Bus::SimulatedMeter(Meter("QMTX42", "SN000021"))));
    // A USB instrument of ours that is no meter is searched, opened and left out.
    b.bus.Plug(3, Bus::Usb("SN000099", [](const std::string& m) -> std::optional<std::string> {
                   if (m == "*IDN?\n") return "Varnet, PSU100, SN000099, V1.00\n";
                   return std::nullopt;
               }));
    b.tool.Refresh();
    ASSERT_EQ(b.tool.deviceCount(), 3);
    EXPECT_EQ(b.tool.LabelOf(0), " TX42-USBTMC-SN000021");
    EXPECT_EQ(b.tool.LabelOf(1), " MODEL TX41-USBTMC-USBTMC1");
    EXPECT_EQ(b.tool.LabelOf(2), " QMTX42-USBTMC-SN000021-USBTMC2");
    EXPECT_TRUE(b.prompter.messages.empty());
}

TEST(UsbMeters, AMeterWhoseNodeCannotBeOpenedIsReportedNotJustLeftOut) {
    UsbBench b;
    b.bus.AddSysfsEntry(4, Bus::Usb("SN000041"));  // in sysfs, but no device node
    b.tool.Refresh();
    EXPECT_EQ(b.tool.deviceCount(), 0);
    ASSERT_EQ(b.prompter.messages.size(), 1u);
    EXPECT_EQ(b.prompter.last().icon, PromptIcon::Warning);
    EXPECT_NE(b.prompter.last().text.find(b.bus.node(4)), std::string::npos) << b.prompter.last().text;
}

TEST(UsbMeters, UnpluggedDuringLiveReadingStopsWithTheMessageAndKeepsEverySavedReading) {
    UsbBench b;
    b.bus.Plug(0, Bus::Usb("SN000021", Bus::SimulatedMeter(Meter("TX42", "SN000021"))));
    b.tool.Refresh();
    ASSERT_EQ(b.tool.deviceCount(), 1);
    b.tool.loop().SetSaving(0, true, 3);
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    for (int i = 0; i < 5; ++i) b.tool.loop().OnTimer();
    ASSERT_TRUE(b.tool.loop().reading());

    b.bus.Unplug(0);
    b.tool.loop().OnTimer();
    EXPECT_FALSE(b.tool.loop().reading());
    EXPECT_EQ(b.tool.loop().endReason(), ReadingLoop::EndReason::ConnectionLost);
    ASSERT_FALSE(b.prompter.messages.empty());
    EXPECT_EQ(b.prompter.last().text, "Check Device Connection");
    EXPECT_EQ(test::StoredValues(b.dir / "DB/Record 3.mdb"), std::vector<double>(5, 2.5));

    // Refresh afterwards: the meter is no longer there.
    b.tool.Refresh();
    EXPECT_EQ(b.tool.deviceCount(), 0);
}

}  // namespace
}  // namespace qm
