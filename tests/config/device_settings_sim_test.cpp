// The Device Settings page against in-process simulated meters: whatever
// Set applies, a fresh page reads back, for every function of every model
// and for the second functions; and what a meter that stops answering, that
// answers rubbish or that refuses a setting gets from the page.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/DeviceSettingsLink.h"
#include "app/MeterTool.h"
#include "config/DeviceSettingsPage.h"
#include "sim/SimEndpoint.h"
#include "sim/SimMeter.h"
#include "support/ScriptedPrompter.h"
#include "support/SimulatedBench.h"
#include "visa/visa_ext.h"

namespace qm {
namespace {

using namespace apply_messages;

constexpr int kTx42 = 0, kTx41 = 1, kQmtx42 = 2;

class DeviceSettingsSimTest : public ::testing::Test {
  protected:
    void SetUp() override { Start(""); }
    void Start(const std::string& table) {
        page.reset();
        tool.reset();
        if (table.empty())
            bench.UseBuiltin();
        else
            bench.UseTable(table);
        tool = std::make_unique<MeterTool>(prompter, texts, bench.clock);
        tool->Refresh(false);
        page = NewPage();
    }
    std::unique_ptr<DeviceSettingsPage> NewPage() {
        auto p = std::make_unique<DeviceSettingsPage>(DeviceSettingsLinkFor(*tool), prompter, texts);
        p->OnInitDialog();
        return p;
    }
    sim::SimEndpoint& Endpoint(int slot) {
        return *visa::simEndpointOf(tool->sessions().slotSession(slot));
    }
    std::vector<std::string> Log(int slot) { return Endpoint(slot).meter().commandLog(); }

    test::SimulatedBench bench;
    test::ScriptedPrompter prompter;
    EnglishTexts texts;
    std::unique_ptr<MeterTool> tool;
    std::unique_ptr<DeviceSettingsPage> page;
};

// Sets every offered function with two different choices each, and checks
// that a page opened afterwards shows exactly those choices.
TEST_F(DeviceSettingsSimTest, EveryFunctionOfEveryModelReadsBackWhatWasSet) {
    for (int slot : {kTx42, kTx41, kQmtx42}) {
        page->OnDeviceSelChange(slot);
        const SettingsModel model = page->model();
        for (int row = 0; row < OfferedFunctionCount(model); ++row) {
            for (int pass = 0; pass < 2; ++pass) {
                SCOPED_TRACE("slot " + std::to_string(slot) + " row " + std::to_string(row) +
                             " pass " + std::to_string(pass));
                page->OnFunctionSelChange(row);
                const auto ranges = RangeEntriesFor(row, model, page->extendedCapRange());
                const auto column = ColumnEntriesFor(ColumnKindFor(row), model);
                int range = pass == 0 ? static_cast<int>(ranges.size()) - 1 : 1;
                if (row == kRowTemperature) range = pass == 0 ? 6 : 3;  // SPRTD or USER / PT385
                if (range >= static_cast<int>(ranges.size())) range = 0;
                page->OnRangeSelChange(range);
                const int columnIndex = pass == 0 ? 0 : static_cast<int>(column.size()) - 1;
                if (!column.empty()) page->OnColumnSelChange(columnIndex);
                page->OnTransducerSelChange(pass);
                const std::array<std::string, kCoefficientCount> coefficients{"25.5", "0.25", "-0.5",
                                                                              "0.75", "1",    "-1"};
                for (int pos = 0; pos < kCoefficientCount; ++pos) {
                    const bool user = page->selectedSensor() == "USER";
                    page->OnCoefficientEdit(pos, user ? (pos == 3 ? "250" : "0.005")
                                                      : coefficients[static_cast<std::size_t>(pos)]);
                }
                ASSERT_TRUE(page->OnSet());
                EXPECT_TRUE(prompter.messages.empty()) << prompter.last().text;

                auto fresh = NewPage();
                fresh->OnDeviceSelChange(slot);
                EXPECT_EQ(fresh->selectedFunction(), row);
                EXPECT_EQ(fresh->rangeIndex(), range);
                if (!column.empty()) {
                    EXPECT_EQ(fresh->columnIndex(), columnIndex);
                }
                if (row == kRowTemperature) {
                    EXPECT_EQ(fresh->transducer(), pass);
                    for (const SensorCoefficient& c : SensorCoefficients(page->selectedSensor())) {
                        const auto p = static_cast<std::size_t>(c.position);
                        const bool user = page->selectedSensor() == "USER";
                        EXPECT_EQ(fresh->coefficientTexts()[p],
                                  user ? (p == 3 ? "250" : "0.005") : coefficients[p]);
                    }
                }
                // The main window's flag: AUTO of the basic set at the index.
                const auto basic = RangeChoicesFor(row, RangeSetKind::Basic);
                const auto r = static_cast<std::size_t>(page->rangeIndex());
                EXPECT_EQ(tool->function().autoRange(slot), r < basic.size() && IsAutoEntry(basic[r]));
            }
        }
    }
}

TEST_F(DeviceSettingsSimTest, SecondFunctionsReadBackWhatWasSet) {
    struct Case {
        int row;
        std::string label;
        int range, setting, transducer;
    };
    const Case cases[] = {{0, "ACV", 3, 2, 0},          {1, "CURR PERIOD", 2, 2, 0},
                          {12, "TEMP", 2, 7, 1},        {13, "TCOUPL", 1, 1, 0},
                          {6, "DCV", 0, 8, 0},          {3, "DCI", 1, 9, 0},
                          {12, "CAP", 2, 3, 0},         {2, "NONE", 0, 0, 0}};
    page->OnDeviceSelChange(kTx42);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        page->OnFunctionSelChange(c.row);
        page->OnRangeSelChange(c.row == 1 ? 3 : 0);
        const DeviceSettingsView view = page->View();
        const auto it = std::find(view.function2.entries.begin(), view.function2.entries.end(), c.label);
        ASSERT_NE(it, view.function2.entries.end());
        page->OnSecondFunctionSelChangePage(static_cast<int>(it - view.function2.entries.begin()));
        page->OnRange2SelChange(c.range);
        page->OnSetting2SelChange(c.setting);
        page->OnTransducer2SelChange(c.transducer);
        ASSERT_TRUE(page->OnSet());
        EXPECT_TRUE(prompter.messages.empty());
        auto fresh = NewPage();
        fresh->OnDeviceSelChange(kTx42);
        EXPECT_EQ(fresh->second().label, c.label);
        if (c.label == "NONE") continue;
        EXPECT_EQ(fresh->second().rangeIndex, c.range);
        EXPECT_EQ(fresh->second().settingIndex, c.setting);
        EXPECT_EQ(fresh->second().transducer, c.transducer);
    }
    // The QMTX42 offers no thermocouple as a second function.
    page->OnDeviceSelChange(kQmtx42);
    page->OnFunctionSelChange(kRowResistance2W);
    EXPECT_TRUE(page->View().function2.entries.empty());
}

TEST_F(DeviceSettingsSimTest, AMeterThatStopsAnsweringGetsNothingAfterItStopped) {
    page->OnDeviceSelChange(kTx42);
    page->OnFunctionSelChange(kRowDcVoltage);
    page->OnRangeSelChange(1);
    sim::Faults faults;
    faults.noAnswer = true;
    Endpoint(kTx42).setFaults(faults);
    Endpoint(kTx42).meter().clearCommandLog();
    EXPECT_FALSE(page->OnSet());
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{std::string(kNoAnswer)});
    EXPECT_EQ(Log(kTx42), (std::vector<std::string>{"CONF:VOLT:DC", "func?"}));

