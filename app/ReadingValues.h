#pragma once
// What one live reading shows: the answer split into main and second value,
// each classified (number, overload, open circuit) and formatted for its field.
#include <string>
#include <string_view>

namespace qm {

// Meters report overload as 9.9e37; anything at or beyond 9.9e20 counts as one.
inline constexpr double kOverloadLimit = 9.9e20;
// The value a record's second field holds when the meter sent no second value.
inline constexpr double kNoSecondValue = 9.9e21;
// An exact zero reading travels as this, because a stored 0 means "no point".
inline constexpr double kZeroMarker = 1e-25;

struct ParsedAnswer {
    double main = 0.0;
    double second = kNoSecondValue;
    bool hasSecond = false;  // the answer carried two numbers
    // The answer is a reading: every value it carries starts with a number.
    // Text with none ("", "nan", "inf", noise) is not shown, charted or saved
    // as a value: read as 0 it could not be told from a real zero.
    bool isReading = false;
};

// Splits "main,second" from the dual-function models; otherwise one number.
// Only the first line of the answer counts: a stray second line is no part
// of the reading.
ParsedAnswer ParseReadingAnswer(std::string_view identity, std::string_view answer);
// The same, told by the caller whether the meter is a dual-function model
// (as DualAnswerModel says of its identity, asked once per run).
ParsedAnswer ParseReadingAnswer(bool dualModel, std::string_view answer);
bool DualAnswerModel(std::string_view identity);

struct ClassifiedValue {
    std::string text;      // what the value field shows
    bool chartable = false;
    double value = 0.0;    // the value to chart and record (0 becomes kZeroMarker)
};

// slotFunction is the last configure command sent to the slot ("CONF:DIOD\n", ...).
ClassifiedValue ClassifyReading(double v, std::string_view slotFunction);

// The second-value field: "%.12f", or "OVLD" beyond the overload limit.
std::string FormatSecondField(double v);

}  // namespace qm
