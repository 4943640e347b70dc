// Measurement configuration commands: functions, ranges, integration
// times, apertures, bandwidth, temperature sensors and units.
#include <algorithm>
#include <array>
#include <string>

#include "sim/MeterCommands.h"

namespace qm::sim {

using scpi::Param;
using scpi::Unit;

namespace {

bool rangedQuantity(Fn f) {
    const Quantity q = info(f).quantity;
    return q == Quantity::Volt || q == Quantity::Amp || q == Quantity::Ohm || q == Quantity::Farad;
}

std::optional<Fn> functionParam(MeterCore& m, const Unit& u) {
    const auto text = scpi::toText(u.params[0]);
    if (!text) {
        m.errors().push(scpi::kDataTypeError);
        return std::nullopt;
    }
    const auto f = functionFromText(*text);
    if (!f) m.errors().push(scpi::kIllegalParameterValue);
    return f;
}

bool functionSet(MeterCore& m, const Unit& u, int, std::string&) {
    if (!paramCount(m, u, 1, 1)) return false;
    const auto f = functionParam(m, u);
    if (!f) return false;
    if (!m.model().primary[index(*f)]) return fail(m, scpi::kIllegalParameterValue);
    m.setPrimary(*f);
    return false;
}

bool functionQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    appendQuoted(a, info(m.state().function).keyword);
    return true;
}

bool function2Set(MeterCore& m, const Unit& u, int, std::string&) {
    if (!paramCount(m, u, 1, 1)) return false;
    const auto f = functionParam(m, u);
    if (!f) return false;
    if (!secondAllowed(m.model(), m.state().function, *f)) return fail(m, scpi::kSettingsConflict);
    m.state().function2 = *f;
    // The meter moves DC current to a fixed range of at least 1 A when it
    // shares the input with a second function.
    m.enforceSharedCurrentRange();
    return false;
}

bool function2Query(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    appendQuoted(a, info(m.state().function2).keyword);
    return true;
}

// CONFigure:<function> [range[,resolution]]; arg is the function.
bool configure(MeterCore& m, const Unit& u, Fn f) {
    if (!m.model().primary[index(f)]) return fail(m, scpi::kUndefinedHeader);
    if (!paramCount(m, u, 0, 2)) return false;
    const Fn owner = info(f).settingsOf;
    const RangeList& ranges = m.model().ranges[index(owner)];
    bool autoRange = true;
    double range = 0;
    if (u.paramCount > 0 && ranges.count > 0 && rangedQuantity(f)) {
        const Param& p = u.params[0];
        if (p.kind == Param::Kind::Mnemonic && scpi::keywordMatches("AUTO", p.text)) {
            autoRange = true;
        } else {
            int error = 0;
            const auto n = scpi::toNumeric(p, error);
            if (!n) return fail(m, error);
            if (n->kind == scpi::Numeric::Kind::Min)
                range = ranges.values[0];
            else if (n->kind == scpi::Numeric::Kind::Max)
                range = ranges.values[ranges.count - 1];
            else if (n->kind == scpi::Numeric::Kind::Value) {
                const int i = rangeIndexFor(m.model(), owner, n->value);
                if (i < 0) return fail(m, scpi::kDataOutOfRange);
                range = ranges.values[i];
            }
            autoRange = range == 0;
        }
    }
    if (u.paramCount > 1) {
        int error = 0;
        if (!scpi::toNumeric(u.params[1], error)) return fail(m, error);  // resolution: accepted
    }
    if (ranges.count > 0) {
        FunctionSettings& s = m.state().settings[index(owner)];
        s.autoRange = autoRange;
        if (!autoRange) s.range = range;
    }
    m.abort();
    MeterState& st = m.state();
    st.triggerSource = TriggerSource::Immediate;
    st.triggerCount = 1;
    st.sampleCount = 1;
    st.triggerDelay = 0;
    m.setPrimary(f);
    return true;
}

bool configureSet(MeterCore& m, const Unit& u, int arg, std::string&) {
    configure(m, u, static_cast<Fn>(arg));
    return false;
}

bool measureQuery(MeterCore& m, const Unit& u, int arg, std::string& a) {
    if (!configure(m, u, static_cast<Fn>(arg))) return false;
    const Unit bare{};
    return readQuery(m, bare, 0, a);
}

bool configureQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    const Fn f = m.state().function;
    const Fn owner = info(f).settingsOf;
    std::string text(info(f).keyword);
    if (rangedQuantity(f) && m.model().ranges[index(owner)].count > 0) {
        text.push_back(' ');
        scpi::appendNumber(text, reportedRange(owner, m.rangeInUse(owner)));
    }
    appendQuoted(a, text);
    return true;
}

