#include "app/ChartModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "config/YScaleTable.h"
#include "config/NumberText.h"

namespace qm {

namespace {

constexpr const char* kOffsetError = "The value of \"Offset\" is error.";

// a * b / c rounded to the nearest integer, halves away from zero; c != 0.
std::int64_t MulDivRound(std::int64_t a, std::int64_t b, std::int64_t c) {
    const std::int64_t n = a * b;
    std::int64_t q = n / c;
    const std::int64_t r = n % c;
    if (2 * std::llabs(r) >= std::llabs(c)) q += ((n < 0) != (c < 0)) ? -1 : 1;
    return q;
}

// Integer part of the scaled distance from the offset, kept inside the range
// the pixel arithmetic can take. A NaN cannot come from the edit (the number
// reader gives finite values only), but a stray one sits on the zero line.
int ChartY(double value, double offset, double factor) {
    const double y = (value - offset) * factor * kUnitsPerDivision;
    if (std::isnan(y)) return 0;
    if (y >= kChartYLimit) return kChartYLimit;
    if (y <= -kChartYLimit) return -kChartYLimit;
    return static_cast<int>(y);
}

bool ValidSlot(int slot) {
    return slot >= 0 && slot < kChartSlots;
}

}  // namespace

int ChartViewport::toPixelX(int x) const {
    if (xMax <= 0) return 0;
    return static_cast<int>(MulDivRound(x, width, xMax));
}

// The window's y extent is -2000 over a viewport of twice the height: one
// division (100 units) is a tenth of the height, positive up.
int ChartViewport::toPixelY(int y) const {
    return height / 2 +
           static_cast<int>(MulDivRound(y, 2 * static_cast<std::int64_t>(height), -2000));
}

ChartModel::ChartModel() : m_chart(static_cast<std::size_t>(kChartRows) * kChartCapacity, 0.0) {
    for (int line = 0; line < kChartRows; ++line) setLineScale(line, kYScaleDefaultIndex);
    m_scaleIndex = kYScaleDefaultIndex;
    // Lines 1-4 main: blue, green, red, black; line 1 second: blue like its
    // main line. Second lines 2-4 are teal, magenta and brown, near their
    // main colours yet told apart from all others on the white chart; the
    // spare pen is orange.
    m_colour = {Rgb{0, 0, 255},   Rgb{0, 255, 0},  Rgb{255, 0, 0},
                Rgb{0, 0, 0},     Rgb{0, 0, 255},  Rgb{0, 128, 128},
                Rgb{255, 0, 255}, Rgb{128, 64, 0}, Rgb{255, 128, 0}};
}

// --- buffers ----------------------------------------------------------------

void ChartModel::clearRows() {
    std::fill(m_chart.begin(), m_chart.end(), 0.0);
    m_start.fill(0);
}

// The `count` oldest points of row r leave the chart: the ring starts that
// much later, and the places they leave (now at the far end of the ring,
// past every point) are emptied.
void ChartModel::dropOldest(int r, int count) {
    double* p = row(r);
    for (int i = 0; i < count; ++i) p[at(r, i)] = 0.0;
    m_start[static_cast<std::size_t>(r)] = at(r, count);
}

void ChartModel::setXMax(int xMax) {
    xMax = std::clamp(xMax, kXMaxMin, kXMaxMax);
    if (m_pointCount > xMax) {
        // Keep the newest xMax points: the oldest are the ones that no longer
        // fit. Left where they were, the next shift would bring long-past
        // readings back to the right edge.
        const int drop = m_pointCount - xMax;
        for (int r = 0; r < kChartRows; ++r) dropOldest(r, drop);
        m_pointCount = xMax;
    }
    m_xMax = xMax;
}

void ChartModel::advance(std::span<const int> activeSlots, bool countPoint) {
    if (m_pointCount < m_xMax) {
        if (countPoint) ++m_pointCount;
        return;
    }
    m_pointCount = m_xMax;
    for (int slot : activeSlots) {
        if (!ValidSlot(slot)) continue;
        for (int r : {slot, slot + kChartSlots}) {
            dropOldest(r, 1);
            // The newest place is empty until this tick stores a reading: a
            // reading that is not charted (overload, open diode) must not
            // repeat the previous point.
            row(r)[at(r, m_xMax - 1)] = 0.0;
        }
    }
}

void ChartModel::countArrivedReading() {
    if (m_pointCount < m_xMax) ++m_pointCount;
}

void ChartModel::storePoint(int r, double value) {
    if (r < 0 || r >= kChartRows || m_pointCount <= 0) return;
    row(r)[at(r, m_pointCount - 1)] = value;
}

double ChartModel::point(int r, int index) const {
    if (r < 0 || r >= kChartRows || index < 0 || index >= kChartCapacity) return 0.0;
    return row(r)[at(r, index)];
}

int ChartModel::RedrawInterval(int xMax) {
    return std::max(1, xMax / 50);
}

// --- scale, offset and shift -----------------------------------------------

std::string_view ChartModel::yScaleText() const {
    return YScaleTable()[m_scaleIndex].label;
}

void ChartModel::setLineScale(int line, int index) {
    m_lineScaleIndex[line] = index;
    m_lineScaleLabel[line] = std::string(YScaleTable()[index].label);
    m_lineDivision[line] = YScaleLabelValue(m_lineScaleLabel[line]);
}

// The offset of the current line: its shift in divisions of its scale plus
// the offset the user typed.
void ChartModel::applyOffset(double typedOffset) {
    const int line = m_currentLine;
    m_lineDivision[line] = YScaleLabelValue(m_lineScaleLabel[line]);
    m_lineOffset[line] = m_lineShift[line] * m_lineDivision[line] + typedOffset;
}

bool ChartModel::yScaleUp(std::string_view offsetText) {
    if (m_scaleIndex <= kYScaleButtonFirst) return false;
    --m_scaleIndex;
    setLineScale(m_currentLine, m_scaleIndex);
    applyOffset(AsciiToDouble(offsetText));
    return true;
}

bool ChartModel::yScaleDown(std::string_view offsetText) {
    if (m_scaleIndex >= kYScaleButtonLast) return false;
    ++m_scaleIndex;
    setLineScale(m_currentLine, m_scaleIndex);
    applyOffset(AsciiToDouble(offsetText));
    return true;
}

std::string ChartModel::selectLine(int line) {
    if (line >= 0 && line < kChartRows) {
        m_currentLine = line;
        m_scaleIndex = m_lineScaleIndex[line];
    }
    const int l = m_currentLine;
    return FormatOffset(m_lineOffset[l] - m_lineShift[l] * m_lineDivision[l]);
}

bool ChartModel::shiftGraphUp(std::string_view offsetText) {
    if (m_lineShift[m_currentLine] <= -kMaxShiftDivisions) return false;
    --m_lineShift[m_currentLine];
    applyOffset(AsciiToDouble(offsetText));
    return true;
}

bool ChartModel::shiftGraphDown(std::string_view offsetText) {
    if (m_lineShift[m_currentLine] >= kMaxShiftDivisions) return false;
    ++m_lineShift[m_currentLine];
    applyOffset(AsciiToDouble(offsetText));
    return true;
}

std::string ChartModel::setDataOffset(std::string_view text, Prompter& prompter) {
    if (!IsValidOffsetText(text)) prompter.warn(kOffsetError);
    // The leading number is applied even after the message: "1.2.3" sets 1.2.
    const double typed = AsciiToDouble(text);
    applyOffset(typed);
    return FormatOffset(typed);
}

// Enter used to set the typed offset alone, without the shift term, while
// the zero marker stayed shifted and the edit, on the next line selection,
// showed the offset minus the shift: the line sat where neither the marker
// nor the edit said. Enter therefore does exactly what SET does.
std::string ChartModel::enterDataOffset(std::string_view text, Prompter& prompter) {
    return setDataOffset(text, prompter);
}

int ChartModel::zeroMarkerLevel(int line) const {
    return -m_lineShift[Line(line)] * kUnitsPerDivision;
}

bool ChartModel::IsValidOffsetText(std::string_view text) {
    int points = 0;
    int exponents = 0;
    for (char c : text) {
        if (c == '.') {
            ++points;
        } else if (c == 'E' || c == 'e') {
            ++exponents;
        } else if (!(c >= '0' && c <= '9') && c != '-') {
            return false;
        }
    }
    return points <= 1 && exponents <= 1;
}

std::string ChartModel::FormatOffset(double value) {
    // "%f" of the largest double takes 316 characters.
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%f", value);
    std::string text(buffer);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (!text.empty() && text.back() == '.') text.pop_back();
    }
    // Six decimals turn a nano-volt offset into "0", and the Y-scale and
    // Shift buttons read the edit back: the offset would silently become 0.
    // When the short form loses the value, show twelve significant digits.
    if (std::isfinite(value) && value != 0.0 &&
        std::fabs(AsciiToDouble(text) - value) > 1e-9 * std::fabs(value)) {
        std::snprintf(buffer, sizeof buffer, "%.12g", value);
        text = buffer;
    }
    return text;
}

