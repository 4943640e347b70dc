#pragma once
// The live chart of the main window without any drawing: the point buffers
// of the eight chart lines (main and second value of device lines 1-4), the
// per-line Y-scale, data offset and vertical shift, the nine chart colours,
// and the arithmetic that turns buffered readings into polylines in chart
// coordinates. The chart widget only maps those coordinates to pixels
// (ChartViewport) and strokes them.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Prompter.h"

namespace qm {

inline constexpr int kChartSlots = 4;        // device lines
inline constexpr int kChartRows = 8;         // row k: main of slot k, row 4+k: its second value
inline constexpr int kChartCapacity = 2000;  // points per row at the widest X-Max
inline constexpr int kChartColours = 9;      // eight lines and one spare pen
inline constexpr int kXMaxMin = 50;
inline constexpr int kXMaxDefault = 100;
inline constexpr int kXMaxMax = 2000;

// Chart coordinates: x runs 0 .. X-Max, y is 100 units per division with 0
// at mid-height, positive up; the chart shows five divisions either side.
inline constexpr int kUnitsPerDivision = 100;
inline constexpr int kHalfHeightUnits = 500;

// How far Shift Graph moves a line, in divisions either way. Each step moves
// the line's zero marker by one division; the limit keeps the marker inside
// the chart with at least one division to spare above and below it, so it
// never sits on (or half outside) the frame.
inline constexpr int kMaxShiftDivisions = 4;

// Scaled values beyond this many chart units (1000 divisions) are drawn at
// the limit: far outside the chart either way, while the pixel arithmetic
// stays well inside the integer range whatever the reading or offset.
inline constexpr int kChartYLimit = 100000;

struct ChartPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ChartPoint&) const = default;
};

// One chart row ready to stroke. `points` runs from the newest reading
// (x = X-Max) to the oldest; `runs` splits it into connected pieces
// (first index, count), because a slot without a reading breaks the line
// instead of dropping it to zero.
struct RowToDraw {
    int row = 0;  // 0-7
    int pen = 0;  // index into the chart colours
    std::vector<ChartPoint> points;
    std::vector<std::pair<int, int>> runs;
};

// The devices read in each tick, as the reading loop sees them.
struct ChartDevices {
    std::vector<int>
        activeSlots;  // in reading order; the selected slot alone in single-device mode
    bool dualDisplay = false;
    std::array<bool, kChartSlots> slotHasSecond{};
};

// Chart coordinates to pixels of a width x height area: window extent
// (X-Max, -2000), viewport extent (width, 2 * height), viewport origin
// (0, height / 2), integer arithmetic rounding to the nearest pixel. So x = 0
// is the left column, x = X-Max is `width`, y = 0 is `height / 2` and one
// division (100 units) is a tenth of the height.
struct ChartViewport {
    int xMax = kXMaxDefault;
    int width = 0;
    int height = 0;

    int toPixelX(int x) const;
    int toPixelY(int y) const;
};

class ChartModel {
  public:
    ChartModel();

    // --- buffers -----------------------------------------------------------
    // Every row back to "no point" (a stored 0); the point count is kept.
    void clearRows();
    void resetPointCount() { m_pointCount = 0; }
    int pointCount() const { return m_pointCount; }
    int xMax() const { return m_xMax; }
    // Sets the chart width (clamped to 50 .. 2000). A narrower chart keeps
    // the newest points of every row.
    void setXMax(int xMax);
    // The chart advance of one reading tick: one more point while the chart
    // is not full, else the rows of the active slots (main and second) move
    // one place towards the oldest and the newest place is emptied. With
    // `countPoint` false (pipelined reading) the count is left to
    // countArrivedReading().
    void advance(std::span<const int> activeSlots, bool countPoint = true);
    // Pipelined reading: one more point for a reading that arrived, unless
    // the chart is already full.
    void countArrivedReading();
    // Stores a reading as the newest point of a row. 0 means "no point", so
    // a real zero reading must arrive as 1e-25.
    void storePoint(int row, double value);
    // Point `index` of a row, 0 being the oldest on the chart.
    double point(int row, int index) const;
    // How many ticks lie between two periodic redraws (X-Max / 50, at least 1).
    static int RedrawInterval(int xMax);

