#include "app/ReadingValues.h"

#include <algorithm>
#include <cstdlib>

#include "config/NumberText.h"

namespace qm {

namespace {

bool FunctionIs(std::string_view slotFunction, std::string_view keyword) {
    const auto pos = slotFunction.find(keyword);
    return pos != std::string_view::npos && pos >= 1;
}

}  // namespace

bool DualAnswerModel(std::string_view identity) {
    return identity.find("TX41") != std::string_view::npos ||
           identity.find("TX42") != std::string_view::npos;
}

ParsedAnswer ParseReadingAnswer(std::string_view identity, std::string_view answer) {
    return ParseReadingAnswer(DualAnswerModel(identity), answer);
}

ParsedAnswer ParseReadingAnswer(bool dualModel, std::string_view answer) {
    ParsedAnswer p;
    // No set searches: the library's call memchr once per character, which
    // was a fifth of a tick.
    std::size_t from = 0;
    while (from < answer.size() && (answer[from] == ' ' || answer[from] == '\t' ||
                                    answer[from] == '\r' || answer[from] == '\n'))
        ++from;
    answer.remove_prefix(from);
    answer = answer.substr(0, std::min(answer.find('\n'), answer.find('\r')));
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
        c.text = FixedText(v, 12);
        c.value = v;
        c.chartable = true;
        if (diode) {
            // A diode reading above 1.2 V is an open junction.
            const double shown = AsciiToDouble(c.text);
            if (shown > 1.2) c.text = "OPEN";
            c.chartable = shown < 1.2;
        }
    } else if (v < 0 && v > -kOverloadLimit) {
        c.text = FixedText(v, 15);
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
    return FixedText(v, 12);
}

}  // namespace qm
