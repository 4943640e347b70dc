#pragma once
// The meter's command tree as a table: header pattern -> handlers. Handlers
// report errors on the meter's queue and return true when they answered.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/MeterCore.h"
#include "sim/ScpiParser.h"

namespace qm::sim {

using Handler = bool (*)(MeterCore&, const scpi::Unit&, int arg, std::string& answer);

struct Command {
    scpi::HeaderPattern pattern;
    Handler set = nullptr;       // the command form
    Handler query = nullptr;     // the query form
    int arg = 0;                 // handler argument (a function, a coefficient ...)
    std::uint32_t needsAny = 0;  // capability bits, one of which the model must have
};

// Runs one unit against the meter; unknown headers queue -113.
// True when the unit produced an answer.
bool dispatch(MeterCore& meter, const scpi::Unit& unit, std::string& answer);

// Table parts, built once.
void addSenseCommands(std::vector<Command>& table);
void addSystemCommands(std::vector<Command>& table);

// Queries that MEASure reuses.
bool readQuery(MeterCore& m, const scpi::Unit& u, int arg, std::string& answer);
bool fetchQuery(MeterCore& m, const scpi::Unit& u, int arg, std::string& answer);

// Shared helpers of the handlers.
// Queues the error; returns false (no answer) for use in handlers.
inline bool fail(MeterCore& m, int code) {
    m.errors().push(code);
    return false;
}
void add(std::vector<Command>& table, std::string_view pattern, Handler set, Handler query,
         int arg = 0, std::uint32_t needsAny = 0);
// Checks the parameter count, queueing -109 / -108 when it is off.
bool paramCount(MeterCore& m, const scpi::Unit& u, int min, int max);
// The function a FUNC/FUNC2 parameter names ("VOLT:AC", "FREQ:CURR", "NONE").
std::optional<Fn> functionFromText(std::string_view text);
void appendQuoted(std::string& out, std::string_view text);
void appendInt(std::string& out, long long v);
// Picks the smallest listed value >= v (MIN/MAX/DEF map to the first,
// last and `def`); nullopt (with -222 / the parameter's error queued) when
// nothing fits.
std::optional<double> pickFromList(MeterCore& m, const scpi::Param& p, const double* values,
                                   std::size_t count, double def);

}  // namespace qm::sim
