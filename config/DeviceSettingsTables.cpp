#include "config/DeviceSettingsTables.h"

namespace qm {

namespace {

using std::string_view;

constexpr string_view kPanelDcVoltage[] = {"AUTO", "0.1 V", "1 V", "10 V", "100 V", "1000 V"};
constexpr string_view kPanelDcCurrent[] = {"1 A", "3 A", "10 A"};  // no AUTO
constexpr string_view kPanelResistance[] = {"AUTO",     "100 OHM", "1K OHM",  "10K OHM",
                                            "100K OHM", "1M OHM",  "10M OHM", "100M OHM"};
constexpr string_view kPanelAcVoltage[] = {"AUTO", "0.1 V", "1 V", "10 V", "100 V", "750 V"};
constexpr string_view kPanelAcCurrent[] = {"AUTO", "1 A", "3 A", "10 A"};
constexpr string_view kPanelCurrentFrequency[] = {"AUTO", "1 AAC", "3 AAC", "10 AAC"};
constexpr string_view kPanelFrequency[] = {"AUTO",   "0.1 VAC", "1 VAC",
                                           "10 VAC", "100 VAC", "750 VAC"};
constexpr string_view kPanelCapacitance[] = {"AUTO",  "1n F",   "10n F", "100n F", "1u F",
                                             "10u F", "100u F", "1m F",  "10m F"};
constexpr std::size_t kPanelCapacitanceStandardCount = 7;
constexpr string_view kPanelUnits[] = {"C", "F", "K"};

constexpr string_view kSettingNplc[] = {"0.001", "0.006", "0.02", "0.06", "0.2",
                                        "0.6",   "1",     "2",    "10",   "100"};
constexpr string_view kSettingBandwidth[] = {"3", "20", "200"};
constexpr string_view kSettingType[] = {"K", "J", "R", "S", "T", "E", "B", "N", "C"};
constexpr string_view kSettingSensor[] = {"PT100",  "D100", "F100",  "PT385",
                                          "PT3916", "USER", "SPRTD", "NTCT"};
constexpr string_view kSettingAperture[] = {"0.01s", "0.1s", "1s"};

}  // namespace

RangeSetKind RangeSetFor(bool dualFunctionModel, bool extendedCapRange) {
    if (!dualFunctionModel) return RangeSetKind::Basic;
    return extendedCapRange ? RangeSetKind::Extended : RangeSetKind::Standard;
}

std::span<const RangeChoice> RangeChoicesFor(int row, RangeSetKind kind) {
    if (row < 0 || row >= kFunctionRowCount) return {};
    const FunctionRangeSets& sets = g_rangeSets[row];
    switch (kind) {
        case RangeSetKind::Basic:
            return sets.basic;
        case RangeSetKind::Standard:
            return sets.standard;
        case RangeSetKind::Extended:
            return sets.extended;
    }
    return {};
}

std::span<const std::string_view> SecondFunctionRangeEntries(std::string_view label,
                                                             bool extendedCapRange) {
    if (label == "DCV") return kPanelDcVoltage;
    if (label == "DCI") return kPanelDcCurrent;
    if (label == "RES" || label == "FRES") return kPanelResistance;
    if (label == "ACV") return kPanelAcVoltage;
    if (label == "ACI") return kPanelAcCurrent;
    if (label == "CURR FREQ" || label == "CURR PERIOD") return kPanelCurrentFrequency;
    if (label == "FREQ" || label == "PERIOD") return kPanelFrequency;
    if (label == "CAP") {
        std::span<const std::string_view> all = kPanelCapacitance;
        return extendedCapRange ? all : all.first(kPanelCapacitanceStandardCount);
    }
    if (label == "TCOUPL" || label == "TEMP") return kPanelUnits;
    return {};
}

std::string_view SecondFunctionRangeCaption(std::string_view label) {
    return (label == "TCOUPL" || label == "TEMP") ? "UNIT" : "Range";
}

SecondFunctionSetting SecondFunctionSettingFor(std::string_view label) {
    if (label == "ACV" || label == "ACI") return {"Bandwidth (Hz)", kSettingBandwidth};
    if (label == "FREQ" || label == "PERIOD" || label == "CURR FREQ" || label == "CURR PERIOD") {
        return {"Aperture (s)", kSettingAperture};
    }
    if (label == "TCOUPL") return {"TYPE", kSettingType};
    if (label == "TEMP") return {"SENSOR", kSettingSensor};
    return {"NPLC", kSettingNplc};
}

}  // namespace qm
