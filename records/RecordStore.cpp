#include "records/RecordStore.h"

#include "platform/FileAttributes.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string_view>
#include <vector>

namespace qm {

namespace {

std::string Errno(int err) {
    return std::strerror(err);
}

const std::vector<FieldDef>& ReadFields(RecordLayout layout) {
    static const std::vector<FieldDef> mainWindow = {
        {"read_value", DaoType::Double, 20}, {"read_value_2ND", DaoType::Double, 20},
        {"read_time", DaoType::Text, 100},   {"read_func", DaoType::Text, 20},
        {"read_func2", DaoType::Text, 20},
    };
    static const std::vector<FieldDef> multipleReadings(mainWindow.begin(), mainWindow.end() - 1);
    return layout == RecordLayout::MainWindow ? mainWindow : multipleReadings;
}

bool HasColumns(const std::vector<std::string>& have, std::initializer_list<const char*> need,
                std::string& missing) {
    for (const char* n : need) {
        bool found = false;
        for (const auto& h : have) {
            if (h.size() == std::strlen(n) && sqlite3_stricmp(h.c_str(), n) == 0) found = true;
        }
        if (!found) {
            missing = n;
            return false;
        }
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A log or shared-memory file left by a deleted record would be taken for
// the log of a new file of the same name.
void RemoveOrphanSideFiles(const std::string& path) {
    if (RecordFileExists(path)) return;
    ::unlink((path + "-wal").c_str());
    ::unlink((path + "-shm").c_str());
}

void RemoveWithSideFiles(const std::string& path) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) ::unlink((path + suffix).c_str());
}

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// The process id of a build file ".Record N.mdb.PID.new" (or of its -wal,
// -shm or -journal file); 0 for any other name.
long BuildFileOwner(std::string_view name) {
    constexpr std::string_view kStart = ".Record ";
    if (name.substr(0, kStart.size()) != kStart) return 0;
    name.remove_prefix(kStart.size());
    for (std::string_view suffix : {"-wal", "-shm", "-journal"}) {
        if (name.size() > suffix.size() && name.substr(name.size() - suffix.size()) == suffix) {
            name.remove_suffix(suffix.size());
            break;
        }
    }
    constexpr std::string_view kNew = ".new";
    if (name.size() <= kNew.size() || name.substr(name.size() - kNew.size()) != kNew) return 0;
    name.remove_suffix(kNew.size());
    const auto mdb = name.find(".mdb.");
    if (mdb == std::string_view::npos || !AllDigits(name.substr(0, mdb))) return 0;
    const std::string_view pid = name.substr(mdb + 5);
    if (!AllDigits(pid) || pid.size() > 9) return 0;
    return std::strtol(std::string(pid).c_str(), nullptr, 10);
}

// Build files of creations that were cut short: their process is gone.
void RemoveStaleBuildFiles(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* e = ::readdir(dir)) {
        const long pid = BuildFileOwner(e->d_name);
        if (pid <= 0) continue;
        if (pid != ::getpid() && !(::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH))
            continue;  // still being built by a running process
        ::unlinkat(::dirfd(dir), e->d_name, 0);
    }
    ::closedir(dir);
}

DbStatus SyncPath(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_RDONLY | O_CLOEXEC);
    if (fd < 0) return DbStatus::Fail(errno, Errno(errno));
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    if (rc != 0 && err != EINVAL) return DbStatus::Fail(err, Errno(err));
    return DbStatus::Ok();
}

// The closed build file must hold a whole record on disk before it takes
// the record's name: a log that could not be folded back into it (a full
// disk) leaves it short of its tables.
DbStatus CheckBuiltRecord(const std::string& temp) {
    struct stat wal {};
    if (::lstat((temp + "-wal").c_str(), &wal) == 0 && wal.st_size > 0)
        return DbStatus::Fail(SQLITE_IOERR, "Cannot write to " + Database::FileNameOf(temp) +
                                                ": the file could not be completed");
    DbStatus st = SyncPath(temp, 0);
    if (!st)
        return DbStatus::Fail(st.code(),
                              "Cannot write to " + Database::FileNameOf(temp) + ": " + st.message());
    Database check;
    st = OpenRecordDatabase(check, temp, RecordFormat::Current, RecordAccess::ReadOnly);
    if (!st) return st;
    auto integrity = check.IntegrityCheck();
    if (!integrity) return integrity.status();
    if (*integrity != "ok")
        return DbStatus::Fail(SQLITE_CORRUPT, "Cannot write to " + Database::FileNameOf(temp) +
                                                  ": the file could not be completed");
    return DbStatus::Ok();
}

}  // namespace

