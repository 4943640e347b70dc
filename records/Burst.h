#pragma once
// A counted burst of readings from one meter into a record, as fast as the
// meter answers: the core of the Multiple Readings page and of qmcli burst.
//
// Start prepares the record (creating it when missing, stamping its date),
// asks the meter for its functions and runs the record check; Step then
// takes one reading per call, so that the page can keep its window live
// between readings (it calls Step from a worker, one call at a time) and
// Stop takes effect before the next reading.
//
// The whole answer is parsed: "-1.234567890E-03" is -0.001234567890, not
// -1.234567890. A read that brings no number (no answer, a timeout, a lost
// link) is not a reading: nothing is stored for it, it is counted, and the
// user is told at the end how many reads failed.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "instrument/SessionTable.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "platform/TextSource.h"
#include "records/Database.h"
#include "records/RecordLabels.h"
#include "records/Recordset.h"

namespace qm {

inline constexpr long kBurstCountMin = 1;
inline constexpr long kBurstCountMax = 50000;
inline constexpr std::string_view kBurstCountRangeText =
    "Please enter an integer between 1 and 50000.";

// The count edit while typing: the range message for a number outside 1 to
// 50000 or a text that is not a number; nothing for an empty edit.
std::optional<PromptMessage> CheckBurstCountText(std::string_view text);
// The count as a number; nullopt when the text is not a whole number.
std::optional<long> BurstCountOf(std::string_view text);
// The count Start Reading takes from the edit, or why it does not start: a
// count below 1 is told with the range message; one above 50000, or a text
// that is no number, was told while typing and stops it without a word.
struct BurstStartCount {
    std::optional<long> count;
    std::optional<PromptMessage> message;
};
BurstStartCount CheckBurstCountAtStart(std::string_view text);

// "v1,v2" gives both numbers; one number gives it and the no-second-value
// marker. nullopt when the answer holds no number at all.
std::optional<std::pair<double, double>> ParseBurstAnswer(std::string_view answer);

class Burst {
  public:
    Burst(SessionTable& sessions, Prompter& prompter, const TextSource& texts, const Clock& clock);
    ~Burst();
    Burst(const Burst&) = delete;
    Burst& operator=(const Burst&) = delete;

    // Lists the ten records of the database folder (all free while there is
    // no folder yet); false after telling the user when the folder cannot
    // be entered. Start makes the folder when it is missing.
    bool FillRecordChoices();
    const std::array<RecordChoice, 10>& choices() const { return choices_; }

    // Prepares record `recordNo`, asks the meter in `slot` and runs the
    // record check. Shows any refusal and returns false; true when the
    // burst runs.
    bool Start(int slot, int recordNo, long count);
    // One reading. False once the burst has ended (count reached, stopped,
    // or the record could not be written).
    bool Step();
    // Ends the burst before the next reading.
    void Stop();
    // Closes the record and tells the user about failed reads or a record
    // that could not be written. Call once after the burst ended.
    void Finish();

    bool running() const { return running_; }
    long count() const { return count_; }
    long attempts() const { return attempts_; }
    long stored() const { return stored_; }
    long failed() const { return failed_; }
    int recordNo() const { return recordNo_; }
    const std::string& message() const { return message_; }
    const std::string& storedFunction1() const { return storedFunction1_; }
    const std::string& storedFunction2() const { return storedFunction2_; }
    const std::string& currentFunction1() const { return currentFunction1_; }
    const std::string& currentFunction2() const { return currentFunction2_; }

  private:
    bool Refuse(std::string message);
    bool PrepareRecord(const std::string& current, bool earlierExists);
    std::string Ask(const char* command);

    SessionTable& sessions_;
    Prompter& prompter_;
    const TextSource& texts_;
    const Clock& clock_;
    std::optional<std::string> folder_;
    std::array<RecordChoice, 10> choices_{};

    Database db_;
    Recordset cursor_;
    int slot_ = 0;
    int recordNo_ = 0;
    long count_ = 0;
    long attempts_ = 0, stored_ = 0, failed_ = 0;
    bool running_ = false;
    std::string writeError_;
    std::string message_;
    std::string storedFunction1_, storedFunction2_;
    std::string currentFunction1_, currentFunction2_;
};

}  // namespace qm
