#include "cli/CliReading.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/MeterTool.h"
#include "cli/CliCommands.h"
#include "cli/CliPrompter.h"
#include "instrument/SessionTable.h"

namespace qm::cli {

namespace {

// Prints each tick as the window's device lines show it: per meter its main
// value, and the second value after a tab when the meter sent one; meters
// read at once follow one another on the line, tab-separated, in reading
// order. While saving, a reading that did not reach the record says so
// after its values.
class CliReadingView : public ReadingView {
public:
    explicit CliReadingView(std::size_t meters) : fields_(meters) {}

    void LineUpdated(const LineReading& line) override {
        if (line.line < 0 || static_cast<std::size_t>(line.line) >= fields_.size()) return;
        std::string text;
        if (line.answered) {
            text = line.mainText;
            if (line.hasSecond) text += "\t" + line.secondText;
            if (line.saving && !line.saved) {
                text += "\tNOT SAVED";
                ++unsaved;
                if (line.truncated) ++truncated;
            }
        } else {
            text = line.notANumber ? "NOT A NUMBER" : "NO ANSWER";
        }
        fields_[static_cast<std::size_t>(line.line)] = std::move(text);
    }

    // After each tick. A meter the tick did not get to (the run ended at an
    // earlier one) did not answer; a tick that read nothing prints nothing.
    void EndTick() {
        bool any = false;
        for (const auto& f : fields_) any = any || f.has_value();
        if (!any) return;
        std::string text;
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            if (i > 0) text += '\t';
            text += fields_[i].value_or("NO ANSWER");
            fields_[i].reset();
        }
        std::printf("%s\n", text.c_str());
        // A printed reading that was saved is already committed: flushing
        // here keeps the terminal and the record in step even on a kill.
        std::fflush(stdout);
    }

    long unsaved = 0;
    long truncated = 0;  // of those, answers longer than the answer buffer

private:
    std::vector<std::optional<std::string>> fields_;
};

// "0,2,3" into its items; empty items are kept (and refused by the caller).
std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        items.push_back(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (comma == std::string::npos) return items;
        from = comma + 1;
    }
}

