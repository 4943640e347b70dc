#pragma once
// Extensions of our own VISA layer: how the resource table is chosen, which
// clock simulated instruments run on, and (for tests) a handle on the
// simulated meter behind a session. A vendor VISA has none of this; code that
// must also build against one keeps these calls in the places that choose the
// simulated set-up (program start-up and tests).
#include <string>
#include <vector>

#include "visa/visatype.h"

namespace qm {
class Clock;
namespace sim {
class SimEndpoint;
}
}  // namespace qm

namespace qm::visa {

struct TableLoadResult {
    bool ok = true;
    std::string message;  // "FILE:LINE: what is wrong" when !ok
};

// The built-in simulated table (used by --simulate).
TableLoadResult useBuiltinSimulatedTable();
// A resource table file (--resources FILE, or $QM_VISA_RESOURCES).
TableLoadResult useResourceTableFile(const std::string& path);
// Resource table text, for tests ("name" is used in messages).
TableLoadResult useResourceTableText(const std::string& text, const std::string& name = "<text>");
// No table at all: only TCPIP0::host::port::SOCKET descriptors resolve.
void useEmptyResourceTable();
// The table named by $QM_VISA_RESOURCES, else no table: what a program uses
// when neither --simulate nor --resources is given. viOpenDefaultRM does the
// same on its own when no table has been chosen at all.
TableLoadResult configureFromEnvironment();

// The clock that simulated instruments run on. Default: a virtual clock, so
// simulated delays cost no real time unless a resource asks for real time.
// An installed clock must outlive the meters started on it (until the table
// changes or resetForTests()).
void setSimulationClock(Clock& clock);
Clock& simulationClock();

// The simulated meter behind an open session, or nullptr (tests only).
qm::sim::SimEndpoint* simEndpointOf(ViSession session);

// Meters on USB that a search with `pattern` would find but whose device node
// this user may not open: one message each, naming the file and the fix.
std::vector<std::string> usbAccessProblems(const std::string& pattern);

// Closes every session and resource manager and forgets the table (tests).
void resetForTests();

}  // namespace qm::visa
