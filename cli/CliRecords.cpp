#include "cli/CliRecords.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string_view>

#include "app/MeterTool.h"
#include "cli/CliCommands.h"
#include "cli/CliPrompter.h"
#include "platform/Clock.h"
#include "platform/TextSource.h"
#include "records/Burst.h"
#include "records/RecordViewer.h"

namespace qm::cli {

namespace {

constexpr const char* kRecordsUsage =
    "qmcli: usage: qmcli records list\n"
    "       qmcli records show R [--page P] [--earlier]\n"
    "       qmcli records stats R [--earlier]\n"
    "       qmcli records search R --low L --high H [--earlier]\n"
    "       qmcli records export R FILE [--earlier]\n"
    "       qmcli records delete R --yes\n";

struct RecordsOptions {
    int recordNo = 0;
    bool earlier = false;
    long page = 1;
    std::string low, high, file;
    bool haveLow = false, haveHigh = false;
    bool yes = false;
};

bool ParseRecordsOptions(const std::vector<std::string>& args, RecordsOptions& o,
                         std::string& problem) {
    long n = 0;
    if (args.size() < 3 || !ParseNumber(args[2], kFirstRecordNumber, kLastRecordNumber, n)) {
        problem = "the record is a number from 1 to 10";
        return false;
    }
    o.recordNo = static_cast<int>(n);
    for (std::size_t i = 3; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--earlier") {
            o.earlier = true;
        } else if (a == "--yes") {
            o.yes = true;
        } else if (a == "--page") {
            if (!value(v) || !ParseNumber(v, 1, 999999, o.page)) {
                problem = "--page needs a page number from 1";
                return false;
            }
        } else if (a == "--low") {
            if (!value(o.low)) return problem = "--low needs a value", false;
            o.haveLow = true;
        } else if (a == "--high") {
            if (!value(o.high)) return problem = "--high needs a value", false;
            o.haveHigh = true;
        } else if (o.file.empty() && !a.empty() && a[0] != '-') {
            o.file = a;
        } else {
            problem = "unexpected argument \"" + a + "\"";
            return false;
        }
    }
    return true;
}

// The database folder of the current directory, without changing into it.
std::optional<std::string> DatabaseFolder() {
    char buf[PATH_MAX + 1];
    if (!::getcwd(buf, sizeof buf)) return std::nullopt;
    std::string folder = DatabaseFolderFor(buf);
    if (::access(folder.c_str(), X_OK) != 0) return std::nullopt;
    return folder;
}

std::string Absolute(const std::string& file) {
    if (!file.empty() && file[0] == '/') return file;
    char buf[PATH_MAX + 1];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) + "/" + file : file;
}

void PrintRows(const std::vector<GridRow>& rows) {
    for (const GridRow& r : rows)
        std::printf("%s\t%s\t%s\t%s\n", r.number.c_str(), r.value.c_str(), r.second.c_str(),
                    r.time.c_str());
}

void PrintStatistics(const RecordViewTexts& t, bool withMatch) {
    std::printf("Data Quantity：%s\n", t.quantity.c_str());
    if (withMatch) std::printf("Match_sample：%s\n", t.match.c_str());
    std::printf("MAX：%s\nMIN：%s\nAVG：%s\n", t.maximum.c_str(), t.minimum.c_str(),
                t.average.c_str());
}

}  // namespace

