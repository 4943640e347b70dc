#pragma once
// The Record Chart without its widgets: the resolution list and its gains,
// the checks of the reading range, the drawing of a record as a line and
// the cursor readout.
//
// Chart coordinates: x runs over the readings drawn (0 at the left, the last
// at the right edge); y = trunc(value x gain x 100), 0 at the middle, +1000
// at the top edge and -1000 at the bottom, so the plot spans +-10 units of
// the chosen resolution. A stored overload (exactly 9.9e37) lies just above
// the top edge.
//
// A record of a million readings is drawn through a plot a few hundred
// pixels wide: the drawing keeps, per pixel column, the first, lowest,
// highest and last point that falls into it, which strokes exactly the
// columns a line through every reading would. It runs in steps, reading
// the record once from its cursor without storing the readings, so that a
// page can show progress and stay responsive.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Prompter.h"
#include "platform/TextSource.h"
#include "records/Database.h"
#include "records/DbResult.h"
#include "records/RecordStore.h"
#include "records/RowReader.h"

namespace qm {

inline constexpr int kResolutionCount = 48;
inline constexpr int kDefaultResolution = 20;  // "1"
inline constexpr std::string_view kRangeNotDigitsText = "The value is error ! Please re-enter.";
inline constexpr int kOverloadChartY = 2001;
inline constexpr int kChartTopY = 1000;

// Item k of the resolution combo ("100 M", "10 M", "1 M", "500000", ... "1 n").
std::string ResolutionLabel(int index);
// Gain of item k: 1 / its value (1e-8 for "100 M" ... 1e9 for "1 n").
double ResolutionGain(int index);

// Chart y of a value: trunc(v x gain x 100); an overload is drawn at 2001.
// Far values are clamped well outside the plot.
int ChartY(double value, double gain);

// Where chart coordinates land on a plot of width x height pixels.
struct PlotGeometry {
    int width = 1;
    int height = 1;
    int PixelX(long long index, long long span) const;
    int PixelY(int chartY) const;
};

// The range of readings to draw (1-based, from <= to after the check).
struct DrawRange {
    long long from = 1;
    long long to = 1;
};
// Checks the two range edits against the record's quantity; on a fault the
// message to show (the drawing does not start).
std::optional<PromptMessage> CheckDrawRange(std::string_view fromText, std::string_view toText,
                                            long long quantity, const TextSource& texts,
                                            DrawRange& range);

struct PlotPoint {
    int x = 0;
    int y = 0;
    bool operator==(const PlotPoint&) const = default;
};
using PlotPolyline = std::vector<PlotPoint>;

struct ChartRequest {
    std::string path;
    RecordFormat format = RecordFormat::Current;
    bool secondValues = false;  // draw read_value_2ND, leaving gaps where there is none
    bool drawRange = false;     // draw range.from .. range.to, else all readings
    DrawRange range;
    long long quantity = 0;
    double gain = 1.0;
    PlotGeometry plot;
};

class ChartDrawing : private ValueSink {
  public:
    DbStatus Begin(const ChartRequest& request);
    // Draws up to `points` more readings.
    DbStatus Step(long long points);
    bool done() const { return done_; }
    // Readings on the x axis minus one (0 .. span).
    long long span() const { return span_; }
    // The polylines to stroke, in pixels.
    const std::vector<PlotPolyline>& polylines() const { return lines_; }
    // Every position given to the progress bar, in order; the bar's range
    // is 0 .. progressMaximum() (unchanged when drawing a range: -1).
    const std::vector<long long>& progressPositions() const { return progress_; }
    long long progressMaximum() const { return progressMax_; }

  private:
    void Add(const double* values, int count) override;
    DbStatus Finish();
    void AddPoint(long long index, std::optional<double> value);
    void FlushColumn();
    void EndRun();

    ChartRequest req_;
    Database db_;
    const char* feed_ = nullptr;  // the chunk query
    long long nextRowid_ = 0;     // where the next chunk starts
    long long lastRowid_ = 0;
    long long remaining_ = 0;     // readings still to draw
    long long span_ = 0;
    long long next_ = 0;  // index of the next point
    bool done_ = true;
    std::vector<PlotPolyline> lines_;
    PlotPolyline run_;
    long long runPoints_ = 0;
    bool haveColumn_ = false;
    int colX_ = 0, colFirst_ = 0, colMin_ = 0, colMax_ = 0, colLast_ = 0;
    std::vector<long long> progress_;
    long long progressMax_ = -1;
};

// The whole drawing in one call (benchmarks, tests).
DbResult<std::vector<PlotPolyline>> DrawRecordChart(const ChartRequest& request);

// What the slider shows for cursor position p of the last drawing.
struct CursorReadout {
    std::string numberText;
    std::string valueText;
    std::string dateText;
    bool marker = false;  // a marker is drawn at (x, y)
    int x = 0, y = 0;     // pixels
    int halfWidth = 0, halfHeight = 0;
};
DbResult<CursorReadout> ReadChartCursor(const ChartRequest& request, long long span, long long p);

}  // namespace qm
