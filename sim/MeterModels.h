#pragma once
// What each simulated meter model offers, as data: functions, ranges,
// integration times, sensors and the second functions allowed with each
// primary function. The command handlers consult these tables; nothing
// else in the simulator asks which model it is.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace qm::sim {

// Measurement functions. FreqCurr and PerCurr exist only as second
// functions; None only as "no second function".
enum class Fn : std::uint8_t {
    VoltDc,
    CurrDc,
    VoltAc,
    CurrAc,
    Res,
    FRes,
    Freq,
    Per,
    Cont,
    Diod,
    Temp,
    VoltRatio,
    Tco,
    Cap,
    FreqCurr,
    PerCurr,
    None,
};
inline constexpr int kFnCount = static_cast<int>(Fn::None) + 1;
inline constexpr int index(Fn f) {
    return static_cast<int>(f);
}

enum class Quantity : std::uint8_t { Volt, Amp, Ohm, Hertz, Second, Celsius, Farad, Ratio, None };

struct FunctionInfo {
    Fn fn;
    std::string_view keyword;  // as FUNC?/FUNC2? report it, without quotes
    std::string_view path;     // header path of its CONF/MEAS/settings commands
    Fn settingsOf;             // whose range/NPLC settings it uses (DC ratio: DC volts)
    Quantity quantity;
    double defaultInput;  // plausible input when none is configured
    bool hasNplc;
    bool hasAperture;
};

// Every function, indexed by Fn.
const std::array<FunctionInfo, kFnCount>& functionTable();
inline const FunctionInfo& info(Fn f) {
    return functionTable()[static_cast<std::size_t>(f)];
}

// Optional capabilities of the command set.
enum Capability : std::uint32_t {
    kCapSecondFunction = 1u << 0,  // [SENSe:]FUNCtion2
    kCapPlainUnit = 1u << 1,       // UNIT (single-function model)
    kCapSenseUnit = 1u << 2,       // [SENSe:]UNIT (and UNIT, which the dual model also takes)
    kCapThermocouple = 1u << 3,    // [SENSe:]TCOuple:TYPE
};

struct RangeList {
    std::array<double, 10> values{};  // nominal full scales, ascending
    std::uint8_t count = 0;
    std::span<const double> span() const { return {values.data(), count}; }
};

struct SecondFunctionRule {
    Fn primary;
    std::array<Fn, 12> seconds;
    std::uint8_t count;
};

struct ModelSpec {
    std::string_view name;           // "TX41", "TX42", "QMTX42"
    std::string_view identityModel;  // model field of *IDN?
    std::uint32_t capabilities;
    std::array<bool, kFnCount> primary;      // functions selectable as primary
    std::array<RangeList, kFnCount> ranges;  // empty list: the function has no range
    std::span<const double> nplc;            // integration times offered, ascending
    std::span<const std::string_view> rtdTypes;
    std::string_view thermocoupleTypes;               // one letter per type; empty: none
    std::span<const SecondFunctionRule> secondRules;  // empty: no second function
    bool thermocoupleAsSecond;
    double defaultNoise;  // relative
    double triggerCountMax;
};

// nullptr when the name is no model of ours (case-insensitive).
const ModelSpec* findModel(std::string_view name);
const ModelSpec& defaultModel();  // the dual-function model

// Reported value of a nominal range: the 750 V AC range reports itself as 1000.
double reportedRange(Fn f, double nominal);
// Smallest range of the list whose reported value covers `value`;
// -1 when none does.
int rangeIndexFor(const ModelSpec& m, Fn f, double value);
// Whether `second` may run beside `primary` on model m.
bool secondAllowed(const ModelSpec& m, Fn primary, Fn second);

}  // namespace qm::sim