bool rangeSet(MeterCore& m, const Unit& u, int arg, std::string&) {
    const Fn owner = static_cast<Fn>(arg);
    const RangeList& r = m.model().ranges[arg];
    if (r.count == 0) return fail(m, scpi::kUndefinedHeader);
    if (!paramCount(m, u, 1, 1)) return false;
    int error = 0;
    const auto n = scpi::toNumeric(u.params[0], error);
    if (!n) return fail(m, error);
    int i = r.count - 1;
    if (n->kind == scpi::Numeric::Kind::Min) i = 0;
    if (n->kind == scpi::Numeric::Kind::Value) i = rangeIndexFor(m.model(), owner, n->value);
    if (i < 0) return fail(m, scpi::kDataOutOfRange);
    if (owner == Fn::CurrDc && m.dcCurrentShared() && r.values[i] < 1)
        return fail(m, scpi::kSettingsConflict);
    FunctionSettings& s = m.state().settings[arg];
    s.range = r.values[i];
    s.autoRange = false;
    return false;
}

bool rangeQuery(MeterCore& m, const Unit& u, int arg, std::string& a) {
    const Fn owner = static_cast<Fn>(arg);
    const RangeList& r = m.model().ranges[arg];
    if (r.count == 0) return fail(m, scpi::kUndefinedHeader);
    if (!paramCount(m, u, 0, 1)) return false;
    double nominal = m.rangeInUse(owner);
    if (u.paramCount == 1) {
        int error = 0;
        const auto n = scpi::toNumeric(u.params[0], error);
        if (!n) return fail(m, error);
        if (n->kind == scpi::Numeric::Kind::Value) return fail(m, scpi::kIllegalParameterValue);
        nominal = n->kind == scpi::Numeric::Kind::Min ? r.values[0] : r.values[r.count - 1];
    }
    scpi::appendNumber(a, reportedRange(owner, nominal));
    return true;
}

bool autoRangeSet(MeterCore& m, const Unit& u, int arg, std::string&) {
    const Fn owner = static_cast<Fn>(arg);
    if (m.model().ranges[arg].count == 0) return fail(m, scpi::kUndefinedHeader);
    if (!paramCount(m, u, 1, 1)) return false;
    FunctionSettings& s = m.state().settings[arg];
    const Param& p = u.params[0];
    bool on = false;
    if (!(p.kind == Param::Kind::Mnemonic && scpi::keywordMatches("ONCE", p.text))) {
        int error = 0;
        const auto b = scpi::toBool(p, error);
        if (!b) return fail(m, error);
        on = *b;
    }
    if (on && owner == Fn::CurrDc && m.dcCurrentShared()) return fail(m, scpi::kSettingsConflict);
    if (!on) s.range = m.rangeInUse(owner);  // stays on the range autoranging chose
    s.autoRange = on;
    return false;
}

bool autoRangeQuery(MeterCore& m, const Unit& u, int arg, std::string& a) {
    if (m.model().ranges[arg].count == 0) return fail(m, scpi::kUndefinedHeader);
    if (!paramCount(m, u, 0, 0)) return false;
    a = m.state().settings[arg].autoRange ? "1" : "0";
    return true;
}

constexpr double kApertures[] = {0.01, 0.1, 1};
constexpr double kBandwidths[] = {3, 20, 200};

bool nplcSet(MeterCore& m, const Unit& u, int arg, std::string&) {
    if (!m.model().primary[arg]) return fail(m, scpi::kUndefinedHeader);
    if (!paramCount(m, u, 1, 1)) return false;
    const auto& list = m.model().nplc;
    const auto v = pickFromList(m, u.params[0], list.data(), list.size(), 1);
    if (v) m.state().settings[arg].nplc = *v;
    return false;
}

bool nplcQuery(MeterCore& m, const Unit& u, int arg, std::string& a) {
    if (!m.model().primary[arg]) return fail(m, scpi::kUndefinedHeader);
    if (!paramCount(m, u, 0, 0)) return false;
    scpi::appendNumber(a, m.state().settings[arg].nplc);
    return true;
}

bool apertureSet(MeterCore& m, const Unit& u, int arg, std::string&) {
    if (m.model().ranges[arg].count == 0) return fail(m, scpi::kUndefinedHeader);
    if (!paramCount(m, u, 1, 1)) return false;
    const auto v = pickFromList(m, u.params[0], kApertures, 3, 0.1);
    if (v) m.state().settings[arg].aperture = *v;
    return false;
}

