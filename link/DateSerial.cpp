#include "link/DateSerial.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace qm::link {
namespace {

constexpr double kSecondsPerDay = 86400.0;

// Days from 1970-01-01 to a civil date (proleptic Gregorian calendar).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

// 1899-12-30 is day -25569 of the Unix calendar.
constexpr long long kSerialEpochDays = -25569;

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && LeapYear(y) ? 29 : kDays[m - 1];
}

}  // namespace

std::optional<double> SerialFromFields(int year, int month, int day, int hour, int minute,
                                       double second) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        !(second >= 0 && second < 60))
        return std::nullopt;
    const long long days = DaysFromCivil(year, static_cast<unsigned>(month),
                                         static_cast<unsigned>(day)) -
                           kSerialEpochDays;
    return static_cast<double>(days) + (hour * 3600.0 + minute * 60.0 + second) / kSecondsPerDay;
}

double ToSerial(Clock::WallPoint moment) {
    const auto since = moment.time_since_epoch();
    const auto secs = std::chrono::floor<std::chrono::seconds>(since);
    const double fraction = std::chrono::duration<double>(since - secs).count();
    const std::time_t t = static_cast<std::time_t>(secs.count());
    std::tm local{};
    localtime_r(&t, &local);
    return SerialFromFields(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                            local.tm_min, std::min(local.tm_sec, 59) + fraction)
        .value_or(0);
}

std::optional<double> ParseDateTime(std::string_view text) {
    int fields[6] = {};
    int count = 0;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    };
    skipBlanks();
    static constexpr char kSeparators[] = {'/', '/', ' ', ':', ':'};
    while (count < 6) {
        const std::size_t start = i;
        long value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 4)
            value = value * 10 + (text[i++] - '0');
        const std::size_t digits = i - start;
        if (digits == 0 || (count == 0 ? digits != 4 : digits > 2)) return std::nullopt;
        fields[count++] = static_cast<int>(value);
        if (count == 6) break;
        const char want = kSeparators[count - 1];
        if (want == ' ') {
            if (i >= text.size() || text[i] != ' ') return std::nullopt;
            skipBlanks();
        } else if (i < text.size() && (text[i] == want || (want == '/' && text[i] == '-'))) {
            ++i;
        } else {
            return std::nullopt;
        }
    }
    skipBlanks();
    if (i != text.size()) return std::nullopt;
    return SerialFromFields(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);
}

std::string FormatDateTime(double serial) {
    const double rounded = std::round(serial * kSecondsPerDay) / kSecondsPerDay;
    long long days = static_cast<long long>(std::floor(rounded));
    long long secs = std::llround((rounded - static_cast<double>(days)) * kSecondsPerDay);
    if (secs >= 86400) {
        ++days;
        secs -= 86400;
    }
    // Civil date from days since 1970 (inverse of DaysFromCivil).
    long long z = days + kSerialEpochDays + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
    char buf[96];
    std::snprintf(buf, sizeof buf, "%04lld/%02u/%02u %02lld:%02lld:%02lld", y, m, d, secs / 3600,
                  secs / 60 % 60, secs % 60);
    return buf;
}

std::string ReadingTimeStamp(Clock::WallPoint moment) {
    const auto since = moment.time_since_epoch();
    const auto secs = std::chrono::floor<std::chrono::seconds>(since);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since - secs).count();
    const std::time_t t = static_cast<std::time_t>(secs.count());
    std::tm local{};
    localtime_r(&t, &local);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d:%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(ms));
    return buf;
}

double AddTime(double serial, double hours, double minutes, double seconds) {
    return serial + (hours * 3600.0 + minutes * 60.0 + seconds) / kSecondsPerDay;
}

}  // namespace qm::link