std::string DatabaseFolderFor(std::string_view workingDirectory) {
    std::string dir(workingDirectory);
    if (dir.find("DB") != std::string::npos) return dir;
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir + "DB";
}

std::optional<std::string> ExistingDatabaseFolder() {
    std::vector<char> buf(PATH_MAX + 1);
    if (!::getcwd(buf.data(), buf.size())) return std::nullopt;
    std::string folder = DatabaseFolderFor(buf.data());
    struct stat sb {};
    if (::stat(folder.c_str(), &sb) != 0 || !S_ISDIR(sb.st_mode)) return std::nullopt;
    return folder;
}

std::optional<std::string> ResolveDatabaseFolder(Prompter& prompter, std::string_view caption,
                                                 FolderCreation creation) {
    std::vector<char> buf(PATH_MAX + 1);
    if (!::getcwd(buf.data(), buf.size())) {
        prompter.message({std::string(kFolderNotFoundText), std::string(caption)});
        return std::nullopt;
    }
    std::string folder = DatabaseFolderFor(buf.data());
    if (::chdir(folder.c_str()) == 0) return folder;
    int err = errno;
    if (creation == FolderCreation::IfMissing && err == ENOENT) {
        if (::mkdir(folder.c_str(), 0755) != 0) {
            prompter.message(
                {"The database folder " + folder + " could not be created: " + Errno(errno) + ".",
                 std::string(caption)});
            return std::nullopt;
        }
        SetHiddenSystemAttributes(folder);
        if (::chdir(folder.c_str()) == 0) return folder;
    }
    prompter.message({std::string(kFolderNotFoundText), std::string(caption)});
    return std::nullopt;
}

std::string RecordFileName(int recordNo, RecordFormat format) {
    char buf[48];
    if (format == RecordFormat::Current)
        std::snprintf(buf, sizeof buf, "Record %d.mdb", recordNo);
    else
        std::snprintf(buf, sizeof buf, "DBfile_DB%d.mdb", recordNo);
    return buf;
}

std::string RecordFilePath(std::string_view folder, int recordNo, RecordFormat format) {
    std::string path(folder);
    if (path.empty() || path.back() != '/') path += '/';
    return path + RecordFileName(recordNo, format);
}

std::string RecordName(int recordNo) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "Record %d", recordNo);
    return buf;
}

int ParseRecordNumber(std::string_view entry) {
    if (entry.size() <= 7) return 0;
    std::string_view two = entry.substr(7, 2);
    int n = 0;
    for (char c : two) {
        if (c < '0' || c > '9') break;
        n = n * 10 + (c - '0');
    }
    return n;
}

std::string ShortFunctionCode(std::string_view answer) {
    std::string a;
    for (char c : answer)
        if (c != '\n' && c != '\r' && c != '"') a += c;
    if (a == "VOLT") return "DCV";
    if (a == "CURR") return "DCI";
    if (a == "VOLT:AC") return "ACV";
    if (a == "CURR:AC") return "ACI";
    if (a == "RES") return "2W";
    if (a == "FRES") return "4W";
    return a;
}

bool RecordFileExists(const std::string& path) {
    struct stat sb {};
    return ::lstat(path.c_str(), &sb) == 0;
}

std::string UnreadableRecordMessage(const std::string& fileName) {
    return fileName +
           " is not a record file this program can read; it was left untouched. Please select a "
           "different record.";
}

namespace {

std::string WindowsRecordText(const std::string& fileName) {
    return fileName +
           " was saved by the Windows version of this program (an Access database), which this "
           "version cannot read";
}

}  // namespace

