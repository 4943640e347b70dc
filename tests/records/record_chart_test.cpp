// The Record Chart's arithmetic and drawing on real record files: scaling,
// range checks, per-pixel-column drawing, progress, gaps and the cursor.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>

#include "records/RecordChartModel.h"
#include "tests/records/RecordPagesSupport.h"
#include "tests/records/RecordTestSupport.h"

namespace qm {
namespace {

using test::Readings;

TEST(RecordChartScale, ResolutionItemsAndWhereValuesLand) {
    EXPECT_EQ(ResolutionLabel(0), "100 M");
    EXPECT_EQ(ResolutionLabel(2), "1 M");
    EXPECT_EQ(ResolutionLabel(3), "500000");
    EXPECT_EQ(ResolutionLabel(20), "1");
    EXPECT_EQ(ResolutionLabel(21), "500m");
    EXPECT_EQ(ResolutionLabel(47), "1 n");
    EXPECT_DOUBLE_EQ(ResolutionGain(0), 1e-8);
    EXPECT_DOUBLE_EQ(ResolutionGain(20), 1.0);
    EXPECT_DOUBLE_EQ(ResolutionGain(21), 2.0);
    EXPECT_DOUBLE_EQ(ResolutionGain(47), 1e9);

    const PlotGeometry plot{500, 300};
    EXPECT_EQ(ChartY(5.0, ResolutionGain(21)), 1000);  // "500m": 5 reaches the top edge
    EXPECT_EQ(plot.PixelY(1000), 0);
    EXPECT_EQ(plot.PixelY(0), 150);
    EXPECT_EQ(plot.PixelY(-1000), 300);
    EXPECT_EQ(ChartY(9.9e37, 1e9), kOverloadChartY);
    EXPECT_LT(plot.PixelY(ChartY(9.9e37, 1.0)), 0);  // just above the top edge
    EXPECT_EQ(ChartY(-0.019, 1.0), -1);               // truncated toward zero
    EXPECT_GT(ChartY(9.8e37, 1e9), 2000);             // far values stay far, without overflow
    EXPECT_EQ(plot.PixelX(0, 99999), 0);
    EXPECT_EQ(plot.PixelX(99999, 99999), 499);
}

TEST(RecordChartScale, RangeChecks) {
    EnglishTexts texts;
    DrawRange r;
    auto m = CheckDrawRange("0", "10", 100, texts, r);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text, "Input Data Error! Please re-enter.");
    EXPECT_EQ(m->caption, "ERROR");
    EXPECT_EQ(CheckDrawRange("5", "5", 100, texts, r)->text, "Input Data Error! Please re-enter.");
    m = CheckDrawRange("1", "101", 100, texts, r);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text, "Over-range! Please re-enter.");
    EXPECT_EQ(CheckDrawRange("1", "99999999999999999999999", 100, texts, r)->text,
              "Over-range! Please re-enter.");
    EXPECT_EQ(CheckDrawRange("1.5", "10", 100, texts, r)->text, "The value is error ! Please re-enter.");
    EXPECT_EQ(CheckDrawRange("-1", "10", 100, texts, r)->caption, "");
    EXPECT_FALSE(CheckDrawRange("500", "100", 1000, texts, r));
    EXPECT_EQ(r.from, 100);
    EXPECT_EQ(r.to, 500);
}

class RecordChartTest : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::create_directory(folder); }
    ChartRequest Request(int n, long long quantity) const {
        ChartRequest r;
        r.path = RecordFilePath(folder, n, RecordFormat::Current);
        r.quantity = quantity;
        r.plot = {200, 100};
        return r;
    }
    test::TempDir dir;
    std::string folder = dir / "DB";
};

