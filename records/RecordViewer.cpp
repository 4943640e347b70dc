#include "records/RecordViewer.h"

#include "config/NumberText.h"
#include "records/RecordValueText.h"

namespace qm {

RecordViewer::RecordViewer(Prompter& prompter, const TextSource& texts)
    : prompter_(prompter), texts_(texts) {}

std::string RecordViewer::Text(std::string_view key, std::string_view englishDefault) const {
    return texts_.GetText(key, englishDefault);
}

void RecordViewer::Reset() {
    entries_.clear();
    selected_ = -1;
    stats_ = {};
    shown_ = {};
    pageItems_.clear();
    rows_.clear();
}

void RecordViewer::Initialise() {
    Reset();
    const auto folder = ResolveDatabaseFolder(prompter_, kRecordViewFolderCaption);
    folder_ = folder.value_or(std::string());
    if (folder) entries_ = RecordViewEntries(folder_);
}

void RecordViewer::InitialiseIn(std::string folder) {
    Reset();
    folder_ = std::move(folder);
    entries_ = RecordViewEntries(folder_);
}

const RecordListEntry* RecordViewer::selectedEntry() const {
    if (selected_ < 0 || selected_ >= static_cast<int>(entries_.size())) return nullptr;
    return &entries_[static_cast<std::size_t>(selected_)];
}

std::string RecordViewer::SelectedPath() const {
    const RecordListEntry* e = selectedEntry();
    return e ? RecordFilePath(folder_, e->recordNo, e->format) : std::string();
}

void RecordViewer::NoData() {
    prompter_.message({Text("1020", "No data in file"), "", PromptIcon::Warning});
}

bool RecordViewer::SelectRecord(int index) {
    selected_ = index;
    stats_ = {};
    shown_ = {};
    pageItems_.clear();
    rows_.clear();
    WaitCursor wait(prompter_);
    Database db;
    if (!OpenSelected(db)) return false;
    auto stats = ReadRecordStatistics(db);
    if (!stats) {
        prompter_.message({stats.error().message, "", PromptIcon::Warning});
        return false;
    }
    stats_ = *stats;
    shown_.quantity = std::to_string(stats_.first.count);
    if (stats_.first.count > 0) {
        shown_.maximum = StatisticText(stats_.first.maximum);
        shown_.minimum = StatisticText(stats_.first.minimum);
        shown_.average = StatisticText(stats_.first.average);
    }
    shown_.maximum2 = FixedText(stats_.second.maximum, 12);
    shown_.minimum2 = FixedText(stats_.second.minimum, 12);
    shown_.average2 = FixedText(stats_.second.average, 12);
    pageItems_ = PageSelectorItems(stats_.first.count);
    if (stats_.first.count == 0) NoData();
    return LoadPageFrom(db, 0);
}

bool RecordViewer::LoadPage(long long page) {
    rows_.clear();
    WaitCursor wait(prompter_);
    Database db;
    return OpenSelected(db) && LoadPageFrom(db, page);
}

bool RecordViewer::OpenSelected(Database& db) {
    const RecordListEntry* e = selectedEntry();
    if (!e) return false;
    const DbStatus st = OpenRecordEntry(db, folder_, *e);
    if (!st) prompter_.message({st.message(), "", PromptIcon::Warning});
    return st.ok();
}

bool RecordViewer::LoadPageFrom(Database& db, long long page) {
    auto rows = ReadGridPage(db, page);
    if (!rows) {
        prompter_.message({rows.error().message, "", PromptIcon::Warning});
        return false;
    }
    rows_ = std::move(rows).value();
    return true;
}

void RecordViewer::Search(std::string_view upperText, std::string_view lowerText) {
    WaitCursor wait(prompter_);
    if (upperText.empty() && lowerText.empty()) {
        prompter_.message({Text("1022", "Please input a valid value."), "", PromptIcon::Warning});
        return;
    }
    if (upperText.empty()) {
        prompter_.message({Text("1034", "Please input a valid Max_value."), "", PromptIcon::Warning});
        return;
    }
    if (lowerText.empty()) {
        prompter_.message({Text("1033", "Please input a valid Min_value."), "", PromptIcon::Warning});
        return;
    }
    const RecordListEntry* e = selectedEntry();
    if (!e) {
        prompter_.message({Text("1013", "Please select a record."), "", PromptIcon::Warning});
        return;
    }
    // The record's own maximum and minimum as numbers, not as their shown
    // texts: a text cut to 15 characters (or "OVLD") would move the band.
    const BandLimits limits = AdjustBandLimits(AsciiToDouble(upperText), AsciiToDouble(lowerText),
                                               stats_.first.maximum, stats_.first.minimum);
    if (limits.high < limits.low) {
        prompter_.message({std::string(kReversedBandText), "", PromptIcon::Warning});
        shown_.match = std::to_string(0);
        return;
    }
    Database db;
    if (!OpenSelected(db)) return;
    auto found = FindBandMatches(db, limits);
    if (!found) {
        prompter_.message({found.error().message, "", PromptIcon::Warning});
        return;
    }
    rows_ = std::move(found->rows);
    if (found->count > kGridPageRows) {
        prompter_.message({Text("1023", "Please narrow the searching range."), ""});
        return;
    }
    shown_.match = std::to_string(found->count);
    const ValueStatistics& s = found->statistics;
    shown_.maximum = SearchStatisticText(found->count ? s.maximum : 0.0);
    shown_.minimum = SearchStatisticText(found->count ? s.minimum : 0.0);
    shown_.average = SearchStatisticText(found->count ? s.average : 0.0);
}

bool RecordViewer::BeginExport(CsvExport& exporter, std::string_view chosenName) {
    const RecordListEntry* e = selectedEntry();
    if (!e) return false;
    const DbStatus st =
        exporter.Begin(SelectedPath(), e->format, CsvFileNameFor(chosenName), e->label);
    if (st) return true;
    if (exporter.FileFailed())
        prompter_.message({std::string(kSaveAsErrorText), std::string(kSaveAsErrorCaption)});
    else
        prompter_.message({st.message(), "", PromptIcon::Warning});
    return false;
}

void RecordViewer::FinishExport(CsvExport& exporter) {
    const DbStatus st = exporter.Finish();
    if (!st) {
        prompter_.message({std::string(kSaveAsErrorText) + " " + st.message(),
                           std::string(kSaveAsErrorCaption)});
        return;
    }
    if (exporter.written() == 0) {
        NoData();
        return;
    }
    prompter_.message({std::string(kCsvCompletedText), "", PromptIcon::Information});
}

bool RecordViewer::ExportCsv(std::string_view chosenName) {
    CsvExport exporter;
    if (!BeginExport(exporter, chosenName)) return false;
    DbStatus st;
    while (st && !exporter.done()) st = exporter.Step(100000);
    if (!st) {
        exporter.Abandon();
        prompter_.message({st.message(), "", PromptIcon::Warning});
        return false;
    }
    FinishExport(exporter);
    return !exporter.FileFailed();
}

DeleteOutcome RecordViewer::DeleteSelected() {
    const RecordListEntry* e = selectedEntry();
    if (!e) return DeleteOutcome::Declined;
    const DeleteOutcome outcome = DeleteRecord(folder_, e->recordNo, prompter_, texts_);
    InitialiseIn(folder_);
    return outcome;
}

}  // namespace qm
