#pragma once
// A headless office for the tests: started once per test program with a
// throw-away profile on a private pipe, ended (or killed) when the program's
// tests are done, and killed with the program should it die.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "sheet/CalcOffice.h"

namespace qm::test {

inline std::string FreshProfileFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "qm_office_test_XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return {};
    return pattern;
}

inline sheet::SheetResult<std::shared_ptr<sheet::CalcOffice>> StartTestOffice(
    const std::string& pipeName = {}) {
    sheet::CalcStartOptions options;
    options.pipeName = pipeName;
    options.headless = true;
    options.profileDir = FreshProfileFolder();
    options.startTimeout = std::chrono::seconds(60);
    return sheet::CalcOffice::Start(options);
}

// A test suite's one office, started before its first test and ended after
// its last; `error` says why there is none.
inline void StartSuiteOffice(const std::string& pipeName, std::shared_ptr<sheet::CalcOffice>& office,
                             std::string& error) {
    auto started = StartTestOffice(pipeName);
    if (started) office = started.value();
    else error = started.description();
}

inline void EndSuiteOffice(std::shared_ptr<sheet::CalcOffice>& office) {
    if (office) office->Shutdown();
    office.reset();
}

}  // namespace qm::test
