#pragma once
// One qm_sim on a free loopback port for a whole benchmark run, and the
// resource table text that names it.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/Subprocess.h"

namespace qm::bench {

struct LanMeter {
    LanMeter() {
        sim = std::make_unique<qm::test::Child>(std::vector<std::string>{
            QM_SIM_PATH, "--listen", "127.0.0.1:0", "--model", "TX42", "--serial", "SN000090"});
        std::string line;
        if (sim->ReadLine(line)) port = std::atoi(line.substr(line.rfind(':') + 1).c_str());
    }
    std::string Table() const {
        return "[USB0::0x1209::0x4101::SN000090::INSTR]\nbackend=tcp\nhost=127.0.0.1\nport=" +
               std::to_string(port) + "\n";
    }
    std::unique_ptr<qm::test::Child> sim;
    int port = 0;
};

inline LanMeter& Lan() {
    static LanMeter lan;
    return lan;
}

}  // namespace qm::bench
