#include "records/Burst.h"

#include <cstdio>

#include "config/NumberText.h"
#include "records/RecordDate.h"
#include "records/RecordSaving.h"
#include "records/RecordStore.h"

namespace qm {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether ASCII-to-double finds a number at the start of the text (it
// gives 0 for none, which must not pass for a reading of 0).
bool StartsWithNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i < text.size() && IsDigit(text[i])) return true;
    return i + 1 < text.size() && text[i] == '.' && IsDigit(text[i + 1]);
}

}  // namespace

std::optional<long> BurstCountOf(std::string_view text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    long n = 0;
    for (char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

std::optional<PromptMessage> CheckBurstCountText(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const auto n = BurstCountOf(text);
    if (n && *n >= kBurstCountMin && *n <= kBurstCountMax) return std::nullopt;
    return PromptMessage{std::string(kBurstCountRangeText), "", PromptIcon::Warning};
}

BurstStartCount CheckBurstCountAtStart(std::string_view text) {
    const auto n = BurstCountOf(text);
    if (!n || *n > kBurstCountMax) return {};
    if (*n < kBurstCountMin)
        return {std::nullopt, PromptMessage{std::string(kBurstCountRangeText), "", PromptIcon::Warning}};
    return {n, std::nullopt};
}

std::optional<std::pair<double, double>> ParseBurstAnswer(std::string_view answer) {
    const auto comma = answer.find(',');
    const std::string_view first = answer.substr(0, comma);
    if (!StartsWithNumber(first)) return std::nullopt;
    if (comma == std::string_view::npos) return std::pair(AsciiToDouble(first), kRecordNoSecondValue);
    return std::pair(AsciiToDouble(first), AsciiToDouble(answer.substr(comma + 1)));
}

Burst::Burst(SessionTable& sessions, Prompter& prompter, const TextSource& texts,
             const Clock& clock)
    : sessions_(sessions), prompter_(prompter), texts_(texts), clock_(clock) {
    for (int n = kFirstRecordNumber; n <= kLastRecordNumber; ++n)
        choices_[n - 1].label = RecordName(n);
}

Burst::~Burst() {
    cursor_.Close();
    db_.Close();
}

bool Burst::FillRecordChoices() {
    for (int n = kFirstRecordNumber; n <= kLastRecordNumber; ++n) {
        choices_[n - 1] = RecordChoice{};
        choices_[n - 1].label = RecordName(n);
    }
    folder_.reset();
    // No folder yet (a new installation): every record is free, and the
    // first burst makes the folder, as live saving does.
    if (!ExistingDatabaseFolder()) return true;
    folder_ = ResolveDatabaseFolder(prompter_, kMultipleReadingsFolderCaption);
    if (!folder_) return false;
    choices_ = MultipleReadingsChoices(*folder_);
    return true;
}

bool Burst::Refuse(std::string message) {
    message_ = std::move(message);
    running_ = false;
    cursor_.Close();
    db_.Close();
    prompter_.message({message_, "", PromptIcon::Warning});
    return false;
}

std::string Burst::Ask(const char* command) {
    return sessions_.Query(slot_, command, QueryVariant::MultipleReadings);
}

bool Burst::PrepareRecord(const std::string& current, bool earlierExists) {
    storedFunction1_.clear();
    storedFunction2_.clear();
    if (earlierExists) return true;  // the check refuses it below
    const DateTime now = LocalDateTime(clock_.wallNow());
    Database db;
    if (!RecordFileExists(current)) {
        DbStatus st = CreateRecordFile(current, RecordLayout::MultipleReadings);
        if (st) st = OpenRecordDatabase(db, current, RecordFormat::Current);
        if (st) st = StampRecordDate(db, now);
        if (!st) return Refuse(st.message());
        return true;
    }
    DbStatus st = OpenRecordDatabase(db, current, RecordFormat::Current);
    if (!st)
        return Refuse(RecordProblemMessage(Database::FileNameOf(current), UnreadableKindOf(current)));
    st = StampRecordDate(db, now);
    if (!st) return Refuse(st.message());
    auto functions = ReadRecordFunctions(db);
    if (!functions) return Refuse(functions.error().message);
    if (functions->has_value()) {
        storedFunction1_ = (*functions)->first;
        storedFunction2_ = (*functions)->second;
    }
    return true;
}

bool Burst::Start(int slot, int recordNo, long count) {
    cursor_.Close();
    db_.Close();
    slot_ = slot;
    recordNo_ = recordNo;
    count_ = count;
    attempts_ = stored_ = failed_ = 0;
    running_ = false;
    writeError_.clear();
    message_.clear();
    if (!folder_)
        folder_ = ResolveDatabaseFolder(prompter_, kMultipleReadingsFolderCaption,
                                        FolderCreation::IfMissing);
    if (!folder_) return false;
    if (recordNo < kFirstRecordNumber || recordNo > kLastRecordNumber)
        return Refuse(texts_.GetText("1013", "Please select a record."));

    char command[32];
    std::snprintf(command, sizeof command, "sample:count %d\n", 1);
    Ask(command);

    // A file of the number that cannot be read or written is refused by
    // name, as live saving refuses it, before its date is stamped.
    if (const std::string problem = RecordSavingProblem(*folder_, recordNo); !problem.empty())
        return Refuse(problem);
    const std::string current = RecordFilePath(*folder_, recordNo, RecordFormat::Current);
    const std::string earlier = RecordFilePath(*folder_, recordNo, RecordFormat::Earlier);
    const bool earlierExists = RecordFileExists(earlier);
    if (!PrepareRecord(current, earlierExists)) return false;

    const std::string identity = Ask("*idn?\n");
    const auto tx42 = identity.find("TX42");
    const std::string function1 = Ask("func?\n");
    const std::string function2 =
        tx42 != std::string::npos && tx42 > 0 ? Ask("func2?\n") : std::string("NONE");
    currentFunction1_ = ShortFunctionCode(function1);
    currentFunction2_ = ShortFunctionCode(function2);

    const FunctionMatch match = CompareRecordFunctions(storedFunction1_, storedFunction2_,
                                                       currentFunction1_, currentFunction2_);
    if (match == FunctionMatch::FirstChanged || match == FunctionMatch::SecondChanged ||
        match == FunctionMatch::BothChanged)
        return Refuse(FunctionChangeMessage(match, storedFunction1_, storedFunction2_,
                                            currentFunction1_, currentFunction2_));
    if (match == FunctionMatch::NotWritten && earlierExists)
        return Refuse(std::string(kRecordHasReadingsText));

    DbStatus st = OpenRecordDatabase(db_, current, RecordFormat::Current);
    if (!st)
        return Refuse(RecordProblemMessage(Database::FileNameOf(current), UnreadableKindOf(current)));
    auto stored = ReadRecordFunctions(db_);
    if (!stored) return Refuse(stored.error().message);
    if (!stored->has_value()) st = WriteRecordFunctions(db_, currentFunction1_, currentFunction2_);
    if (st) st = cursor_.Open(db_, "select * from read");
    if (!st) return Refuse(st.message());
    running_ = count_ > 0;
    return true;
}

bool Burst::Step() {
    if (!running_ || attempts_ >= count_) {
        running_ = false;
        return false;
    }
    const QueryResult r = sessions_.QueryEx(slot_, "read?\n", QueryVariant::MultipleReadings);
    ++attempts_;
    std::optional<std::pair<double, double>> values;
    if (r.sent && r.readStatus >= VI_SUCCESS) values = ParseBurstAnswer(r.answer);
    if (!values) {
        ++failed_;
    } else {
        const DbStatus st = AppendReadingRow(cursor_, values->first, values->second,
                                             LocalDateTime(clock_.wallNow()));
        if (!st) {
            writeError_ = st.message();
            running_ = false;
            return false;
        }
        ++stored_;
    }
    if (attempts_ >= count_) running_ = false;
    return running_;
}

void Burst::Stop() {
    running_ = false;
    cursor_.Close();
    db_.Close();
}

void Burst::Finish() {
    running_ = false;
    cursor_.Close();
    db_.Close();
    if (!writeError_.empty()) {
        prompter_.message({"Saving into " + RecordName(recordNo_) + " stopped after " +
                               std::to_string(stored_) + " readings: " + writeError_,
                           "", PromptIcon::Warning});
    }
    if (failed_ > 0) {
        prompter_.message({std::to_string(failed_) + " of " + std::to_string(attempts_) +
                               " reads brought no reading (the meter did not answer); nothing "
                               "was stored for them.",
                           "", PromptIcon::Warning});
    }
}

}  // namespace qm
