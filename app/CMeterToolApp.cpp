#include "app/CMeterToolApp.h"

#include <QElapsedTimer>
#include <QFont>
#include <QPixmap>
#include <QStyleFactory>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/CMeterToolDlg.h"
#include "app/LanguageTexts.h"
#include "platform/AsciiCase.h"
#include "ui/QtPrompter.h"
#include "config/YScaleTable.h"
#include "instrument/ResourceSetup.h"
#include "platform/Clock.h"

namespace {

// Screenshots run without anybody to answer a box: messages go to standard
// error instead, questions are answered No.
class StderrPrompter final : public qm::Prompter {
  public:
    qm::PromptAnswer message(const qm::PromptMessage& m) override {
        std::fputs("QM_TOOL: ", stderr);
        if (!m.caption.empty()) {
            std::fputs(m.caption.c_str(), stderr);
            std::fputs(": ", stderr);
        }
        std::fputs(m.text.c_str(), stderr);
        std::fputc('\n', stderr);
        return m.buttons == qm::PromptButtons::Ok ? qm::PromptAnswer::Ok : qm::PromptAnswer::No;
    }
};

bool ParseCount(const std::string& text, int& out) {
    if (text.empty() || text.size() > 6) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    out = value;
    return true;
}

}  // namespace

const char* CMeterToolApp::Usage() {
    return "Usage: QM_TOOL [--simulate | --resources FILE] [--language NAME]\n"
           "               [--screenshot FILE.png]\n"
           "\n"
           "  --simulate            use the built-in simulated meters\n"
           "  --resources FILE      use the resource table FILE (default: $QM_VISA_RESOURCES)\n"
           "  --language NAME       English(U.S), Chinese(Traditional) or Chinese(Simplify);\n"
           "                        also en, zh_TW, zh_CN\n"
           "  --screenshot FILE     start, find the meters, save the window as PNG and exit\n"
           "  --help                show this text\n"
           "  --version             show the version\n";
}

std::optional<std::string> CMeterToolApp::LanguageSection(std::string_view name) {
    struct Alias {
        std::string_view shorthand;
        std::string_view section;
    };
    static constexpr Alias kAliases[] = {
        {"en", qm::kLanguageEnglish},
        {"zh_TW", qm::kLanguageChineseTraditional},
        {"zh_CN", qm::kLanguageChineseSimplified},
    };
    for (const Alias& alias : kAliases) {
        if (qm::EqualsIgnoringCase(name, alias.shorthand) || qm::EqualsIgnoringCase(name, alias.section))
            return std::string(alias.section);
    }
    return std::nullopt;
}

CMeterToolApp::Options CMeterToolApp::ParseOptions(const std::vector<std::string>& args) {
    Options o;
    auto fail = [&o](std::string message) {
        if (o.error.empty()) o.error = std::move(message);
    };
    // "--name value" or "--name=value"; false (and an error) when missing.
    auto valueOf = [&](std::size_t& i, std::string_view name, std::string& out) {
        const std::string& a = args[i];
        if (a.size() > name.size() && a.compare(0, name.size(), name) == 0 &&
            a[name.size()] == '=') {
            out = a.substr(name.size() + 1);
            return true;
        }
        if (i + 1 >= args.size()) {
            fail(std::string(name) + " needs a value");
            return false;
        }
        out = args[++i];
        return true;
    };
    auto is = [](const std::string& a, std::string_view name) {
        return a == name || (a.size() > name.size() && a.compare(0, name.size(), name) == 0 &&
                             a[name.size()] == '=');
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string value;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--simulate") {
            o.simulate = true;
        } else if (is(a, "--resources")) {
            if (valueOf(i, "--resources", value)) o.resourcesFile = value;
        } else if (is(a, "--language")) {
            if (!valueOf(i, "--language", value)) continue;
            if (const auto section = LanguageSection(value))
                o.language = *section;
            else
                fail("unknown language \"" + value + "\"");
        } else if (is(a, "--screenshot-after-ticks")) {
            if (valueOf(i, "--screenshot-after-ticks", value) &&
                !ParseCount(value, o.screenshotTicks))
                fail("--screenshot-after-ticks needs a count");
        } else if (is(a, "--screenshot")) {
            if (valueOf(i, "--screenshot", value)) o.screenshot = value;
            if (o.screenshot.empty()) fail("--screenshot needs a file name");
        } else {
            fail("unknown option \"" + a + "\"");
        }
    }
    if (o.simulate && !o.resourcesFile.empty())
        fail("--simulate and --resources exclude each other");
    return o;
}

std::optional<int> CMeterToolApp::PrepareEnvironment(int argc, char** argv) {
    bool screenshot = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(Usage(), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("QM_TOOL %s\n", QM_VERSION);
            return 0;
        }
        if (std::strncmp(argv[i], "--screenshot", 12) == 0) screenshot = true;
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (screenshot && (platform == nullptr || *platform == '\0'))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return std::nullopt;
}

CMeterToolApp::CMeterToolApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("QM_TOOL");
    setApplicationVersion(QM_VERSION);
}

int CMeterToolApp::InitInstance() {
    std::vector<std::string> args;
    const QStringList all = arguments();
    for (qsizetype i = 1; i < all.size(); ++i) args.push_back(all[i].toStdString());
    const Options options = ParseOptions(args);
    if (!options.error.empty()) {
        std::fprintf(stderr, "QM_TOOL: %s\n\n", options.error.c_str());
        std::fputs(Usage(), stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(Usage(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("QM_TOOL %s\n", QM_VERSION);
        return 0;
    }
    const qm::ResourceSetupResult resources =
        qm::ConfigureResources({options.simulate, options.resourcesFile});
    if (!resources.ok) {
        std::fprintf(stderr, "QM_TOOL: %s\n", resources.message.c_str());
        return 2;
    }

    if (QStyle* fusion = QStyleFactory::create("Fusion")) setStyle(fusion);
    QFont base = font();
    base.setFamilies({"DejaVu Sans", "Noto Sans CJK TC", "Noto Sans CJK SC", "Noto Sans CJK JP"});
    setFont(base);
    // The global tables, built once before the window exists.
    (void)qm::YScaleTable();

    if (!options.screenshot.empty()) {
        StderrPrompter prompter;
        CMeterToolDlg window(prompter, qm::systemClock(), {options.language});
        return TakeScreenshot(window, options);
    }
    QtPrompter prompter;
    CMeterToolDlg window(prompter, qm::systemClock(), {options.language});
    prompter.setParentWidget(&window);
    window.exec();
    return 0;
}

int CMeterToolApp::TakeScreenshot(CMeterToolDlg& window, const Options& options) {
    window.show();
    QElapsedTimer waited;
    waited.start();
    while ((window.windowHandle() == nullptr || !window.windowHandle()->isExposed()) &&
           waited.elapsed() < 5000)
        processEvents(QEventLoop::AllEvents, 20);
    for (int i = 0; i < 5; ++i) processEvents();
    if (options.screenshotTicks > 0) {
        window.OnStartReading();
        for (int i = 0; i < options.screenshotTicks; ++i) {
            window.OnTimer();
            processEvents();
        }
        window.readTimer().stop();  // the picture shows the run as it stands
    }
    for (int i = 0; i < 5; ++i) processEvents();
    const QPixmap shot = window.grab();
    const QString file = QString::fromStdString(options.screenshot);
    if (shot.isNull() || !shot.save(file, "PNG")) {
        std::fprintf(stderr, "QM_TOOL: cannot save the screenshot to \"%s\"\n",
                     options.screenshot.c_str());
        return 1;
    }
    return 0;
}
