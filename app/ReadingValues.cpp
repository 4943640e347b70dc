#include "app/ReadingValues.h"

#include <charconv>
#include <cstdlib>

#include "config/NumberText.h"

namespace qm {

namespace {

bool FunctionIs(std::string_view slotFunction, std::string_view keyword) {
    const auto pos = slotFunction.find(keyword);
    return pos != std::string_view::npos && pos >= 1;
}

// printf's fixed notation ("%.12f", "%.15f") with the same digits and
// rounding, without printf's arbitrary-precision path: formatting is most of
// a tick's cost. A double in fixed notation takes at most 309 digits before
// the point.
std::string Format(int decimals, double v) {
    char buf[512];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return std::string(buf, r.ec == std::errc() ? r.ptr : buf);
}

}  // namespace

ParsedAnswer ParseReadingAnswer(std::string_view identity, std::string_view answer) {
    ParsedAnswer p;
    const auto text = answer.find_first_not_of(" \t\r\n");
    answer = text == std::string_view::npos ? std::string_view() : answer.substr(text);
    answer = answer.substr(0, answer.find_first_of("\r\n"));
    const bool dualModel = identity.find("TX41") != std::string_view::npos ||
                           identity.find("TX42") != std::string_view::npos;
    const auto comma = answer.find(',');
    if (dualModel && comma != std::string_view::npos) {
        const auto main = LeadingNumber(answer.substr(0, comma));
        const auto second = LeadingNumber(answer.substr(comma + 1));
        p.main = main.value_or(0.0);
        p.second = second.value_or(kNoSecondValue);
        p.hasSecond = true;
        p.isReading = main && second;
    } else {
        const auto main = LeadingNumber(answer);
        p.main = main.value_or(0.0);
        p.isReading = main.has_value();
    }
    return p;
}

ClassifiedValue ClassifyReading(double v, std::string_view slotFunction) {
    ClassifiedValue c;
    const bool diode = FunctionIs(slotFunction, "DIOD");
    if (v >= 0 && v < kOverloadLimit) {
        if (v == 0) v = kZeroMarker;
        c.text = Format(12, v);
        c.value = v;
        c.chartable = true;
        if (diode) {
            // A diode reading above 1.2 V is an open junction.
            const double shown = AsciiToDouble(c.text);
            if (shown > 1.2) c.text = "OPEN";
            c.chartable = shown < 1.2;
        }
    } else if (v < 0 && v > -kOverloadLimit) {
        c.text = Format(15, v);
        c.value = v;
        c.chartable = true;
    } else {
        c.text = (diode || FunctionIs(slotFunction, "CONT")) ? "OPEN" : "OVLD";
        c.value = v;
        c.chartable = false;
    }
    return c;
}

std::string FormatSecondField(double v) {
    if (v > kOverloadLimit) return "OVLD";
    return Format(12, v);
}

}  // namespace qm
