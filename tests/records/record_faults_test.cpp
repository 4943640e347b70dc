// Record files under conditions the user did not plan for: a nearly full
// disk at creation, a creation cut short by a kill, a record file that is a
// link, write-protected files and folders. No record may be misfiled, and
// nothing may be left behind or called unreadable when it can be read.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "records/RecordLabels.h"
#include "records/RecordSaving.h"
#include "tests/records/RecordTestSupport.h"
#include "tests/support/ScriptedPrompter.h"

namespace qm {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

// Runs body in a child process with a private tmpfs of `kib` KiB mounted on
// folder; returns the child's exit code, or -1 when no file system can be
// mounted here (not root).
template <class Body>
int WithSmallDisk(const std::string& folder, int kib, Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", folder.c_str(), "tmpfs", 0,
                    ("size=" + std::to_string(kib) + "k").c_str()) != 0)
            ::_exit(100);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status)) return 99;
    return WEXITSTATUS(status) == 100 ? -1 : WEXITSTATUS(status);
}

TEST(RecordFaults, ANearlyFullDiskNeverLeavesAHalfMadeRecord) {
    TempDir dir;
    const std::string folder = dir / "disk";
    fs::create_directory(folder);
    // Free space from nothing to enough, in pages: every try either makes a
    // whole record or leaves nothing at all, and the number stays usable.
    const int rc = WithSmallDisk(folder, 256, [&] {
        const std::string fill = folder + "/fill";
        const std::string path = folder + "/Record 4.mdb";
        int created = 0;
        for (int freeKib = 4; freeKib <= 160; freeKib += 4) {
            test::WriteBytes(fill, std::string((256 - freeKib) * 1024, 'x'));
            if (CreateRecordFile(path, RecordLayout::MainWindow).ok()) {
                ++created;
                const RecordFileInfo info = ProbeRecordFile(path, RecordFormat::Current);
                if (info.state != RecordFileState::Readable) return 1;
                Database db;
                if (!OpenRecordDatabase(db, path, RecordFormat::Current, RecordAccess::ReadOnly).ok())
                    return 2;
                if (db.IntegrityCheck().value_or("") != "ok") return 3;
                db.Close();
                fs::remove(path);
            }
            // Whatever happened, nothing else is left in the folder.
            if (test::FolderEntries(folder) != std::vector<std::string>{"fill"}) return 4;
        }
        // Space freed: the number is usable.
        fs::remove(fill);
        if (!CreateRecordFile(path, RecordLayout::MainWindow).ok()) return 5;
        return created > 0 && created < 40 ? 0 : 6;
    });
    if (rc == -1) GTEST_SKIP() << "no file system can be mounted here";
    EXPECT_EQ(rc, 0);
}

TEST(RecordFaults, CreationRemovesBuildFilesOfProcessesThatAreGone) {
    TempDir dir;
    // A process id that is surely free: a child that has been reaped.
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string dead = ".Record 6.mdb." + std::to_string(gone) + ".new";
    const std::string alive = ".Record 2.mdb." + std::to_string(::getppid()) + ".new";
    for (const std::string& name : {dead, dead + "-wal", dead + "-shm", alive})
        test::WriteBytes(dir / name, "left by a kill");
    test::WriteBytes(dir / ".Record 6.mdb.notes", "not ours");

    ASSERT_TRUE(CreateRecordFile(dir / "Record 7.mdb", RecordLayout::MainWindow).ok());
    EXPECT_EQ(test::FolderEntries(dir.path()),
              (std::vector<std::string>{alive, ".Record 6.mdb.notes", "Record 7.mdb"}));
}

struct SavingFolder {
    SavingFolder() : folder(dir.path()) {}
    SavingCheckOutcome Save(int recordNo) {
        RecordSaving saving(prompter, clock, [this] { return folder; });
        return saving.StartOfSavingCheck({{0, recordNo, "VOLT", "NONE"}});
    }
    std::string Path(int n) const { return RecordFilePath(folder, n, RecordFormat::Current); }
    void MakeRecord(int n) {
        RecordSaving saving(prompter, clock, [this] { return folder; });
        ASSERT_TRUE(saving.StartOfSavingCheck({{0, n, "VOLT", "NONE"}}).proceed);
        ASSERT_TRUE(saving.AppendReading(0, 1.5, kRecordNoSecondValue).ok());
    }
    TempDir dir;
    std::string folder;
    test::ScriptedPrompter prompter;
    ManualClock clock;
};

