#pragma once
// Load: opens the add-in (or a word-processor template) named on its command
// line in the office, switches the add-in's toolbar on, and reports what it
// opened. The splash form shows the outcome; this holds every rule.
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "addin/AddinOffice.h"
#include "platform/Prompter.h"

namespace qm::addin {

namespace launcher_texts {
inline constexpr const char* kDesignCaption = "VARNET TX4X QM-LINK";
inline constexpr const char* kCaption = "Start QM Toolbar";
inline constexpr const char* kWrongFile = "Open File Use *.dot *.xla";
inline constexpr const char* kWrongFileTitle = "Start Varnet QM-Link Toolbar";
inline constexpr const char* kOpen = "Open ";
inline constexpr const char* kErrorNumber = "Error Num: ";
inline constexpr const char* kErrorTitle = "Load";
}  // namespace launcher_texts

// Automation error numbers of the launcher's failures.
inline constexpr int kErrorFileNotFound = 53;
inline constexpr int kErrorCannotStartOffice = 429;
inline constexpr int kErrorAutomation = 440;

inline constexpr const char* kToolbarName = "Varnet QM-Link";
inline constexpr int kToolbarControls = 9;

// The toolbar as the launcher configures it: macros and tips by position.
struct LauncherControl {
    std::string_view macro;
    std::string_view tip;
};
inline constexpr std::array<LauncherControl, kToolbarControls> kLauncherToolbar{{
    {"DMMAboutTX35XX", "About Varnet QM-Link"},
    {"DmmConnectTX35XX", "Connect to Device"},
    {"DmmFilesTX35XX", "File Access"},
    {"DmmFuncsTX35XX", "Setup Multimeter"},
    {"DmmMeasTX35XX", "Get Single Reading"},
    {"DmmChartTX35XX", "Loggin Charts"},
    {"DmmTimerStart", "START"},
    {"DmmTimerPause", "PAUSE"},
    {"DmmTimerStop", "STOP"},
}};

enum class FileKind { Template, Addin, Other };

// "*.dot" (and Writer's .ott) is a template, "*.xla" (and our .oxt) the
// add-in; letter case does not matter.
FileKind KindOf(std::string_view file);

// The whole command line as one file name (arguments joined by blanks).
std::string CommandLineFile(int argc, const char* const* argv);

// A file named without a folder that is not in the current folder is looked
// for beside the program, then in the installed data folder (where the
// add-in is installed).
std::string ResolveAddinFile(const std::string& file);

// There are no cached type files of the list control to delete here: a
// named no-op keeps the step visible.
void ClearListControlTypeCache();

class Launcher {
  public:
    using Connect = std::function<OfficeOutcome(const OfficeRequest&)>;
    Launcher(Prompter& prompter, Connect connect);

    // Steps 1 to 5 of loading the form. True: the file was opened and the
    // splash shows `label()`; false: the program ends (a message was shown).
    bool Run(const std::string& commandLine);
    const std::string& caption() const { return caption_; }
    const std::string& label() const { return label_; }

  private:
    bool Fail(const std::string& description, int number);

    Prompter& prompter_;
    Connect connect_;
    std::string caption_ = launcher_texts::kDesignCaption;
    std::string label_;
};

}  // namespace qm::addin
