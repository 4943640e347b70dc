#include "config/DeviceSettingsReadBack.h"

#include "config/NumberText.h"

namespace qm {

namespace {

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

std::string Keyword(int row) {
    return std::string(g_functionTable[static_cast<std::size_t>(row)].keyword);
}

// The unit letter of an answer ("C", "F", "K"): entry 0, 1 or 2.
std::optional<int> MatchUnitAnswer(std::string_view answer) {
    const std::string unit = CleanTextAnswer(answer);
    if (unit.empty()) return std::nullopt;
    for (std::size_t i = 0; i < g_temperatureUnitChoices.size(); ++i) {
        if (g_temperatureUnitChoices[i].valueText[0] == unit[0]) return static_cast<int>(i);
    }
    return std::nullopt;
}

std::optional<int> MatchLabelAnswer(std::span<const RangeChoice> entries, std::string_view answer) {
    const std::string text = CleanTextAnswer(answer);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].label == text) return static_cast<int>(i);
    }
    return std::nullopt;
}

void ReadColumn(PageChannel& channel, SettingsModel model, int row, PrimaryReadBack& rb) {
    const ColumnKind kind = ColumnKindFor(row);
    std::optional<std::string> answer;
    switch (kind) {
        case ColumnKind::Resolution:
            answer = channel.Ask(row == kRowDcRatio ? "SENS:VOLT:DC:RAT:NPLC?\n"
                                                    : "SENS:" + Keyword(row) + ":NPLC?\n");
            break;
        case ColumnKind::Unit:
            // The single-function model knows the unit command without SENS.
            answer = channel.Ask(model == SettingsModel::Single ? "UNIT?\n" : "SENS:UNIT?\n");
            if (answer) rb.columnIndex = MatchUnitAnswer(*answer);
            return;
        case ColumnKind::Aperture:
            answer = channel.Ask(row == kRowFrequency ? "SENS:FREQ:APER?\n" : "SENS:PER:APER?\n");
            break;
        case ColumnKind::Bandwidth:
            answer = channel.Ask("SENS:DET:BAND?\n");
            break;
        case ColumnKind::None:
            return;
    }
    if (answer) rb.columnIndex = MatchChoiceAnswer(ColumnEntriesFor(kind, model), *answer);
}

// "<query base>:auto?" answering 1 selects AUTO, else the range query's
// value selects its entry.
void ReadRange(PageChannel& channel, std::span<const RangeChoice> entries,
               const std::string& autoQuery, const std::string& rangeQuery,
               PrimaryReadBack& rb) {
    const std::optional<std::string> autoAnswer = channel.Ask(autoQuery);
    if (!autoAnswer) return;
    if (Contains(*autoAnswer, "1")) {
        rb.rangeIndex = 0;
        return;
    }
    const std::optional<std::string> range = channel.Ask(rangeQuery);
    if (range) rb.rangeIndex = MatchRangeAnswer(entries, *range);
}

}  // namespace

std::optional<int> MatchRangeAnswer(std::span<const RangeChoice> entries, std::string_view answer) {
    const double value = AsciiToDouble(answer);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!IsAutoEntry(entries[i]) && SameRange(value, entries[i].value))
            return static_cast<int>(i);
    }
    return std::nullopt;
}

std::optional<int> MatchChoiceAnswer(std::span<const ChoiceEntry> entries, std::string_view answer) {
    const double value = AsciiToDouble(answer);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (SameNumber(value, entries[i].value)) return static_cast<int>(i);
    }
    return std::nullopt;
}

CoefficientTexts ReadCoefficients(PageChannel& channel, std::string_view sensor) {
    CoefficientTexts texts;
    for (const SensorCoefficient& c : SensorCoefficients(sensor)) {
        const std::optional<std::string> answer = channel.Ask(std::string(c.query));
        if (!answer) break;
        texts[static_cast<std::size_t>(c.position)] = FormatCoefficient(AsciiToDouble(*answer));
    }
    return texts;
}

PrimaryReadBack ReadInstrumentSettings(PageChannel& channel, SettingsModel model, int currentRow,
                                       bool extendedCapRange) {
    PrimaryReadBack rb;
    const int offered = OfferedFunctionCount(model);
    const std::optional<std::string> function = channel.Ask("func?\n");
    if (!function) return rb;
    const std::string keyword = PageFunctionKeyword(*function);
    for (int row = 0; row < offered; ++row) {
        if (g_functionTable[static_cast<std::size_t>(row)].keyword == keyword) {
            rb.row = row;
            break;
        }
    }
    const int row = rb.row.value_or(currentRow);
    if (row < 0 || row >= offered) return rb;

    ReadColumn(channel, model, row, rb);

    // Only the dual-function model has capacitance; asking the other would
    // cost a timeout for an answer that changes nothing.
    if (model == SettingsModel::Dual) {
        const std::optional<std::string> capMax = channel.Ask("SENS:CAP:rang? MAX\n");
        if (capMax) rb.extendedCapRange = SameNumber(AsciiToDouble(*capMax), 0.01);
    }
    const std::span<const RangeChoice> entries =
        RangeEntriesFor(row, model, rb.extendedCapRange.value_or(extendedCapRange));

    switch (row) {
        case kRowTemperature: {
            const std::optional<std::string> transducer =
                channel.Ask("SENS:TEMPerature:TRANsducer?\n");
            if (!transducer) return rb;
            rb.transducer = Contains(*transducer, "FRTD") ? 1 : 0;
            const std::optional<std::string> sensor = channel.Ask("SENS:TEMP:RTD:TYPE?\n");
            if (!sensor) return rb;
            rb.rangeIndex = MatchLabelAnswer(entries, *sensor);
            if (rb.rangeIndex) {
                rb.coefficients = ReadCoefficients(
                    channel, entries[static_cast<std::size_t>(*rb.rangeIndex)].label);
            }
            return rb;
        }
        case kRowThermocouple: {
            const std::optional<std::string> type = channel.Ask("SENS:TCO:TYPE?\n");
            if (type) rb.rangeIndex = MatchLabelAnswer(entries, *type);
            return rb;
        }
        case kRowContinuity:
        case kRowDiode:
            // Their only entry is AUTO: nothing to ask.
            rb.rangeIndex = 0;
            return rb;
        case kRowFrequency:
        case kRowPeriod: {
            const std::string base = "SENS:" + Keyword(row) + ":volt:rang";
            ReadRange(channel, entries, base + ":auto?\n", base + "?\n", rb);
            return rb;
        }
        case kRowDcRatio:
            ReadRange(channel, entries, "SENS:VOLT:DC:RAT:RANGE:AUTO?\n",
                      "SENS:VOLT:DC:RAT:RANGE?\n", rb);
            return rb;
        default:
            ReadRange(channel, entries, Keyword(row) + ":range:auto?\n",
                      Keyword(row) + ":range?\n", rb);
            return rb;
    }
}

}  // namespace qm
