#include "cli/CliLink.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <optional>
#include <thread>

#include "cli/CliCommands.h"
#include "link/Application.h"
#include "link/DateSerial.h"
#include "link/LinkSettings.h"
#include "link/LoggingSheet.h"
#include "platform/Clock.h"
#include "sheet/SheetTargets.h"

namespace qm::cli {

namespace {

constexpr const char* kLinkUsage =
    "usage: qmcli link find\n"
    "       qmcli link log ROW --to calc|calc:UNO-URL|FILE.xlsx --count N --interval MS\n"
    "                      [--chart 0|1|2] [--in-sheet] [--points P] [--begin 1|2|3]\n"
    "                      [--at \"yyyy/mm/dd hh:nn:ss\"] [--stop 1|2|3] [--stop-after HH:NN:SS]\n"
    "                      [--save-as FILE.ods|FILE.xlsx|FILE.pdf] [--headless] [--yes]\n";

std::atomic<int> g_interrupts{0};

extern "C" void OnInterrupt(int) { g_interrupts.fetch_add(1); }

// The engine's messages on the terminal. A Yes/No question is asked on the
// terminal when there is one; otherwise --yes answers it.
class LinkPrompter : public Prompter {
  public:
    explicit LinkPrompter(bool assumeYes) : assumeYes_(assumeYes) {}
    PromptAnswer message(const PromptMessage& m) override {
        std::string text = m.text;
        for (char& c : text)
            if (c == '\n') c = ' ';
        std::fprintf(stderr, "%s: %s\n", m.caption.c_str(), text.c_str());
        if (m.buttons != PromptButtons::YesNo) {
            if (m.text.rfind("Loss of important files", 0) != 0) ++errors_;
            return PromptAnswer::Ok;
        }
        if (isatty(STDIN_FILENO)) {
            std::fprintf(stderr, "[y/N] ");
            std::string answer;
            std::getline(std::cin, answer);
            return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y') ? PromptAnswer::Yes
                                                                              : PromptAnswer::No;
        }
        std::fprintf(stderr, "[%s]\n", assumeYes_ ? "yes" : "no");
        return assumeYes_ ? PromptAnswer::Yes : PromptAnswer::No;
    }
    void openExternal(const std::string& address) override {
        std::fprintf(stderr, "help: %s\n", address.c_str());
    }
    int errors() const { return errors_; }