RecordProblem UnreadableKindOf(const std::string& path) {
    // An Access database names its engine in the first page's header.
    static constexpr std::string_view kJetMagic("\x00\x01\x00\x00Standard Jet DB", 19);
    static constexpr std::string_view kAceMagic("\x00\x01\x00\x00Standard ACE DB", 19);
    std::ifstream in(path, std::ios::binary);
    char head[19] = {};
    if (in.read(head, sizeof head) && in.gcount() == static_cast<std::streamsize>(sizeof head)) {
        const std::string_view h(head, sizeof head);
        if (h == kJetMagic || h == kAceMagic) return RecordProblem::WindowsRecord;
    }
    return RecordProblem::NotARecord;
}

std::string RecordProblemMessage(const std::string& fileName, RecordProblem kind) {
    const std::string tail = " Please select a different record.";
    switch (kind) {
        case RecordProblem::SymbolicLink:
            return fileName + " is a symbolic link, not a record file; it was left untouched." + tail;
        case RecordProblem::NotRegular:
            return fileName + " is not a regular file; it was left untouched." + tail;
        case RecordProblem::NoAccess:
            return fileName + " cannot be read: permission denied." + tail;
        case RecordProblem::WindowsRecord:
            return WindowsRecordText(fileName) + "; it was left untouched." + tail;
        case RecordProblem::None:
        case RecordProblem::NotARecord:
            break;
    }
    return UnreadableRecordMessage(fileName);
}

std::string RecordWriteProblem(const std::string& path) {
    const std::string name = Database::FileNameOf(path);
    struct stat sb {};
    if (::lstat(path.c_str(), &sb) == 0) {
        if (S_ISLNK(sb.st_mode)) return RecordProblemMessage(name, RecordProblem::SymbolicLink);
        if (!S_ISREG(sb.st_mode)) return RecordProblemMessage(name, RecordProblem::NotRegular);
        if (sb.st_nlink > 1)
            return name +
                   " has more than one name (a hard link): saving into it would change the other "
                   "file too. It was left untouched. Please select a different record.";
        if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
            return name +
                   " is write-protected; readings cannot be saved into it. Please select a "
                   "different record.";
    }
    // A new record, and the log of an existing one, are made in the folder.
    const std::string folder = DirectoryOf(path);
    // (A folder that has gone is left to the creation to report.)
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT &&
        errno != ENOTDIR)
        return "The database folder " + folder + " cannot be written (" + Errno(errno) +
               "); readings cannot be saved.";
    return {};
}

std::string RecordSavingProblem(std::string_view folder, int recordNo) {
    const std::string current = RecordFilePath(folder, recordNo, RecordFormat::Current);
    const std::string earlier = RecordFilePath(folder, recordNo, RecordFormat::Earlier);
    const bool currentExists = RecordFileExists(current);
    if (currentExists || RecordFileExists(earlier)) {
        const RecordFormat format = currentExists ? RecordFormat::Current : RecordFormat::Earlier;
        const RecordFileInfo info = ProbeRecordFile(currentExists ? current : earlier, format);
        if (info.state == RecordFileState::Unreadable)
            return RecordProblemMessage(RecordFileName(recordNo, format), info.kind);
    }
    return RecordWriteProblem(current);
}

DbStatus OpenRecordDatabase(Database& db, const std::string& path, RecordFormat format,
                            RecordAccess access) {
    if (access == RecordAccess::ReadWrite) {
        // Looked at read-only first: a file that is no sound record is
        // refused before a writing connection could leave a log beside it.
        Database look;
        DbStatus st = OpenRecordDatabase(look, path, format, RecordAccess::ReadOnly);
        if (!st) return st;
    }
    DbStatus st = access == RecordAccess::ReadOnly ? db.OpenReadOnly(path) : db.Open(path);
    if (!st) return st;
    const std::string name = Database::FileNameOf(path);
    auto check = [&](std::string_view table,
                     std::initializer_list<const char*> fields) -> DbStatus {
        auto cols = db.TableColumns(table);
        if (!cols) return cols.status();
        if (cols->empty())
            return DbStatus::Fail(SQLITE_NOTFOUND, name + " has no table " + std::string(table));
        std::string missing;
        if (!HasColumns(*cols, fields, missing))
            return DbStatus::Fail(SQLITE_NOTFOUND, name + " has no field " + missing +
                                                       " in table " + std::string(table));
        return DbStatus::Ok();
    };
    st = check("read", {"read_value", "read_value_2ND", "read_time"});
    if (st) st = check("read_date", {"r_date"});
    if (st && format == RecordFormat::Current)
        st = check("read_function", {"r_function1", "r_function2"});
    if (st) {
        // Walks every page of the readings, and every row of the small
        // tables: a damaged file fails here rather than half-way through a
        // listing or an append.
        std::vector<std::string> walks = {"SELECT count(*) FROM read", "SELECT * FROM read_date"};
        if (format == RecordFormat::Current) walks.push_back("SELECT * FROM read_function");
        for (const std::string& sql : walks) {
            Recordset rs;
            st = rs.Open(db, sql);
            while (st && !rs.IsEOF()) st = rs.MoveNext();
            if (!st) {
                st = DbStatus::Fail(st.code(), name + " is damaged: " + st.message());
                break;
            }
        }
    }
    if (!st) {
        DbStatus failed = DbStatus::Fail(st.code(), st.message());
        db.Close();
        return failed;
    }
    return DbStatus::Ok();
}

