#include "config/NumberText.h"

#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <system_error>

namespace qm {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Position of the first character after leading white space and an optional
// sign; `negative` tells which sign was seen.
std::size_t SkipBlanksAndSign(std::string_view text, bool& negative) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    return i;
}

// Decimal magnitude of a well-formed unsigned number text: > 0 when its
// value is at least 1, <= 0 below. Only used to tell an overflow from an
// underflow, so the exponent is clamped rather than read in full.
long DecimalMagnitude(std::string_view number) {
    std::size_t i = 0;
    long intDigits = 0;
    bool seenNonZero = false;
    for (; i < number.size() && IsDigit(number[i]); ++i) {
        if (number[i] != '0') seenNonZero = true;
        if (seenNonZero) ++intDigits;
    }
    long leadingFractionZeros = 0;
    if (i < number.size() && number[i] == '.') {
        ++i;
        for (; i < number.size() && IsDigit(number[i]); ++i) {
            if (!seenNonZero && number[i] == '0') ++leadingFractionZeros;
            if (number[i] != '0') seenNonZero = true;
        }
    }
    long exponent = 0;
    if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < number.size() && (number[i] == '+' || number[i] == '-')) {
            negativeExponent = number[i] == '-';
            ++i;
        }
        for (; i < number.size() && IsDigit(number[i]); ++i) {
            if (exponent < 1000000) exponent = exponent * 10 + (number[i] - '0');
        }
        if (negativeExponent) exponent = -exponent;
    }
    const long mantissa = intDigits > 0 ? intDigits : -leadingFractionZeros;
    return mantissa + exponent;
}

// The number that starts at `start` (after blanks and sign), as one pass
// over its characters finds it.
struct ScannedNumber {
    std::size_t end = 0;     // one past its last character
    std::size_t digits = 0;  // mantissa digits; 0 means there is no number
    // Its digits as an integer and the power of ten that scales it, when
    // there are at most 19 significant ones and the exponent is modest.
    std::uint64_t mantissa = 0;
    long scale = 0;
    bool mantissaExact = true;
};

