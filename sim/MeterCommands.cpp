// The dispatcher, the shared handler helpers, and the common, system and
// trigger commands.
#include "sim/MeterCommands.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qm::sim {

using scpi::Param;
using scpi::Unit;

namespace {

const std::vector<Command>& commandTable() {
    static const std::vector<Command> table = [] {
        std::vector<Command> t;
        addSystemCommands(t);  // first: READ? and the common commands are the busiest
        addSenseCommands(t);
        return t;
    }();
    return table;
}

// A number within [lo, hi]; MIN/MAX/DEF give lo, hi and def.
std::optional<double> bounded(MeterCore& m, const Param& p, double lo, double hi, double def) {
    int error = 0;
    const auto n = scpi::toNumeric(p, error);
    if (!n) {
        m.errors().push(error);
        return std::nullopt;
    }
    switch (n->kind) {
        case scpi::Numeric::Kind::Min:
            return lo;
        case scpi::Numeric::Kind::Max:
            return hi;
        case scpi::Numeric::Kind::Def:
            return def;
        case scpi::Numeric::Kind::Value:
            break;
    }
    if (!(n->value >= lo && n->value <= hi)) {
        m.errors().push(scpi::kDataOutOfRange);
        return std::nullopt;
    }
    return n->value;
}

bool idnQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    a = m.identity();
    return true;
}

bool clsSet(MeterCore& m, const Unit& u, int, std::string&) {
    if (paramCount(m, u, 0, 0)) m.clearStatus();
    return false;
}

bool esrQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    appendInt(a, m.errors().takeEsr());
    return true;
}

// *ESE and *SRE: arg 0 and 1.
bool maskSet(MeterCore& m, const Unit& u, int arg, std::string&) {
    if (!paramCount(m, u, 1, 1)) return false;
    const auto v = bounded(m, u.params[0], 0, 255, 0);
    if (v) (arg == 0 ? m.state().ese : m.state().sre) = static_cast<int>(std::lround(*v));
    return false;
}

bool maskQuery(MeterCore& m, const Unit& u, int arg, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    appendInt(a, arg == 0 ? m.state().ese : m.state().sre);
    return true;
}

bool stbQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    int stb = m.errors().empty() ? 0 : 4;
    if (m.errors().esr() & m.state().ese) stb |= 32;
    if (stb & m.state().sre) stb |= 64;
    appendInt(a, stb);
    return true;
}

bool opcSet(MeterCore& m, const Unit& u, int, std::string&) {
    if (paramCount(m, u, 0, 0)) m.requestOpc();
    return false;
}

bool opcQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    a = "1";
    if (!m.operationComplete()) m.answerWaitsForTrigger = true;
    return true;
}

bool rstSet(MeterCore& m, const Unit& u, int, std::string&) {
    if (paramCount(m, u, 0, 0)) m.reset();
    return false;
}

bool trgSet(MeterCore& m, const Unit& u, int, std::string&) {
    if (!paramCount(m, u, 0, 0)) return false;
    // *TRG stands in for the external trigger input as well as the bus trigger.
    if (m.state().triggerSource == TriggerSource::Immediate || !m.fireTrigger())
        m.errors().push(scpi::kTriggerIgnored);
    return false;
}

bool noOp(MeterCore& m, const Unit& u, int, std::string&) {
    paramCount(m, u, 0, 0);
    return false;
}

bool tstQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    a = "+0";
    return true;
}

bool errorQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    const ScpiError e = m.errors().pop();
    appendInt(a, e.code);
    a.push_back(',');
    appendQuoted(a, e.message);
    return true;
}

bool errorCountQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    appendInt(a, static_cast<long long>(m.errors().entries().size()));
    return true;
}

bool versionQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    a = "1994.0";
    return true;
}

bool triggerSourceSet(MeterCore& m, const Unit& u, int, std::string&) {
    if (!paramCount(m, u, 1, 1)) return false;
    const Param& p = u.params[0];
    TriggerSource s;
    if (p.kind != Param::Kind::Mnemonic) return fail(m, scpi::kDataTypeError);
    if (scpi::keywordMatches("IMMediate", p.text))
        s = TriggerSource::Immediate;
    else if (scpi::keywordMatches("EXTernal", p.text))
        s = TriggerSource::External;
    else if (scpi::keywordMatches("BUS", p.text))
        s = TriggerSource::Bus;
    else
        return fail(m, scpi::kIllegalParameterValue);
    m.state().triggerSource = s;
    return false;
}

bool triggerSourceQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    static constexpr const char* kNames[] = {"IMM", "EXT", "BUS"};
    a = kNames[static_cast<int>(m.state().triggerSource)];
    return true;
}

// TRIG:COUN (arg 0), SAMP:COUN (arg 1), TRIG:DEL (arg 2).
double& countField(MeterState& s, int arg) {
    return arg == 0 ? s.triggerCount : arg == 1 ? s.sampleCount : s.triggerDelay;
}

bool countSet(MeterCore& m, const Unit& u, int arg, std::string&) {
    if (!paramCount(m, u, 1, 1)) return false;
    const double hi = arg == 2 ? 3600 : arg == 0 ? m.model().triggerCountMax : 50000;
    const double lo = arg == 2 ? 0 : 1;
    const auto v = bounded(m, u.params[0], lo, hi, lo);
    if (v) countField(m.state(), arg) = arg == 2 ? *v : std::round(*v);
    return false;
}

bool countQuery(MeterCore& m, const Unit& u, int arg, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    scpi::appendNumber(a, countField(m.state(), arg));
    return true;
}