RecordFileInfo ProbeRecordFile(const std::string& path, RecordFormat format) {
    RecordFileInfo info;
    const std::string name = Database::FileNameOf(path);
    struct stat sb {};
    if (::lstat(path.c_str(), &sb) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return info;
        info.state = RecordFileState::Unreadable;
        info.kind = RecordProblem::NoAccess;
        info.problem = name + ": " + Errno(errno);
        return info;
    }
    info.state = RecordFileState::Unreadable;
    if (S_ISLNK(sb.st_mode)) {
        info.kind = RecordProblem::SymbolicLink;
        info.problem = name + " is a symbolic link";
        return info;
    }
    if (!S_ISREG(sb.st_mode)) {
        info.kind = RecordProblem::NotRegular;
        info.problem = name + " is not a regular file";
        return info;
    }
    if (::faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) != 0) {
        info.kind = RecordProblem::NoAccess;
        info.problem = name + ": " + Errno(errno);
        return info;
    }
    info.kind = RecordProblem::NotARecord;
    Database db;
    DbStatus st = OpenRecordDatabase(db, path, format, RecordAccess::ReadOnly);
    if (!st) {
        info.kind = UnreadableKindOf(path);
        info.problem = info.kind == RecordProblem::WindowsRecord
                           ? WindowsRecordText(name)
                           : st.message();
        return info;
    }
    Recordset rs;
    st = rs.Open(db, "select * from read_date");
    if (!st) {
        info.problem = st.message();
        return info;
    }
    if (!rs.IsEOF()) {
        info.hasDate = true;
        auto d = rs.GetDate("r_date");
        if (d) info.date = *d;
    }
    rs.Close();
    if (format == RecordFormat::Current) {
        auto f = ReadRecordFunctions(db);
        if (!f) {
            info.problem = f.error().message;
            return info;
        }
        if (f->has_value()) {
            info.hasFunctions = true;
            info.function1 = (*f)->first;
            info.function2 = (*f)->second;
        }
    }
    info.state = RecordFileState::Readable;
    info.kind = RecordProblem::None;
    return info;
}

std::string RecordBuildName(const std::string& fileName) {
    return "." + fileName + "." + std::to_string(::getpid()) + ".new";
}

