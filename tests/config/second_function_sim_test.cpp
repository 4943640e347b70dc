// The second-function combo against the simulated meters, for every primary
// function of each model: the combo offers the allowed pairs (without the
// thermocouple on a QMTX42), the meter takes each offered entry and reports
// it back, and a TX41 has no second function at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MeterTool.h"
#include "config/SecondFunction.h"
#include "sim/SimEndpoint.h"
#include "sim/SimMeter.h"
#include "support/MeterToolBench.h"
#include "support/ScriptedPrompter.h"
#include "support/SimulatedBench.h"

namespace qm {
namespace {

struct Bench : test::MeterToolBench {
    Bench() {
        bench.UseTable(test::SimMeterSection("USB0::0x1209::0x4101::SN1::INSTR", "TX42", "SN1") +
                       test::SimMeterSection("USB0::0x1209::0x4101::SN2::INSTR", "TX41", "SN2") +
                       test::SimMeterSection("USB0::0x1209::0x4102::SN3::INSTR", "QMTX42", "SN3"));
        tool.Refresh(false);
    }
    sim::SimMeter& Meter(int slot) {
        return visa::simEndpointOf(tool.sessions().slotSession(slot))->meter();
    }

};

TEST(SecondFunctionOnMeters, EveryOfferedPairIsTakenAndReportedBack) {
    Bench b;
    std::size_t checked = 0;
    for (int slot : {0, 2}) {
        const bool qmtx42 = slot == 2;
        const SelectionView selection = b.tool.OnDeviceListSelChange(slot);
        for (const FunctionButton& button : g_functionButtons) {
            if (!ButtonOffered(selection.capabilities, button.row)) continue;
            const auto pressed = b.tool.PressFunctionButton(button.controlId);
            ASSERT_TRUE(pressed && pressed->sent) << button.caption;
            const FunctionDisplayUpdate& d = pressed->display;
            ASSERT_TRUE(d.secondList.has_value()) << button.caption;
            const int row = SecondFunctionRowFor(d.functionText);

            std::vector<std::string> expected;
            const auto allowed = g_secondFunctionRows[row];
            for (std::size_t k = 1; k < allowed.size(); ++k)
                if (!(qmtx42 && allowed[k] == "TCOUPL")) expected.emplace_back(allowed[k]);
            // Nothing to choose but NONE: the combo stays empty and disabled.
            if (expected.size() <= 1) expected.clear();
            EXPECT_EQ(d.secondList->entries, expected) << button.caption << " slot " << slot;
            EXPECT_EQ(d.secondList->enabled, !expected.empty()) << button.caption;

            checked += expected.size();
            for (const std::string& entry : expected) {
                b.tool.BeginOperation();
                const SecondFunctionChange change = b.tool.function().OnSecondFunctionSelChange(entry);
                EXPECT_EQ(SelectedEntry(change.rebuild.list), entry)
                    << button.caption << " + " << entry << " slot " << slot;
                EXPECT_EQ(b.tool.function().secondActive(), entry != "NONE");
                EXPECT_EQ(change.resetTraceSelection, entry == "NONE");
                ASSERT_FALSE(change.rebuild.lines.empty());
                EXPECT_EQ(change.rebuild.lines[0].secondShown, entry != "NONE");
            }
        }
    }
    EXPECT_GT(checked, 80u);  // every pair of both models was tried
    // The QMTX42 itself refuses the thermocouple beside DC voltage.
    b.tool.OnDeviceListSelChange(2);
    b.tool.PressFunctionButton("DCV");
    b.tool.sessions().Query(2, "Function2 \"TCO\"\n");
    EXPECT_EQ(b.tool.sessions().Query(2, "func2?\n"), "NONE");
}

TEST(SecondFunctionOnMeters, ATx41IsNeverAskedForASecondFunction) {
    Bench b;
    const SelectionView selection = b.tool.OnDeviceListSelChange(1);
    EXPECT_EQ(selection.capabilities.model, MeterModel::SingleFunction);
    EXPECT_FALSE(selection.capabilities.secondComboVisible);
    b.Meter(1).clearCommandLog();
    const auto pressed = b.tool.PressFunctionButton("ACV");
    ASSERT_TRUE(pressed && pressed->sent);
    EXPECT_FALSE(pressed->display.secondList.has_value());
    EXPECT_EQ(b.tool.function().secondFunction(), "NONE");
    for (const std::string& command : b.Meter(1).commandLog())
        EXPECT_EQ(command.find("func2"), std::string::npos) << command;
    ASSERT_EQ(pressed->display.lines.size(), 1u);
    EXPECT_FALSE(pressed->display.lines[0].secondShown);
    EXPECT_EQ(pressed->display.lines[0].functionCaption, "ACV");
}

}  // namespace
}  // namespace qm
