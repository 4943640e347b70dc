#include "records/RecordChartModel.h"

#include <algorithm>
#include <cmath>

#include "config/NumberText.h"
#include "config/YScaleTable.h"
#include "records/RecordDate.h"
#include "records/RecordQuery.h"
#include "records/RecordValueText.h"

namespace qm {

namespace {

// Far enough outside the plot that a clipped line keeps its direction.
constexpr double kChartYClamp = 1.0e6;

bool AllDigits(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// Progress cadence: every 20000 readings when drawing all of them, every
// 10000 when drawing a range.
constexpr long long kProgressAll = 20000;
constexpr long long kProgressRange = 10000;

}  // namespace

std::string ResolutionLabel(int index) {
    if (index < 0 || index >= kResolutionCount) return std::string();
    // The three largest read with a blank before the M here.
    static constexpr std::string_view kSpaced[] = {"100 M", "10 M", "1 M"};
    if (index < 3) return std::string(kSpaced[index]);
    return std::string(YScaleTable()[index].label);
}

double ResolutionGain(int index) {
    if (index < 0 || index >= kResolutionCount) return 1.0;
    return YScaleTable()[index].factor;
}

int ChartY(double value, double gain) {
    if (value == kRecordOverload) return kOverloadChartY;
    double y = std::trunc(value * gain * 100.0);
    if (!(y == y)) y = 0.0;  // NaN
    return static_cast<int>(std::clamp(y, -kChartYClamp, kChartYClamp));
}

int PlotGeometry::PixelX(long long index, long long span) const {
    if (span <= 0) return 0;
    return static_cast<int>((static_cast<double>(index) * (width - 1)) / static_cast<double>(span));
}

int PlotGeometry::PixelY(int chartY) const {
    const double half = height / 2.0;
    return static_cast<int>(std::lround(half - chartY * half / kChartTopY));
}

std::optional<PromptMessage> CheckDrawRange(std::string_view fromText, std::string_view toText,
                                            long long quantity, const TextSource& texts,
                                            DrawRange& range) {
    if (!AllDigits(fromText) || !AllDigits(toText))
        return PromptMessage{std::string(kRangeNotDigitsText), ""};
    // More digits than any record has readings: over range, not a wrapped number.
    auto number = [](std::string_view t) -> long long {
        long long n = 0;
        for (char c : t) {
            n = n * 10 + (c - '0');
            if (n > 1000000000000LL) return 1000000000000LL;
        }
        return n;
    };
    long long from = number(fromText), to = number(toText);
    if (from <= 0 || to <= 0 || from == to)
        return PromptMessage{texts.GetText("1026", "Input Data Error! Please re-enter."), "ERROR"};
    if (from > quantity || to > quantity)
        return PromptMessage{texts.GetText("1027", "Over-range! Please re-enter."), "ERROR"};
    if (from > to) std::swap(from, to);
    range = {from, to};
    return std::nullopt;
}

DbStatus ChartDrawing::Begin(const ChartRequest& request) {
    req_ = request;
    req_.plot.width = std::max(1, req_.plot.width);
    req_.plot.height = std::max(1, req_.plot.height);
    lines_.clear();
    run_.clear();
    runPoints_ = 0;
    haveColumn_ = false;
    progress_.clear();
    next_ = 0;
    done_ = true;
    DbStatus st = OpenRecordForReading(db_, req_.path, req_.format);
    if (!st) return st;
    long long first = 1;
    long long count = req_.quantity;
    if (req_.drawRange) {
        first = req_.range.from;
        count = req_.range.to - req_.range.from + 1;
        progressMax_ = -1;
    } else {
        progressMax_ = req_.quantity;
    }
    span_ = std::max(0LL, count - 1);
    remaining_ = std::max(0LL, count);
    // The readings are walked in chunks of row ids from the first one drawn.
    RowReader bounds;
    st = bounds.Open(db_,
                     "select (select rowid from read order by rowid limit 1 offset ?1), "
                     "(select max(rowid) from read)",
                     {first - 1});
    if (st && bounds.Next()) {
        nextRowid_ = bounds.IsNull(0) ? 1 : static_cast<long long>(bounds.Double(0));
        lastRowid_ = bounds.IsNull(1) ? 0 : static_cast<long long>(bounds.Double(1));
        if (bounds.IsNull(0)) remaining_ = 0;
    }
    if (st) st = bounds.status();
    bounds.Close();
    if (!st) {
        db_.Close();
        return st;
    }
    feed_ = req_.secondValues
                ? "select qm_feed(read_value_2ND) from read where rowid >= ?1 and rowid < ?2"
                : "select qm_feed(read_value) from read where rowid >= ?1 and rowid < ?2";
    done_ = false;
    return Step(0);
}

void ChartDrawing::Add(const double* values, int) {
    if (remaining_ <= 0) return;
    // A reading without a value is drawn at 0, as it reads.
    const double value = std::isnan(values[0]) ? 0.0 : values[0];
    --remaining_;
    const bool gap = req_.secondValues && value == kRecordNoSecondValue;
    AddPoint(next_, gap ? std::nullopt : std::optional<double>(value));
    const long long cadence = req_.drawRange ? kProgressRange : kProgressAll;
    if (next_ > 0 && next_ % cadence == 0) progress_.push_back(next_);
    ++next_;
}

DbStatus ChartDrawing::Finish() {
    EndRun();
    if (!req_.drawRange) progress_.push_back(req_.quantity);
    db_.Close();
    done_ = true;
    return DbStatus::Ok();
}

void ChartDrawing::FlushColumn() {
    if (!haveColumn_) return;
    for (int y : {colFirst_, colMin_, colMax_, colLast_}) {
        const PlotPoint p{colX_, req_.plot.PixelY(y)};
        if (run_.empty() || !(run_.back() == p)) run_.push_back(p);
    }
    haveColumn_ = false;
}

void ChartDrawing::EndRun() {
    FlushColumn();
    // A single reading between gaps has no line to either neighbour.
    if (runPoints_ >= 2) lines_.push_back(std::move(run_));
    run_.clear();
    runPoints_ = 0;
}

void ChartDrawing::AddPoint(long long index, std::optional<double> value) {
    if (!value) {
        EndRun();
        return;
    }
    const int y = ChartY(*value, req_.gain);
    const int x = req_.plot.PixelX(index, span_);
    ++runPoints_;
    if (haveColumn_ && x == colX_) {
        colMin_ = std::min(colMin_, y);
        colMax_ = std::max(colMax_, y);
        colLast_ = y;
        return;
    }
    FlushColumn();
    haveColumn_ = true;
    colX_ = x;
    colFirst_ = colMin_ = colMax_ = colLast_ = y;
}

DbStatus ChartDrawing::Step(long long points) {
    if (done_) return DbStatus::Ok();
    if (points > 0 && remaining_ > 0 && nextRowid_ <= lastRowid_) {
        const long long end = nextRowid_ + std::min(points, remaining_);
        const DbStatus st = RowReader::Feed(db_, feed_, {nextRowid_, end}, *this);
        nextRowid_ = end;
        if (!st) {
            db_.Close();
            done_ = true;
            return st;
        }
    }
    if (remaining_ <= 0 || nextRowid_ > lastRowid_) return Finish();
    return DbStatus::Ok();
}

DbResult<std::vector<PlotPolyline>> DrawRecordChart(const ChartRequest& request) {
    ChartDrawing d;
    DbStatus st = d.Begin(request);
    while (st && !d.done()) st = d.Step(1 << 20);
    if (!st) return st.error();
    return d.polylines();
}

DbResult<CursorReadout> ReadChartCursor(const ChartRequest& request, long long span, long long p) {
    Database db;
    DbStatus st = OpenRecordForReading(db, request.path, request.format);
    if (!st) return st.error();
    const long long offset = request.drawRange ? request.range.from + p - 1 : p;
    Recordset rs;
    st = rs.Open(db, "select read_value, read_value_2ND from read limit 1 offset ?1", {offset});
    if (st && rs.IsEOF())  // past the end: the last reading
        st = rs.Open(db, "select read_value, read_value_2ND from read order by rowid desc limit 1");
    if (!st) return st.error();
    CursorReadout r;
    r.numberText = std::to_string(request.drawRange ? p + request.range.from : p + 1);
    if (!rs.IsEOF()) {
        const double v =
            rs.GetDouble(request.secondValues ? "read_value_2ND" : "read_value").value_or(0);
        r.valueText = ChartReadoutText(v);
        if (v != kRecordNoSecondValue) {
            r.marker = true;
            r.x = request.plot.PixelX(p, span);
            r.y = request.plot.PixelY(v == kRecordOverload ? kChartTopY : ChartY(v, request.gain));
            // A hundredth of the width by 30 units, and never too small to see.
            r.halfWidth = std::max(3, static_cast<int>(std::lround(request.plot.width * 0.005)));
            r.halfHeight = std::max(3, static_cast<int>(std::lround(15.0 * request.plot.height /
                                                                     (2.0 * kChartTopY))));
        }
    }
    Recordset date;
    st = date.Open(db, "select * from read_date");
    if (!st) return st.error();
    if (!date.IsEOF()) {
        auto d = date.GetDate("r_date");
        if (d) r.dateText = RecordLabelDate(*d);
    }
    return r;
}

}  // namespace qm
