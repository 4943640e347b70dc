#include "config/NumberText.h"

#include <charconv>
#include <climits>
#include <cstddef>
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

// The value of a well-formed unsigned number text; `overflow` tells a value
// too large for a double (which is then the largest double).
double NumberValue(std::string_view number, bool& overflow) {
    overflow = false;
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

}  // namespace

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