bool apertureQuery(MeterCore& m, const Unit& u, int arg, std::string& a) {
    if (m.model().ranges[arg].count == 0) return fail(m, scpi::kUndefinedHeader);
    if (!paramCount(m, u, 0, 0)) return false;
    scpi::appendNumber(a, m.state().settings[arg].aperture);
    return true;
}

bool bandwidthSet(MeterCore& m, const Unit& u, int, std::string&) {
    if (!paramCount(m, u, 1, 1)) return false;
    const auto v = pickFromList(m, u.params[0], kBandwidths, 3, 20);
    if (v) m.state().bandwidth = *v;
    return false;
}

bool bandwidthQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    scpi::appendNumber(a, m.state().bandwidth);
    return true;
}

// Character data or a string, upper-cased; queues the error otherwise.
std::optional<std::string> textParam(MeterCore& m, const Unit& u) {
    if (!paramCount(m, u, 1, 1)) return std::nullopt;
    auto t = scpi::toText(u.params[0]);
    if (!t) m.errors().push(scpi::kDataTypeError);
    return t;
}

bool transducerSet(MeterCore& m, const Unit& u, int, std::string&) {
    const auto t = textParam(m, u);
    if (!t) return false;
    if (*t == "RTD")
        m.state().fourWireRtd = false;
    else if (*t == "FRTD")
        m.state().fourWireRtd = true;
    else
        return fail(m, scpi::kIllegalParameterValue);
    return false;
}

bool transducerQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    a = m.state().fourWireRtd ? "FRTD" : "RTD";
    return true;
}

bool rtdTypeSet(MeterCore& m, const Unit& u, int, std::string&) {
    const auto t = textParam(m, u);
    if (!t) return false;
    const auto& types = m.model().rtdTypes;
    const auto it = std::find(types.begin(), types.end(), std::string_view(*t));
    if (it == types.end()) return fail(m, scpi::kIllegalParameterValue);
    m.state().rtdType = static_cast<int>(it - types.begin());
    return false;
}

bool rtdTypeQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    a = m.model().rtdTypes[static_cast<std::size_t>(m.state().rtdType)];
    return true;
}

struct Coefficient {
    std::string_view pattern;
    double lo;
    double hi;
    double& (*field)(MeterState&);
};

const Coefficient kCoefficients[] = {
    {"[SENSe:]TEMPerature:RTD:ALPHa", 0, 0.01,
     [](MeterState& s) -> double& { return s.rtd.alpha; }},
    {"[SENSe:]TEMPerature:RTD:BETA", 0, 1, [](MeterState& s) -> double& { return s.rtd.beta; }},
    {"[SENSe:]TEMPerature:RTD:DELTa", 0, 5, [](MeterState& s) -> double& { return s.rtd.delta; }},
    {"[SENSe:]TEMPerature:RTD:RZERo", 10, 1000,
     [](MeterState& s) -> double& { return s.rtd.rzero; }},
    {"[SENSe:]TEMPerature:SPRTD:RZERo", 10, 1000,
     [](MeterState& s) -> double& { return s.sprtd.rzero; }},
    {"[SENSe:]TEMPerature:SPRTD:A4", -1, 1, [](MeterState& s) -> double& { return s.sprtd.a4; }},
    {"[SENSe:]TEMPerature:SPRTD:B4", -1, 1, [](MeterState& s) -> double& { return s.sprtd.b4; }},
    {"[SENSe:]TEMPerature:SPRTD:AX", -1, 1, [](MeterState& s) -> double& { return s.sprtd.ax; }},
    {"[SENSe:]TEMPerature:SPRTD:BX", -1, 1, [](MeterState& s) -> double& { return s.sprtd.bx; }},
    {"[SENSe:]TEMPerature:SPRTD:CX", -1, 1, [](MeterState& s) -> double& { return s.sprtd.cx; }},
    {"[SENSe:]TEMPerature:NTCT:A", 0, 0.01, [](MeterState& s) -> double& { return s.ntct.a; }},
    {"[SENSe:]TEMPerature:NTCT:B", 0, 0.01, [](MeterState& s) -> double& { return s.ntct.b; }},
    {"[SENSe:]TEMPerature:NTCT:C", 0, 0.01, [](MeterState& s) -> double& { return s.ntct.c; }},
};

