#include "records/RecordLabels.h"

#include <cerrno>

namespace qm {

namespace {

constexpr std::string_view kTwelveBlanks = "            ";

std::string DateText(const std::optional<DateTime>& date) {
    return date ? RecordLabelDate(*date) : std::string();
}

// Dated label of one file of an all-numbers list; plain name otherwise.
RecordChoice Choice(int n, RecordFormat format, const RecordFileInfo& info, std::string_view tail) {
    RecordChoice c;
    c.unreadable = info.state == RecordFileState::Unreadable;
    if (c.unreadable) {
        c.label = UnreadableRecordLabel(n, format);
        c.problem = info.problem;
    } else if (info.state == RecordFileState::Readable && info.hasDate) {
        c.label = RecordDateLabel(n, info.date) + std::string(tail);
    } else {
        c.label = RecordName(n);
    }
    return c;
}

RecordListEntry Entry(int n, RecordFormat format, std::string label) {
    RecordListEntry e;
    e.recordNo = n;
    e.format = format;
    e.label = std::move(label);
    return e;
}

RecordListEntry UnreadableEntry(int n, RecordFormat format, const RecordFileInfo& info) {
    RecordListEntry e = Entry(n, format, UnreadableRecordLabel(n, format));
    e.unreadable = true;
    e.kind = info.kind;
    e.problem = info.problem;
    return e;
}

}  // namespace

std::string RecordDateLabel(int recordNo, const std::optional<DateTime>& date) {
    return RecordName(recordNo) + std::string(kTwelveBlanks) + "( " + DateText(date) + " )";
}

std::string UnreadableRecordLabel(int recordNo, RecordFormat format) {
    return RecordName(recordNo) + std::string(kTwelveBlanks) + "( " +
           RecordFileName(recordNo, format) + " cannot be read )";
}

std::string RecordViewLabel(int recordNo, const std::optional<DateTime>& date,
                            std::string_view function1, std::string_view function2) {
    return RecordDateLabel(recordNo, date) + "  - " + std::string(function1) + " " +
           std::string(function2);
}

std::vector<RecordListEntry> RecordViewEntries(std::string_view folder) {
    std::vector<RecordListEntry> list;
    for (int n = kFirstRecordNumber; n <= kLastRecordNumber; ++n) {
        auto cur = ProbeRecordFile(RecordFilePath(folder, n, RecordFormat::Current),
                                   RecordFormat::Current);
        if (cur.state == RecordFileState::Readable && cur.hasDate)
            list.push_back(Entry(n, RecordFormat::Current,
                                 RecordViewLabel(n, cur.date, cur.function1, cur.function2)));
        else if (cur.state == RecordFileState::Unreadable)
            list.push_back(UnreadableEntry(n, RecordFormat::Current, cur));
        auto old = ProbeRecordFile(RecordFilePath(folder, n, RecordFormat::Earlier),
                                   RecordFormat::Earlier);
        if (old.state == RecordFileState::Readable && old.hasDate)
            list.push_back(Entry(n, RecordFormat::Earlier, RecordDateLabel(n, old.date)));
        else if (old.state == RecordFileState::Unreadable)
            list.push_back(UnreadableEntry(n, RecordFormat::Earlier, old));
    }
    return list;
}

std::vector<RecordListEntry> RecordChartEntries(std::string_view folder) {
    std::vector<RecordListEntry> list;
    for (int n = kFirstRecordNumber; n <= kLastRecordNumber; ++n) {
        RecordFormat format = RecordFormat::Current;
        auto info = ProbeRecordFile(RecordFilePath(folder, n, format), format);
        if (info.state == RecordFileState::Missing) {
            format = RecordFormat::Earlier;
            info = ProbeRecordFile(RecordFilePath(folder, n, format), format);
        }
        if (info.state == RecordFileState::Readable && info.hasDate)
            list.push_back(Entry(n, format, RecordDateLabel(n, info.date)));
        else if (info.state == RecordFileState::Unreadable)
            list.push_back(UnreadableEntry(n, format, info));
    }
    return list;
}

std::array<RecordChoice, 10> MultipleReadingsChoices(std::string_view folder) {
    std::array<RecordChoice, 10> list;
    for (int n = kFirstRecordNumber; n <= kLastRecordNumber; ++n) {
        RecordChoice& c = list[n - 1];
        auto old = ProbeRecordFile(RecordFilePath(folder, n, RecordFormat::Earlier),
                                   RecordFormat::Earlier);
        if (old.state != RecordFileState::Missing) {
            c = Choice(n, RecordFormat::Earlier, old, {});
            c.earlierFormat = old.state == RecordFileState::Readable && old.hasDate;
            continue;
        }
        auto cur = ProbeRecordFile(RecordFilePath(folder, n, RecordFormat::Current),
                                   RecordFormat::Current);
        c = Choice(n, RecordFormat::Current, cur, {});
    }
    return list;
}

std::array<RecordChoice, 10> ReadingSettingsChoices(std::string_view folder,
                                                    std::string_view thirdText) {
    const std::string tail = "  " + std::string(thirdText) + " ";
    std::array<RecordChoice, 10> list;
    for (int n = kFirstRecordNumber; n <= kLastRecordNumber; ++n) {
        auto old = ProbeRecordFile(RecordFilePath(folder, n, RecordFormat::Earlier),
                                   RecordFormat::Earlier);
        if (old.state != RecordFileState::Missing) {
            list[n - 1] = Choice(n, RecordFormat::Earlier, old, tail);
            continue;
        }
        auto cur = ProbeRecordFile(RecordFilePath(folder, n, RecordFormat::Current),
                                   RecordFormat::Current);
        list[n - 1] = Choice(n, RecordFormat::Current, cur, tail);
    }
    return list;
}

DbResult<std::vector<RecordListEntry>> ListRecordViewEntries() {
    const std::optional<std::string> folder = ExistingDatabaseFolder();
    if (!folder) return DbError{ENOENT, std::string(kFolderNotFoundText)};
    return RecordViewEntries(*folder);
}

DbResult<std::vector<std::string>> ListRecordViewLabels() {
    auto entries = ListRecordViewEntries();
    if (!entries) return entries.error();
    std::vector<std::string> labels;
    for (auto& e : entries.value()) labels.push_back(std::move(e.label));
    return labels;
}

}  // namespace qm
