#pragma once
// Small helpers shared by the simulator tests.
#include <string>
#include <string_view>
#include <vector>

#include "sim/SimEndpoint.h"
#include "sim/SimMeter.h"

namespace qm::sim::test {

inline MeterConfig makeConfig(std::string model, double noise = 0) {
    MeterConfig c;
    c.model = std::move(model);
    c.serial = "SN000001";
    c.noise = noise;
    return c;
}

// The answer to a message, or "<none>" when it gave none.
inline std::string ask(SimMeter& m, std::string_view message) {
    const Response r = m.execute(message);
    return r.answered ? r.text : "<none>";
}

inline std::vector<int> errorCodes(const SimMeter& m) {
    std::vector<int> codes;
    for (const ScpiError& e : m.errors()) codes.push_back(e.code);
    return codes;
}

}  // namespace qm::sim::test
