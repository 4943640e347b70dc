#include "cli/CliReading.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/MeterTool.h"
#include "cli/CliCommands.h"
#include "cli/CliPrompter.h"
#include "instrument/SessionTable.h"

namespace qm::cli {

namespace {

// Prints each device line as the window shows it: main value, and the second
// value after a tab when the meter sent one. While saving, a reading that
// did not reach the record says so at the end of its line.
class CliReadingView : public ReadingView {
public:
    void LineUpdated(const LineReading& line) override {
        if (line.answered) {
            std::string text = line.mainText;
            if (line.hasSecond) text += "\t" + line.secondText;
            if (line.saving && !line.saved) {
                text += "\tNOT SAVED";
                ++unsaved;
                if (line.truncated) ++truncated;
            }
            std::printf("%s\n", text.c_str());
        } else if (line.notANumber) {
            std::printf("NOT A NUMBER\n");
        } else {
            std::printf("NO ANSWER\n");
        }
        // A printed reading that was saved is already committed: flushing
        // here keeps the terminal and the record in step even on a kill.
        std::fflush(stdout);
    }

    long unsaved = 0;
    long truncated = 0;  // of those, answers longer than the answer buffer
};

}  // namespace

bool ParseReadOptions(const std::vector<std::string>& args, ReadOptions& out, std::string& problem) {
    const char* usage = "usage: qmcli read SLOT --count N [--interval MS] [--record R] [--yes]";
    bool haveCount = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](long min, long max, long& v) {
            if (i + 1 >= args.size() || !ParseNumber(args[i + 1], min, max, v)) return false;
            ++i;
            return true;
        };
        long v = 0;
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
        } else if (a == "--yes") {
            out.assumeYes = true;
        } else if (out.slotText.empty() && !a.empty() && a[0] != '-') {
            out.slotText = a;
        } else {
            problem = "unexpected argument \"" + a + "\"; " + usage;
            return false;
        }
    }
    if (out.slotText.empty() || !haveCount) {
        problem = usage;
        return false;
    }
    return true;
}

int ReadCommand(MeterTool& tool, CliPrompter& prompter, int slot, const ReadOptions& options) {
    tool.OnDeviceListSelChange(slot);
    ReadingLoop& loop = tool.loop();
    CliReadingView view;
    loop.SetView(&view);
    if (options.record > 0) loop.SetSaving(0, true, options.record);

    if (!loop.OnStartReading()) {
        loop.SetView(nullptr);
        // A continue question that was not answered yes: status 3.
        return prompter.declined() ? 3 : 1;
    }
    for (long i = 0; i < options.count && loop.reading(); ++i) {
        if (i > 0) tool.clock().sleepFor(std::chrono::milliseconds(options.intervalMs));
        loop.OnTimer();
    }
    const auto reason = loop.reading() ? ReadingLoop::EndReason::Stopped : loop.endReason();
    if (loop.reading()) loop.OnStopReading();
    loop.SetView(nullptr);
    if (view.truncated > 0) {
        std::fprintf(stderr,
                     "qmcli: %ld answers were longer than %zu bytes; they are shown but were not "
                     "saved into record %d\n",
                     view.truncated, kAnswerBufferSize - 1, options.record);
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
