#include "config/YScaleTable.h"

#include <string>

#include "config/NumberText.h"

namespace qm {

namespace {

constexpr std::array<std::string_view, kYScaleCount> kLabels = {
    "100M",  "10M",   "1M",    "500000", "200000", "100000", "50000", "20000", "10000", "5000",
    "2000",  "1000",  "500",   "200",    "100",    "50",     "20",    "10",    "5",     "2",
    "1",     "500m",  "200m",  "100m",   "50m",    "20m",    "10m",   "5m",    "2m",    "1m",
    "500 u", "200 u", "100 u", "50 u",   "20 u",   "10 u",   "5 u",   "2 u",   "1 u",   "500 n",
    "200 n", "100 n", "50 n",  "20 n",   "10 n",   "5 n",    "2 n",   "1 n"};

// Replaces every occurrence of `from`; true when there was one.
bool ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    bool found = false;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
        found = true;
    }
    return found;
}

std::array<YScaleEntry, kYScaleCount> BuildTable() {
    std::array<YScaleEntry, kYScaleCount> table{};
    for (int i = 0; i < kYScaleCount; ++i) {
        table[i].label = kLabels[i];
        table[i].factor = 1.0 / YScaleLabelValue(kLabels[i]);
    }
    return table;
}

}  // namespace

const std::array<YScaleEntry, kYScaleCount>& YScaleTable() {
    static const std::array<YScaleEntry, kYScaleCount> table = BuildTable();
    return table;
}

double YScaleLabelValue(std::string_view label) {
    std::string text(label);
    // Only the first kind of suffix found is expanded, as the labels carry one.
    if (!ReplaceAll(text, "m", "E-3") && !ReplaceAll(text, " u", "E-6") &&
        !ReplaceAll(text, " n", "E-9")) {
        ReplaceAll(text, "M", "000000");
    }
    return AsciiToDouble(text);
}

}  // namespace qm
