#include <gtest/gtest.h>

#include <vector>

#include "app/ChartModel.h"
#include "support/ScriptedPrompter.h"

namespace qm {
namespace {
using test::ScriptedPrompter;

// Runs `ticks` reading ticks of the given slots, storing `value(tick)` in
// their main rows.
template <typename F>
void Tick(ChartModel& m, std::vector<int> readSlots, int ticks, F value) {
    for (int t = 0; t < ticks; ++t) {
        m.advance(readSlots);
        for (int s : readSlots) m.storePoint(s, value(t));
    }
}

ChartDevices Devices(std::vector<int> readSlots) {
    ChartDevices d;
    d.activeSlots = std::move(readSlots);
    return d;
}

TEST(ChartModel, StartsWithTheDefaultsOfTheMainWindow) {
    ChartModel m;
    EXPECT_EQ(m.xMax(), 100);
    EXPECT_EQ(m.yScaleText(), "1");
    EXPECT_EQ(m.colour(0), (Rgb{0, 0, 255}));
    EXPECT_EQ(m.colour(4), (Rgb{0, 0, 255}));
    // The lines a user tells apart are all different.
    for (int a = 1; a < kChartColours; ++a) {
        for (int b = 0; b < a; ++b) {
            if (a == 4 && b == 0) continue;  // line 1 second shares line 1 main's blue
            EXPECT_NE(m.colour(a), m.colour(b)) << a << " " << b;
        }
    }
    EXPECT_EQ(ChartModel::RedrawInterval(50), 1);
    EXPECT_EQ(ChartModel::RedrawInterval(2000), 40);
}

TEST(ChartModel, FullChartShiftsOnlyActiveRowsAndEmptiesTheNewestPlace) {
    ChartModel m;
    m.setXMax(50);
    Tick(m, {0, 1}, 50, [](int t) { return t + 1.0; });
    m.storePoint(5, 7.0);  // second row of slot 1
    m.storePoint(2, 9.0);  // slot 2 is not read
    EXPECT_EQ(m.pointCount(), 50);

    m.advance(std::vector<int>{0, 1});
    EXPECT_EQ(m.pointCount(), 50);
    EXPECT_EQ(m.point(0, 0), 2.0);  // the oldest point dropped
    EXPECT_EQ(m.point(0, 48), 50.0);
    EXPECT_EQ(m.point(0, 49), 0.0);  // no stale repeat of the last reading
    EXPECT_EQ(m.point(5, 48), 7.0);
    EXPECT_EQ(m.point(2, 49), 9.0);  // inactive row left alone

    // Pipelined reading counts arriving readings instead of ticks.
    ChartModel p;
    p.advance(std::vector<int>{0}, false);
    p.countArrivedReading();
    EXPECT_EQ(p.pointCount(), 1);
    // Out-of-range rows and slots are ignored.
    p.storePoint(8, 1.0);
    p.storePoint(-1, 1.0);
    p.advance(std::vector<int>{-1, 4, 10});
    EXPECT_EQ(p.point(9, 0), 0.0);
}

TEST(ChartModel, NarrowerXMaxKeepsTheNewestPoints) {
    ChartModel m;
    m.setXMax(2000);
    Tick(m, {0}, 300, [](int t) { return t + 1.0; });
    m.setXMax(100);
    EXPECT_EQ(m.pointCount(), 100);
    EXPECT_EQ(m.point(0, 0), 201.0);
    EXPECT_EQ(m.point(0, 99), 300.0);
    // The next reading continues at the right edge.
    Tick(m, {0}, 1, [](int) { return 301.0; });
    EXPECT_EQ(m.point(0, 98), 300.0);
    EXPECT_EQ(m.point(0, 99), 301.0);
    m.setXMax(7);  // clamped
    EXPECT_EQ(m.xMax(), 50);
}

TEST(ChartModel, RowsMapNewestToTheRightEdgeWithScaleAndOffset) {
    ChartModel m;
    m.setXMax(2000);
    Tick(m, {0, 1}, 2000, [](int t) { return t == 1999 ? 1.234 : 0.5; });
    auto rows = m.rowsToDraw(Devices({0, 1}));
    ASSERT_EQ(rows.size(), 2u);
    const RowToDraw& r = rows[0];
    EXPECT_EQ(r.pen, 0);
    EXPECT_EQ(rows[1].pen, 1);
    ASSERT_EQ(r.points.size(), 2000u);
    ASSERT_EQ(r.runs.size(), 1u);
    EXPECT_EQ(r.points.front(), (ChartPoint{2000, 123}));  // integer part of 123.4
    EXPECT_EQ(r.points.back(), (ChartPoint{1, 50}));       // the oldest at x = 1

    // "500m" doubles the height; an offset of 0.5 and a shift of one
    // division down move the line by 0.5 and then one division.
    ScriptedPrompter prompter;
    ASSERT_TRUE(m.yScaleDown("0"));
    EXPECT_EQ(m.yScaleText(), "500m");
    rows = m.rowsToDraw(Devices({0}));
    EXPECT_EQ(rows[0].points.front().y, 246);
    m.setDataOffset("0.5", prompter);
    ASSERT_TRUE(m.shiftGraphDown("0.5"));
    EXPECT_DOUBLE_EQ(m.lineOffset(0), 1.0);
    rows = m.rowsToDraw(Devices({0}));
    EXPECT_EQ(rows[0].points.back().y, -100);  // 0.5 sits one division below zero
    EXPECT_EQ(m.zeroMarkerLevel(0), -100);     // ...where its marker points
    EXPECT_TRUE(prompter.messages.empty());

    // Readings far off the scale stay within drawable range.
    m.storePoint(0, 9e20);
    EXPECT_EQ(m.rowsToDraw(Devices({0}))[0].points.front().y, kChartYLimit);
    m.storePoint(0, -9e20);
    EXPECT_EQ(m.rowsToDraw(Devices({0}))[0].points.front().y, -kChartYLimit);
}

TEST(ChartModel, EmptyPlacesBreakTheLineAndTheRestStaysDrawn) {
    ChartModel m;
    Tick(m, {0, 1}, 10, [](int t) { return (t == 4 || t == 9) ? 0.0 : 1.0; });
    m.storePoint(0, 1.0);  // row 1's newest stays empty
    auto rows = m.rowsToDraw(Devices({0, 1}));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].row, 0);
    // The empty place at tick 4 splits the line instead of dropping to zero.
    ASSERT_EQ(rows[0].runs.size(), 2u);
    EXPECT_EQ(rows[0].runs[0], (std::pair<int, int>{0, 5}));
    EXPECT_EQ(rows[0].runs[1], (std::pair<int, int>{5, 4}));
    EXPECT_EQ(rows[0].points[5].x, m.xMax() - 6);
    // A reading that was not charted on the newest place (an overload on a
    // redraw tick, or the last tick before Stop) leaves the history drawn,
    // broken at that place.
    EXPECT_EQ(rows[1].row, 1);
    ASSERT_EQ(rows[1].runs.size(), 2u);
    EXPECT_EQ(rows[1].points.front().x, m.xMax() - 1);
    EXPECT_EQ(rows[1].runs[0], (std::pair<int, int>{0, 4}));
    // A steady overload: nothing new, the earlier readings move left and stay.
    for (int t = 0; t < 95; ++t) m.advance(std::vector<int>{1});
    rows = m.rowsToDraw(Devices({1}));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].points.size(), 4u);  // 8 readings, the first 4 shifted out
    EXPECT_EQ(rows[0].points.back().x, 1);
    // Once every reading has left the chart the row is gone.
    for (int t = 0; t < 5; ++t) m.advance(std::vector<int>{1});
    EXPECT_TRUE(m.rowsToDraw(Devices({1})).empty());

    // A single point is not a line yet.
    ChartModel one;
    Tick(one, {0}, 1, [](int) { return 1.0; });
    EXPECT_TRUE(one.rowsToDraw(Devices({0})).empty());
}

