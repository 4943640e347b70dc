// Live saving through the reading loop: what was shown as saved is in the
// record, whatever ends the run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/MeterTool.h"
#include "records/RecordTestSupport.h"
#include "support/ScriptedPrompter.h"
#include "support/SimulatedBench.h"

namespace qm {
namespace {

using test::StoredValues;

struct SavedLines : ReadingView {
    void LineUpdated(const LineReading& l) override {
        if (l.saved) saved.push_back(l.mainText);
    }
    std::vector<std::string> saved;
};

struct SavingBench {
    explicit SavingBench(const std::string& extra, const std::string& folder = {})
        : cwd(folder.empty() ? dir.path() : folder), path(folder.empty() ? dir.path() : folder) {
        bench.UseTable(test::SimMeterSection("GPIB0::9::INSTR", "TX42", "SN9", extra));
        tool.Refresh();
        tool.loop().SetView(&view);
    }
    std::string RecordFile(int n) const { return path + "/DB/Record " + std::to_string(n) + ".mdb"; }

    test::TempDir dir;
    test::WorkingDirectory cwd;
    std::string path;
    test::SimulatedBench bench;
    test::ScriptedPrompter prompter;
    EnglishTexts texts;
    MeterTool tool{prompter, texts, bench.clock};
    SavedLines view;
};

TEST(LiveSaving, ZeroIsStoredAsZeroAndReadingsGoToPositionZero) {
    SavingBench b("value=0\nnoise=0");
    b.tool.loop().SetSaving(0, true, 4);
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    for (int i = 0; i < 3; ++i) b.tool.loop().OnTimer();
    b.tool.loop().OnStopReading();
    EXPECT_EQ(b.view.saved.size(), 3u);
    EXPECT_EQ(StoredValues(b.RecordFile(4)), (std::vector<double>{0, 0, 0}));
}

TEST(LiveSaving, ConnectionLossKeepsEveryReadingTakenBefore) {
    SavingBench b("value=2.5\nnoise=0.01\ndrop_after=20");
    b.tool.loop().SetSaving(0, true, 6);
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    for (int i = 0; i < 40 && b.tool.loop().reading(); ++i) b.tool.loop().OnTimer();
    EXPECT_EQ(b.tool.loop().endReason(), ReadingLoop::EndReason::ConnectionLost);
    EXPECT_EQ(b.prompter.last().text, "Check Device Connection");
    const std::vector<double> stored = StoredValues(b.RecordFile(6));
    ASSERT_FALSE(b.view.saved.empty());
    ASSERT_EQ(stored.size(), b.view.saved.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        char text[64];
        std::snprintf(text, sizeof text, "%.12f", stored[i]);
        EXPECT_EQ(b.view.saved[i], text);
    }
}

TEST(LiveSaving, FullDiskStopsSavingWithAMessageAndKeepsTheRows) {
    // A child process whose files may not grow past a limit saves until the
    // disk is "full"; it reports what it showed as saved.
    test::TempDir folder;
    int report[2];
    ASSERT_EQ(pipe2(report, O_CLOEXEC), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(report[0]);
        signal(SIGXFSZ, SIG_IGN);
        int code = 0;
        {
            SavingBench b("value=1.25\nnoise=0", folder.path());
            b.tool.loop().SetSaving(0, true, 8);
            if (!b.tool.loop().OnStartReading()) _exit(10);
            rlimit limit{256 * 1024, 256 * 1024};
            setrlimit(RLIMIT_FSIZE, &limit);
            for (int i = 0; i < 100000 && b.tool.loop().reading(); ++i) b.tool.loop().OnTimer();
            const bool failedRight =
                b.tool.loop().endReason() == ReadingLoop::EndReason::SaveFailed &&
                !b.prompter.messages.empty() && b.prompter.last().icon == PromptIcon::Error &&
                b.prompter.last().text.find("Record 8.mdb") != std::string::npos;
            const std::string result =
                std::to_string(b.view.saved.size()) + " " + (failedRight ? "1" : "0");
            (void)!write(report[1], result.c_str(), result.size());
            code = failedRight ? 0 : 1;
        }
        close(report[1]);
        _exit(code);
    }
    close(report[1]);
    char buf[128] = {};
    const ssize_t n = read(report[0], buf, sizeof buf - 1);
    close(report[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_GT(n, 0);
    std::size_t saved = 0;
    int failedRight = 0;
    ASSERT_EQ(std::sscanf(buf, "%zu %d", &saved, &failedRight), 2);
    EXPECT_EQ(failedRight, 1) << "saving did not stop with a message naming the record";
    EXPECT_GT(saved, 0u);
    // Every reading shown as saved is still in the record.
    const std::vector<double> stored = StoredValues(folder.path() + "/DB/Record 8.mdb");
    EXPECT_EQ(stored.size(), saved);
    for (double v : stored) EXPECT_DOUBLE_EQ(v, 1.25);
}

}  // namespace
}  // namespace qm
