#include "records/RecordValueText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "records/RecordStore.h"

namespace qm {

namespace {

constexpr std::size_t kStatisticWidth = 15;

// The largest double has 309 whole digits; 400 leaves room for the sign,
// the point and any precision used here.
constexpr std::size_t kFixedBuffer = 400;

}  // namespace

void AppendFixed(std::string& out, double v, int decimals) {
    char buf[kFixedBuffer];
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
