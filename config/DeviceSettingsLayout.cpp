#include "config/DeviceSettingsLayout.h"

#include <cmath>

#include "config/SecondFunction.h"

namespace qm {

namespace {

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

constexpr RangeChoice kThermocoupleEntries[] = {{"K", 0}, {"J", 0}, {"R", 0}, {"S", 0}, {"T", 0},
                                                {"E", 0}, {"B", 0}, {"N", 0}, {"C", 0}};
static_assert(std::size(kThermocoupleEntries) == g_thermocoupleTypes.size());

}  // namespace

SettingsModel SettingsModelFor(std::string_view identity) {
    if (Contains(identity, "TX42")) return SettingsModel::Dual;
    if (Contains(identity, "TX41")) return SettingsModel::Single;
    return SettingsModel::None;
}

int OfferedFunctionCount(SettingsModel model) {
    switch (model) {
        case SettingsModel::Dual:
            return kFunctionRowCount;
        case SettingsModel::Single:
            return kSingleModelFunctionCount;
        case SettingsModel::None:
            break;
    }
    return 0;
}

std::vector<std::string> FunctionNames(SettingsModel model, const TextSource& texts) {
    std::vector<std::string> names;
    for (int row = 0; row < OfferedFunctionCount(model); ++row) {
        const SettingsFunctionName& name = g_settingsFunctionNames[static_cast<std::size_t>(row)];
        names.push_back(texts.GetText(name.languageKey, name.defaultName));
    }
    return names;
}

ColumnKind ColumnKindFor(int row) {
    switch (row) {
        case kRowDcVoltage:
        case kRowDcCurrent:
        case kRowResistance2W:
        case kRowResistance4W:
        case kRowDcRatio:
            return ColumnKind::Resolution;
        case kRowAcVoltage:
        case kRowAcCurrent:
            return ColumnKind::Bandwidth;
        case kRowFrequency:
        case kRowPeriod:
            return ColumnKind::Aperture;
        case kRowTemperature:
        case kRowThermocouple:
            return ColumnKind::Unit;
        default:
            return ColumnKind::None;
    }
}

CaptionText RangeCaptionFor(int row) {
    if (row == kRowTemperature) return {"89", "Sensor"};
    if (row == kRowThermocouple) return {"89", "TYPE"};
    // Frequency and period choose the voltage range of their input here.
    return {"87", "Range"};
}

CaptionText ColumnCaptionFor(ColumnKind kind) {
    switch (kind) {
        case ColumnKind::Resolution:
            return {"90", "Resolution"};
        case ColumnKind::Bandwidth:
            return {"91", "Bandwidth"};
        case ColumnKind::Aperture:
            return {"88", "Aperture (s)"};
        case ColumnKind::Unit:
            return {"92", "Unit"};
        case ColumnKind::None:
            break;
    }
    return {"", ""};
}

std::span<const RangeChoice> RangeEntriesFor(int row, SettingsModel model, bool extendedCapRange) {
    if (model == SettingsModel::None) return {};
    if (row == kRowThermocouple) return kThermocoupleEntries;
    return RangeChoicesFor(row, RangeSetFor(model == SettingsModel::Dual, extendedCapRange));
}

std::span<const ChoiceEntry> ColumnEntriesFor(ColumnKind kind, SettingsModel model) {
    switch (kind) {
        case ColumnKind::Resolution:
            if (model == SettingsModel::Dual) return g_integrationTimeChoices;
            return g_resolutionChoices;
        case ColumnKind::Bandwidth:
            return g_bandwidthChoices;
        case ColumnKind::Aperture:
            return g_apertureChoices;
        case ColumnKind::Unit:
            return g_temperatureUnitChoices;
        case ColumnKind::None:
            break;
    }
    return {};
}

std::vector<std::string> ColumnLabels(ColumnKind kind, SettingsModel model,
                                      const TextSource& texts) {
    std::vector<std::string> labels;
    for (const ChoiceEntry& entry : ColumnEntriesFor(kind, model)) {
        labels.push_back(entry.languageKey.empty() ? std::string(entry.label)
                                                   : texts.GetText(entry.languageKey, entry.label));
    }
    return labels;
}

bool IsAutoEntry(const RangeChoice& choice) {
    return choice.label == kAutoLabel;
}

int SecondFunctionRowOf(int row) {
    if (row < 0 || row >= kFunctionRowCount) return kSecondRowNone;
    // The allowed rows name their primary as it appears in the function line.
    return SecondFunctionRowFor(g_functionTable[static_cast<std::size_t>(row)].label);
}

bool SameNumber(double a, double b) {
    return std::fabs(a - b) <= 1e-6 * std::fmax(std::fabs(a), std::fabs(b));
}

bool SameRange(double reported, double listed) {
    return SameNumber(reported, listed) || (listed == 750 && SameNumber(reported, 1000));
}

}  // namespace qm
