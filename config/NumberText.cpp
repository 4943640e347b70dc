#include "config/NumberText.h"

#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
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

// End of the number that starts at `start` (after blanks and sign): digits
// with an optional point, and an exponent only when it has digits ("1e" is
// 1). `digits` counts the mantissa digits; 0 means there is no number.
std::size_t NumberEnd(std::string_view text, std::size_t start, std::size_t& digits) {
    std::size_t i = start;
    digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return start;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) ++j;
            i = j;
        }
    }
    return i;
}

// The value of a well-formed unsigned number text when it can be had with
// one correctly rounded operation: at most 19 significant digits forming an
// integer below 2^53, scaled by a power of ten up to 10^22 (every such power
// is exact in a double). Instrument answers ("+1.23456789E+00") are.
std::optional<double> ExactlyScaledValue(std::string_view number) {
    static constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::uint64_t mantissa = 0;
    int significant = 0;
    int scale = 0;  // powers of ten to apply to the mantissa
    std::size_t i = 0;
    // False when the digits are too many for the mantissa.
    const auto take = [&](char c, bool afterPoint) {
        if (mantissa == 0 && c == '0') {  // a leading zero only places the point
            if (afterPoint) --scale;
            return true;
        }
        if (++significant > 19) return false;
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
        if (afterPoint) --scale;
        return true;
    };
    for (; i < number.size() && IsDigit(number[i]); ++i)
        if (!take(number[i], false)) return std::nullopt;
    if (i < number.size() && number[i] == '.')
        for (++i; i < number.size() && IsDigit(number[i]); ++i)
            if (!take(number[i], true)) return std::nullopt;
    if (mantissa > (std::uint64_t{1} << 53)) return std::nullopt;
    if (i < number.size()) {  // the exponent, which NumberEnd found well formed
        ++i;
        bool negative = false;
        if (number[i] == '+' || number[i] == '-') negative = number[i++] == '-';
        int exponent = 0;
        for (; i < number.size(); ++i) {
            if (exponent > 1000) return std::nullopt;
            exponent = exponent * 10 + (number[i] - '0');
        }
        scale += negative ? -exponent : exponent;
    }
    const auto m = static_cast<double>(mantissa);
    if (mantissa == 0) return 0.0;
    if (scale >= 0 && scale <= 22) return m * kExactPowers[scale];
    if (scale < 0 && scale >= -22) return m / kExactPowers[-scale];
    return std::nullopt;
}

// The value of a well-formed unsigned number text; `overflow` tells a value
// too large for a double (which is then the largest double).
double NumberValue(std::string_view number, bool& overflow) {
    overflow = false;
    if (const auto exact = ExactlyScaledValue(number)) return *exact;
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
    while (q >= 100) {
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

}  // namespace

void AppendFixed(std::string& out, double v, int decimals) {
    if (decimals < 0) decimals = 0;
    if (std::isfinite(v) && decimals <= kMaxDecimals) {
        if (const auto scaled = ScaledExactly(std::fabs(v), decimals)) {
            // All digits, then the point before the last `decimals` of them
            // (with zeros before them when there are fewer).
            char digits[48];
            char* const digitsEnd = digits + sizeof digits;
            const char* first = WriteDigitsBackwards(digitsEnd, *scaled);
            const auto count = static_cast<int>(digitsEnd - first);
            char text[64];
            char* t = text;
            if (std::signbit(v)) *t++ = '-';
            const int whole = count - decimals;
            if (whole <= 0) *t++ = '0';
            for (int i = 0; i < whole; ++i) *t++ = first[i];
            if (decimals > 0) {
                *t++ = '.';
                for (int i = whole; i < 0; ++i) *t++ = '0';
                for (int i = whole < 0 ? 0 : whole; i < count; ++i) *t++ = first[i];
            }
            out.append(text, t);
            return;
        }
    }
    // Beyond that: the library's exact conversion (a double has at most 309
    // whole digits), and printf's spelling of infinity and NaN.
    char buf[400];
    if (!std::isfinite(v)) {
        std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
        out += buf;
        return;
    }
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    out.append(buf, r.ec == std::errc() ? r.ptr : buf);
}

std::string FixedText(double v, int decimals) {
    std::string text;
    AppendFixed(text, v, decimals);
    return text;
}

double AsciiToDouble(std::string_view text) {
    return LeadingNumber(text).value_or(0.0);
}

std::optional<double> LeadingNumber(std::string_view text) {
    bool negative = false;
    const std::size_t start = SkipBlanksAndSign(text, negative);
    std::size_t digits = 0;
    const std::size_t end = NumberEnd(text, start, digits);
    if (digits == 0) return std::nullopt;
    bool overflow = false;
    const double value = NumberValue(text.substr(start, end - start), overflow);
    if (value == 0.0) return 0.0;  // never "-0": it would show as "-0m"
    return negative ? -value : value;
}

std::optional<double> ParseWholeNumber(std::string_view text) {
    bool negative = false;
    const std::size_t start = SkipBlanksAndSign(text, negative);
    std::size_t digits = 0;
    std::size_t end = NumberEnd(text, start, digits);
    if (digits == 0) return std::nullopt;
    const std::string_view number = text.substr(start, end - start);
    while (end < text.size() && IsBlank(text[end])) ++end;
    if (end != text.size()) return std::nullopt;
    bool overflow = false;
    const double value = NumberValue(number, overflow);
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