  private:
    bool assumeYes_;
    int errors_ = 0;
};

int FindCommand() {
    LinkPrompter prompter(false);
    link::Application app(prompter);
    app.FindDevice();
    if (app.m_DevCount == 0) {
        std::fputs("No Device Connected\n", stderr);
        return 2;
    }
    for (int row = 0; row < app.m_DevCount; ++row)
        std::printf("%d\t%s\t%s\t%s\t%s\n", row, app.IdentityCell(row, 0).c_str(),
                    app.IdentityCell(row, 1).c_str(), app.IdentityCell(row, 2).c_str(),
                    app.IdentityCell(row, 3).c_str());
    return 0;
}

struct LogOptions {
    long row = -1;
    std::string target;
    long count = -1;
    long interval = -1;
    long chart = 0;
    bool inSheet = false;
    long points = -1;
    long begin = 1;
    std::string at;
    long stop = 1;
    std::string stopAfter;
    std::string saveAs;
    bool headless = false;
    bool yes = false;
};

bool ParseLogOptions(const std::vector<std::string>& args, LogOptions& o, std::string& problem) {
    if (args.size() < 3 || !ParseNumber(args[2], 0, 255, o.row)) {
        problem = "link log needs a row of `qmcli link find` (0-255)";
        return false;
    }
    for (std::size_t i = 3; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        auto number = [&](long min, long max, long& out) {
            if (!hasValue || !ParseNumber(args[i + 1], min, max, out)) {
                problem = a + " needs a whole number from " + std::to_string(min) + " to " +
                          std::to_string(max);
                return false;
            }
            ++i;
            return true;
        };
        auto text = [&](std::string& out) {
            if (!hasValue) {
                problem = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        bool ok = true;
        if (a == "--to") ok = text(o.target);
        else if (a == "--count") ok = number(0, 100000000, o.count);
        else if (a == "--interval") ok = number(10, 86400000, o.interval);
        else if (a == "--chart") ok = number(0, 2, o.chart);
        else if (a == "--in-sheet") o.inSheet = true;
        else if (a == "--points") ok = number(0, 30000, o.points);
        else if (a == "--begin") ok = number(1, 3, o.begin);
        else if (a == "--at") ok = text(o.at);
        else if (a == "--stop") ok = number(1, 3, o.stop);
        else if (a == "--stop-after") ok = text(o.stopAfter);
        else if (a == "--save-as") ok = text(o.saveAs);
        else if (a == "--headless") o.headless = true;
        else if (a == "--yes") o.yes = true;
        else {
            problem = "unknown option " + a;
            return false;
        }
        if (!ok) return false;
    }
    if (o.target.empty()) problem = "--to is required";
    else if (o.interval < 0) problem = "--interval is required";
    else if (o.stop == 1 && o.count < 0) problem = "--count is required with --stop 1";
    else if (o.begin == 2 && !link::ParseDateTime(o.at)) problem = "--begin 2 needs --at \"yyyy/mm/dd hh:nn:ss\"";
    else if (o.stop == 2 && o.stopAfter.empty()) problem = "--stop 2 needs --stop-after HH:NN:SS";
    return problem.empty();
}

// "HH:NN:SS" into its three fields.
bool SplitStopAfter(const std::string& text, std::string fields[3]) {
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const auto colon = text.find(':', start);
        if ((colon == std::string::npos) != (i == 2)) return false;
        fields[i] = text.substr(start, colon - start);
        long n = 0;
        if (!ParseNumber(fields[i], 0, 1000000, n)) return false;
        start = colon + 1;
    }
    return true;
}

int LogCommand(const std::vector<std::string>& args) {
    LogOptions o;
    std::string problem;
    if (!ParseLogOptions(args, o, problem)) {
        std::fprintf(stderr, "qmcli: %s\n%s", problem.c_str(), kLinkUsage);
        return 2;
    }
    std::string stopFields[3];
    if (!o.stopAfter.empty() && !SplitStopAfter(o.stopAfter, stopFields)) {
        std::fprintf(stderr, "qmcli: --stop-after takes HH:NN:SS\n");
        return 2;
    }
    if (!std::filesystem::is_regular_file(link::SettingsFilePath()))
        std::fprintf(stderr, "qmcli: note: no link settings file at %s; the run's parameters are not kept\n",
                     link::SettingsFilePath().c_str());

    LinkPrompter prompter(o.yes);
    link::Application app(prompter);
    app.FindDevice();
    if (o.row >= app.m_DevCount) {
        std::fprintf(stderr, "qmcli: no instrument in row %ld (%d found)\n", o.row, app.m_DevCount);
        return 2;
    }
    app.GetIDN(static_cast<std::int16_t>(o.row));
    app.wkSesn = app.m_IDNSesn;

    sheet::TargetOptions targetOptions;
    targetOptions.forceHeadless = o.headless;
    auto opened = sheet::OpenLogTarget(o.target, targetOptions);
    if (!opened) {
        std::fprintf(stderr, "qmcli: %s\n", opened.description().c_str());
        return 1;
    }
    sheet::LogTarget& target = opened.value();
    std::fprintf(stderr, "Logging %s into %s\n", app.m_IDNbuff.c_str(), target.description.c_str());

    // The sheet as the add-in lays it out, started now.
    const auto window = o.points >= 0 ? std::optional<std::int32_t>(static_cast<std::int32_t>(o.points))
                                      : std::nullopt;
    (void)link::LayOutLoggingSheet(*target.sheet, window, target.addScrollBar);
    (void)link::WriteRunStart(*target.sheet, link::ToSerial(systemClock().wallNow()));

    // The members in the order the add-in calls them.
    app.SetApp(target.app);
    app.SetWorkbooksName(target.description);
    app.SetSheet(target.sheet);
    std::int16_t chart = static_cast<std::int16_t>(o.chart);
    bool inSheet = o.inSheet;
    app.AddChart(chart, inSheet);
    app.SetNumberOfReading(static_cast<std::int32_t>(std::max(0L, o.count)));
    if (!o.at.empty() && !app.SetAtTime(o.at).ok()) {
        std::fprintf(stderr, "qmcli: --at takes \"yyyy/mm/dd hh:nn:ss\"\n");
        target.close();
        return 2;
    }
    app.SetBegin(static_cast<std::int32_t>(o.begin));
    app.SetTerimnatingUpon(static_cast<std::int32_t>(o.stop));
    if (!o.stopAfter.empty()) app.SetStopTime(stopFields[0], stopFields[1], stopFields[2]);

    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    std::int32_t interval = static_cast<std::int32_t>(o.interval);
    app.StartTimer(interval);
    int handled = 0;
    int shown = 0;
    while (app.LoggingActive()) {
        if (g_interrupts.load() > handled) {
            handled = g_interrupts.load();
            if (handled >= 3) {
                std::fputs("qmcli: interrupted three times: giving up the run\n", stderr);
                break;
            }
            app.StopTimer();  // Ctrl+C is the STOP button
            continue;
        }
        const auto wait = app.NextTickIn().value_or(std::chrono::milliseconds(10));
        // The host waits for the engine's timer; the engine itself never sleeps.
        std::this_thread::sleep_for(std::min(wait, std::chrono::milliseconds(50)));
        app.Tick();
        // One line per reading written, as progress for a long run.
        for (; shown < app.ReadingsLogged(); ++shown) std::printf("%d\n", shown + 1);
        std::fflush(stdout);
    }
    std::fprintf(stderr, "%d readings logged\n", app.ReadingsLogged());
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);

    int status = prompter.errors() > 0 ? 1 : 0;
    if (!o.saveAs.empty()) {
        const auto saved = target.saveAs(o.saveAs);
        if (!saved) {
            std::fprintf(stderr, "qmcli: cannot save %s: %s\n", o.saveAs.c_str(), saved.description().c_str());
            status = 1;
        }
    }
    target.close();
    return status;
}

}  // namespace

int LinkCommand(const std::vector<std::string>& args) {
    if (args.size() >= 2 && args[1] == "find" && args.size() == 2) return FindCommand();
    if (args.size() >= 2 && args[1] == "log") return LogCommand(args);
    std::fputs(kLinkUsage, stderr);
    return 2;
}

}  // namespace qm::cli