bool ParseRecordList(const std::string& text, std::vector<int>& records) {
    for (const std::string& item : SplitList(text)) {
        long r = 0;
        if (item == "-") {
            records.push_back(0);
        } else if (ParseNumber(item, 1, 10, r)) {
            records.push_back(static_cast<int>(r));
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

bool ParseReadOptions(const std::vector<std::string>& args, ReadOptions& out, std::string& problem) {
    const char* usage =
        "usage: qmcli read SLOT --count N [--interval MS] [--record R] [--yes]\n"
        "       qmcli read --slots S1,S2[,S3[,S4]] --count N [--interval MS] "
        "[--records R1,R2,...] [--yes]";
    bool haveCount = false;
    bool haveRecords = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](long min, long max, long& v) {
            if (i + 1 >= args.size() || !ParseNumber(args[i + 1], min, max, v)) return false;
            ++i;
            return true;
        };
        auto text = [&](std::string& v) {
            if (i + 1 >= args.size()) return false;
            v = args[++i];
            return true;
        };
        long v = 0;
        std::string list;
        if (a == "--count") {
            if (!value(1, 100000000, v)) {
                problem = "--count needs a number of readings (1 or more)";
                return false;
            }
            out.count = v;
            haveCount = true;
        } else if (a == "--interval") {
            if (!value(0, 3600000, v)) {
                problem = "--interval needs a number of milliseconds";
                return false;
            }
            out.intervalMs = static_cast<int>(v);
        } else if (a == "--record") {
            if (!value(1, 10, v)) {
                problem = "--record needs a record number from 1 to 10";
                return false;
            }
            out.record = static_cast<int>(v);
        } else if (a == "--slots") {
            if (!text(list)) {
                problem = "--slots needs two to four slots, e.g. --slots 0,2";
                return false;
            }
            out.slotTexts = SplitList(list);
        } else if (a == "--records") {
            if (!text(list) || !ParseRecordList(list, out.records)) {
                problem = "--records needs one record number (1-10, or - for none) per slot, e.g. "
                          "--records 1,-";
                return false;
            }
            haveRecords = true;
        } else if (a == "--yes") {
            out.assumeYes = true;
        } else if (out.slotText.empty() && !a.empty() && a[0] != '-') {
            out.slotText = a;
        } else {
            problem = "unexpected argument \"" + a + "\"; " + usage;
            return false;
        }
    }
    const bool multi = !out.slotTexts.empty();
    if (!haveCount || multi == !out.slotText.empty()) {
        problem = usage;
        return false;
    }
    if (multi) {
        if (out.slotTexts.size() < static_cast<std::size_t>(kFewestMetersReadAtOnce) ||
            out.slotTexts.size() > static_cast<std::size_t>(kMetersReadAtOnce)) {
            problem = "--slots takes two to four slots";
            return false;
        }
        for (std::size_t i = 0; i < out.slotTexts.size(); ++i)
            for (std::size_t j = 0; j < i; ++j)
                if (out.slotTexts[i] == out.slotTexts[j]) {
                    problem = "--slots names slot " + out.slotTexts[i] + " twice";
                    return false;
                }
        if (out.record > 0) {
            problem = "with --slots, give each meter's record with --records";
            return false;
        }
        if (haveRecords && out.records.size() != out.slotTexts.size()) {
            problem = "--records needs one record per slot of --slots (- for a meter not saved)";
            return false;
        }
    } else if (haveRecords) {
        problem = "--records goes with --slots; one meter saves with --record";
        return false;
    }
    return true;
}

int ReadCommand(MeterTool& tool, CliPrompter& prompter, const ReadOptions& options) {
    ReadingLoop& loop = tool.loop();
    std::size_t meters = 1;
    if (options.slotTexts.empty()) {
        const int slot = SlotArgument(tool, options.slotText);
        if (slot < 0) return 2;
        tool.OnDeviceListSelChange(slot);
        if (options.record > 0) loop.SetSaving(0, true, options.record);
    } else {
        // What OK on the Reading Settings page hands the window.
        ReadingSettingsValues settings;
        settings.multiMode = true;
        settings.colours = tool.chart().colours();
        for (const std::string& text : options.slotTexts) {
            const int slot = SlotArgument(tool, text);
            if (slot < 0) return 2;
            settings.chosen.push_back(slot);
        }
        for (std::size_t i = 0; i < options.records.size(); ++i) {
            settings.saveFlag[i] = options.records[i] > 0;
            settings.recordNo[i] = options.records[i];
        }
        tool.ApplyReadingSettings(settings);
        meters = settings.chosen.size();
    }
    CliReadingView view(meters);
    loop.SetView(&view);

    if (!loop.OnStartReading()) {
        loop.SetView(nullptr);
        // A continue question that was not answered yes: status 3.
        return prompter.declined() ? 3 : 1;
    }
    for (long i = 0; i < options.count && loop.reading(); ++i) {
        if (i > 0) tool.clock().sleepFor(std::chrono::milliseconds(options.intervalMs));
        loop.OnTimer();
        view.EndTick();
    }
    const auto reason = loop.reading() ? ReadingLoop::EndReason::Stopped : loop.endReason();
    if (loop.reading()) loop.OnStopReading();
    loop.SetView(nullptr);
    if (view.truncated > 0) {
        const std::string where =
            options.record > 0 ? " into record " + std::to_string(options.record) : std::string();
        std::fprintf(stderr,
                     "qmcli: %ld answers were longer than %zu bytes; they are shown but were not "
                     "saved%s\n",
                     view.truncated, kAnswerBufferSize - 1, where.c_str());
    }
    switch (reason) {
        case ReadingLoop::EndReason::ConnectionLost:
        case ReadingLoop::EndReason::SaveFailed:
            return 1;
        default:
            return view.unsaved > 0 ? 1 : 0;
    }
}

}  // namespace qm::cli

namespace qm::cli {

void PrintStatusProblem(const char* what, ViStatus status) {
    if (status == VI_ERROR_TMO) {
        std::fprintf(stderr, "qmcli: %s: the meter did not answer in time (timeout)\n", what);
    } else if (status == VI_ERROR_CONN_LOST) {
        std::fprintf(stderr, "qmcli: %s: the connection to the meter was lost\n", what);
    } else {
        char desc[256] = {};
        viStatusDesc(VI_NULL, status, desc);
        std::fprintf(stderr, "qmcli: %s: %s\n", what, desc);
    }
}

}  // namespace qm::cli
