#include "records/RecordDate.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace qm {

namespace {

DateTime FromTm(const std::tm& tm, int millisecond) {
    DateTime d;
    d.year = tm.tm_year + 1900;
    d.month = tm.tm_mon + 1;
    d.day = tm.tm_mday;
    d.hour = tm.tm_hour;
    d.minute = tm.tm_min;
    d.second = tm.tm_sec;
    d.millisecond = millisecond;
    return d;
}

// Reads exactly n decimal digits at text[pos].
bool Digits(std::string_view text, size_t& pos, int n, int& out) {
    if (pos + n > text.size()) return false;
    int v = 0;
    for (int i = 0; i < n; ++i) {
        char c = text[pos + i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    pos += n;
    out = v;
    return true;
}

bool Expect(std::string_view text, size_t& pos, char c) {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' ||
                          s.back() == '\n' || s.back() == '\0'))
        s.remove_suffix(1);
    return s;
}

bool Plausible(const DateTime& d) {
    return d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= 31 && d.hour >= 0 &&
           d.hour <= 24 && d.minute >= 0 && d.minute <= 59 && d.second >= 0 && d.second <= 60;
}

// Unix seconds of a UTC broken-down time.
long long UnixFromUtc(const DateTime& d) {
    std::tm tm{};
    tm.tm_year = d.year - 1900;
    tm.tm_mon = d.month - 1;
    tm.tm_mday = d.day;
    tm.tm_hour = d.hour;
    tm.tm_min = d.minute;
    tm.tm_sec = d.second;
    return static_cast<long long>(timegm(&tm));
}

// The last valid Julian day SQLite accepts (year 9999).
constexpr double kMaxJulianDay = 5373484.499999;

}  // namespace

DateTime LocalDateTimeFromUnix(long long seconds, int millisecond) {
    // Readings come many to a second: convert each second once.
    thread_local long long cachedSeconds = LLONG_MIN;
    thread_local DateTime cached;
    if (seconds != cachedSeconds) {
        std::time_t t = static_cast<std::time_t>(seconds);
        std::tm tm{};
        if (!localtime_r(&t, &tm)) return DateTime{};
        cached = FromTm(tm, 0);
        cachedSeconds = seconds;
    }
    DateTime d = cached;
    d.millisecond = millisecond;
    return d;
}

DateTime LocalDateTime(Clock::WallPoint t) {
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(t.time_since_epoch()).count();
    long long secs = ms / 1000;
    long long rest = ms % 1000;
    if (rest < 0) {  // floor for instants before 1970
        rest += 1000;
        secs -= 1;
    }
    return LocalDateTimeFromUnix(secs, static_cast<int>(rest));
}

std::string StorageDateText(const DateTime& d) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                  d.minute, d.second);
    return buf;
}

std::string RecordLabelDate(const DateTime& d) {
    char buf[64];
    int yy = ((d.year % 100) + 100) % 100;
    std::snprintf(buf, sizeof buf, "%02d / %02d / %02d -- %02d : %02d : %02d", yy, d.month, d.day,
                  d.hour, d.minute, d.second);
    return buf;
}

std::string ReadingTimeText(const DateTime& d) {
    // Once per saved reading: put the digits in directly.
    if (d.hour >= 0 && d.hour < 100 && d.minute >= 0 && d.minute < 100 && d.second >= 0 &&
        d.second < 100 && d.millisecond >= 0 && d.millisecond < 1000) {
        char t[12];
        auto two = [&t](int at, int v) {
            t[at] = static_cast<char>('0' + v / 10);
            t[at + 1] = static_cast<char>('0' + v % 10);
        };
        two(0, d.hour);
        t[2] = ':';
        two(3, d.minute);
        t[5] = ':';
        two(6, d.second);
        t[8] = ':';
        t[9] = static_cast<char>('0' + d.millisecond / 100);
        two(10, d.millisecond % 100);
        return std::string(t, sizeof t);
    }
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d:%03d", d.hour, d.minute, d.second,
                  d.millisecond);
    return buf;
}

std::optional<DateTime> DateFromJulianDay(double jd) {
    if (!std::isfinite(jd) || jd < 0.0 || jd > kMaxJulianDay) return std::nullopt;
    double unixMs = std::round((jd - 2440587.5) * 86400000.0);
    long long ms = static_cast<long long>(unixMs);
    long long secs = ms / 1000;
    long long rest = ms % 1000;
    if (rest < 0) {
        rest += 1000;
        secs -= 1;
    }
    return LocalDateTimeFromUnix(secs, static_cast<int>(rest));
}

std::optional<DateTime> ParseDateText(std::string_view text) {
    text = Trim(text);
    if (text.empty()) return std::nullopt;

    // A bare number: a Julian day number, as SQLite reads it.
    if (text.size() < 40 && text.find('-', 1) == std::string_view::npos) {
        double v = 0.0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (ec == std::errc() && end == text.data() + text.size()) return DateFromJulianDay(v);
    }

    DateTime d;
    size_t pos = 0;
    if (!Digits(text, pos, 4, d.year) || !Expect(text, pos, '-') ||
        !Digits(text, pos, 2, d.month) || !Expect(text, pos, '-') || !Digits(text, pos, 2, d.day))
        return std::nullopt;
    if (pos < text.size() && (text[pos] == ' ' || text[pos] == 'T')) {
        ++pos;
        if (!Digits(text, pos, 2, d.hour) || !Expect(text, pos, ':') ||
            !Digits(text, pos, 2, d.minute))
            return std::nullopt;
        if (Expect(text, pos, ':')) {
            if (!Digits(text, pos, 2, d.second)) return std::nullopt;
            if (Expect(text, pos, '.')) {
                int scale = 100;
                size_t start = pos;
                while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
                    d.millisecond += (text[pos] - '0') * scale;
                    scale /= 10;
                    ++pos;
                }
                if (pos == start) return std::nullopt;
            }
        }
    }
    if (!Plausible(d)) return std::nullopt;

    // Zone suffix: the text names an instant, shown here in local time.
    std::string_view zone = Trim(text.substr(pos));
    if (zone.empty()) return d;
    long long offsetSeconds = 0;
    if (zone == "Z" || zone == "z") {
        offsetSeconds = 0;
    } else if (zone.size() == 6 && (zone[0] == '+' || zone[0] == '-')) {
        size_t zp = 1;
        int zh = 0, zm = 0;
        if (!Digits(zone, zp, 2, zh) || !Expect(zone, zp, ':') || !Digits(zone, zp, 2, zm) ||
            zh > 14 || zm > 59)
            return std::nullopt;
        offsetSeconds = (zh * 3600LL + zm * 60LL) * (zone[0] == '-' ? -1 : 1);
    } else {
        return std::nullopt;
    }
    return LocalDateTimeFromUnix(UnixFromUtc(d) - offsetSeconds, d.millisecond);
}

}  // namespace qm
