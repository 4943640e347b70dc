// The value fields show exactly what "%.12f" and "%.15f" print, digit for
// digit and rounded the same way, over every magnitude a reading can have.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "app/ReadingValues.h"

namespace qm {
namespace {

std::string Printf(const char* format, double v) {
    char buf[512];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

TEST(ReadingValueText, FieldsPrintAsPrintfDoes) {
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 19);
    for (int i = 0; i < 20000; ++i) {
        const double v = mantissa(rng) * std::pow(10.0, exponent(rng));
        ASSERT_EQ(ClassifyReading(v, "").text, Printf("%.12f", v)) << v;
        ASSERT_EQ(ClassifyReading(-v, "").text, Printf("%.15f", -v)) << v;
        ASSERT_EQ(FormatSecondField(v), Printf("%.12f", v)) << v;
    }
    // Halfway cases round as printf does; the widest readings keep every digit.
    for (double v : {5e-13, 1.5e-12, 1.0000000000005, 123.4567890123455, 9.899999999999999e20}) {
        EXPECT_EQ(ClassifyReading(v, "").text, Printf("%.12f", v)) << v;
        EXPECT_EQ(ClassifyReading(-v, "").text, Printf("%.15f", -v)) << v;
    }
    EXPECT_EQ(ClassifyReading(-9.899999999999999e20, "").text.size(), 38u);
    EXPECT_EQ(FormatSecondField(-9.9e37), Printf("%.12f", -9.9e37));
}

}  // namespace
}  // namespace qm