TEST(RecordFaults, ARecordFileThatIsALinkIsRefusedByName) {
    SavingFolder f;
    f.MakeRecord(2);
    const std::string before = test::ReadBytes(f.Path(2));
    fs::create_symlink("Record 2.mdb", f.Path(1));

    const SavingCheckOutcome out = f.Save(1);
    EXPECT_FALSE(out.proceed);
    EXPECT_EQ(f.prompter.last().text,
              "Record 1.mdb is a symbolic link, not a record file; it was left untouched. Please "
              "select a different record.");
    EXPECT_EQ(test::ReadBytes(f.Path(2)), before);  // neither written nor re-stamped

    // A second name of the same file (a hard link) would be changed too.
    fs::remove(f.Path(1));
    fs::create_hard_link(f.Path(2), f.Path(1));
    f.prompter.answers = {PromptAnswer::Yes};
    EXPECT_FALSE(f.Save(1).proceed);
    EXPECT_NE(f.prompter.last().text.find("Record 1.mdb has more than one name"),
              std::string::npos);
    EXPECT_EQ(test::ReadBytes(f.Path(2)), before);

    // The lists name the link, once, as unreadable; record 2 lists as usual.
    fs::remove(f.Path(1));
    fs::create_symlink("Record 2.mdb", f.Path(1));
    const auto entries = RecordViewEntries(f.folder);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].unreadable);
    EXPECT_EQ(entries[0].label, "Record 1            ( Record 1.mdb cannot be read )");
    EXPECT_FALSE(entries[1].unreadable);
    EXPECT_EQ(entries[1].recordNo, 2);
}

TEST(RecordFaults, WriteProtectedFilesAndFoldersReadAndSayWhyTheyCannotBeSaved) {
    SavingFolder f;
    f.MakeRecord(3);
    f.MakeRecord(5);
    ASSERT_EQ(::chmod(f.Path(5).c_str(), 0444), 0);
    {
        test::ObeyFilePermissions obey;
        // A write-protected record reads, and looking leaves nothing beside it.
        EXPECT_EQ(ProbeRecordFile(f.Path(5), RecordFormat::Current).state,
                  RecordFileState::Readable);
        EXPECT_FALSE(test::Exists(f.Path(5) + "-wal"));
        EXPECT_FALSE(test::Exists(f.Path(5) + "-shm"));
        EXPECT_FALSE(f.Save(5).proceed);
        EXPECT_EQ(f.prompter.last().text,
                  "Record 5.mdb is write-protected; readings cannot be saved into it. Please "
                  "select a different record.");
        EXPECT_FALSE(test::Exists(f.Path(5) + "-wal"));
    }
    ASSERT_EQ(::chmod(f.folder.c_str(), 0555), 0);
    {
        test::ObeyFilePermissions obey;
        // A write-protected folder: both records list; saving names the folder.
        const auto entries = RecordViewEntries(f.folder);
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_FALSE(entries[0].unreadable);
        EXPECT_FALSE(entries[1].unreadable);
        EXPECT_FALSE(f.Save(4).proceed);
        EXPECT_EQ(f.prompter.last().text, "The database folder " + f.folder +
                                               " cannot be written (Permission denied); readings "
                                               "cannot be saved.");
        EXPECT_FALSE(f.Save(3).proceed);
        EXPECT_NE(f.prompter.last().text.find("cannot be written"), std::string::npos);
        EXPECT_EQ(test::FolderEntries(f.folder), (std::vector<std::string>{"Record 3.mdb", "Record 5.mdb"}));
    }
    ::chmod(f.folder.c_str(), 0755);
}

}  // namespace
}  // namespace qm