// --- colours ---------------------------------------------------------------

Rgb ChartModel::colour(int index) const {
    return (index >= 0 && index < kChartColours) ? m_colour[index] : Rgb{};
}

void ChartModel::setColour(int index, Rgb colour) {
    if (index >= 0 && index < kChartColours) m_colour[index] = colour;
}

// --- drawing ---------------------------------------------------------------

// A row is drawn from every point it holds: a place without a point (a
// reading that was not charted, or no reading yet) breaks the line there,
// and the rest of the history stays on the chart.
bool ChartModel::appendRow(int r, int line, bool useLineSettings, RowToDraw& out) {
    if (m_pointCount <= 0) return false;
    if (useLineSettings && line != r) {
        setLineScale(r, m_lineScaleIndex[line]);
        m_lineOffset[r] = m_lineOffset[line];
    }
    if (m_pointCount < 2) return false;

    const double factor = YScaleTable()[m_lineScaleIndex[line]].factor;
    const double offset = m_lineOffset[line];
    out.row = r;
    out.pen = useLineSettings ? line : r;
    out.points.clear();
    out.runs.clear();
    const double* p = row(r);
    int x = m_xMax;
    int runStart = -1;
    // Newest to oldest, stepping back round the ring.
    for (int i = 0, place = at(r, m_pointCount - 1); i < m_pointCount; ++i, --x) {
        const double v = p[place];
        place = (place == 0 ? kChartCapacity : place) - 1;
        if (v == 0.0) {
            runStart = -1;
            continue;
        }
        if (runStart < 0) {
            runStart = static_cast<int>(out.points.size());
            out.runs.emplace_back(runStart, 0);
        }
        out.points.push_back({x, ChartY(v, offset, factor)});
        ++out.runs.back().second;
    }
    return !out.points.empty();
}

void ChartModel::rowsToDraw(const ChartDevices& devices, std::vector<RowToDraw>& out) {
    std::size_t used = 0;
    const bool oneDevice = devices.activeSlots.size() == 1;
    auto next = [&]() -> RowToDraw& {
        if (used == out.size()) out.emplace_back();
        return out[used];
    };
    for (int slot : devices.activeSlots) {
        if (!ValidSlot(slot)) continue;
        if (appendRow(slot, oneDevice ? 0 : slot, oneDevice, next())) ++used;
        if (devices.dualDisplay && devices.slotHasSecond[slot]) {
            const int second = slot + kChartSlots;
            if (appendRow(second, oneDevice ? kChartSlots : second, oneDevice, next())) ++used;
        }
    }
    out.resize(used);
}

std::vector<RowToDraw> ChartModel::rowsToDraw(const ChartDevices& devices) {
    std::vector<RowToDraw> out;
    rowsToDraw(devices, out);
    return out;
}

}  // namespace qm