int RecordsSubcommand(const std::vector<std::string>& args) {
    const std::string what = args.size() > 1 ? args[1] : std::string();
    const bool known = what == "show" || what == "stats" || what == "search" ||
                       what == "export" || what == "delete";
    RecordsOptions o;
    std::string problem;
    if (!known || !ParseRecordsOptions(args, o, problem)) {
        if (!problem.empty()) std::fprintf(stderr, "qmcli: %s\n", problem.c_str());
        std::fputs(kRecordsUsage, stderr);
        return 2;
    }
    if (what == "search" && (!o.haveLow || !o.haveHigh)) {
        std::fputs("qmcli: usage: qmcli records search R --low L --high H\n", stderr);
        return 2;
    }
    if (what == "export" && o.file.empty()) {
        std::fputs("qmcli: usage: qmcli records export R FILE (\".csv\" is appended)\n", stderr);
        return 2;
    }
    const auto folder = DatabaseFolder();
    if (!folder) {
        std::fprintf(stderr, "qmcli: %s\n", std::string(kFolderNotFoundText).c_str());
        return 1;
    }
    CliPrompter prompter(o.yes);
    EnglishTexts texts;
    if (what == "delete") {
        const DeleteOutcome outcome = DeleteRecord(*folder, o.recordNo, prompter, texts);
        if (outcome == DeleteOutcome::Declined) {
            std::fputs("qmcli: nothing deleted (give --yes to delete)\n", stderr);
            return 1;
        }
        return outcome == DeleteOutcome::Deleted ? 0 : 1;
    }
    RecordViewer viewer(prompter, texts);
    viewer.InitialiseIn(*folder);
    const RecordListEntry* entry = FindRecordEntry(viewer.entries(), o.recordNo, o.earlier);
    if (!entry) {
        std::fprintf(stderr, "qmcli: %s%s is not in the record list\n",
                     RecordName(o.recordNo).c_str(), o.earlier ? " (earlier format)" : "");
        return 1;
    }
    const int index = static_cast<int>(entry - viewer.entries().data());
    const int shownBefore = prompter.shown();
    if (!viewer.SelectRecord(index)) return 1;
    if (what == "stats") {
        PrintStatistics(viewer.texts(), false);
        return 0;
    }
    if (what == "show") {
        if (o.page > 1 && !viewer.LoadPage(o.page - 1)) return 1;
        PrintRows(viewer.rows());
        return 0;
    }
    if (what == "search") {
        viewer.Search(o.high, o.low);
        PrintStatistics(viewer.texts(), true);
        PrintRows(viewer.rows());
        return prompter.shown() > shownBefore ? 1 : 0;
    }
    return viewer.ExportCsv(Absolute(o.file)) ? 0 : 1;
}

int BurstCommand(const std::vector<std::string>& args) {
    std::string slotText, countText, recordText;
    bool ok = args.size() == 6;
    for (std::size_t i = 2; ok && i + 1 < args.size(); i += 2) {
        if (args[i] == "--count")
            countText = args[i + 1];
        else if (args[i] == "--record")
            recordText = args[i + 1];
        else
            ok = false;
    }
    long recordNo = 0;
    if (!ok || countText.empty() || recordText.empty()) {
        std::fputs("qmcli: usage: qmcli burst SLOT --count N --record R\n", stderr);
        return 2;
    }
    const auto count = BurstCountOf(countText);
    if (!count || CheckBurstCountText(countText)) {
        std::fprintf(stderr, "qmcli: %s\n", std::string(kBurstCountRangeText).c_str());
        return 2;
    }
    if (!ParseNumber(recordText, kFirstRecordNumber, kLastRecordNumber, recordNo)) {
        std::fputs("qmcli: the record is a number from 1 to 10\n", stderr);
        return 2;
    }
    CliPrompter prompter(false);
    EnglishTexts texts;
    MeterTool tool(prompter, texts, systemClock());
    tool.Refresh(/*selectFirst=*/false);
    const int slot = ParseSlot(args[1]);
    if (tool.devices().empty()) {
        std::fputs("No Device Connected\n", stderr);
        return 2;
    }
    if (slot < 0 || slot >= static_cast<int>(tool.devices().size())) {
        std::fprintf(stderr, "qmcli: no meter in slot %s (%zu found)\n", args[1].c_str(),
                     tool.devices().size());
        return 2;
    }
    Burst burst(tool.sessions(), prompter, texts, systemClock());
    if (!burst.FillRecordChoices()) return 1;
    if (!burst.Start(slot, static_cast<int>(recordNo), *count)) return 1;
    while (burst.Step()) {
    }
    burst.Finish();
    std::printf("%ld readings stored in %s\n", burst.stored(),
                RecordName(static_cast<int>(recordNo)).c_str());
    return burst.stored() == *count ? 0 : 1;
}

}  // namespace qm::cli
