#include "sim/MeterModels.h"

#include <cmath>
#include <initializer_list>

namespace qm::sim {
namespace {

using Q = Quantity;

const std::array<FunctionInfo, kFnCount> kFunctions{{
    {Fn::VoltDc, "VOLT", "VOLTage[:DC]", Fn::VoltDc, Q::Volt, 1.234, true, false},
    {Fn::CurrDc, "CURR", "CURRent[:DC]", Fn::CurrDc, Q::Amp, 0.5, true, false},
    {Fn::VoltAc, "VOLT:AC", "VOLTage:AC", Fn::VoltAc, Q::Volt, 0.5, false, false},
    {Fn::CurrAc, "CURR:AC", "CURRent:AC", Fn::CurrAc, Q::Amp, 0.25, false, false},
    {Fn::Res, "RES", "RESistance", Fn::Res, Q::Ohm, 1000.0, true, false},
    {Fn::FRes, "FRES", "FRESistance", Fn::FRes, Q::Ohm, 1000.0, true, false},
    {Fn::Freq, "FREQ", "FREQuency[:VOLTage]", Fn::Freq, Q::Hertz, 1000.0, false, true},
    {Fn::Per, "PER", "PERiod[:VOLTage]", Fn::Per, Q::Second, 1e-3, false, true},
    {Fn::Cont, "CONT", "CONTinuity", Fn::Cont, Q::Ohm, 9.9e37, false, false},
    {Fn::Diod, "DIOD", "DIODe", Fn::Diod, Q::Volt, 9.9e37, false, false},
    {Fn::Temp, "TEMP", "TEMPerature", Fn::Temp, Q::Celsius, 23.5, false, false},
    {Fn::VoltRatio, "VOLT:RAT", "VOLTage[:DC]:RATio", Fn::VoltDc, Q::Ratio, 0.5, true, false},
    {Fn::Tco, "TCO", "TCOuple", Fn::Tco, Q::Celsius, 24.0, false, false},
    {Fn::Cap, "CAP", "CAPacitance", Fn::Cap, Q::Farad, 4.7e-8, true, false},
    {Fn::FreqCurr, "FREQ:CURR", "FREQuency:CURRent", Fn::FreqCurr, Q::Hertz, 1000.0, false, true},
    {Fn::PerCurr, "PER:CURR", "PERiod:CURRent", Fn::PerCurr, Q::Second, 1e-3, false, true},
    {Fn::None, "NONE", "NONE", Fn::None, Q::None, 0.0, false, false},
}};

RangeList list(std::initializer_list<double> values) {
    RangeList r;
    for (double v : values) r.values[r.count++] = v;
    return r;
}

const RangeList kVolt = list({0.1, 1, 10, 100, 1000});
const RangeList kVoltAc = list({0.1, 1, 10, 100, 750});
const RangeList kOhm = list({100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8});
const RangeList kCurrDcBasic = list({0.01, 0.1, 1, 3});
const RangeList kCurrDc = list({0.01, 0.1, 1, 3, 10});
const RangeList kCurrAcBasic = list({1, 3});
const RangeList kCurrAc = list({1, 3, 10});
const RangeList kCap = list({1e-9, 1e-8, 1e-7, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2});

std::array<RangeList, kFnCount> ranges(bool dual) {
    std::array<RangeList, kFnCount> r{};
    r[index(Fn::VoltDc)] = kVolt;
    r[index(Fn::VoltRatio)] = kVolt;
    r[index(Fn::VoltAc)] = kVoltAc;
    r[index(Fn::Freq)] = kVoltAc;  // the input voltage range of the signal
    r[index(Fn::Per)] = kVoltAc;
    r[index(Fn::Res)] = kOhm;
    r[index(Fn::FRes)] = kOhm;
    r[index(Fn::CurrDc)] = dual ? kCurrDc : kCurrDcBasic;
    r[index(Fn::CurrAc)] = dual ? kCurrAc : kCurrAcBasic;
    if (dual) {
        r[index(Fn::Cap)] = kCap;
        r[index(Fn::FreqCurr)] = kCurrAc;  // the input current range of the signal
        r[index(Fn::PerCurr)] = kCurrAc;
    }
    return r;
}

std::array<bool, kFnCount> primaries(bool dual) {
    std::array<bool, kFnCount> p{};
    for (Fn f : {Fn::VoltDc, Fn::CurrDc, Fn::VoltAc, Fn::CurrAc, Fn::Res, Fn::FRes, Fn::Freq,
                 Fn::Per, Fn::Cont, Fn::Diod, Fn::Temp, Fn::VoltRatio})
        p[index(f)] = true;
    p[index(Fn::Tco)] = dual;
    p[index(Fn::Cap)] = dual;
    return p;
}

// Resolution settings of the single-function model, as integration times.
constexpr double kNplcBasic[] = {0.02, 0.1, 1, 10};
constexpr double kNplc[] = {0.001, 0.006, 0.02, 0.06, 0.2, 0.6, 1, 2, 10, 100};

constexpr std::string_view kRtdBasic[] = {"PT100",  "D100",  "F100", "PT385",
                                          "PT3916", "SPRTD", "USER"};
constexpr std::string_view kRtd[] = {"PT100",  "D100", "F100",  "PT385",
                                     "PT3916", "NTCT", "SPRTD", "USER"};

// Which second function may run beside each primary function.
const SecondFunctionRule kSecondRules[] = {
    {Fn::VoltDc, {Fn::CurrDc, Fn::VoltAc, Fn::Freq, Fn::Per, Fn::Tco}, 5},
    {Fn::VoltAc, {Fn::VoltDc, Fn::CurrDc, Fn::Freq, Fn::Per, Fn::Tco}, 5},
    {Fn::CurrDc,
     {Fn::VoltDc, Fn::VoltAc, Fn::CurrAc, Fn::Freq, Fn::Per, Fn::FreqCurr, Fn::PerCurr, Fn::Tco},
     8},
    {Fn::CurrAc, {Fn::CurrDc, Fn::FreqCurr, Fn::PerCurr, Fn::Tco}, 4},
    {Fn::Res, {Fn::Tco}, 1},
    {Fn::FRes, {Fn::Tco}, 1},
    {Fn::Cap, {Fn::Tco}, 1},
    {Fn::Freq, {Fn::VoltDc, Fn::CurrDc, Fn::VoltAc, Fn::Per, Fn::Tco}, 5},
    {Fn::Per, {Fn::VoltDc, Fn::CurrDc, Fn::VoltAc, Fn::Freq, Fn::Tco}, 5},
    {Fn::Tco,
     {Fn::VoltDc, Fn::CurrDc, Fn::Res, Fn::FRes, Fn::VoltAc, Fn::CurrAc, Fn::Freq, Fn::Per,
      Fn::FreqCurr, Fn::PerCurr, Fn::Cap, Fn::Temp},
     12},
    {Fn::Temp, {Fn::Tco}, 1},
};

const ModelSpec kModels[] = {
    {"TX41",
     "Model TX41",
     kCapPlainUnit,
     primaries(false),
     ranges(false),
     kNplcBasic,
     kRtdBasic,
     "",
     {},
     false,
     3e-5,
     50000},
    {"TX42", "TX42", kCapSecondFunction | kCapSenseUnit | kCapThermocouple, primaries(true),
     ranges(true), kNplc, kRtd, "KJRSTEBNC", kSecondRules, true, 1e-5, 50000},
    {"QMTX42", "QMTX42", kCapSecondFunction | kCapSenseUnit | kCapThermocouple, primaries(true),
     ranges(true), kNplc, kRtd, "KJRSTEBNC", kSecondRules, false, 1e-5, 50000},
};

bool sameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto up = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; };
        if (up(a[i]) != up(b[i])) return false;
    }
    return true;
}

}  // namespace

