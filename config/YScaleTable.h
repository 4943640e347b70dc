#pragma once
// The Y-scale and gain table shared by the live chart and the record chart:
// 48 values of one chart division from "100M" down to "1 n" in 1-2-5 steps,
// each with its gain (1 / value) that turns a reading into divisions.
#include <array>
#include <string_view>

namespace qm {

struct YScaleEntry {
    std::string_view label;  // the text shown in the Y-scale edit
    double factor;           // 1 / (value of one division)
};

inline constexpr int kYScaleCount = 48;
// "1": the scale of every chart line after start-up.
inline constexpr int kYScaleDefaultIndex = 20;
// The Up and Dn buttons move between "100M" (0) and "200 n" (40); the finer
// entries exist for the record chart.
inline constexpr int kYScaleButtonFirst = 0;
inline constexpr int kYScaleButtonLast = 40;

// The table, built on first use and never changed afterwards.
const std::array<YScaleEntry, kYScaleCount>& YScaleTable();

// Value of one division for a scale label: "m" stands for E-3, " u" for E-6,
// " n" for E-9 and "M" for six zeros; the rest is read as a leading number
// (0 when the text holds none).
double YScaleLabelValue(std::string_view label);

}  // namespace qm
