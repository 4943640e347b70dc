#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "config/NumberText.h"

namespace qm {
namespace {

TEST(AsciiToDouble, ReadsTheLeadingNumberOfAnAnswer) {
    struct Case {
        std::string text;
        double expected;
    } cases[] = {
        {"1000", 1000},  {"+1.000000E+03", 1000},
        {"1E3\n", 1000}, {"  -2.5e-1 V", -0.25},
        {".5", 0.5},     {"5.", 5},
        {"1e", 1},       {"1e+", 1},
        {"1E-8", 1e-8},  {"+9.9E37", 9.9e37},
        {"10 VDC", 10},  {"0x10", 0},
        {"abc", 0},      {"", 0},
        {"-", 0},        {".", 0},
        {"inf", 0},      {"nan", 0},
        {"\"0.1\"", 0},  {"1,2", 1},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(AsciiToDouble(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(AsciiToDouble, StaysFiniteAndNeverNegativeZero) {
    EXPECT_EQ(AsciiToDouble("1e400"), DBL_MAX);
    EXPECT_EQ(AsciiToDouble("-1e999999999999999999"), -DBL_MAX);
    EXPECT_EQ(AsciiToDouble(std::string(400, '9')), DBL_MAX);
    EXPECT_EQ(AsciiToDouble("1e-400"), 0.0);
    EXPECT_EQ(AsciiToDouble("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_FALSE(std::signbit(AsciiToDouble("-0")));
    EXPECT_FALSE(std::signbit(AsciiToDouble("-1e-400")));
}

TEST(AsciiToDouble, ReadsOnlyTheGivenCharacters) {
    const char text[] = "12345";
    EXPECT_EQ(AsciiToDouble(std::string_view(text, 2)), 12);
    EXPECT_EQ(AsciiToDouble(std::string_view("2.5e3", 4)), 2.5);  // "2.5e" without its digits
}

TEST(AsciiToDouble, IgnoresADecimalCommaLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE locale";
    EXPECT_EQ(AsciiToDouble("0.01"), 0.01);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(LeadingInteger, ReadsTheLeadingDigitsAndSaturates) {
    EXPECT_EQ(LeadingInteger("25ms"), 25);
    EXPECT_EQ(LeadingInteger("2000 readings"), 2000);
    EXPECT_EQ(LeadingInteger(" -7x"), -7);
    EXPECT_EQ(LeadingInteger("ms"), 0);
    EXPECT_EQ(LeadingInteger(""), 0);
    EXPECT_EQ(LeadingInteger("99999999999999999999"), INT_MAX);
    EXPECT_EQ(LeadingInteger("-99999999999999999999"), INT_MIN);
}

TEST(ParseWholeNumber, TakesOneNumberAndNothingElse) {
    EXPECT_EQ(ParseWholeNumber(" -1e-3 "), -0.001);
    EXPECT_EQ(ParseWholeNumber("+5"), 5.0);
    EXPECT_EQ(ParseWholeNumber(".5"), 0.5);
    EXPECT_EQ(ParseWholeNumber("-0"), 0.0);
    for (const char* bad : {"", " ", "-", ".", "1e", "1e5x", "0x10", "1 2", "1.2.3", "1e400"})
        EXPECT_FALSE(ParseWholeNumber(bad).has_value()) << bad;
    EXPECT_EQ(ParseWholeNumber("1e-400"), 0.0);  // too small to hold is zero, as for answers
}

// A number read back is the double strtod makes of the same text, whatever
// its spelling: the fast exact path and the library's agree to the last bit.
TEST(LeadingNumber, ReadsWhatStrtodReads) {
    std::mt19937_64 rng(11);
    for (int i = 0; i < 200000; ++i) {
        std::uint64_t bits = (rng() & ~(0x7ffULL << 52)) | ((800 + rng() % 440) << 52);
        double v = 0;
        std::memcpy(&v, &bits, sizeof v);
        char text[64];
        const int digits = static_cast<int>(rng() % 20);
        std::snprintf(text, sizeof text, i % 2 ? "%+.*E" : "%.*f", digits, v);
        ASSERT_EQ(LeadingNumber(text), std::strtod(text, nullptr)) << text;
    }
    for (const char* text :
         {"9007199254740993", "0.1", "1e22", "1e23", "123456789012345678901",
          "0.000000000000000000000000001", "4.9e-324", "2.2250738585072011e-308"})
        EXPECT_EQ(LeadingNumber(text), std::strtod(text, nullptr)) << text;
}

// Fixed-point text is printf's, digit for digit, for any double: random bit
// patterns cover every magnitude (subnormals, the 128-bit limit and beyond),
// and exact halves check the rounding.
TEST(FixedText, WritesWhatPrintfWrites) {
    const auto printf = [](double v, int decimals) {
        char buf[512];
        std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
        return std::string(buf);
    };
    std::mt19937_64 rng(7);
    for (int i = 0; i < 200000; ++i) {
        std::uint64_t bits = rng();
        // Most draws near the readings' own range, the rest anywhere.
        if (i % 4 != 0) bits = (bits & ~(0x7ffULL << 52)) | ((900 + rng() % 240) << 52);
        double v = 0;
        std::memcpy(&v, &bits, sizeof v);
        const int decimals = static_cast<int>(rng() % 18);
        ASSERT_EQ(FixedText(v, decimals), printf(v, decimals)) << bits << " " << decimals;
    }
    for (double v : std::initializer_list<double>{0.0, -0.0, 0.5, 1.5, 2.5, -2.5, 0x1p-13, 5e-13,
                                                  0.125, 1e21, 9.9e37, DBL_MAX, DBL_MIN, 4.9e-324,
                                                  INFINITY, -INFINITY, NAN})
        for (int decimals : {0, 1, 2, 12, 15, 17})
            EXPECT_EQ(FixedText(v, decimals), printf(v, decimals)) << v << " " << decimals;
    std::string out = "x=";
    AppendFixed(out, -1.25, 1);
    EXPECT_EQ(out, "x=-1.2");
}

}  // namespace
}  // namespace qm
