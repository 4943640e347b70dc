#pragma once
// The Record View's band search: the checks of the two limit edits while
// the user types, the widening of limits that lie beyond the record, and
// the query for the readings between the limits. The database engine does
// the band test; only matching rows are fetched, never more than one grid
// page of them.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Prompter.h"
#include "records/Database.h"
#include "records/DbResult.h"
#include "records/RecordQuery.h"

namespace qm {

inline constexpr std::string_view kValueErrorText = "The value is error.";
inline constexpr std::string_view kValueOfRErrorText = "The value of \"R\" is error.";
inline constexpr std::string_view kReversedBandText =
    "HI Limiter should define the maximum possible value in the filtered data. LO limiter "
    "should define the minimum possible value in the filtered data.";
// Limits beyond the record's own maximum and minimum are pulled to them,
// this much outside.
inline constexpr double kBandMargin = 6e-15;
inline constexpr double kBandEqualMargin = 1e-15;

// What checking a limit edit's text after a change does: the message to
// show (if any) and the text the edit holds afterwards.
struct LimitEditCheck {
    std::optional<PromptMessage> message;
    std::string text;
    bool replaced = false;  // the edit's text is to be replaced by `text`
};
// Upper limit (edit 1065): digits, "-", one "." and one exponent letter;
// anything else is reported and the text becomes "%f" of its value.
LimitEditCheck CheckUpperLimitText(std::string_view text);
// Lower limit (edit 1066): only a second "." or exponent letter is
// reported; the text stays as typed.
LimitEditCheck CheckLowerLimitText(std::string_view text);
// Enter in the upper limit: "%.12f" of its value.
std::string UpperLimitEnterText(std::string_view text);

struct BandLimits {
    double high = 0.0;
    double low = 0.0;
};
// Limits beyond the record are replaced by its maximum + 6e-15 and its
// minimum - 6e-15 (with the two special cases of a band touching one end).
BandLimits AdjustBandLimits(double high, double low, double recordMax, double recordMin);

struct BandMatches {
    long long count = 0;
    ValueStatistics statistics;  // of the matching readings
    std::vector<GridRow> rows;   // the first matches, numbered 1, 2, ...
};
// Readings with low <= read_value <= high: their count and statistics, and
// at most 10000 of them as grid rows.
DbResult<BandMatches> FindBandMatches(Database& db, const BandLimits& limits);

}  // namespace qm
