#include "link/LinkSettings.h"

#include <cmath>
#include <cstdio>
#include <system_error>
#include <utility>
#include <vector>

#include "link/LinkTexts.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

namespace qm::link {

namespace fs = std::filesystem;

std::filesystem::path SettingsFilePath() {
    const fs::path folder = AllUsersDocumentsFolder();
    if (folder.empty()) return {};
    return folder / "Varnet Instruments" / "TX42" / "QM_TOOL.ini";
}

std::string SettingsFile(EngineState& e) {
    const fs::path folder = AllUsersDocumentsFolder();
    if (folder.empty()) {
        ShowMessage(e, texts::kInvalidFolder, PromptIcon::Error);
        return {};
    }
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        ShowMessage(e, texts::kFolderMissing, PromptIcon::Error);
        return {};
    }
    const fs::path path = SettingsFilePath();
    if (!fs::is_regular_file(path, ec)) {
        ShowMessage(e, texts::kFilesLost, PromptIcon::Error);
        return {};
    }
    return path.string();
}

std::string NumberText(double v) {
    char buf[40];
    if (v == std::floor(v) && std::fabs(v) < 1e15) {
        std::snprintf(buf, sizeof buf, "%.0f", v == 0 ? 0.0 : v);
        return buf;
    }
    // The shortest text that reads back as the same number.
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*g", digits, v);
        double back = 0;
        if (std::sscanf(buf, "%lg", &back) == 1 && back == v) break;
    }
    return buf;
}

bool SaveLoggingSettings(EngineState& e) {
    const std::string ini = SettingsFile(e);
    if (ini.empty()) return false;
    std::vector<std::pair<const char*, std::string>> values;
    if (e.numPoints != 0) values.push_back({"NumPoints", NumberText(e.numPoints)});
    values.push_back({"ReadPoints", NumberText(e.readPoints)});
    values.push_back({"Begin", NumberText(e.begin)});
    values.push_back({"Terminating", NumberText(e.terminating)});
    values.push_back({"Add_Chart", NumberText(e.addChart)});
    values.push_back({"In_Sheet", e.inSheet ? "True" : "False"});
    values.push_back({"Interval", NumberText(e.interval)});
    values.push_back({"StopTime_HH", NumberText(e.stopHours)});
    values.push_back({"StopTime_NN", NumberText(e.stopMinutes)});
    values.push_back({"StopTime_SS", NumberText(e.stopSeconds)});
    bool ok = true;
    for (const auto& [key, value] : values)
        ok = WriteProfileString(ini, kInformationSection, key, value) && ok;
    return ok;
}

}  // namespace qm::link