bool initSet(MeterCore& m, const Unit& u, int, std::string&) {
    if (paramCount(m, u, 0, 0)) m.initiate();
    return false;
}

bool abortSet(MeterCore& m, const Unit& u, int, std::string&) {
    if (paramCount(m, u, 0, 0)) m.abort();
    return false;
}

}  // namespace

bool fetchQuery(MeterCore& m, const Unit& u, int, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    const MeterState& s = m.state();
    if (!s.memoryValid && !s.waitingForTrigger) {
        m.errors().push(scpi::kDataStale);
        return false;
    }
    if (s.waitingForTrigger) m.answerWaitsForTrigger = true;
    a += s.memory;
    return true;
}

bool readQuery(MeterCore& m, const Unit& u, int arg, std::string& a) {
    if (!paramCount(m, u, 0, 0)) return false;
    if (m.state().triggerSource == TriggerSource::Bus) {
        // Nobody could send *TRG while the meter waits for the answer to be read.
        m.errors().push(scpi::kTriggerDeadlock);
        return false;
    }
    if (!m.initiate()) return false;
    return fetchQuery(m, u, arg, a);
}

void addSystemCommands(std::vector<Command>& t) {
    add(t, "READ", nullptr, readQuery);
    add(t, "*IDN", nullptr, idnQuery);
    add(t, "*CLS", clsSet, nullptr);
    add(t, "*ESR", nullptr, esrQuery);
    add(t, "*ESE", maskSet, maskQuery, 0);
    add(t, "*SRE", maskSet, maskQuery, 1);
    add(t, "*STB", nullptr, stbQuery);
    add(t, "*OPC", opcSet, opcQuery);
    add(t, "*RST", rstSet, nullptr);
    add(t, "*TRG", trgSet, nullptr);
    add(t, "*WAI", noOp, nullptr);
    add(t, "*TST", nullptr, tstQuery);
    add(t, "SYSTem:ERRor[:NEXT]", nullptr, errorQuery);
    add(t, "SYSTem:ERRor:COUNt", nullptr, errorCountQuery);
    add(t, "SYSTem:VERSion", nullptr, versionQuery);
    add(t, "TRIGger:SOURce", triggerSourceSet, triggerSourceQuery);
    add(t, "TRIGger:COUNt", countSet, countQuery, 0);
    add(t, "SAMPle:COUNt", countSet, countQuery, 1);
    add(t, "TRIGger:DELay", countSet, countQuery, 2);
    add(t, "INITiate[:IMMediate]", initSet, nullptr);
    add(t, "ABORt", abortSet, nullptr);
    add(t, "FETCh", nullptr, fetchQuery);
}

void add(std::vector<Command>& table, std::string_view pattern, Handler set, Handler query, int arg,
         std::uint32_t needsAny) {
    auto compiled = scpi::HeaderPattern::compile(pattern);
    if (!compiled) {
        std::fprintf(stderr, "qm sim: bad command pattern %.*s\n", static_cast<int>(pattern.size()),
                     pattern.data());
        std::abort();  // a fault in the fixed table, found by any test run
    }
    table.push_back(Command{std::move(*compiled), set, query, arg, needsAny});
}

bool dispatch(MeterCore& meter, const Unit& unit, std::string& answer) {
    const std::uint32_t caps = meter.model().capabilities;
    for (const Command& c : commandTable()) {
        if (c.needsAny != 0 && (c.needsAny & caps) == 0) continue;
        const Handler h = unit.query ? c.query : c.set;
        if (!h || !c.pattern.matches(unit)) continue;
        return h(meter, unit, c.arg, answer);
    }
    meter.errors().push(scpi::kUndefinedHeader);
    return false;
}

bool paramCount(MeterCore& m, const Unit& u, int min, int max) {
    if (u.paramCount < min) {
        m.errors().push(scpi::kMissingParameter);
        return false;
    }
    if (u.paramCount > max) {
        m.errors().push(scpi::kParameterNotAllowed);
        return false;
    }
    return true;
}

std::optional<Fn> functionFromText(std::string_view text) {
    static const auto patterns = [] {
        std::array<std::optional<scpi::HeaderPattern>, kFnCount> p;
        for (int f = 0; f < kFnCount; ++f)
            p[f] = scpi::HeaderPattern::compile(functionTable()[f].path);
        return p;
    }();
    for (int f = 0; f < kFnCount; ++f)
        if (patterns[f] && patterns[f]->matchesPath(text)) return static_cast<Fn>(f);
    return std::nullopt;
}

void appendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    out.append(text);
    out.push_back('"');
}

void appendInt(std::string& out, long long v) {
    char buf[24];
    const int n = std::snprintf(buf, sizeof buf, "%+lld", v);
    if (n > 0) out.append(buf, static_cast<std::size_t>(n));
}

std::optional<double> pickFromList(MeterCore& m, const Param& p, const double* values,
                                   std::size_t count, double def) {
    int error = 0;
    const auto n = scpi::toNumeric(p, error);
    if (!n) {
        m.errors().push(error);
        return std::nullopt;
    }
    switch (n->kind) {
        case scpi::Numeric::Kind::Min:
            return values[0];
        case scpi::Numeric::Kind::Max:
            return values[count - 1];
        case scpi::Numeric::Kind::Def:
            return def;
        case scpi::Numeric::Kind::Value:
            break;
    }
    if (n->value >= 0)
        for (std::size_t i = 0; i < count; ++i)
            if (values[i] * (1 + 1e-9) >= n->value) return values[i];
    m.errors().push(scpi::kDataOutOfRange);
    return std::nullopt;
}

}  // namespace qm::sim