DbStatus CreateRecordFile(const std::string& path, RecordLayout layout) {
    const std::string name = Database::FileNameOf(path);
    if (RecordFileExists(path))
        return DbStatus::Fail(EEXIST, "Cannot create " + name + ": " + Errno(EEXIST));
    const std::string folder = DirectoryOf(path);
    RemoveStaleBuildFiles(folder);
    // Built under a hidden name and linked in when complete, so that a crash
    // or a full disk never leaves a half-made record under the record's name.
    const std::string temp = folder + "/" + RecordBuildName(name);
    const std::string tempName = Database::FileNameOf(temp);
    // Messages name the record, not the file it is built in.
    auto failed = [&](const DbStatus& st) {
        RemoveWithSideFiles(temp);
        std::string msg = st.message();
        for (size_t at; (at = msg.find(tempName)) != std::string::npos;)
            msg.replace(at, tempName.size(), name);
        return DbStatus::Fail(st.code(), msg);
    };
    RemoveWithSideFiles(temp);
    {
        Database db;
        DbStatus st = db.Create(temp);
        if (!st) return failed(st);
        st = db.BeginTransaction();
        if (st) st = db.CreateTable("read", ReadFields(layout));
        if (st) st = db.CreateTable("read_date", {{"r_date", DaoType::DateTime, 20}});
        if (st)
            st = db.CreateTable("read_function", {{"r_function1", DaoType::Text, 20},
                                                  {"r_function2", DaoType::Text, 20}});
        if (st) st = db.Commit();
        // Into the file itself now, where a failure can still be seen: the
        // fold at closing time reports none.
        if (st) st = db.Checkpoint();
        if (!st) {
            db.Rollback();
            db.Close();
            return failed(st);
        }
    }
    DbStatus st = CheckBuiltRecord(temp);
    if (!st) return failed(st);
    RemoveOrphanSideFiles(path);
    if (::link(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        bool placed = false;
        if (err != EEXIST) {
            // File systems without hard links: a rename that refuses to replace.
            placed =
                ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0;
            if (!placed) err = errno;
        }
        if (!placed) return failed(DbStatus::Fail(err, "Cannot create " + name + ": " + Errno(err)));
    }
    RemoveWithSideFiles(temp);
    (void)SyncPath(folder, O_DIRECTORY);  // the new name survives a power cut
    SetHiddenSystemAttributes(path);
    return DbStatus::Ok();
}

DbStatus StampRecordDate(Database& db, const DateTime& localDateTime) {
    Recordset rs;
    DbStatus st = rs.Open(db, "select * from read_date");
    if (st) st = rs.IsEOF() ? rs.AddNew() : rs.Edit();
    if (st) st = rs.SetField("r_date", localDateTime);
    if (st) st = rs.Update();
    return st;
}

DbStatus WriteRecordFunctions(Database& db, std::string_view function1,
                              std::string_view function2) {
    Recordset rs;
    DbStatus st = rs.Open(db, "select * from read_function");
    if (st) st = rs.IsEOF() ? rs.AddNew() : rs.Edit();
    if (st) st = rs.SetField("r_function1", function1);
    if (st) st = rs.SetField("r_function2", function2);
    if (st) st = rs.Update();
    return st;
}

DbResult<std::optional<std::pair<std::string, std::string>>> ReadRecordFunctions(Database& db) {
    Recordset rs;
    DbStatus st = rs.Open(db, "select * from read_function");
    if (!st) return st.error();
    if (rs.IsEOF()) return std::optional<std::pair<std::string, std::string>>();
    auto f1 = rs.GetText("r_function1");
    if (!f1) return f1.error();
    auto f2 = rs.GetText("r_function2");
    if (!f2) return f2.error();
    return std::optional(std::make_pair(*f1, *f2));
}

DbStatus AppendReadingRow(Recordset& readCursor, double value1, double value2,
                          const DateTime& localTime) {
    DbStatus st = readCursor.AddNew();
    if (st) st = readCursor.SetField("read_value", StoredReadingValue(value1));
    if (st) st = readCursor.SetField("read_value_2ND", StoredReadingValue(value2));
    if (st) st = readCursor.SetField("read_time", std::string_view(ReadingTimeText(localTime)));
    if (st) st = readCursor.Update();
    if (!st) readCursor.CancelUpdate();
    return st;
}

DeleteOutcome DeleteRecord(std::string_view folder, int recordNo, Prompter& prompter,
                           const TextSource& texts) {
    std::string question = texts.GetText("1021", "Are you sure you want to delete this record?");
    if (prompter.message({question, "", PromptIcon::Information, PromptButtons::YesNo}) !=
        PromptAnswer::Yes)
        return DeleteOutcome::Declined;
    DeleteOutcome outcome = DeleteOutcome::Deleted;
    for (RecordFormat f : {RecordFormat::Current, RecordFormat::Earlier}) {
        const std::string path = RecordFilePath(folder, recordNo, f);
        SetNormalAttributes(path);
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            // Its log may hold readings of the file that stays: keep it too.
            prompter.message(
                {RecordFileName(recordNo, f) + " could not be deleted: " + Errno(errno) + ".", "",
                 PromptIcon::Warning});
            outcome = DeleteOutcome::Failed;
            continue;
        }
        ::unlink((path + "-wal").c_str());
        ::unlink((path + "-shm").c_str());
    }
    return outcome;
}

}  // namespace qm
