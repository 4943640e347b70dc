// qmcli console end to end: commands piped into the real program, one per
// line, against in-process simulated meters.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/Subprocess.h"

namespace qm {
namespace {

class ConsoleRun {
  public:
    ConsoleRun() {
        char name[] = "/tmp/qmcli-console-XXXXXX";
        dir_ = mkdtemp(name);
    }
    ~ConsoleRun() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    // Runs `qmcli --resources TABLE console SLOT < input`.
    test::RunResult Run(const std::string& table, const std::string& slot,
                        const std::string& input) {
        std::ofstream(dir_ + "/table.ini") << table;
        std::ofstream(dir_ + "/input.txt", std::ios::binary) << input;
        return test::Run(
            {"/bin/sh", "-c",
             std::string(QMCLI_PATH) + " --resources table.ini console " + slot + " < input.txt"},
            dir_);
    }

  private:
    std::string dir_;
};

std::string Meter(const std::string& extra = {}) {
    return "[USB0::0x1209::0x4101::SN000041::INSTR]\nbackend=sim\nmodel=TX42\nserial=SN000041\n"
           "value=1.5\nnoise=0\n" +
           extra + "\n";
}

TEST(QmcliConsole, AnswersEachQueryLineAndSendsTextVerbatim) {
    ConsoleRun run;
    const auto r = run.Run(Meter(), "0",
                           "*IDN?\n"
                           "\n"
                           "%s%n%%\r\n"
                           "conf:volt:ac\n"
                           "func?\n"
                           "syst:err?\n"
                           "syst:err?");  // the last line needs no line feed
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // "%s%n%%" reached the meter as itself: it is the syntax error it reports.
    EXPECT_EQ(r.out,
              "Varnet, TX42, SN000041, V1.00\n"
              "\"VOLT:AC\"\n"
              "-102,\"Syntax error\"\n"
              "+0,\"No error\"\n");
    EXPECT_EQ(r.err, "");
}

TEST(QmcliConsole, FailuresAreReportedAndLaterLinesStillRun) {
    ConsoleRun run;
    // Discovery's identity query is the meter's first message; the link goes after the third.
    const auto r = run.Run(Meter("drop_after=3"), "0",
                           std::string(120, 'A') +
                               "\n"
                               "func?\n"
                               "conf:volt:dc\n"
                               "func?\n"
                               "*rst\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "\"VOLT\"\n");
    EXPECT_EQ(r.err,
              "qmcli: The command is longer than 98 characters; nothing was sent.\n"
              "qmcli: Couldn't return a value.\n"
              "qmcli: FAIL.\n");
}

TEST(QmcliConsole, ChecksItsSlot) {
    ConsoleRun run;
    auto r = run.Run(Meter(), "3", "*IDN?\n");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "qmcli: no meter in slot 3 (1 found)\n");
    EXPECT_EQ(r.out, "");
    r = run.Run(Meter(), "", "*IDN?\n");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("usage: qmcli console SLOT"), std::string::npos);
}

}  // namespace
}  // namespace qm
