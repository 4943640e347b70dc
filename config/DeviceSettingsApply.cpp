#include "config/DeviceSettingsApply.h"

#include <cstdio>

#include "config/NumberText.h"

namespace qm {

namespace {

using namespace apply_messages;

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

std::string Format(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// One run of the sequence. Each step returns false when the sequence ends
// there, after its message was shown.
class ApplyRun {
  public:
    ApplyRun(PageChannel& channel, const ApplyRequest& request, Prompter& prompter,
             const TextSource& texts)
        : m_ch(channel), m_rq(request), m_prompter(prompter), m_texts(texts) {}

    bool CheckChoices();
    bool SecondFunctionCurrent(ApplyOutcome& outcome);
    bool ConfirmFunction();
    bool Temperature();
    bool Thermocouple();
    bool Unit();
    bool NumericRange();
    bool InputRangeAndAperture();
    bool Resolution();

    int range() const { return m_range; }
    void Stop(std::string_view message) { m_prompter.warn(std::string(message)); }
    // The meter stopped part way: say so once.
    bool Lost() {
        Stop(kNoAnswer);
        return false;
    }

  private:
    const RangeChoice& RangeEntry() const {
        return m_entries[static_cast<std::size_t>(m_range)];
    }
    const ChoiceEntry& ColumnEntry() const {
        return m_column[static_cast<std::size_t>(m_rq.columnIndex)];
    }
    std::string PageKeyword() const {
        return std::string(g_settingsFunctionNames[static_cast<std::size_t>(m_rq.row)].pageKeyword);
    }
    // A query whose answer must pass `check`; the message when it does not.
    bool Verify(const std::string& query, bool (*check)(std::string_view, std::string_view),
                std::string_view expected, std::string_view message) {
        const std::optional<std::string> answer = m_ch.Ask(query);
        if (!answer) return Lost();
        if (check(*answer, expected)) return true;
        Stop(message);
        return false;
    }
    bool Send(const std::string& command) { return m_ch.Send(command) || Lost(); }

    PageChannel& m_ch;
    const ApplyRequest& m_rq;
    Prompter& m_prompter;
    const TextSource& m_texts;
    std::span<const RangeChoice> m_entries;
    std::span<const ChoiceEntry> m_column;
    int m_range = 0;
};

bool AnswerContains(std::string_view answer, std::string_view expected) {
    return Contains(answer, expected);
}

bool AnswerIs(std::string_view answer, std::string_view expected) {
    return CleanTextAnswer(answer) == expected;
}

// Everything the user chose is checked before anything is sent: a choice
// the function does not offer, and typed sensor coefficients that are not
// numbers or lie outside their limits.
bool ApplyRun::CheckChoices() {
    m_range = m_rq.rangeIndex;
    if (m_rq.row < 0 || m_rq.row >= OfferedFunctionCount(m_rq.model)) {
        if (m_rq.model == SettingsModel::Single && m_rq.row == kRowThermocouple) {
            Stop(kNoThermocouple);
            return false;
        }
        Stop(kNotOffered);
        return false;
    }
    m_entries = RangeEntriesFor(m_rq.row, m_rq.model, m_rq.extendedCapRange);
    m_column = ColumnEntriesFor(ColumnKindFor(m_rq.row), m_rq.model);
    const bool rangeOk = m_entries.empty() ||
                         (m_range >= 0 && static_cast<std::size_t>(m_range) < m_entries.size());
    const bool columnOk = m_column.empty() || (m_rq.columnIndex >= 0 &&
                                               static_cast<std::size_t>(m_rq.columnIndex) <
                                                   m_column.size());
    if (!rangeOk || !columnOk) {
        Stop(kNotOffered);
        return false;
    }
    if (m_rq.row == kRowTemperature) {
        const std::string_view sensor = RangeEntry().label;
        if (const auto problem = CheckCoefficients(sensor, m_rq.coefficientTexts)) {
            Stop(CoefficientProblemText(sensor, *problem, m_texts));
            return false;
        }
    }
    return true;
}

bool ApplyRun::SecondFunctionCurrent(ApplyOutcome& outcome) {
    if (m_rq.model != SettingsModel::Dual || m_rq.row != kRowDcCurrent || m_range >= 3) return true;
    if (m_rq.second.label != kNoneLabel) {
        // The meter shares its input with the second function only on the
        // 1 A to 10 A ranges.
        m_range = 3;
        outcome.forcedRangeIndex = m_range;
        Stop(kSecondFunctionCurrent);
        return true;
    }
    const std::optional<std::string> second = m_ch.Ask("func2?\n");
    if (!second) return Lost();
    if (!Contains(*second, "NONE")) return Send("func2 \"NONE\"\n");
    return true;
}

bool ApplyRun::ConfirmFunction() {
    if (!Send("CONF:" + PageKeyword() + "\n")) return false;
    const std::optional<std::string> answer = m_ch.Ask("func?\n");
    // No answer at all is a meter that stopped, not a refusal.
    if (!answer || CleanTextAnswer(*answer).empty()) return Lost();
    if (PageFunctionKeyword(*answer) != g_functionTable[static_cast<std::size_t>(m_rq.row)].keyword) {
        Stop(kFunction);
        return false;
    }
    return true;
}

bool ApplyRun::Temperature() {
    const std::string sensor(RangeEntry().label);
    if (!Send("SENS:TEMP:RTD:TYPE " + sensor + "\n")) return false;
    if (!Verify("SENS:TEMP:RTD:TYPE?\n", AnswerIs, sensor, kSensorType)) return false;
    const ChoiceEntry& transducer = g_transducerChoices[m_rq.transducer == 1 ? 1 : 0];
    if (!Send("SENS:TEMPerature:TRANsducer " + std::string(transducer.valueText) + "\n"))
        return false;
    for (const SensorCoefficient& c : SensorCoefficients(sensor)) {
        // Checked whole before anything was sent.
        const double value =
            ParseWholeNumber(m_rq.coefficientTexts[static_cast<std::size_t>(c.position)]).value_or(0);
        if (!Send(CoefficientCommand(c, value))) return false;
    }
    return Unit();
}

bool ApplyRun::Thermocouple() {
    const std::string type(RangeEntry().label);
    if (!Send("SENS:TCO:TYPE " + type + "\n")) return false;
    if (!Verify("SENS:TCO:TYPE?\n", AnswerContains, type, kThermocoupleType)) return false;
    return Unit();
}

bool ApplyRun::Unit() {
    const std::string unit(ColumnEntry().valueText);
    // The single-function model knows the unit command without SENS.
    const std::string command = m_rq.model == SettingsModel::Single ? "UNIT" : "SENS:UNIT";
    if (!Send(command + " " + unit + "\n")) return false;
    return Verify(command + "?\n", AnswerContains, unit, kUnit);
}

bool ApplyRun::NumericRange() {
    const std::string k = PageKeyword();
    const bool ratio = m_rq.row == kRowDcRatio;
    const std::string ratioBase = "SENS:VOLT:DC:RAT:RANGE";
    if (IsAutoEntry(RangeEntry())) {
        const std::optional<std::string> present = m_ch.Ask("SENS:" + k + ":RANG?\n");
        if (!present) return Lost();
        // The 10 A range is left through the 1 A range.
        if (SameNumber(AsciiToDouble(*present), 10) && !Send("SENS:" + k + ":RANG 1\n"))
            return false;
        const bool ratioForm = ratio && m_rq.model == SettingsModel::Dual;
        if (!Send(ratioForm ? ratioBase + ":AUTO 1\n" : "SENS:" + k + ":RANG:AUTO 1\n"))
            return false;
        return Verify(ratio ? ratioBase + ":AUTO?\n" : "SENS:" + k + ":RANG:AUTO?\n",
                      AnswerContains, "1", kAutoRange);
    }
    const std::string base = ratio ? ratioBase : "SENS:" + k + ":RANGE";
    const double value = RangeEntry().value;
    if (!Send(base + ":AUTO 0\n")) return false;
    if (!Send(base + Format(" %.12f\n", value))) return false;
    const std::optional<std::string> answer = m_ch.Ask(base + "?\n");
    if (!answer) return Lost();
    if (SameRange(AsciiToDouble(*answer), value)) return true;
    Stop(kRange);
    return false;
}

bool ApplyRun::InputRangeAndAperture() {
    const std::string k = PageKeyword();
    if (IsAutoEntry(RangeEntry())) {
        if (!Send("SENS:" + k + ":volt:rang:auto on\n")) return false;
    } else if (!Send("SENS:" + k + Format(":volt:rang %.1f\n", RangeEntry().value))) {
        return false;
    }
    // Each function gets its own aperture: the period's is the one the
    // page reads back for it.
    const std::string node = m_rq.row == kRowFrequency ? "freq" : "PER";
    return Send("SENS:" + node + ":APER " + std::string(ColumnEntry().valueText) + "\n");
}

bool ApplyRun::Resolution() {
    const int row = m_rq.row;
    if (m_rq.model == SettingsModel::Dual && !ApplySecondFunction(m_ch, m_rq.second, m_rq.extendedCapRange))
        return Lost();
    switch (ColumnKindFor(row)) {
        case ColumnKind::Resolution: {
            const std::string value(ColumnEntry().valueText);
            if (row == kRowDcRatio) return Send("SENS:VOLT:DC:RAT:NPLC " + value + "\n");
            return Send("SENS:" + PageKeyword() + ":NPLC " + value + "\n");
        }
        case ColumnKind::Bandwidth:
            return Send("SENS:DET:BAND " + std::string(ColumnEntry().valueText) + "\n");
        default:
            return true;
    }
}

}  // namespace

ApplyOutcome ApplySettings(PageChannel& channel, const ApplyRequest& request, Prompter& prompter,
                           const TextSource& texts,
                           const std::function<void(int slot, bool on)>& setAutoRange) {
    ApplyOutcome outcome;
    ApplyRun run(channel, request, prompter, texts);
    if (!run.CheckChoices()) return outcome;
    if (!run.SecondFunctionCurrent(outcome)) return outcome;
    if (!run.ConfirmFunction()) return outcome;

    // The main window shows "Range : AUTO" for a slot the program put into
    // auto range; the flag follows the basic set's entry at the index.
    const auto basic = RangeChoicesFor(request.row, RangeSetKind::Basic);
    const int r = run.range();
    const bool autoRange = r >= 0 && static_cast<std::size_t>(r) < basic.size() &&
                           IsAutoEntry(basic[static_cast<std::size_t>(r)]);
    if (setAutoRange) setAutoRange(request.slot, autoRange);

    bool ok = true;
    switch (request.row) {
        case kRowTemperature:
            ok = run.Temperature();
            break;
        case kRowThermocouple:
            ok = run.Thermocouple();
            break;
        case kRowFrequency:
        case kRowPeriod:
            ok = run.InputRangeAndAperture();
            break;
        case kRowContinuity:
        case kRowDiode:
            break;
        default:
            ok = run.NumericRange();
            break;
    }
    if (!ok || !run.Resolution()) return outcome;
    outcome.completed = true;
    return outcome;
}

}  // namespace qm