// Each row is a ring: long runs wrap it many times, and changing X-Max in
// either direction shows exactly the newest readings, never a stale one.
TEST(ChartModel, RingKeepsTheNewestReadingsAcrossWrapsAndXMaxChanges) {
    ChartModel m;
    m.setXMax(50);
    Tick(m, {0}, 4321, [](int t) { return t + 1.0; });
    for (int i = 0; i < 50; ++i) ASSERT_EQ(m.point(0, i), 4272.0 + i) << i;
    // Wider: the 50 points stay the newest; the new places are empty.
    m.setXMax(2000);
    EXPECT_EQ(m.pointCount(), 50);
    EXPECT_EQ(m.point(0, 49), 4321.0);
    for (int i = 50; i < 2000; ++i) ASSERT_EQ(m.point(0, i), 0.0) << i;
    Tick(m, {0}, 2500, [](int t) { return 5000.0 + t; });
    EXPECT_EQ(m.pointCount(), 2000);
    EXPECT_EQ(m.point(0, 0), 5500.0);
    EXPECT_EQ(m.point(0, 1999), 7499.0);
    // Narrower after wrapping, then wide again: no dropped reading comes back.
    m.setXMax(100);
    EXPECT_EQ(m.point(0, 0), 7400.0);
    m.setXMax(1000);
    Tick(m, {0}, 1, [](int) { return 0.0; });  // a tick without a chart point
    auto rows = m.rowsToDraw(Devices({0}));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].points.size(), 100u);
    EXPECT_EQ(rows[0].points.front().x, 999);  // 7499, beside the empty newest place
    EXPECT_EQ(rows[0].points.back().x, 900);   // 7400
    EXPECT_EQ(m.point(1, 0), 0.0);             // rows never read stay empty
}