    // Rubbish for an answer does not confirm the function.
    sim::Faults garbage;
    garbage.garbage = true;
    Endpoint(kTx42).setFaults(garbage);
    EXPECT_FALSE(page->OnSet());
    EXPECT_EQ(prompter.last().text, kFunction);

    // The page is still usable once the meter behaves.
    Endpoint(kTx42).setFaults(sim::Faults{});
    EXPECT_TRUE(page->OnSet());
    EXPECT_DOUBLE_EQ(Endpoint(kTx42).meter().range(sim::Fn::VoltDc), 0.1);

    // The link drops after the range command: the check is never asked.
    sim::Faults drop;
    drop.dropAfterMessages = 4;
    Endpoint(kTx42).setFaults(drop);
    Endpoint(kTx42).resetLink();
    Endpoint(kTx42).meter().clearCommandLog();
    EXPECT_FALSE(page->OnSet());
    EXPECT_EQ(prompter.last().text, kNoAnswer);
    EXPECT_EQ(Log(kTx42).back(), "SENS:VOLT:DC:RANGE 0.100000000000");
    EXPECT_EQ(Log(kTx42).size(), 4u);
}

TEST_F(DeviceSettingsSimTest, ASensorTheMeterRefusesIsNotConfirmed) {
    // A single-function meter that names itself like the dual one: the page
    // offers NTCT, the meter keeps its sensor.
    Start(test::SimMeterSection("USB0::0x1209::0x4101::SN9::INSTR", "TX41", "SN9",
                                "identity=Varnet, TX42, SN9, V1.00"));
    page->OnDeviceSelChange(0);
    page->OnFunctionSelChange(kRowTemperature);
    page->OnRangeSelChange(5);  // NTCT
    page->OnCoefficientEdit(0, "0.001");
    page->OnCoefficientEdit(2, "0.001");
    page->OnCoefficientEdit(4, "0.001");
    EXPECT_FALSE(page->OnSet());
    EXPECT_EQ(prompter.last().text, kSensorType);
    EXPECT_EQ(Log(0).back(), "SENS:TEMP:RTD:TYPE?");
}

}  // namespace
}  // namespace qm
