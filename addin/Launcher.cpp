#include "addin/Launcher.h"

#include <cctype>
#include <filesystem>
#include <vector>

#include "platform/Paths.h"
#include "sheet/CalcAddin.h"

namespace qm::addin {

namespace fs = std::filesystem;

namespace {

bool EndsWithIgnoringCase(std::string_view s, std::string_view tail) {
    if (s.size() < tail.size()) return false;
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i])
            return false;
    return true;
}

}  // namespace

FileKind KindOf(std::string_view file) {
    for (const char* ext : {".dot", ".ott"})
        if (file.size() > 4 && EndsWithIgnoringCase(file, ext)) return FileKind::Template;
    for (const char* ext : {".xla", ".oxt"})
        if (file.size() > 4 && EndsWithIgnoringCase(file, ext)) return FileKind::Addin;
    return FileKind::Other;
}

std::string CommandLineFile(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return line;
}

std::string ResolveAddinFile(const std::string& file) {
    std::error_code ec;
    const fs::path given(file);
    if (fs::exists(given, ec) || given.has_parent_path()) return file;
    for (const fs::path& folder : {ExecutableFolder(), InstalledDataFolder()})
        if (fs::exists(folder / given, ec)) return (folder / given).string();
    return file;
}

void ClearListControlTypeCache() {}

Launcher::Launcher(Prompter& prompter, Connect connect)
    : prompter_(prompter), connect_(std::move(connect)) {}

bool Launcher::Fail(const std::string& description, int number) {
    prompter_.error("\n" + description + "\n" + launcher_texts::kErrorNumber + std::to_string(number),
                    launcher_texts::kErrorTitle);
    return false;
}

bool Launcher::Run(const std::string& commandLine) {
    ClearListControlTypeCache();
    caption_ = launcher_texts::kCaption;
    const FileKind kind = KindOf(commandLine);
    if (kind == FileKind::Other) {
        prompter_.error(launcher_texts::kWrongFile, launcher_texts::kWrongFileTitle);
        return false;
    }
    const std::string file = ResolveAddinFile(commandLine);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return Fail("File not found: " + file, kErrorFileNotFound);

    OfficeOutcome reached = connect_(OfficeRequest{});
    if (!reached.office) return Fail("LibreOffice could not be started: " + reached.error, kErrorCannotStartOffice);
    AddinOffice& office = *reached.office;

    sheet::SheetStatus s;
    if (kind == FileKind::Template) {
        s = office.NewFromTemplate(file);
    } else {
        s = office.OpenSpreadsheetIfNone();
        if (s) s = office.AddExtension(file);
        if (s) {
            std::vector<sheet::CommandBarControl> controls;
            for (const LauncherControl& c : kLauncherToolbar)
                controls.push_back({std::string(c.macro), std::string(c.tip), true, true});
            s = office.SetToolbar(sheet::AddinToolbarUrl(), kToolbarName, controls);
        }
    }
    if (!s) {
        office.Release();
        return Fail(s.description(), kErrorAutomation);
    }
    label_ = launcher_texts::kOpen + commandLine;
    office.Release();  // the office goes on running for the user
    return true;
}

}  // namespace qm::addin