const std::array<FunctionInfo, kFnCount>& functionTable() {
    return kFunctions;
}

const ModelSpec* findModel(std::string_view name) {
    for (const ModelSpec& m : kModels)
        if (sameNoCase(m.name, name)) return &m;
    return nullptr;
}

const ModelSpec& defaultModel() {
    return kModels[1];
}

double reportedRange(Fn f, double nominal) {
    const bool acVolts = f == Fn::VoltAc || f == Fn::Freq || f == Fn::Per;
    return (acVolts && nominal == 750) ? 1000 : nominal;
}

int rangeIndexFor(const ModelSpec& m, Fn f, double value) {
    const RangeList& r = m.ranges[index(f)];
    const double v = std::fabs(value);
    for (int i = 0; i < r.count; ++i)
        // Tolerate the rounding of values written with twelve decimals.
        if (reportedRange(f, r.values[i]) * (1 + 1e-9) >= v) return i;
    return -1;
}

bool secondAllowed(const ModelSpec& m, Fn primary, Fn second) {
    if (second == Fn::None) return true;
    if (second == Fn::Tco && !m.thermocoupleAsSecond) return false;
    for (const SecondFunctionRule& rule : m.secondRules) {
        if (rule.primary != primary) continue;
        for (int i = 0; i < rule.count; ++i)
            if (rule.seconds[i] == second) return true;
    }
    return false;
}

}  // namespace qm::sim
