#pragma once
// A bench of in-process simulated meters for tests: a resource table given
// as text, a virtual clock, and a clean VISA layer before and after.
#include <gtest/gtest.h>

#include <string>

#include "platform/Clock.h"
#include "visa/visa_ext.h"

namespace qm::test {

class SimulatedBench {
public:
    SimulatedBench() {
        visa::resetForTests();
        visa::setSimulationClock(clock);
    }
    ~SimulatedBench() { visa::resetForTests(); }
    SimulatedBench(const SimulatedBench&) = delete;
    SimulatedBench& operator=(const SimulatedBench&) = delete;

    void UseBuiltin() { ASSERT_TRUE(visa::useBuiltinSimulatedTable().ok); }
    void UseTable(const std::string& text) {
        const auto r = visa::useResourceTableText(text, "test-table");
        ASSERT_TRUE(r.ok) << r.message;
    }

    ManualClock clock;
};

// One simulated meter section of a resource table.
inline std::string SimMeterSection(const std::string& descriptor, const std::string& model,
                                   const std::string& serial, const std::string& extra = {}) {
    return "[" + descriptor + "]\nbackend=sim\nmodel=" + model + "\nserial=" + serial + "\n" +
           extra + "\n";
}

}  // namespace qm::test
