#include "records/RecordValueText.h"

#include <cmath>
#include <cstdio>

#include "records/RecordStore.h"

namespace qm {

namespace {

constexpr std::size_t kStatisticWidth = 15;

}  // namespace

std::string GridValueText(double v) {
    if (v > kRecordViewOverloadLimit) return "OVLD";
    return FixedText(v, v > 100000.0 ? 7 : 12);
}

std::string GridSecondValueText(double v) {
    if (v > kRecordViewOverloadLimit) return "OVLD";
    if (v == kRecordNoSecondValue) return std::string();
    return GridValueText(v);
}

std::string SearchSecondValueText(double v) {
    if (v > kSearchSecondValueLimit) return std::string();
    return GridValueText(v);
}

std::string StatisticText(double v) {
    if (v > kRecordViewOverloadLimit) return "OVLD";
    std::string text = FixedText(v, 12);
    const auto point = text.find('.');
    if (point != std::string::npos && point <= kStatisticWidth) return text.substr(0, kStatisticWidth);
    // The whole part alone is wider than the field: keep the magnitude.
    char buf[64];
    for (int precision = 9; precision >= 0; --precision) {
        std::snprintf(buf, sizeof buf, "%.*E", precision, v);
        if (std::string_view(buf).size() <= kStatisticWidth) break;
    }
    return buf;
}

std::string SearchStatisticText(double v) {
    if (v > kRecordViewOverloadLimit) return "OVLD";
    return FixedText(v, 15);
}

std::string ChartReadoutText(double v) {
    if (v == kRecordOverload) return "OVLD";
    if (v == kRecordNoSecondValue) return "NULL";
    return FixedText(v, 15);
}

}  // namespace qm
