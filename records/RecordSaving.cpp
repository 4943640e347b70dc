#include "records/RecordSaving.h"

#include <cerrno>

namespace qm {

FunctionMatch CompareRecordFunctions(std::string_view sf1, std::string_view sf2,
                                     std::string_view cf1, std::string_view cf2) {
    if (sf1 != cf1 && sf2 == cf2) return FunctionMatch::FirstChanged;
    if (sf1 == cf1 && sf2 != cf2) return FunctionMatch::SecondChanged;
    if (sf1 == cf1) return FunctionMatch::Same;
    if (sf1.empty() || sf2.empty()) return FunctionMatch::NotWritten;
    return FunctionMatch::BothChanged;
}

std::string FunctionChangeMessage(FunctionMatch match, std::string_view sf1, std::string_view sf2,
                                  std::string_view cf1, std::string_view cf2) {
    const std::string first =
        "Function has changed from " + std::string(sf1) + " to " + std::string(cf1) + ".";
    const std::string second =
        "2ND Function has changed from " + std::string(sf2) + " to " + std::string(cf2) + ".";
    const std::string tail = " Please select a different record.";
    switch (match) {
        case FunctionMatch::FirstChanged:
            return first + tail;
        case FunctionMatch::SecondChanged:
            return second + tail;
        case FunctionMatch::BothChanged:
            return first + " " + second + tail;
        default:
            return {};
    }
}

std::optional<SharedRecord> SharedRecordOf(const std::vector<SavingRequest>& requests) {
    for (std::size_t i = 0; i < requests.size(); ++i)
        for (std::size_t j = i + 1; j < requests.size(); ++j)
            if (requests[i].recordNo == requests[j].recordNo)
                return SharedRecord{requests[i].recordNo, requests[i].slot, requests[j].slot};
    return std::nullopt;
}

std::string SharedRecordMessage(const SharedRecord& shared) {
    return RecordName(shared.recordNo) + " is chosen for the meters of device lines " +
           std::to_string(shared.first + 1) + " and " + std::to_string(shared.second + 1) +
           ". Each meter saves into a record of its own: please select a different record.";
}

RecordSaving::RecordSaving(Prompter& prompter, const Clock& clock, FolderResolver resolver)
    : prompter_(prompter), clock_(clock), resolver_(std::move(resolver)) {
    if (!resolver_) {
        resolver_ = [this] {
            return ResolveDatabaseFolder(prompter_, kMainWindowFolderCaption,
                                         FolderCreation::IfMissing);
        };
    }
}

RecordSaving::~RecordSaving() {
    for (int i = 0; i < kSlotCount; ++i) CloseRecord(i);
}

std::optional<std::string> RecordSaving::Folder() {
    if (!folder_) folder_ = resolver_();
    return folder_;
}

bool RecordSaving::IsOpen(int slot) const {
    return ValidSlot(slot) && slots_[slot].open;
}
bool RecordSaving::IsBlocked(int slot) const {
    return ValidSlot(slot) && slots_[slot].blocked;
}
bool RecordSaving::SaveFlag(int slot) const {
    return ValidSlot(slot) && slots_[slot].saveFlag;
}
int RecordSaving::RecordNumber(int slot) const {
    return ValidSlot(slot) ? slots_[slot].recordNo : 0;
}

void RecordSaving::SetCurrentFunctions(std::string_view function1, std::string_view function2) {
    currentFunction1_ = ShortFunctionCode(function1);
    currentFunction2_ = ShortFunctionCode(function2);
}

void RecordSaving::AddToNameList(int recordNo) {
    lastRecordLabel_ = RecordName(recordNo);
    if (recordNameList_.empty())
        recordNameList_ = lastRecordLabel_;
    else
        recordNameList_ += "," + lastRecordLabel_;
}

void RecordSaving::CheckRecord(int recordNo) {
    auto folder = Folder();
    if (!folder) return;
    unusableFile_.clear();
    unusableKind_ = RecordProblem::None;
    const std::string current = RecordFilePath(*folder, recordNo, RecordFormat::Current);
    currentFileExists_ = RecordFileExists(current);
    if (currentFileExists_) {
        storedFunction1_.clear();
        storedFunction2_.clear();
        auto info = ProbeRecordFile(current, RecordFormat::Current);
        if (info.state == RecordFileState::Readable) {
            AddToNameList(recordNo);
            storedFunction1_ = info.function1;
            storedFunction2_ = info.function2;
        } else {
            unusableFile_ = RecordFileName(recordNo, RecordFormat::Current);
            unusableKind_ = info.kind;
        }
        earlierFormatOnly_ = false;
        return;
    }
    storedFunction1_.clear();
    storedFunction2_.clear();
    const std::string earlier = RecordFilePath(*folder, recordNo, RecordFormat::Earlier);
    if (!RecordFileExists(earlier)) {
        earlierFormatOnly_ = false;
        return;
    }
    const auto earlierInfo = ProbeRecordFile(earlier, RecordFormat::Earlier);
    if (earlierInfo.state != RecordFileState::Readable) {
        unusableFile_ = RecordFileName(recordNo, RecordFormat::Earlier);
        unusableKind_ = earlierInfo.kind;
    }
    state_ = RecordCheckState::BothChanged;
    earlierFormatOnly_ = true;
}

DbStatus RecordSaving::OpenRecordForSaving(int recordNo, int slotIndex) {
    if (!ValidSlot(slotIndex) || recordNo < kFirstRecordNumber || recordNo > kLastRecordNumber)
        return DbStatus::Fail(DbStatus::kMisuse, "Please select a record.");
    auto folder = Folder();
    if (!folder) return DbStatus::Fail(ENOENT, std::string(kFolderNotFoundText));
    Slot& slot = slots_[slotIndex];
    CloseRecord(slotIndex);
    slot.recordNo = recordNo;
    slot.failure.clear();

    const std::string path = RecordFilePath(*folder, recordNo, RecordFormat::Current);
    const std::string name = RecordFileName(recordNo, RecordFormat::Current);
    const bool existed = RecordFileExists(path);
    // A link, a second name, a write-protected file or folder: say which
    // before anything is opened, created or left behind.
    const std::string problem = RecordWriteProblem(path);
    if (!problem.empty()) return DbStatus::Fail(EACCES, problem);
    if (!existed) {
        DbStatus st = CreateRecordFile(path, RecordLayout::MainWindow);
        if (!st) return DbStatus::Fail(st.code(), st.message() + ".");
    } else {
        lastRecordLabel_ = RecordName(recordNo);
    }

    DbStatus st = OpenRecordDatabase(slot.db, path, RecordFormat::Current);
    if (!st) {
        // Named by the file, left as it is.
        return DbStatus::Fail(st.code(), RecordProblemMessage(name, UnreadableKindOf(path)));
    }
    if (existed) {
        auto f = ReadRecordFunctions(slot.db);
        if (f && f->has_value()) {
            storedFunction1_ = (*f)->first;
            storedFunction2_ = (*f)->second;
        }
    }
    st = slot.db.UseWriteAheadLog();
    if (st) st = StampRecordDate(slot.db, LocalDateTime(clock_.wallNow()));
    if (st)
        st = WriteRecordFunctions(slot.db, ShortFunctionCode(currentFunction1_),
                                  ShortFunctionCode(currentFunction2_));
    if (st) st = slot.cursor.Open(slot.db, "select * from read");
    if (!st) {
        slot.cursor.Close();
        slot.db.Close();
        return DbStatus::Fail(st.code(),
                              name + " could not be opened for saving: " + st.message() + ".");
    }
    slot.open = true;
    return DbStatus::Ok();
}

DbStatus RecordSaving::AppendReading(int slotIndex, double value1, double value2) {
    if (!ValidSlot(slotIndex) || !slots_[slotIndex].open)
        return DbStatus::Fail(DbStatus::kMisuse, "No record is open for saving.");
    Slot& slot = slots_[slotIndex];
    if (!slot.failure.empty()) return DbStatus::Fail(DbStatus::kMisuse, slot.failure);
    DbStatus st = AppendReadingRow(slot.cursor, value1, value2, LocalDateTime(clock_.wallNow()));
    if (st) return st;
    slot.failure = "The reading could not be saved into " +
                   RecordFileName(slot.recordNo, RecordFormat::Current) + " (" + st.message() +
                   "). Saving has stopped; the readings saved before are kept.";
    return DbStatus::Fail(st.code(), slot.failure);
}

void RecordSaving::CloseRecord(int slotIndex) {
    if (!ValidSlot(slotIndex)) return;
    Slot& slot = slots_[slotIndex];
    slot.cursor.Close();
    slot.db.Close();
    slot.open = false;
}

void RecordSaving::StopSaving() {
    for (int i = 0; i < kSlotCount; ++i) CloseRecord(i);
    ClearNames();
}

void RecordSaving::ClearNames() {
    recordNameList_.clear();
    message_.clear();
}

void RecordSaving::Refuse(Slot& slot, RecordCheckState state, std::string message) {
    state_ = state;
    slot.blocked = true;
    if (!message.empty()) {
        message_ = std::move(message);
        prompter_.message({message_, "", PromptIcon::Warning});
    }
}

bool RecordSaving::OpenOrRefuse(int recordNo, int slotIndex) {
    DbStatus st = OpenRecordForSaving(recordNo, slotIndex);
    if (st) return true;
    Refuse(slots_[slotIndex], RecordCheckState::Unusable, st.message());
    return false;
}

SavingCheckOutcome RecordSaving::StartOfSavingCheck(const std::vector<SavingRequest>& requests) {
    SavingCheckOutcome out;
    for (int i = 0; i < kSlotCount; ++i) {
        CloseRecord(i);
        slots_[i].blocked = false;
        slots_[i].saveFlag = false;
    }
    state_ = RecordCheckState::Ok;
    folder_.reset();
    auto finish = [&](bool proceed) {
        out.proceed = proceed;
        out.state = state_;
        for (int i = 0; i < kSlotCount; ++i)
            if (slots_[i].open) out.openedSlots.push_back(i);
        return out;
    };
    if (const auto shared = SharedRecordOf(requests)) {
        state_ = RecordCheckState::Unusable;
        for (const auto& r : requests)
            if (ValidSlot(r.slot)) slots_[r.slot].blocked = true;
        message_ = SharedRecordMessage(*shared);
        prompter_.message({message_, "", PromptIcon::Warning});
        return finish(false);
    }
    if (!requests.empty() && !Folder()) {
        state_ = RecordCheckState::Unusable;
        for (const auto& r : requests)
            if (ValidSlot(r.slot)) slots_[r.slot].blocked = true;
        return finish(false);
    }

    for (const auto& req : requests) {
        if (!ValidSlot(req.slot)) continue;
        Slot& slot = slots_[req.slot];
        slot.saveFlag = true;
        slot.recordNo = req.recordNo;
        if (req.recordNo < kFirstRecordNumber || req.recordNo > kLastRecordNumber) {
            Refuse(slot, RecordCheckState::Unusable, "Please select a record.");
            continue;
        }
        SetCurrentFunctions(req.function1, req.function2);
        CheckRecord(req.recordNo);
        if (!unusableFile_.empty()) {
            Refuse(slot, RecordCheckState::Unusable,
                   RecordProblemMessage(unusableFile_, unusableKind_));
            continue;
        }
        const auto match = CompareRecordFunctions(storedFunction1_, storedFunction2_,
                                                  currentFunction1_, currentFunction2_);
        const std::string change = FunctionChangeMessage(match, storedFunction1_, storedFunction2_,
                                                         currentFunction1_, currentFunction2_);
        switch (match) {
            case FunctionMatch::FirstChanged:
                Refuse(slot, RecordCheckState::FunctionChanged, change);
                break;
            case FunctionMatch::SecondChanged:
                Refuse(slot, RecordCheckState::SecondFunctionChanged, change);
                break;
            case FunctionMatch::BothChanged:
                Refuse(slot, RecordCheckState::BothChanged, change);
                break;
            case FunctionMatch::Same:
                if (state_ != RecordCheckState::Ok) {
                    slot.blocked = true;
                } else if (!currentFileExists_) {
                    // Nothing to continue (an instrument that answered no
                    // function at all): a new record.
                    OpenOrRefuse(req.recordNo, req.slot);
                } else {
                    const std::string question =
                        recordNameList_ + std::string(kContinueQuestionTail);
                    if (!prompter_.askYesNo(question)) {
                        slot.blocked = true;
                        out.declined = true;
                        return finish(false);
                    }
                    OpenOrRefuse(req.recordNo, req.slot);
                }
                break;
            case FunctionMatch::NotWritten:
                if (earlierFormatOnly_)
                    Refuse(slot, RecordCheckState::HasReadings, {});
                else if (state_ != RecordCheckState::Ok)
                    Refuse(slot, RecordCheckState::BothChanged, {});
                else
                    OpenOrRefuse(req.recordNo, req.slot);
                break;
        }
    }
    if (state_ == RecordCheckState::Ok) return finish(true);
    if (state_ == RecordCheckState::HasReadings) {
        message_ = std::string(kRecordHasReadingsText);
        prompter_.message({message_, "", PromptIcon::Warning});
    }
    return finish(false);
}

}  // namespace qm