TEST_F(RecordChartTest, AllReadingsDrawTheExtremesOfEveryPixelColumn) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> noise(-9.0, 9.0);
    const auto readings = Readings(100000, [&](long long) { return noise(rng); });
    ASSERT_TRUE(test::MakeRecordFile(RecordFilePath(folder, 1, RecordFormat::Current), RecordFormat::Current,
                         readings));
    ChartDrawing d;
    ASSERT_TRUE(d.Begin(Request(1, 100000)).ok());
    while (!d.done()) ASSERT_TRUE(d.Step(7000).ok());
    EXPECT_EQ(d.progressPositions(), (std::vector<long long>{20000, 40000, 60000, 80000, 100000}));
    EXPECT_EQ(d.progressMaximum(), 100000);
    ASSERT_EQ(d.polylines().size(), 1u);

    // Per column, the line covers exactly the lowest and highest reading
    // that falls into it, as a line through every reading would.
    const PlotGeometry plot{200, 100};
    std::map<int, std::pair<int, int>> expected, drawn;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const int x = plot.PixelX(static_cast<long long>(i), 99999);
        const int y = plot.PixelY(ChartY(readings[i].value, 1.0));
        auto [it, fresh] = expected.emplace(x, std::pair(y, y));
        it->second = {std::min(it->second.first, y), std::max(it->second.second, y)};
    }
    for (const PlotPoint& p : d.polylines()[0]) {
        auto [it, fresh] = drawn.emplace(p.x, std::pair(p.y, p.y));
        it->second = {std::min(it->second.first, p.y), std::max(it->second.second, p.y)};
    }
    EXPECT_EQ(drawn, expected);
    EXPECT_EQ(drawn.begin()->first, 0);
    EXPECT_EQ(drawn.rbegin()->first, 199);
    EXPECT_LE(d.polylines()[0].size(), 4u * 200u);
}

TEST_F(RecordChartTest, ARangeIsDrawnFromItsFirstReadingAndTheCursorReadsBack) {
    auto readings = Readings(1000, [](long long i) { return static_cast<double>(i + 1); });
    readings[299].value = 9.9e37;
    ASSERT_TRUE(test::MakeRecordFile(RecordFilePath(folder, 2, RecordFormat::Current), RecordFormat::Current,
                         readings));
    ChartRequest r = Request(2, 1000);
    r.drawRange = true;
    r.range = {100, 500};
    r.gain = ResolutionGain(5);  // "100000"
    ChartDrawing d;
    ASSERT_TRUE(d.Begin(r).ok());
    while (!d.done()) ASSERT_TRUE(d.Step(100).ok());
    EXPECT_EQ(d.span(), 400);
    EXPECT_TRUE(d.progressPositions().empty());  // every 10000 points, no final update
    EXPECT_EQ(d.progressMaximum(), -1);

    auto c = ReadChartCursor(r, d.span(), 0);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->numberText, "100");
    EXPECT_EQ(c->valueText, "100.000000000000000");
    EXPECT_EQ(c->dateText, "24 / 05 / 06 -- 07 : 08 : 09");
    c = ReadChartCursor(r, d.span(), 200);
    EXPECT_EQ(c->numberText, "300");
    EXPECT_EQ(c->valueText, "OVLD");
    EXPECT_TRUE(c->marker);
    EXPECT_EQ(c->y, 0);  // the marker sits on the top edge
    EXPECT_EQ(c->x, r.plot.PixelX(200, 400));
}

TEST_F(RecordChartTest, SecondValuesLeaveGapsWhereThereIsNone) {
    const double none = kRecordNoSecondValue;
    std::vector<test::Reading> readings = {{1, 0.5}, {1, none}, {1, 0.25}, {1, none},
                                           {1, 0.1}, {1, 0.2}, {1, 0.3}, {1, none}};
    ASSERT_TRUE(test::MakeRecordFile(RecordFilePath(folder, 3, RecordFormat::Current), RecordFormat::Current,
                         readings));
    ChartRequest r = Request(3, 8);
    r.secondValues = true;
    auto lines = DrawRecordChart(r);
    ASSERT_TRUE(lines);
    // Single readings between gaps have no neighbour to join: one line, 5 to 7.
    ASSERT_EQ(lines->size(), 1u);
    EXPECT_EQ(lines->front().front().x, r.plot.PixelX(4, 7));
    EXPECT_EQ(lines->front().back().x, r.plot.PixelX(6, 7));
    auto c = ReadChartCursor(r, 7, 1);
    EXPECT_EQ(c->valueText, "NULL");
    EXPECT_FALSE(c->marker);

    ASSERT_TRUE(test::MakeRecordFile(RecordFilePath(folder, 4, RecordFormat::Current), RecordFormat::Current,
                         Readings(50, [](long long) { return 1.0; })));
    ChartRequest single = Request(4, 50);
    single.secondValues = true;
    EXPECT_TRUE(DrawRecordChart(single)->empty());
}

}  // namespace
}  // namespace qm
