#pragma once
// The application object of QM_TOOL: reads the command line, chooses the
// instruments (real, simulated or from a resource table), builds the global
// tables and runs the main window; the program ends when the window closes.
#include <QApplication>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CMeterToolDlg;

class CMeterToolApp : public QApplication {
    Q_OBJECT

  public:
    struct Options {
        bool simulate = false;
        std::string resourcesFile;
        std::string language;     // a section name of QM_TOOL.ini; empty: English
        std::string screenshot;   // PNG file: start, lay out, save the window, exit
        int screenshotTicks = 0;  // with a screenshot: read this many ticks first
        bool help = false;
        bool version = false;
        std::string error;  // not empty: the command line is wrong
    };

    // The arguments after the program name (Qt's own options already removed).
    static Options ParseOptions(const std::vector<std::string>& args);
    // The language section for a --language value: a section name of the
    // language file, or one of the shorthands en, zh_TW and zh_CN.
    static std::optional<std::string> LanguageSection(std::string_view name);
    static const char* Usage();
    // Before the application object exists: --help and --version answer at
    // once (no display needed; the exit code is returned), and a screenshot
    // is taken off screen unless a platform was asked for.
    static std::optional<int> PrepareEnvironment(int argc, char** argv);

    CMeterToolApp(int& argc, char** argv);

    // Runs the program; the exit code.
    int InitInstance();

  private:
    int TakeScreenshot(CMeterToolDlg& window, const Options& options);
};
