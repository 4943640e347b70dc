#include "config/FunctionDisplay.h"

#include <cstdio>
#include <initializer_list>

#include "config/NumberText.h"

namespace qm {

namespace {

// printf of one number with one of this file's fixed formats. The result
// can be long (a huge range answer gives hundreds of digits), so the buffer
// is sized by a first pass.
__attribute__((format(printf, 1, 0))) std::string FormatNumber(const char* format, double value) {
    const int length = std::snprintf(nullptr, 0, format, value);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, value);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

bool ContainsAny(std::string_view text, std::initializer_list<std::string_view> parts) {
    for (std::string_view part : parts) {
        if (Contains(text, part)) return true;
    }
    return false;
}

constexpr std::string_view kAutoRangeLine = "Range : AUTO";

}  // namespace

std::string RangeValueText(double value) {
    if (value < 1) return FormatNumber("%.0fm", value * 1000);
    if (value >= 1000000) return FormatNumber("%.0fM", value / 1000000);
    if (value >= 1000) return FormatNumber("%.0fK", value / 1000);
    return FormatNumber("%.0f", value);
}

std::string CapacitanceValueText(double value) {
    if (value <= 1e-7) return FormatNumber("%.0f n", value * 1e9);
    if (value <= 1e-4) return FormatNumber("%.0f u", value * 1e6);
    if (value <= 0.01) return FormatNumber("%.0f m", value * 1000);
    return FormatNumber("%.0f", value);
}

std::string NumericRangeLine(int row, std::string_view function, double value, bool autoRangeFlag) {
    if (autoRangeFlag) return std::string(kAutoRangeLine);
    const std::string valueText = RangeValueText(value);
    if (valueText == "1K" &&
        (function == "FREQ:VOLT" || function == "PER:VOLT" || function == "VOLT:AC")) {
        return "Range : 750 VAC";
    }
    std::string_view unit;
    if (row >= 0 && row < kFunctionRowCount) unit = g_functionTable[row].rangeUnit;
    return "Range : " + valueText + "  " + std::string(unit);
}

std::string CapacitanceRangeLine(double value, bool autoRangeFlag) {
    if (autoRangeFlag) return std::string(kAutoRangeLine);
    return "Range : " + CapacitanceValueText(value) + "F";
}

std::optional<FunctionDisplayTexts> ComputeFunctionDisplay(const QueryFn& query,
                                                           std::string_view identity,
                                                           bool autoRangeFlag) {
    const std::string answer = query("func?\n");
    if (answer.empty()) return std::nullopt;
    std::string f = NormaliseFunctionAnswer(answer);
    // An answer that names no function of the table changes nothing; it is
    // not worth asking the instrument anything more about it.
    const std::optional<int> found = FunctionRowFromAnswer(f);
    if (!found) return std::nullopt;

    std::string autoAnswer;
    if (Contains(f, "VOLT:RAT")) {
        autoAnswer = query("VOLT:DC:RANG:AUTO?\n");
    } else if (ContainsAny(f, {"CURR", "VOLT", "FRES", "RES", "PER", "FREQ", "CAP"})) {
        autoAnswer = query(f + ":RANGe:AUTO?\n");
    } else if (!ContainsAny(f, {"CONT", "DIOD", "TEMP", "TCO"})) {
        return std::nullopt;
    }
    const bool autoOn = Contains(autoAnswer, "1");

    FunctionDisplayTexts texts;
    texts.row = *found;
    texts.secondFunctionNone = Contains(identity, "TX41");
    texts.functionText = "Function : " + std::string(g_functionTable[*found].label);

    int row = *found;
    if (row == kRowDcRatio) {  // the ratio's range is that of DC voltage, in VDC
        row = kRowDcVoltage;
        f = "VOLT:DC";
    }
    if (row >= kRowDcVoltage && row <= kRowPeriod) {
        const double value = AsciiToDouble(query(f + ":range?\n"));
        texts.rangeText = NumericRangeLine(row, f, value, autoRangeFlag);
    } else if (row == kRowTemperature) {
        texts.rangeText = "Type : " + query("SENS:TEMP:RTD:TYPE?\n");
    } else if (row == kRowThermocouple) {
        texts.rangeText = "Type : " + query("SENS:TCO:TYPE?\n");
    } else if (row == kRowCapacitance) {
        const double value = AsciiToDouble(query("sens:cap:rang?\n"));
        texts.rangeText = CapacitanceRangeLine(value, autoRangeFlag);
    }
    // Continuity and diode have no range line. The instrument's own auto
    // state wins over the program's flag (the front panel may have set it).
    if (autoOn) texts.rangeText = std::string(kAutoRangeLine);
    return texts;
}

}  // namespace qm