TEST(ChartModel, SingleDeviceDrawsWithLineOneSettingsAndSecondRowsOnlyWhenShown) {
    ChartModel m;
    Tick(m, {2}, 5, [](int) { return 1.0; });
    m.storePoint(6, 2.0);  // second row of slot 2
    ScriptedPrompter prompter;
    m.selectLine(4);
    m.yScaleUp("0");  // line 1 second: "2"
    m.setDataOffset("1", prompter);
    m.selectLine(0);
    m.yScaleDown("0");  // line 1 main: "500m"

    ChartDevices d = Devices({2});
    d.dualDisplay = true;
    auto rows = m.rowsToDraw(d);
    EXPECT_EQ(rows.size(), 1u);  // no second function on slot 2
    d.slotHasSecond[2] = true;
    rows = m.rowsToDraw(d);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].row, 2);
    EXPECT_EQ(rows[0].pen, 0);
    EXPECT_EQ(rows[0].points.front().y, 200);
    EXPECT_EQ(rows[1].row, 6);
    EXPECT_EQ(rows[1].pen, 4);
    EXPECT_EQ(rows[1].points.front().y, 50);  // (2 - 1) / 2 divisions
    // The rows take line 1's scale and offset as their own.
    EXPECT_EQ(m.lineScaleLabel(2), "500m");
    EXPECT_EQ(m.lineScaleIndex(6), 19);
    EXPECT_DOUBLE_EQ(m.lineOffset(6), 1.0);

    // Several devices: each row keeps its own pen and settings.
    Tick(m, {0, 2}, 1, [](int) { return 1.0; });
    rows = m.rowsToDraw(Devices({0, 2}));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].pen, 2);
}

TEST(ChartModel, YScaleButtonsStopAtTheEndsOfTheirRange) {
    ChartModel m;
    for (int i = 0; i < 30; ++i) m.yScaleDown("0");
    EXPECT_EQ(m.yScaleText(), "200 n");
    EXPECT_FALSE(m.yScaleDown("5"));
    EXPECT_EQ(m.lineScaleIndex(0), 40);
    EXPECT_EQ(m.lineOffset(0), 0.0);  // nothing applied at the end
    for (int i = 0; i < 50; ++i) m.yScaleUp("0");
    EXPECT_EQ(m.yScaleText(), "100M");
    EXPECT_FALSE(m.yScaleUp("5"));
    EXPECT_DOUBLE_EQ(m.lineDivision(0), 1e8);
    EXPECT_EQ(m.lineOffset(0), 0.0);
}

