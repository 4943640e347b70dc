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

// Starts a qm_sim of a model and serial on a free loopback port; returns the
// resource table section that names it (empty when it did not start).
inline std::string StartQmSim(std::unique_ptr<Child>& sim, const std::string& model,
                              const std::string& serial, const std::vector<std::string>& extra) {
    std::vector<std::string> argv{QM_SIM_PATH, "--listen", "127.0.0.1:0", "--model", model,
                                  "--serial", serial};
    argv.insert(argv.end(), extra.begin(), extra.end());
    sim = std::make_unique<Child>(argv);
    std::string line;
    if (!sim->ReadLine(line)) return {};
    const auto colon = line.rfind(':');
    if (colon == std::string::npos) return {};
    return "[USB0::0x1209::0x4101::" + serial + "::INSTR]\nbackend=tcp\nhost=127.0.0.1\nport=" +
           line.substr(colon + 1) + "\n";
}

// A qm_sim on a free loopback port, and a resource table that names it.
struct LanMeter {
    LanMeter(const Scratch& s, std::vector<std::string> extra = {}) {
        const std::string section = StartQmSim(sim, "TX42", "SN000077", extra);
        if (!section.empty()) table = s.Write("lan.ini", section);
    }
    std::unique_ptr<Child> sim;
    std::string table;
};

// Several qm_sim meters (TX42, serials SN000071, SN000072, ...) in one table;
// `extra[i]` are the options of meter i.
struct LanMeters {
    LanMeters(const Scratch& s, std::vector<std::vector<std::string>> extra) {
        std::string text;
        for (std::size_t i = 0; i < extra.size(); ++i) {
            sims.emplace_back();
            const std::string section =
                StartQmSim(sims.back(), "TX42", "SN00007" + std::to_string(i + 1), extra[i]);
            if (section.empty()) return;
            text += section;
        }
        table = s.Write("lan-meters.ini", text);
    }
    std::vector<std::unique_ptr<Child>> sims;
    std::string table;
};

}  // namespace qm::test
