#pragma once
// Dates and times as the spreadsheet keeps them: a serial number of days
// since 1899-12-30 in local time, the fraction being the time of day.
#include <optional>
#include <string>
#include <string_view>

#include "platform/Clock.h"

namespace qm::link {

// The local date and time of a wall-clock moment, as a serial.
double ToSerial(Clock::WallPoint moment);
// Calendar fields (month 1-12) to a serial; nullopt for an impossible date.
std::optional<double> SerialFromFields(int year, int month, int day, int hour, int minute,
                                       double second);
// "yyyy/mm/dd hh:nn:ss" (one or two digits per field after the year, "-"
// also allowed between the date's fields); nullopt when it is not one.
std::optional<double> ParseDateTime(std::string_view text);
// "yyyy/mm/dd hh:nn:ss" of a serial (rounded to the second).
std::string FormatDateTime(double serial);
// A time stamp of a reading: "hh:mm:ss:mmm" in local time.
std::string ReadingTimeStamp(Clock::WallPoint moment);
// Adds hours, minutes and seconds (any of them fractional or negative).
double AddTime(double serial, double hours, double minutes, double seconds);

}  // namespace qm::link
