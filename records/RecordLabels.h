#pragma once
// The record lists of the record pages. Every list is built by a loop over
// the record numbers 1 to 10 in ascending order; every label starts with
// "Record %d", and a dated label continues with twelve blanks and
// "( <r_date as %y / %m / %d -- %H : %M : %S> )".
//
// A file named like a record that cannot be read is named once in every
// list, as "Record %d            ( <file> cannot be read )" and flagged
// unreadable, so that the user sees why its number is taken; such an entry
// is never opened.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "records/DbResult.h"
#include "records/RecordDate.h"
#include "records/RecordStore.h"

namespace qm {

struct RecordListEntry {
    int recordNo = 0;
    RecordFormat format = RecordFormat::Current;
    std::string label;
    bool unreadable = false;
    RecordProblem kind = RecordProblem::None;  // what is wrong, when unreadable
    std::string problem;                       // why, when unreadable
};

// "Record %d            ( %s )".
std::string RecordDateLabel(int recordNo, const std::optional<DateTime>& date);
// "Record %d            ( <file name> cannot be read )".
std::string UnreadableRecordLabel(int recordNo, RecordFormat format);
// "Record %d            ( %s )  - %s %s": date, stored function 1 and 2.
std::string RecordViewLabel(int recordNo, const std::optional<DateTime>& date,
                            std::string_view function1, std::string_view function2);

// Record View: for each number the current-format file when it has a date
// row (with its functions), then independently the earlier-format file when
// it has one; a number with both files is listed twice. Unreadable files of
// either format are listed as such.
std::vector<RecordListEntry> RecordViewEntries(std::string_view folder);
// Record Chart: the current-format file when it has a date row; the
// earlier-format file only when the current-format file is missing.
std::vector<RecordListEntry> RecordChartEntries(std::string_view folder);

// A list of all ten numbers (item i is record i + 1).
struct RecordChoice {
    std::string label;
    bool earlierFormat = false;  // Multiple Readings: the earlier-format file has a date row
    bool unreadable = false;     // a file of this number cannot be read: refuse saving into it
    std::string problem;         // why, when unreadable
};
// Multiple Readings: the earlier-format file decides when it exists.
std::array<RecordChoice, 10> MultipleReadingsChoices(std::string_view folder);
// Reading Settings: dated labels "Record %d            ( %s )  %s " with the
// given third text (empty by default).
std::array<RecordChoice, 10> ReadingSettingsChoices(std::string_view folder,
                                                    std::string_view thirdText = {});

// The Record View entries of the database folder of the current directory,
// without changing directory or prompting (qmcli records list).
DbResult<std::vector<RecordListEntry>> ListRecordViewEntries();
// Their labels.
DbResult<std::vector<std::string>> ListRecordViewLabels();

}  // namespace qm