// Digits with an optional point, and an exponent only when it has digits
// ("1e" is 1).
// The value of the eight characters at p when all are digits.
bool EightDigits(const char* p, std::uint32_t& value) {
    std::uint64_t v = 0;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native != std::endian::little) {
        value = 0;
        for (int i = 0; i < 8; ++i) {
            if (!IsDigit(p[i])) return false;
            value = value * 10 + static_cast<std::uint32_t>(p[i] - '0');
        }
        return true;
    }
    // Every byte 0x30..0x39: high nibble 3, and adding 6 does not carry out.
    if ((((v & 0xF0F0F0F0F0F0F0F0ULL) |
          (((v + 0x0606060606060606ULL) & 0xF0F0F0F0F0F0F0F0ULL) >> 4))) != 0x3333333333333333ULL)
        return false;
    v -= 0x3030303030303030ULL;
    v = v * 10 + (v >> 8);  // pairs of digits
    v = (((v & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
         (((v >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
        32;
    value = static_cast<std::uint32_t>(v);
    return true;
}

ScannedNumber ScanNumber(std::string_view text, std::size_t start) {
    ScannedNumber n;
    const char* const begin = text.data() + start;
    const char* const end = text.data() + text.size();
    const char* p = begin;
    std::uint64_t mantissa = 0;
    int significant = 0;
    long scale = 0;
    while (p < end && *p == '0') ++p;  // leading zeros only place the point
    for (; p < end && IsDigit(*p); ++p, ++significant)
        if (significant < 19)
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
        else
            ++scale;
    std::size_t digits = static_cast<std::size_t>(p - begin);
    if (p < end && *p == '.') {
        const char* const fraction = ++p;
        if (significant == 0)
            for (; p < end && *p == '0'; ++p) --scale;
        // Eight digits at a time while they fit (an answer's fraction often
        // is exactly eight), then one at a time.
        for (std::uint32_t eight = 0; significant <= 11 && end - p >= 8 && EightDigits(p, eight);
             p += 8, significant += 8, scale -= 8)
            mantissa = mantissa * 100000000 + eight;
        for (; p < end && IsDigit(*p); ++p, ++significant)
            if (significant < 19) {
                mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
                --scale;
            }
        digits += static_cast<std::size_t>(p - fraction);
    }
    if (digits == 0) {
        n.end = start;
        return n;
    }
    n.digits = digits;
    n.mantissaExact = significant <= 19;
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        bool negative = false;
        if (q < end && (*q == '+' || *q == '-')) negative = *q++ == '-';
        if (q < end && IsDigit(*q)) {
            long exponent = 0;
            for (; q < end && IsDigit(*q); ++q)
                if (exponent < 100000) exponent = exponent * 10 + (*q - '0');
            scale += negative ? -exponent : exponent;
            p = q;
        }
    }
    n.end = static_cast<std::size_t>(p - text.data());
    n.mantissa = mantissa;
    n.scale = scale;
    return n;
}

// The value with one correctly rounded operation, when the mantissa is an
// integer of at most 2^53 and the power of ten is at most 10^22 (all exact
// in a double). Instrument answers ("+1.23456789E+00") are.
std::optional<double> ExactlyScaledValue(const ScannedNumber& n) {
    static constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (!n.mantissaExact || n.mantissa > (std::uint64_t{1} << 53)) return std::nullopt;
    if (n.mantissa == 0) return 0.0;
    const auto m = static_cast<double>(n.mantissa);
    if (n.scale >= 0 && n.scale <= 22) return m * kExactPowers[n.scale];
    if (n.scale < 0 && n.scale >= -22) return m / kExactPowers[-n.scale];
    return std::nullopt;
}

// The value of a well-formed unsigned number text; `overflow` tells a value
// too large for a double (which is then the largest double).
double NumberValue(std::string_view text, const ScannedNumber& scanned, std::size_t start,
                   bool& overflow) {
    overflow = false;
    if (const auto exact = ExactlyScaledValue(scanned)) return *exact;
    const std::string_view number = text.substr(start, scanned.end - start);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        overflow = DecimalMagnitude(number) > 0;
        value = overflow ? std::numeric_limits<double>::max() : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return value;
}

using Wide = unsigned __int128;

constexpr std::uint64_t kPowersOfTen[] = {1ULL,
                                          10ULL,
                                          100ULL,
                                          1000ULL,
                                          10000ULL,
                                          100000ULL,
                                          1000000ULL,
                                          10000000ULL,
                                          100000000ULL,
                                          1000000000ULL,
                                          10000000000ULL,
                                          100000000000ULL,
                                          1000000000000ULL,
                                          10000000000000ULL,
                                          100000000000000ULL,
                                          1000000000000000ULL,
                                          10000000000000000ULL,
                                          100000000000000000ULL};
constexpr int kMaxDecimals = 17;

// The digits of v * 10^decimals rounded half to even, as one integer, when
// it fits in 128 bits (every reading does: they stay below 1e21 and the
// mantissa times 10^17 times 2^17 is below 2^128). A double is m * 2^e
// exactly, so this is integer arithmetic with no rounding on the way.
std::optional<Wide> ScaledExactly(double magnitude, int decimals) {
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const auto biased = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    int e = -1074;
    if (biased != 0) {
        m |= std::uint64_t{1} << 52;
        e = biased - 1075;
    }
    const Wide product = static_cast<Wide>(m) * kPowersOfTen[decimals];
    if (e >= 0) {
        if (e > 17) return std::nullopt;
        return product << e;
    }
    const int shift = -e;
    if (shift >= 127) return Wide{0};  // below half a unit of the last place
    const Wide q = product >> shift;
    const Wide rest = product & ((Wide{1} << shift) - 1);
    const Wide half = Wide{1} << (shift - 1);
    return rest > half || (rest == half && (q & 1)) ? q + 1 : q;
}

// Writes the decimal digits of q, least significant first, into the end of
// [begin, end); returns where they start.
char* WriteDigitsBackwards(char* end, std::uint64_t q) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    while (q >= 10000) {
        const auto four = static_cast<std::size_t>(q % 10000);
        q /= 10000;
        const std::size_t low = (four % 100) * 2, high = (four / 100) * 2;
        end -= 4;
        end[0] = kPairs[high];
        end[1] = kPairs[high + 1];
        end[2] = kPairs[low];
        end[3] = kPairs[low + 1];
    }
    if (q >= 100) {
        const auto pair = static_cast<std::size_t>(q % 100) * 2;
        q /= 100;
        *--end = kPairs[pair + 1];
        *--end = kPairs[pair];
    }
    if (q >= 10) {
        const auto pair = static_cast<std::size_t>(q) * 2;
        *--end = kPairs[pair + 1];
        *--end = kPairs[pair];
    } else {
        *--end = static_cast<char>('0' + q);
    }
    return end;
}

char* WriteDigitsBackwards(char* end, Wide q) {
    constexpr std::uint64_t kChunk = 10000000000000000000ULL;  // 10^19
    while (q > std::numeric_limits<std::uint64_t>::max()) {
        char* start = WriteDigitsBackwards(end, static_cast<std::uint64_t>(q % kChunk));
        while (start > end - 19) *--start = '0';
        end = start;
        q /= kChunk;
    }
    return WriteDigitsBackwards(end, static_cast<std::uint64_t>(q));
}

// The text of FixedText in `buf`, which holds the longest (a double has at
// most 309 whole digits).
std::string_view WriteFixed(char (&buf)[400], double v, int decimals) {
    if (decimals < 0) decimals = 0;
    if (std::isfinite(v) && decimals <= kMaxDecimals) {
        if (const auto scaled = ScaledExactly(std::fabs(v), decimals)) {
            // All digits, then the point before the last `decimals` of them
            // (with zeros before them when there are fewer).
            // The copies move a fixed 40 bytes (at most 39 digits), which
            // the compiler does inline; both buffers have room to spare.
            constexpr std::size_t kMaxDigits = 40;
            char digits[2 * kMaxDigits];
            char* const digitsEnd = digits + kMaxDigits;
            const char* first = WriteDigitsBackwards(digitsEnd, *scaled);
            const auto count = static_cast<int>(digitsEnd - first);
            char* t = buf;
            if (std::signbit(v)) *t++ = '-';
            const int whole = count - decimals;
            if (whole <= 0) {
                *t++ = '0';
            } else {
                std::memcpy(t, first, kMaxDigits);
                t += whole;
            }
            if (decimals > 0) {
                *t++ = '.';
                for (int i = whole; i < 0; ++i) *t++ = '0';
                const int from = whole < 0 ? 0 : whole;
                std::memcpy(t, first + from, kMaxDigits);
                t += count - from;
            }
            return {buf, static_cast<std::size_t>(t - buf)};
        }
    }
    // Beyond that: the library's exact conversion, and printf's spelling of
    // infinity and NaN.
    if (!std::isfinite(v)) {
        const int n = std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
        return {buf, n > 0 ? static_cast<std::size_t>(n) : 0};
    }
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return {buf, r.ec == std::errc() ? static_cast<std::size_t>(r.ptr - buf) : 0};
}

}  // namespace

void AppendFixed(std::string& out, double v, int decimals) {
    char buf[400];
    out += WriteFixed(buf, v, decimals);
}

std::string FixedText(double v, int decimals) {
    char buf[400];
    return std::string(WriteFixed(buf, v, decimals));
}

double AsciiToDouble(std::string_view text) {
    return LeadingNumber(text).value_or(0.0);
}

std::optional<double> LeadingNumber(std::string_view text) {
    bool negative = false;
    const std::size_t start = SkipBlanksAndSign(text, negative);
    const ScannedNumber scanned = ScanNumber(text, start);
    if (scanned.digits == 0) return std::nullopt;
    bool overflow = false;
    const double value = NumberValue(text, scanned, start, overflow);
    if (value == 0.0) return 0.0;  // never "-0": it would show as "-0m"
    return negative ? -value : value;
}

std::optional<double> ParseWholeNumber(std::string_view text) {
    bool negative = false;
    const std::size_t start = SkipBlanksAndSign(text, negative);
    const ScannedNumber scanned = ScanNumber(text, start);
    if (scanned.digits == 0) return std::nullopt;
    std::size_t end = scanned.end;
    while (end < text.size() && IsBlank(text[end])) ++end;
    if (end != text.size()) return std::nullopt;
    bool overflow = false;
    const double value = NumberValue(text, scanned, start, overflow);
    if (overflow) return std::nullopt;
    if (value == 0.0) return 0.0;
    return negative ? -value : value;
}

int LeadingInteger(std::string_view text) {
    bool negative = false;
    std::size_t i = SkipBlanksAndSign(text, negative);
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (text[i] - '0');
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace qm