bool coefficientSet(MeterCore& m, const Unit& u, int arg, std::string&) {
    if (!paramCount(m, u, 1, 1)) return false;
    const Coefficient& c = kCoefficients[arg];
    int error = 0;
    const auto n = scpi::toNumeric(u.params[0], error);
    if (!n) return fail(m, error);
    MeterState defaults;
    double v = c.field(defaults);
    if (n->kind == scpi::Numeric::Kind::Min) v = c.lo;
    if (n->kind == scpi::Numeric::Kind::Max) v = c.hi;
    if (n->kind == scpi::Numeric::Kind::Value) v = n->value;
    if (!(v >= c.lo && v <= c.hi)) return fail(m, scpi::kDataOutOfRange);
    c.field(m.state()) = v;
    return false;
}

bool coefficientQuery(MeterCore& m, const Unit& u, int arg, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    scpi::appendNumber(a, kCoefficients[arg].field(m.state()));
    return true;
}

bool thermocoupleSet(MeterCore& m, const Unit& u, int, std::string&) {
    const auto t = textParam(m, u);
    if (!t) return false;
    if (t->size() != 1 || m.model().thermocoupleTypes.find((*t)[0]) == std::string_view::npos)
        return fail(m, scpi::kIllegalParameterValue);
    m.state().thermocoupleType = (*t)[0];
    return false;
}

bool thermocoupleQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    a.assign(1, m.state().thermocoupleType);
    return true;
}

bool unitSet(MeterCore& m, const Unit& u, int, std::string&) {
    const auto t = textParam(m, u);
    if (!t) return false;
    if (*t == "C" || *t == "CEL")
        m.state().temperatureUnit = 'C';
    else if (*t == "F" || *t == "FAR")
        m.state().temperatureUnit = 'F';
    else if (*t == "K" || *t == "KEL")
        m.state().temperatureUnit = 'K';
    else
        return fail(m, scpi::kIllegalParameterValue);
    return false;
}

bool unitQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    a.assign(1, m.state().temperatureUnit);
    return true;
}

}  // namespace

void addSenseCommands(std::vector<Command>& t) {
    add(t, "[SENSe:]FUNCtion[:ON]", functionSet, functionQuery);
    add(t, "[SENSe:]FUNCtion2[:ON]", function2Set, function2Query, 0, kCapSecondFunction);
    add(t, "CONFigure", nullptr, configureQuery);
    for (const FunctionInfo& f : functionTable()) {
        if (f.fn == Fn::FreqCurr || f.fn == Fn::PerCurr || f.fn == Fn::None) continue;
        add(t, "CONFigure:" + std::string(f.path), configureSet, nullptr, index(f.fn));
        add(t, "MEASure:" + std::string(f.path), nullptr, measureQuery, index(f.fn));
    }
    // Range, integration time and aperture of every function that has them
    // on some model; handlers refuse what the present model lacks.
    for (const FunctionInfo& f : functionTable()) {
        const std::string base = "[SENSe:]" + std::string(f.path);
        const int owner = index(f.settingsOf);
        if (defaultModel().ranges[owner].count > 0) {
            add(t, base + ":RANGe[:UPPer]", rangeSet, rangeQuery, owner);
            add(t, base + ":RANGe:AUTO", autoRangeSet, autoRangeQuery, owner);
        }
        if (f.hasNplc) add(t, base + ":NPLCycles", nplcSet, nplcQuery, owner);
        if (f.hasAperture) add(t, base + ":APERture", apertureSet, apertureQuery, owner);
    }
    add(t, "[SENSe:]DETector:BANDwidth", bandwidthSet, bandwidthQuery);
    add(t, "[SENSe:]TEMPerature:TRANsducer[:TYPE]", transducerSet, transducerQuery);
    add(t, "[SENSe:]TEMPerature:RTD:TYPE", rtdTypeSet, rtdTypeQuery);
    for (int i = 0; i < static_cast<int>(std::size(kCoefficients)); ++i)
        add(t, kCoefficients[i].pattern, coefficientSet, coefficientQuery, i);
    add(t, "[SENSe:]TCOuple:TYPE", thermocoupleSet, thermocoupleQuery, 0, kCapThermocouple);
    add(t, "UNIT[:TEMPerature]", unitSet, unitQuery, 0, kCapPlainUnit | kCapSenseUnit);
    add(t, "SENSe:UNIT[:TEMPerature]", unitSet, unitQuery, 0, kCapSenseUnit);
}

}  // namespace qm::sim
