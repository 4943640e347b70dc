// Load and addinclean as programs against a headless office with a
// throw-away profile: the extension installed, the toolbar with its nine
// items whose macros reach the host program, then both removed again.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "platform/TempFolder.h"
#include "sheet/CalcAddin.h"
#include "support/Subprocess.h"
#include "tests/link/OfficeSupport.h"

namespace qm {
namespace {

TEST(AddinOffice, LoadInstallsAndShowsTheAddinAndAddincleanRemovesIt) {
    test::TempFolder folder;
    // The macros start this stand-in for qmlink, which notes its arguments.
    const auto host = folder / "host.sh";
    const auto notes = folder / "host.out";
    std::ofstream(host) << "#!/bin/sh\necho \"$@\" >> '" << notes.string() << "'\n";
    std::filesystem::permissions(host, std::filesystem::perms::owner_all);
    ::setenv("QM_LINK_HOST", host.c_str(), 1);

    const std::string pipe = "qm_addin_test_" + std::to_string(::getpid());
    auto started = test::StartTestOffice(pipe);
    ASSERT_TRUE(started) << started.description();
    auto office = started.value();
    const std::vector<std::string> env = {"QM_LINK_OFFICE=pipe,name=" + pipe, "QM_LINK_HIDDEN=1",
                                          "QT_QPA_PLATFORM=offscreen"};

    auto load = test::Run({QM_LOAD, QM_OXT}, {}, env);
    ASSERT_EQ(load.exitCode, 0) << load.err;
    auto extensions = sheet::UserExtensions(*office);
    ASSERT_TRUE(extensions) << extensions.description();
    ASSERT_EQ(extensions.value().size(), 1u);
    EXPECT_EQ(extensions.value()[0].fileName, "QMLINKTX42.oxt");
    EXPECT_TRUE(extensions.value()[0].enabled);
    auto bars = sheet::CalcToolbars(*office);
    ASSERT_TRUE(bars) << bars.description();
    ASSERT_EQ(bars.value().size(), 1u);
    EXPECT_EQ(bars.value()[0].uiName, "Varnet QM-Link");
    ASSERT_EQ(bars.value()[0].controls.size(), 9u);
    EXPECT_EQ(bars.value()[0].controls[6].macro, "DmmTimerStart");

    // A button's macro hands its command to the host with this office's pipe.
    ASSERT_TRUE(sheet::RunToolbarMacro(*office, bars.value()[0].controls[6]));
    ASSERT_TRUE(sheet::RunToolbarMacro(*office, bars.value()[0].controls[0]));
    std::string noted;
    for (int i = 0; i < 200 && noted.find("DmmAboutTX35XX") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the office's child process
        noted = test::ReadBytes(notes);
    }
    EXPECT_NE(noted.find("--office pipe,name=qm_link_"), std::string::npos) << noted;
    EXPECT_NE(noted.find("--command DmmTimerStartTX35XX"), std::string::npos) << noted;
    EXPECT_NE(noted.find("--command DmmAboutTX35XX"), std::string::npos) << noted;

    // A bar named in lower case goes too; the add-in is disabled, its file kept.
    const sheet::CommandBarControl one{"DmmAboutTX35XX", "About", true, true};
    ASSERT_TRUE(sheet::SetCalcToolbar(*office, "private:resource/toolbar/custom_other", "varnet qm-link", {&one, 1}));
    auto clean = test::Run({QM_ADDINCLEAN}, {}, env);
    ASSERT_EQ(clean.exitCode, 0) << clean.err;
    bars = sheet::CalcToolbars(*office);
    ASSERT_TRUE(bars);
    EXPECT_TRUE(bars.value().empty());
    extensions = sheet::UserExtensions(*office);
    ASSERT_TRUE(extensions);
    ASSERT_EQ(extensions.value().size(), 1u);
    EXPECT_FALSE(extensions.value()[0].enabled);

    // Neither present: it opens and closes without a message.
    clean = test::Run({QM_ADDINCLEAN}, {}, env);
    EXPECT_EQ(clean.exitCode, 0) << clean.err;
    office->Shutdown();
}

}  // namespace
}  // namespace qm
