#pragma once
// What the qmcli end-to-end tests share: a scratch folder to run in, qmcli
// itself, a table of in-process simulated meters, and a qm_sim on a free
// loopback port with a resource table that names it.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/Subprocess.h"

namespace qm::test {

namespace fs = std::filesystem;

class Scratch {
public:
    // The name never holds "DB": the database folder rule looks for those letters.
    Scratch() {
        for (;;) {
            char name[] = "/tmp/qmcli-e2e-XXXXXX";
            dir_ = mkdtemp(name);
            if (dir_.find("DB") == std::string::npos) break;
            fs::remove(dir_);
        }
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Write(const std::string& name, const std::string& text) const {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path) << text;
        return path;
    }
    const std::string& dir() const { return dir_; }

private:
    std::string dir_;
};

inline RunResult Qmcli(const Scratch& s, const std::vector<std::string>& args) {
    std::vector<std::string> argv{QMCLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return test::Run(argv, s.dir());
}

inline std::string SimTable(const std::string& extra = "value=1.5\nnoise=0.001") {
    return "[USB0::0x1209::0x4101::SN000031::INSTR]\nbackend=sim\nmodel=TX42\nserial=SN000031\n" +
           extra + "\n";
}

// A qm_sim on a free loopback port, and a resource table that names it.
struct LanMeter {
    LanMeter(const Scratch& s, std::vector<std::string> extra = {}) {
        std::vector<std::string> argv{QM_SIM_PATH, "--listen", "127.0.0.1:0", "--model", "TX42",
                                      "--serial", "SN000077"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        sim = std::make_unique<Child>(argv);
        std::string line;
        if (!sim->ReadLine(line)) return;
        const auto colon = line.rfind(':');
        if (colon == std::string::npos) return;
        table = s.Write("lan.ini", "[USB0::0x1209::0x4101::SN000077::INSTR]\nbackend=tcp\n"
                                   "host=127.0.0.1\nport=" + line.substr(colon + 1) + "\n");
    }
    std::unique_ptr<Child> sim;
    std::string table;
};

}  // namespace qm::test
