#include <gtest/gtest.h>

#include "config/YScaleTable.h"

namespace qm {
namespace {

TEST(YScaleTable, LabelsAndGainsRunFrom100MegaTo1Nano) {
    const auto& t = YScaleTable();
    ASSERT_EQ(t.size(), 48u);
    EXPECT_EQ(t[0].label, "100M");
    EXPECT_EQ(t[kYScaleDefaultIndex].label, "1");
    EXPECT_EQ(t[kYScaleButtonLast].label, "200 n");
    EXPECT_EQ(t[47].label, "1 n");
    EXPECT_DOUBLE_EQ(t[0].factor, 1e-8);
    EXPECT_DOUBLE_EQ(t[kYScaleDefaultIndex].factor, 1.0);
    EXPECT_DOUBLE_EQ(t[kYScaleButtonLast].factor, 5e6);
    EXPECT_DOUBLE_EQ(t[47].factor, 1e9);
    // 1-2-5 steps all the way: each gain is 2 or 2.5 times the one before.
    for (int i = 1; i < kYScaleCount; ++i) {
        const double ratio = t[i].factor / t[i - 1].factor;
        EXPECT_TRUE(std::abs(ratio - 2.0) < 1e-9 || std::abs(ratio - 2.5) < 1e-9 ||
                    (i <= 2 && std::abs(ratio - 10.0) < 1e-9))
            << "at " << t[i].label;
    }
}

TEST(YScaleTable, LabelValueExpandsOneSuffixThenReadsTheLeadingNumber) {
    EXPECT_DOUBLE_EQ(YScaleLabelValue("100M"), 1e8);
    EXPECT_DOUBLE_EQ(YScaleLabelValue("500m"), 0.5);
    EXPECT_DOUBLE_EQ(YScaleLabelValue("20 u"), 2e-5);
    EXPECT_DOUBLE_EQ(YScaleLabelValue("5 n"), 5e-9);
    EXPECT_DOUBLE_EQ(YScaleLabelValue("200000"), 2e5);
    // Text a user could leave in the edit: never a crash, 0 without a number.
    EXPECT_EQ(YScaleLabelValue(""), 0.0);
    EXPECT_EQ(YScaleLabelValue("abc"), 0.0);
}

}  // namespace
}  // namespace qm
