// qmcli link end to end: the real programs against qm_sim on a loopback port.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/Subprocess.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

class LinkScratch {
  public:
    LinkScratch() {
        char name[] = "/tmp/qmcli-link-XXXXXX";
        dir_ = mkdtemp(name);
        fs::create_directories(dir_ + "/docs/Varnet Instruments/TX42");
        fs::copy_file(QM_TEST_DATA_DIR "/../../data/QM_TOOL.ini", dir_ + "/docs/Varnet Instruments/TX42/QM_TOOL.ini");
    }
    ~LinkScratch() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    test::RunResult Qmcli(const std::vector<std::string>& args) const {
        std::vector<std::string> argv{QMCLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        return test::Run(argv, dir_, {"QM_LINK_DOCS=" + dir_ + "/docs"});
    }
    const std::string& dir() const { return dir_; }

  private:
    std::string dir_;
};

// One qm_sim on a free loopback port and a table naming it.
struct LinkMeter {
    LinkMeter(const LinkScratch& s, std::vector<std::string> extra) {
        std::vector<std::string> argv{QM_SIM_PATH, "--listen", "127.0.0.1:0", "--model", "TX42",
                                      "--serial", "SN000088", "--value", "2.5", "--noise", "0"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        sim = std::make_unique<test::Child>(argv);
        std::string line;
        if (!sim->ReadLine(line)) return;
        table = s.Path("lan.ini");
        std::ofstream(table) << "[USB0::0x1209::0x4101::SN000088::INSTR]\nbackend=tcp\nhost=127.0.0.1\nport="
                             << line.substr(line.rfind(':') + 1) << "\n";
    }
    std::unique_ptr<test::Child> sim;
    std::string table;
};

TEST(QmcliLink, FindListsTheEnginesRowsAndLogStopsAfterItsCount) {
    LinkScratch s;
    LinkMeter meter(s, {});
    ASSERT_FALSE(meter.table.empty());
    const auto find = s.Qmcli({"--resources", meter.table, "link", "find"});
    ASSERT_EQ(find.exitCode, 0) << find.err;
    EXPECT_EQ(find.out.rfind("0\tVarnet, TX42, SN000088, V1.00\tUSB0::0x1209::0x4101::SN000088::INSTR\t", 0), 0u)
        << find.out;

    const auto log = s.Qmcli({"--resources", meter.table, "link", "log", "0", "--to", "out.xlsx",
                              "--count", "5", "--interval", "20", "--chart", "2", "--points", "3"});
    ASSERT_EQ(log.exitCode, 0) << log.err;
    EXPECT_EQ(log.out, "1\n2\n3\n4\n5\n");
    EXPECT_NE(log.err.find("5 readings logged"), std::string::npos);
    std::ifstream xlsx(s.Path("out.xlsx"), std::ios::binary);
    char magic[2] = {};
    xlsx.read(magic, 2);
    EXPECT_EQ(std::string(magic, 2), "PK");
    // The run's parameters were kept in the engine's settings file.
    std::ifstream ini(s.dir() + "/docs/Varnet Instruments/TX42/QM_TOOL.ini");
    const std::string settings((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
    EXPECT_NE(settings.find("ReadPoints=5"), std::string::npos);
    EXPECT_NE(settings.find("Add_Chart=2"), std::string::npos);
}

TEST(QmcliLink, ExternalTriggerStartWaitsForThePulseThenLogs) {
    LinkScratch s;
    LinkMeter meter(s, {"--trigger-after-ms", "700"});
    ASSERT_FALSE(meter.table.empty());
    const auto start = std::chrono::steady_clock::now();
    const auto log = s.Qmcli({"--resources", meter.table, "link", "log", "0", "--to", "trig.xlsx",
                              "--count", "3", "--interval", "50", "--begin", "3"});
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(log.exitCode, 0) << log.err;
    EXPECT_EQ(log.out, "1\n2\n3\n");
    EXPECT_GE(took, std::chrono::milliseconds(700));
    EXPECT_TRUE(fs::exists(s.Path("trig.xlsx")));
}

TEST(QmcliLink, ALostMeterEndsTheRunWithTheEnginesMessageAndAFileAllTheSame) {
    LinkScratch s;
    LinkMeter meter(s, {"--drop-after", "8"});
    ASSERT_FALSE(meter.table.empty());
    const auto log = s.Qmcli({"--resources", meter.table, "link", "log", "0", "--to", "lost.xlsx",
                              "--count", "100", "--interval", "20"});
    EXPECT_EQ(log.exitCode, 1);
    EXPECT_NE(log.err.find("Varnet QM-Link: Error status description:"), std::string::npos) << log.err;
    EXPECT_TRUE(fs::exists(s.Path("lost.xlsx")));
    EXPECT_FALSE(log.out.empty());
}

TEST(QmcliLink, BadArgumentsAreRefusedBeforeAnythingStarts) {
    LinkScratch s;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"link"}, {"link", "log", "x"}, {"link", "log", "0", "--count", "5"},
          {"link", "log", "0", "--to", "a.xlsx", "--interval", "5", "--count", "1"},
          {"link", "log", "0", "--to", "a.xlsx", "--interval", "100", "--begin", "2"},
          {"link", "log", "0", "--to", "a.xlsx", "--interval", "100", "--stop", "2", "--stop-after", "1:2"}}) {
        const auto r = s.Qmcli(args);
        EXPECT_EQ(r.exitCode, 2) << args.back() << "\n" << r.err;
    }
    EXPECT_FALSE(fs::exists(s.Path("a.xlsx")));
}

}  // namespace
}  // namespace qm
