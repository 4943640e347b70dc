// No reading reported as saved may be lost: not when the program is killed
// half-way, not when the disk fills up.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "records/RecordSaving.h"
#include "tests/records/RecordTestSupport.h"
#include "tests/support/ScriptedPrompter.h"

namespace qm {
namespace {

using test::TempDir;

bool WriteAll(int fd, const void* data, size_t n) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w <= 0) return false;
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

bool ReadAll(int fd, void* data, size_t n) {
    char* p = static_cast<char*>(data);
    while (n > 0) {
        ssize_t r = ::read(fd, p, n);
        if (r <= 0) return false;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

// Opens record 4 for saving in a child process and hands the saving object
// to body; the child never returns into the test framework.
template <class Body>
pid_t Child(const std::string& folder, int pipeWrite, Body body) {
    pid_t pid = ::fork();
    if (pid != 0) return pid;
    test::ScriptedPrompter prompter;
    RecordSaving saving(prompter, systemClock(), [&] { return folder; });
    int rc = 2;
    if (saving.StartOfSavingCheck({{0, 4, "VOLT", "NONE"}}).proceed) rc = body(saving, pipeWrite);
    ::_exit(rc);
}

struct Stored {
    std::string integrity;
    std::vector<double> values;
};

Stored ReadBack(const std::string& path) {
    Stored s;
    Database db;
    EXPECT_TRUE(OpenRecordDatabase(db, path, RecordFormat::Current).ok());
    s.integrity = db.IntegrityCheck().value_or("failed");
    Recordset rs;
    EXPECT_TRUE(rs.Open(db, "select * from read").ok());
    for (; !rs.IsEOF(); (void)rs.MoveNext()) s.values.push_back(*rs.GetDouble("read_value"));
    return s;
}

TEST(RecordSafety, KilledWhileAppendingKeepsEveryConfirmedReading) {
    TempDir dir;
    const std::string folder = dir.path();
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    pid_t pid = Child(folder, fds[1], [](RecordSaving& saving, int out) {
        for (int i = 0; i < 1000000; ++i) {
            if (!saving.AppendReading(0, i, kRecordNoSecondValue)) return 3;
            if (!WriteAll(out, &i, sizeof i)) return 4;  // confirmed only after the commit
        }
        return 0;
    });
    ASSERT_GT(pid, 0);
    ::close(fds[1]);
    int confirmed = -1, got = 0;
    while (confirmed < 300 && ReadAll(fds[0], &got, sizeof got)) confirmed = got;
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    while (ReadAll(fds[0], &got, sizeof got)) confirmed = got;
    ::close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: " << WEXITSTATUS(status);
    ASSERT_GE(confirmed, 300);

    Stored s = ReadBack(dir / "Record 4.mdb");
    EXPECT_EQ(s.integrity, "ok");
    ASSERT_GE(s.values.size(), static_cast<size_t>(confirmed + 1));
    for (int i = 0; i <= confirmed; ++i) ASSERT_EQ(s.values[i], i) << "row " << i;
}

TEST(RecordSafety, FullDiskStopsSavingAndKeepsWhatWasWritten) {
    TempDir dir;
    const std::string folder = dir.path();
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    pid_t pid = Child(folder, fds[1], [](RecordSaving& saving, int out) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{256 * 1024, 256 * 1024};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 5;
        int saved = 0;
        DbStatus st;
        while (saved < 100000 && (st = saving.AppendReading(0, saved, 1.0))) ++saved;
        // Once failed, the slot refuses at once instead of writing again.
        DbStatus again = saving.AppendReading(0, -1, 1.0);
        std::string message = st.message();
        int length = static_cast<int>(message.size());
        bool refused = !again.ok() && again.message() == message;
        if (!WriteAll(out, &saved, sizeof saved) || !WriteAll(out, &refused, sizeof refused) ||
            !WriteAll(out, &length, sizeof length) ||
            !WriteAll(out, message.data(), message.size()))
            return 4;
        return st.ok() ? 6 : 0;
    });
    ASSERT_GT(pid, 0);
    ::close(fds[1]);
    int saved = -1, length = 0;
    bool refused = false;
    ASSERT_TRUE(ReadAll(fds[0], &saved, sizeof saved));
    ASSERT_TRUE(ReadAll(fds[0], &refused, sizeof refused));
    ASSERT_TRUE(ReadAll(fds[0], &length, sizeof length));
    ASSERT_TRUE(length >= 0 && length < 4096);
    std::string message(static_cast<size_t>(length), '\0');
    ASSERT_TRUE(ReadAll(fds[0], message.data(), message.size()));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "the disk never filled up";

    EXPECT_GT(saved, 0);
    EXPECT_TRUE(refused);
    EXPECT_NE(message.find("could not be saved into Record 4.mdb"), std::string::npos) << message;
    EXPECT_NE(message.find("the readings saved before are kept"), std::string::npos);

    Stored s = ReadBack(dir / "Record 4.mdb");
    EXPECT_EQ(s.integrity, "ok");
    ASSERT_EQ(s.values.size(), static_cast<size_t>(saved));
    for (int i = 0; i < saved; ++i) ASSERT_EQ(s.values[i], i);
}

}  // namespace
}  // namespace qm
