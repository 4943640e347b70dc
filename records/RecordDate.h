#pragma once
// Dates and times as record files hold them. `r_date` is stored as local
// wall-clock text "YYYY-MM-DD HH:MM:SS"; reading accepts the other forms a
// SQLite date can take (fractional seconds, a 'T' separator, a zone suffix,
// a Julian day number, Unix seconds) so that a file touched by another tool
// still lists.
#include <optional>
#include <string>
#include <string_view>

#include "platform/Clock.h"

namespace qm {

// Broken-down local date and time; millisecond kept for `read_time`.
struct DateTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
    int millisecond = 0;
    bool operator==(const DateTime&) const = default;
};

// Local broken-down time of a wall-clock instant.
DateTime LocalDateTime(Clock::WallPoint t);
// Local broken-down time of Unix seconds (UTC instant).
DateTime LocalDateTimeFromUnix(long long seconds, int millisecond = 0);

// "YYYY-MM-DD HH:MM:SS", the stored form of `r_date`.
std::string StorageDateText(const DateTime& d);
// "%y / %m / %d -- %H : %M : %S", the date of every record-list label.
std::string RecordLabelDate(const DateTime& d);
// "%02d:%02d:%02d:%03d" of hour, minute, second, millisecond: `read_time`.
std::string ReadingTimeText(const DateTime& d);

// Text forms: "YYYY-MM-DD", optionally followed by ' ' or 'T' and
// "HH:MM[:SS[.fff]]", optionally followed by 'Z' or "+HH:MM"/"-HH:MM"
// (then the instant is converted to local time). Also a bare number:
// a Julian day number. Surrounding blanks are allowed. nullopt otherwise.
std::optional<DateTime> ParseDateText(std::string_view text);
// A Julian day number (UTC, as SQLite's julianday()) as local time.
std::optional<DateTime> DateFromJulianDay(double jd);

}  // namespace qm
