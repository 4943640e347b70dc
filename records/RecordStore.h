#pragma once
// Record files: the database folder, the names of the ten numbered records
// in both formats, their tables, the meaning of stored values, and the
// operations every record page shares (create, open and check, stamp the
// date and functions, append a reading, delete).
//
//   Record N.mdb       current format: tables read, read_date, read_function
//   DBfile_DBN.mdb     earlier format: tables read and read_date; read, never written
//
// A file named like a record that this program cannot read (empty, cut
// short, another program's database, random bytes, a database without our
// tables) is never overwritten or deleted behind the user's back: it is
// reported by name and its number counts as taken.
#include <optional>
#include <string>
#include <string_view>

#include "platform/Prompter.h"
#include "platform/TextSource.h"
#include "records/Database.h"
#include "records/DbResult.h"
#include "records/RecordDate.h"
#include "records/Recordset.h"

namespace qm {

inline constexpr int kFirstRecordNumber = 1;
inline constexpr int kLastRecordNumber = 10;

// The live loop carries an exact zero reading as this value; it is stored as 0.
inline constexpr double kRecordZeroMarker = 1e-25;
// In read_value_2ND: the reading had no second value.
inline constexpr double kRecordNoSecondValue = 9.9e21;
// What the instruments send on overload.
inline constexpr double kRecordOverload = 9.9e37;

inline constexpr std::string_view kFolderNotFoundText = "Database working folder not found.";
// Captions of the folder message, by page.
inline constexpr std::string_view kMainWindowFolderCaption = "Database folder check";
inline constexpr std::string_view kSettingsFolderCaption = "Database check";
inline constexpr std::string_view kChartDrawingFolderCaption = "DrawRecord Database folder check";
inline constexpr std::string_view kRecordViewFolderCaption = "RecordView Database folder check";
inline constexpr std::string_view kMultipleReadingsFolderCaption = "Read2K Database folder check";

enum class RecordFormat { Current, Earlier };
// The main window's record has read_func2 in `read`; a record first made by
// Multiple Readings has not. Readers use neither.
enum class RecordLayout { MainWindow, MultipleReadings };

// --- folder -------------------------------------------------------------

// The database folder for a working directory: the directory itself when
// "DB" occurs anywhere in it (case-sensitive), else its "DB" subfolder.
std::string DatabaseFolderFor(std::string_view workingDirectory);

// The database folder of the current directory when it exists, without
// changing directory or telling anybody; nullopt otherwise (a new
// installation: the first save makes it).
std::optional<std::string> ExistingDatabaseFolder();

enum class FolderCreation { Never, IfMissing };
// Finds the database folder from the current directory and changes into it
// (process-wide; the next call then finds "DB" in the current directory).
// On failure shows "Database working folder not found." with the page's
// caption and returns nullopt; nothing is created unless asked to.
std::optional<std::string> ResolveDatabaseFolder(Prompter& prompter, std::string_view caption,
                                                 FolderCreation creation = FolderCreation::Never);

// --- names and values ---------------------------------------------------

// "Record N.mdb" / "DBfile_DBN.mdb".
std::string RecordFileName(int recordNo, RecordFormat format);
std::string RecordFilePath(std::string_view folder, int recordNo, RecordFormat format);
// "Record %d".
std::string RecordName(int recordNo);
// The number of a list entry: the two characters after "Record " converted
// as a decimal integer up to the first non-digit; 0 when there is none.
int ParseRecordNumber(std::string_view entry);
// Short code of an instrument's function answer: VOLT→DCV, CURR→DCI,
// VOLT:AC→ACV, CURR:AC→ACI, RES→2W, FRES→4W; anything else unchanged.
// Line ends and double quotes are removed first; applying it to a short
// code gives the code back.
std::string ShortFunctionCode(std::string_view answer);
// The value written for a reading: the zero marker becomes 0.
inline double StoredReadingValue(double v) {
    return v == kRecordZeroMarker ? 0.0 : v;
}

// --- reading a record file ----------------------------------------------

enum class RecordFileState { Missing, Readable, Unreadable };

// Why a file named like a record cannot be used.
enum class RecordProblem {
    None,
    SymbolicLink,  // a link: writing through it would change whatever it names
    NotRegular,    // a folder, a pipe, a device
    NoAccess,      // the file may not be read
    NotARecord,    // empty, cut short, damaged, another program's database
    WindowsRecord, // an Access (Jet) database: a record saved by the Windows version
};

struct RecordFileInfo {
    RecordFileState state = RecordFileState::Missing;
    RecordProblem kind = RecordProblem::None;
    std::string problem;           // why an existing file cannot be used
    bool hasDate = false;          // read_date has a row
    std::optional<DateTime> date;  // its r_date, when that reads as a date
    bool hasFunctions = false;     // read_function has a row (current format)
    std::string function1, function2;
};

// Looks at a record file without changing it and without leaving anything
// beside it (it is opened read-only).
RecordFileInfo ProbeRecordFile(const std::string& path, RecordFormat format);
// True when a file (or anything else) of that name exists.
bool RecordFileExists(const std::string& path);
// "<file> is not a record file this program can read; it was left
// untouched. Please select a different record."
std::string UnreadableRecordMessage(const std::string& fileName);
// Why an existing regular file that does not open as a record cannot be
// used: WindowsRecord when it starts as an Access (Jet) database does,
// NotARecord otherwise.
RecordProblem UnreadableKindOf(const std::string& path);
// What the user is told when a record cannot be saved into because of its
// file: the message of the problem, naming the file.
std::string RecordProblemMessage(const std::string& fileName, RecordProblem kind);
// Why readings cannot be saved into the record file at path (existing or
// not), as the user is told; empty when nothing stands in the way. Looks at
// the database folder, and at the file when it exists: not a regular file,
// more than one name (a hard link), write-protected.
std::string RecordWriteProblem(const std::string& path);
// Why readings cannot be saved into record recordNo of folder because of its
// files, as the user is told; empty when nothing stands in the way. A file
// of the number that cannot be read is named (the current-format file when
// it exists, else the earlier-format one), then RecordWriteProblem of the
// current-format file.
std::string RecordSavingProblem(std::string_view folder, int recordNo);

enum class RecordAccess { ReadWrite, ReadOnly };
// Opens a record file and checks that it has the tables and fields of its
// format; a failure names the file and leaves it untouched.
DbStatus OpenRecordDatabase(Database& db, const std::string& path, RecordFormat format,
                            RecordAccess access = RecordAccess::ReadWrite);

// --- writing a record file ----------------------------------------------

// Creates a current-format record with its three empty tables. The file
// appears complete or not at all: it is built under a hidden name beside the
// record, checked once closed, and only then linked in. An existing file of
// that name is never replaced. Hidden files left by a creation that was cut
// short (a kill, a crash) are removed first.
DbStatus CreateRecordFile(const std::string& path, RecordLayout layout);
// The hidden name a record is built under by this process.
std::string RecordBuildName(const std::string& fileName);
// read_date: overwrites its row, or adds it.
DbStatus StampRecordDate(Database& db, const DateTime& localDateTime);
// read_function: overwrites its row, or adds it.
DbStatus WriteRecordFunctions(Database& db, std::string_view function1, std::string_view function2);
// read_function's row; nullopt when the table has none.
DbResult<std::optional<std::pair<std::string, std::string>>> ReadRecordFunctions(Database& db);
// One reading on a cursor open on "select * from read", committed at once.
DbStatus AppendReadingRow(Recordset& readCursor, double value1, double value2,
                          const DateTime& localTime);

// --- deleting -------------------------------------------------------------

enum class DeleteOutcome { Declined, Deleted, Failed };
// Asks the question of key "1021" (Yes/No, information icon, empty caption);
// on Yes removes Record N.mdb and then DBfile_DBN.mdb (a missing file is no
// error). A file that cannot be removed is reported by name.
DeleteOutcome DeleteRecord(std::string_view folder, int recordNo, Prompter& prompter,
                           const TextSource& texts);

}  // namespace qm
