#include "records/RecordLabels.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace qm {

namespace {

constexpr std::string_view kTwelveBlanks = "            ";

std::string DateText(const std::optional<DateTime>& date) {
    return date ? RecordLabelDate(*date) : std::string();
}

// Dated label of one file of an all-numbers list; plain name otherwise.
RecordChoice Choice(int n, const RecordFileInfo& info, std::string_view tail) {
    RecordChoice c;
    c.unreadable = info.state == RecordFileState::Unreadable;
    if (info.state == RecordFileState::Readable && info.hasDate)
        c.label = RecordDateLabel(n, info.date) + std::string(tail);
    else
        c.label = RecordName(n);
    return c;
}

}  // namespace

std::string RecordDateLabel(int recordNo, const std::optional<DateTime>& date) {
    return RecordName(recordNo) + std::string(kTwelveBlanks) + "( " + DateText(date) + " )";
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
            list.push_back({n, RecordFormat::Current,
                            RecordViewLabel(n, cur.date, cur.function1, cur.function2)});
        auto old = ProbeRecordFile(RecordFilePath(folder, n, RecordFormat::Earlier),
                                   RecordFormat::Earlier);
        if (old.state == RecordFileState::Readable && old.hasDate)
            list.push_back({n, RecordFormat::Earlier, RecordDateLabel(n, old.date)});
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
            list.push_back({n, format, RecordDateLabel(n, info.date)});
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
            c = Choice(n, old, {});
            c.earlierFormat = old.state == RecordFileState::Readable && old.hasDate;
            continue;
        }
        auto cur = ProbeRecordFile(RecordFilePath(folder, n, RecordFormat::Current),
                                   RecordFormat::Current);
        c = Choice(n, cur, {});
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
            list[n - 1] = Choice(n, old, tail);
            continue;
        }
        auto cur = ProbeRecordFile(RecordFilePath(folder, n, RecordFormat::Current),
                                   RecordFormat::Current);
        list[n - 1] = Choice(n, cur, tail);
    }
    return list;
}

DbResult<std::vector<std::string>> ListRecordViewLabels() {
    std::vector<char> buf(PATH_MAX + 1);
    if (!::getcwd(buf.data(), buf.size())) return DbError{errno, std::string(kFolderNotFoundText)};
    std::string folder = DatabaseFolderFor(buf.data());
    struct stat sb {};
    if (::stat(folder.c_str(), &sb) != 0 || !S_ISDIR(sb.st_mode))
        return DbError{ENOENT, std::string(kFolderNotFoundText)};
    std::vector<std::string> labels;
    for (auto& e : RecordViewEntries(folder)) labels.push_back(std::move(e.label));
    return labels;
}

}  // namespace qm
