// Where the language file and the link engine's settings are looked for.
#include "platform/Paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

#include "TempFolder.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

// Sets or clears an environment variable for one test and restores it after.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(Paths, WindowsFolderPrefersTheVariableThenTheInstalledDataThenTheProgram) {
    {
        ScopedEnv env("QM_TOOL_WINDIR", "/opt/lang");
        EXPECT_EQ(WindowsFolder(), fs::path("/opt/lang"));
        EXPECT_EQ(LanguageFilePath(), fs::path("/opt/lang/QM_TOOL.ini"));
    }
    {
        // Set but empty counts as not set.
        ScopedEnv env("QM_TOOL_WINDIR", "");
        EXPECT_EQ(WindowsFolder(),
                  ChooseWindowsFolder(nullptr, InstalledDataFolder(), ExecutableFolder()));
    }
    test::TempFolder installed;
    EXPECT_EQ(ChooseWindowsFolder(nullptr, installed.path(), "/exe"), installed.path());
    EXPECT_EQ(ChooseWindowsFolder(nullptr, installed / "not there", "/exe"), fs::path("/exe"));
    EXPECT_EQ(ChooseWindowsFolder("/env", installed.path(), "/exe"), fs::path("/env"));
}

TEST(Paths, ExecutableFolderIsWhereThisTestRuns) {
    EXPECT_TRUE(fs::exists(ExecutableFolder() / "tests_platform"));
}

TEST(Paths, AllUsersDocumentsFolder) {
    ScopedEnv home("HOME", "/home/bench");
    {
        ScopedEnv docs("QM_LINK_DOCS", "/srv/shared");
        ScopedEnv xdg("XDG_DATA_HOME", "/xdg");
        EXPECT_EQ(AllUsersDocumentsFolder(), fs::path("/srv/shared"));
    }
    ScopedEnv docs("QM_LINK_DOCS", nullptr);
    {
        ScopedEnv xdg("XDG_DATA_HOME", "/xdg");
        EXPECT_EQ(AllUsersDocumentsFolder(), fs::path("/xdg"));
    }
    {
        // A relative XDG_DATA_HOME is not valid and is passed over.
        ScopedEnv xdg("XDG_DATA_HOME", "relative/data");
        EXPECT_EQ(AllUsersDocumentsFolder(), fs::path("/home/bench/.local/share"));
    }
    ScopedEnv xdg("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(AllUsersDocumentsFolder(), fs::path("/home/bench/.local/share"));
}

}  // namespace
}  // namespace qm