    // --- scale, offset and shift of the chart lines -------------------------
    // Every operation below that applies an offset takes the text of the
    // Data Offset edit, as the user left it.
    int currentLine() const { return m_currentLine; }
    int scaleIndex() const { return m_scaleIndex; }
    // Text for the Y-scale edit: the label of the current line's scale.
    std::string_view yScaleText() const;
    int lineScaleIndex(int line) const { return m_lineScaleIndex[Line(line)]; }
    const std::string& lineScaleLabel(int line) const { return m_lineScaleLabel[Line(line)]; }
    double lineDivision(int line) const { return m_lineDivision[Line(line)]; }
    int lineShift(int line) const { return m_lineShift[Line(line)]; }
    double lineOffset(int line) const { return m_lineOffset[Line(line)]; }

    // Y-scale "Up" (coarser) and "Dn" (finer) for the current line; false and
    // nothing changed at "100M" and "200 n".
    bool yScaleUp(std::string_view offsetText);
    bool yScaleDown(std::string_view offsetText);
    // A chart line radio button: makes `line` (0-7) current and returns the
    // text the Data Offset edit shows for it (its offset without the shift).
    std::string selectLine(int line);
    // Shift Graph "Up" and "Dn" for the current line; false and nothing
    // changed at the limit (kMaxShiftDivisions).
    bool shiftGraphUp(std::string_view offsetText);
    bool shiftGraphDown(std::string_view offsetText);
    // Data Offset "SET": checks the text (digits, ".", "E"/"e", "-", at most
    // one point and one exponent) and tells the user when it is wrong; the
    // leading number of the text is applied all the same. Returns the text
    // the edit shows afterwards.
    std::string setDataOffset(std::string_view text, Prompter& prompter);
    // Enter in the Data Offset edit: the same as SET (see the .cpp).
    std::string enterDataOffset(std::string_view text, Prompter& prompter);
    // The level of a line's zero marker in chart y units: where a reading
    // equal to the typed offset is drawn, one division per Shift Graph step.
    int zeroMarkerLevel(int line) const;

    static bool IsValidOffsetText(std::string_view text);
    // An offset as the Data Offset edit shows it: "%f" without trailing
    // zeros and point, or more digits when "%f" would lose the value.
    static std::string FormatOffset(double value);

    // --- colours -----------------------------------------------------------
    Rgb colour(int index) const;
    void setColour(int index, Rgb colour);
    const std::array<Rgb, kChartColours>& colours() const { return m_colour; }
    void setColours(const std::array<Rgb, kChartColours>& colours) { m_colour = colours; }

    // --- drawing -----------------------------------------------------------
    ChartViewport SetupChartMapping(int width, int height) const {
        return ChartViewport{m_xMax, width, height};
    }
    // The polylines of a redraw: for each device read, its main row and,
    // with the dual display on and a second function on the slot, its second
    // row. Places without a point break a row's line; a row without any
    // point is left out, and so is every row while the chart holds a single
    // place (not a line yet). When one device is
    // read its rows use line 1's pen, scale and offset (main or second), and
    // take that scale and offset as their own. `out` keeps its capacity from
    // one redraw to the next.
    void rowsToDraw(const ChartDevices& devices, std::vector<RowToDraw>& out);
    std::vector<RowToDraw> rowsToDraw(const ChartDevices& devices);

  private:
    static int Line(int line) {
        return line < 0 ? 0 : (line >= kChartRows ? kChartRows - 1 : line);
    }
    double* row(int r) { return m_chart.data() + static_cast<std::size_t>(r) * kChartCapacity; }
    const double* row(int r) const {
        return m_chart.data() + static_cast<std::size_t>(r) * kChartCapacity;
    }
    // Where point `index` (0 = oldest) of row r lies in its ring.
    int at(int r, int index) const {
        const int i = m_start[static_cast<std::size_t>(r)] + index;
        return i >= kChartCapacity ? i - kChartCapacity : i;
    }
    void dropOldest(int r, int count);
    void setLineScale(int line, int index);
    void applyOffset(double typedOffset);
    bool appendRow(int r, int line, bool useLineSettings, RowToDraw& out);

    // Each row is a ring of kChartCapacity places starting at m_start[row],
    // so that a tick on a full chart moves no points. Every place from the
    // point count on is 0 (no point), whatever X-Max is.
    std::vector<double> m_chart;  // kChartRows x kChartCapacity
    std::array<int, kChartRows> m_start{};
    int m_pointCount = 0;
    int m_xMax = kXMaxDefault;
    std::array<int, kChartRows> m_lineScaleIndex{};
    std::array<std::string, kChartRows> m_lineScaleLabel;
    std::array<double, kChartRows> m_lineDivision{};
    std::array<int, kChartRows> m_lineShift{};
    std::array<double, kChartRows> m_lineOffset{};
    int m_currentLine = 0;
    int m_scaleIndex = 0;
    std::array<Rgb, kChartColours> m_colour{};
};

}  // namespace qm
