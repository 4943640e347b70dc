#include "records/RecordStore.h"

#include "platform/FileAttributes.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
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

}  // namespace

std::string DatabaseFolderFor(std::string_view workingDirectory) {
    std::string dir(workingDirectory);
    if (dir.find("DB") != std::string::npos) return dir;
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir + "DB";
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

DbStatus OpenRecordDatabase(Database& db, const std::string& path, RecordFormat format) {
    DbStatus st = db.Open(path);
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
        // Walks every page of the readings: a damaged file fails here rather
        // than half-way through a listing or an append.
        Recordset count;
        st = count.Open(db, "SELECT count(*) FROM read");
        if (!st) st = DbStatus::Fail(st.code(), name + " is damaged: " + st.message());
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
    struct stat sb {};
    if (::lstat(path.c_str(), &sb) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return info;
        info.state = RecordFileState::Unreadable;
        info.problem = Database::FileNameOf(path) + ": " + Errno(errno);
        return info;
    }
    info.state = RecordFileState::Unreadable;
    Database db;
    DbStatus st = OpenRecordDatabase(db, path, format);
    if (!st) {
        info.problem = st.message();
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
    return info;
}

DbStatus CreateRecordFile(const std::string& path, RecordLayout layout) {
    const std::string name = Database::FileNameOf(path);
    if (RecordFileExists(path))
        return DbStatus::Fail(EEXIST, "Cannot create " + name + ": " + Errno(EEXIST));
    // Built under a hidden name and linked in when complete, so that a crash
    // never leaves a half-made record behind under the record's name.
    const std::string temp =
        DirectoryOf(path) + "/." + name + "." + std::to_string(::getpid()) + ".new";
    ::unlink(temp.c_str());
    {
        Database db;
        DbStatus st = db.Create(temp);
        // Messages name the record, not the file it is built in.
        auto named = [&](const DbStatus& failed) {
            std::string msg = failed.message();
            const std::string tempName = Database::FileNameOf(temp);
            for (size_t at; (at = msg.find(tempName)) != std::string::npos;)
                msg.replace(at, tempName.size(), name);
            return DbStatus::Fail(failed.code(), msg);
        };
        if (!st) return named(st);
        st = db.BeginTransaction();
        if (st) st = db.CreateTable("read", ReadFields(layout));
        if (st) st = db.CreateTable("read_date", {{"r_date", DaoType::DateTime, 20}});
        if (st)
            st = db.CreateTable("read_function", {{"r_function1", DaoType::Text, 20},
                                                  {"r_function2", DaoType::Text, 20}});
        if (st) st = db.Commit();
        if (!st) {
            db.Rollback();
            db.Close();
            ::unlink(temp.c_str());
            ::unlink((temp + "-wal").c_str());
            ::unlink((temp + "-shm").c_str());
            return named(st);
        }
    }  // closing folds the log into the file and removes it
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
        if (!placed) {
            ::unlink(temp.c_str());
            return DbStatus::Fail(err, "Cannot create " + name + ": " + Errno(err));
        }
    } else {
        ::unlink(temp.c_str());
    }
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