TEST(ChartModel, ShiftMovesTheMarkerOneDivisionWithinTheChart) {
    ChartModel m;
    m.selectLine(3);
    m.yScaleUp("0");  // "2"
    for (int i = 0; i < kMaxShiftDivisions; ++i) ASSERT_TRUE(m.shiftGraphUp("0.25"));
    EXPECT_FALSE(m.shiftGraphUp("0.25"));
    EXPECT_EQ(m.lineShift(3), -kMaxShiftDivisions);
    EXPECT_EQ(m.zeroMarkerLevel(3), kMaxShiftDivisions * 100);
    EXPECT_DOUBLE_EQ(m.lineOffset(3), -8.0 + 0.25);
    // The edit shows the typed offset, without the shift.
    EXPECT_EQ(m.selectLine(3), "0.25");
    for (int i = 0; i < 2 * kMaxShiftDivisions; ++i) ASSERT_TRUE(m.shiftGraphDown("0.25"));
    EXPECT_FALSE(m.shiftGraphDown("0.25"));
    EXPECT_EQ(m.zeroMarkerLevel(3), -kMaxShiftDivisions * 100);
}

TEST(ChartModel, DataOffsetTextIsCheckedAndItsLeadingNumberApplied) {
    ChartModel m;
    ScriptedPrompter prompter;
    EXPECT_EQ(m.setDataOffset("1.5E-3", prompter), "0.0015");
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_DOUBLE_EQ(m.lineOffset(0), 1.5e-3);
    EXPECT_EQ(m.setDataOffset("-2.50", prompter), "-2.5");
    EXPECT_TRUE(prompter.messages.empty());

    for (const char* bad : {"1.2.3", "1e2e3", "12V", "1+2", "%s%n"}) {
        prompter.messages.clear();
        m.setDataOffset(bad, prompter);
        ASSERT_EQ(prompter.messages.size(), 1u) << bad;
        EXPECT_EQ(prompter.last().text, "The value of \"Offset\" is error.");
        EXPECT_EQ(prompter.last().caption, "");
    }
    // After the message the leading number still applies.
    EXPECT_EQ(m.setDataOffset("1.2.3", prompter), "1.2");
    EXPECT_DOUBLE_EQ(m.lineOffset(0), 1.2);

    // Enter applies the offset as SET does, shift included.
    m.shiftGraphDown("0");
    prompter.messages.clear();
    m.enterDataOffset("3", prompter);
    EXPECT_DOUBLE_EQ(m.lineOffset(0), 4.0);
    EXPECT_EQ(m.selectLine(0), "3");
    m.enterDataOffset("x", prompter);
    EXPECT_EQ(prompter.messages.size(), 1u);
}

TEST(ChartModel, OffsetTextKeepsSmallOffsetsThroughTheEdit) {
    EXPECT_EQ(ChartModel::FormatOffset(0.1 + 0.2), "0.3");
    EXPECT_EQ(ChartModel::FormatOffset(-12.125), "-12.125");
    // Six decimals would show a nano-scale offset as 0, and the next Y-scale
    // or Shift press reads the edit back.
    EXPECT_EQ(ChartModel::FormatOffset(1.5e-7), "1.5e-07");
    ChartModel m;
    ScriptedPrompter prompter;
    const std::string shown = m.setDataOffset("1.5e-7", prompter);
    EXPECT_TRUE(prompter.messages.empty());
    m.yScaleDown(shown);
    EXPECT_DOUBLE_EQ(m.lineOffset(0), 1.5e-7);
    // The largest numbers format without overrunning anything.
    EXPECT_EQ(ChartModel::FormatOffset(1.7976931348623157e308).size(), 309u);
}

TEST(ChartViewport, MapsChartUnitsToPixelsOfTheArea) {
    ChartModel m;
    m.setXMax(200);
    const ChartViewport vp = m.SetupChartMapping(600, 400);
    EXPECT_EQ(vp.toPixelX(200), 600);
    EXPECT_EQ(vp.toPixelX(1), 3);
    EXPECT_EQ(vp.toPixelY(0), 200);
    EXPECT_EQ(vp.toPixelY(100), 160);  // one division up is a tenth of the height
    EXPECT_EQ(vp.toPixelY(-500), 400);
    EXPECT_EQ(vp.toPixelY(1), 200);   // 0.4 pixel rounds to the same row
    EXPECT_EQ(vp.toPixelY(-3), 201);  // 1.2 pixels
    EXPECT_EQ(vp.toPixelY(kChartYLimit), 200 - 40000);
    const ChartViewport odd{100, 7, 9};
    EXPECT_EQ(odd.toPixelX(50), 4);  // 3.5 rounds away from zero
    EXPECT_EQ(odd.toPixelY(-250), 4 + 2);
}

}  // namespace
}  // namespace qm
