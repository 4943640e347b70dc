#pragma once
// Saving live readings: the main window's four saving slots (one per
// instrument position), the start-of-saving check that decides whether each
// instrument may save into the record chosen for it, and the per-tick
// append. The reading loop owns one RecordSaving.
//
// Calling order: Start → StartOfSavingCheck (runs CheckRecord and, when
// allowed, OpenRecordForSaving for each saving instrument) → each tick
// AppendReading → Stop → StopSaving.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "records/Database.h"
#include "records/DbResult.h"
#include "records/RecordStore.h"
#include "records/Recordset.h"

namespace qm {

// The check state shared by all slots of one Start. Unusable goes beyond
// the four refusals: the record file cannot be read or written.
enum class RecordCheckState : int {
    Ok = 0,
    FunctionChanged = 1,
    SecondFunctionChanged = 2,
    BothChanged = 3,
    HasReadings = 4,
    Unusable = 5,
};

inline constexpr std::string_view kRecordHasReadingsText =
    "The record already has readings. Please select a different record.";
inline constexpr std::string_view kContinueQuestionTail =
    " will continue saving the readings.  Continue?";

// How a record's stored functions (SF) compare with the instrument's current
// short codes (CF), tested in this order.
enum class FunctionMatch {
    FirstChanged,   // SF1 ≠ CF1, SF2 = CF2
    SecondChanged,  // SF1 = CF1, SF2 ≠ CF2
    Same,           // SF1 = CF1, SF2 = CF2
    NotWritten,     // both differ, SF1 or SF2 empty: record missing or never written
    BothChanged,    // both differ, both stored
};
FunctionMatch CompareRecordFunctions(std::string_view sf1, std::string_view sf2,
                                     std::string_view cf1, std::string_view cf2);
// The refusal message of FirstChanged, SecondChanged and BothChanged; empty
// for the others.
std::string FunctionChangeMessage(FunctionMatch match, std::string_view sf1, std::string_view sf2,
                                  std::string_view cf1, std::string_view cf2);

// One instrument that saves: its slot, the record chosen for it and its
// current functions (instrument answers or short codes).
struct SavingRequest {
    int slot = 0;
    int recordNo = 0;
    std::string function1;
    std::string function2;
};

// Two saving instruments that chose the same record: their readings would
// interleave in one file, with no telling whose is whose.
struct SharedRecord {
    int recordNo = 0;
    int first = 0;   // slot (position) of the first request using it
    int second = 0;  // and of the next one
};
// The first such pair in request order, or nullopt when each saving
// instrument has a record of its own.
std::optional<SharedRecord> SharedRecordOf(const std::vector<SavingRequest>& requests);
// What Start says about such a pair (positions 0-3 are device lines 1-4).
std::string SharedRecordMessage(const SharedRecord& shared);

struct SavingCheckOutcome {
    bool proceed = false;  // start the reading timer
    RecordCheckState state = RecordCheckState::Ok;
    bool declined = false;  // the continue question was answered No
    std::vector<int> openedSlots;
};

class RecordSaving {
  public:
    static constexpr int kSlotCount = 4;
    // Returns the database folder, or nullopt after telling the user.
    using FolderResolver = std::function<std::optional<std::string>()>;

    // Without a resolver the folder comes from the current directory (and is
    // created when missing), with the main window's caption.
    RecordSaving(Prompter& prompter, const Clock& clock, FolderResolver resolver = {});
    ~RecordSaving();
    RecordSaving(const RecordSaving&) = delete;
    RecordSaving& operator=(const RecordSaving&) = delete;

    // The start-of-saving check for every saving instrument, in order. Shows
    // its messages and the continue question; the caller runs Stop (and so
    // StopSaving) unless the outcome says proceed. Two instruments that chose
    // one record are refused before any record is looked at.
    SavingCheckOutcome StartOfSavingCheck(const std::vector<SavingRequest>& requests);

    // Fills the stored functions, the earlier-format-only flag, the last
    // record label and the record-name list for a record.
    void CheckRecord(int recordNo);
    // Creates the record when missing, stamps its date, writes its functions
    // and leaves the slot's cursor open on `read` for appending.
    DbStatus OpenRecordForSaving(int recordNo, int slot);
    // Appends one committed reading. A failure (disk full, file gone) is
    // returned with a message for the user; the slot then refuses further
    // readings and the caller stops saving. Readings written before stay.
    DbStatus AppendReading(int slot, double value1, double value2);
    // Closes the slot's cursor, then its connection.
    void CloseRecord(int slot);
    // Stop: closes every slot opened for this run, empties the record-name
    // list and the message text.
    void StopSaving();
    // After the Reading Settings page closes.
    void ClearNames();

    bool IsOpen(int slot) const;
    bool IsBlocked(int slot) const;
    bool SaveFlag(int slot) const;
    int RecordNumber(int slot) const;

    const std::string& StoredFunction1() const { return storedFunction1_; }
    const std::string& StoredFunction2() const { return storedFunction2_; }
    const std::string& CurrentFunction1() const { return currentFunction1_; }
    const std::string& CurrentFunction2() const { return currentFunction2_; }
    void SetCurrentFunctions(std::string_view function1, std::string_view function2);
    const std::string& LastRecordLabel() const { return lastRecordLabel_; }
    const std::string& RecordNameList() const { return recordNameList_; }
    const std::string& Message() const { return message_; }
    RecordCheckState State() const { return state_; }
    bool EarlierFormatOnly() const { return earlierFormatOnly_; }

  private:
    struct Slot {
        bool saveFlag = false;
        int recordNo = 0;
        bool blocked = false;
        bool open = false;
        std::string failure;  // set once an append failed
        Database db;
        Recordset cursor;
    };

    std::optional<std::string> Folder();
    void AddToNameList(int recordNo);
    void Refuse(Slot& slot, RecordCheckState state, std::string message);
    bool OpenOrRefuse(int recordNo, int slot);
    bool ValidSlot(int slot) const { return slot >= 0 && slot < kSlotCount; }

    Prompter& prompter_;
    const Clock& clock_;
    FolderResolver resolver_;
    std::optional<std::string> folder_;
    std::array<Slot, kSlotCount> slots_;

    std::string storedFunction1_, storedFunction2_;
    std::string currentFunction1_, currentFunction2_;
    std::string lastRecordLabel_;
    std::string recordNameList_;
    std::string message_;
    RecordCheckState state_ = RecordCheckState::Ok;
    bool earlierFormatOnly_ = false;
    bool currentFileExists_ = false;
    std::string unusableFile_;  // set by CheckRecord: a file of the number cannot be read
    RecordProblem unusableKind_ = RecordProblem::None;
};

}  // namespace qm
