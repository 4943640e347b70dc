// Load and addinclean against an office that records what they ask of it.
#include <gtest/gtest.h>

#include <fstream>

#include "addin/Launcher.h"
#include "addin/Remover.h"
#include "platform/TempFolder.h"
#include "support/ScriptedPrompter.h"

namespace qm::addin {
namespace {

using sheet::SheetResult;
using sheet::SheetStatus;

struct OfficeLog {
    std::vector<std::string> calls;
    std::vector<std::pair<std::string, bool>> extensions;          // file, enabled
    std::vector<std::pair<std::string, std::string>> toolbars;     // url, name
    std::vector<sheet::CommandBarControl> toolbarControls;
    int released = 0;
    std::string failing;  // an operation that fails
};

class RecordingOffice : public AddinOffice {
  public:
    explicit RecordingOffice(OfficeLog& log) : log_(log) {}
    SheetStatus Call(const std::string& what) {
        log_.calls.push_back(what);
        if (!log_.failing.empty() && what.rfind(log_.failing, 0) == 0)
            return SheetStatus::Fail("The office refused " + log_.failing);
        return SheetStatus::Ok();
    }
    SheetStatus OpenSpreadsheetIfNone() override { return Call("OpenSpreadsheetIfNone"); }
    SheetStatus AddExtension(const std::string& path) override {
        auto s = Call("AddExtension " + std::filesystem::path(path).filename().string());
        if (s) log_.extensions.emplace_back(std::filesystem::path(path).filename().string(), true);
        return s;
    }
    SheetResult<std::vector<std::pair<std::string, bool>>> Extensions() override {
        if (auto s = Call("Extensions"); !s) return s;
        return log_.extensions;
    }
    SheetStatus DisableExtension(const std::string& fileName) override {
        for (auto& [f, enabled] : log_.extensions)
            if (f == fileName) enabled = false;
        return Call("DisableExtension " + fileName);
    }
    SheetResult<std::vector<std::pair<std::string, std::string>>> Toolbars() override {
        if (auto s = Call("Toolbars"); !s) return s;
        return log_.toolbars;
    }
    SheetStatus SetToolbar(const std::string& url, const std::string& name,
                           std::span<const sheet::CommandBarControl> controls) override {
        log_.toolbarControls.assign(controls.begin(), controls.end());
        log_.toolbars.emplace_back(url, name);
        return Call("SetToolbar " + name);
    }
    SheetStatus RemoveToolbar(const std::string& url) override {
        std::erase_if(log_.toolbars, [&](const auto& t) { return t.first == url; });
        return Call("RemoveToolbar " + url);
    }
    SheetStatus NewFromTemplate(const std::string& path) override {
        return Call("NewFromTemplate " + std::filesystem::path(path).filename().string());
    }
    void Release() override { ++log_.released; }

  private:
    OfficeLog& log_;
};

class AddinPrograms : public ::testing::Test {
  protected:
    std::function<OfficeOutcome(const OfficeRequest&)> Office() {
        return [this](const OfficeRequest& r) {
            requests.push_back(r);
            OfficeOutcome o;
            if (unreachable.empty())
                o.office = std::make_unique<RecordingOffice>(log);
            else
                o.error = unreachable;
            return o;
        };
    }
    std::string File(const std::string& name) {
        const auto path = folder / name;
        std::ofstream(path) << "x";
        return path.string();
    }

    test::TempFolder folder;
    test::ScriptedPrompter prompter;
    OfficeLog log;
    std::vector<OfficeRequest> requests;
    std::string unreachable;
};

TEST_F(AddinPrograms, LoadInstallsTheAddinAndShowsItsToolbarUnderEitherName) {
    for (const char* name : {"QMLINKTX42.oxt", "QMLINKTX42.XLA"}) {
        log = {};
        Launcher load(prompter, Office());
        EXPECT_EQ(load.caption(), "VARNET TX4X QM-LINK");
        const std::string file = File(name);
        ASSERT_TRUE(load.Run(file)) << name;
        EXPECT_EQ(load.caption(), "Start QM Toolbar");
        EXPECT_EQ(load.label(), "Open " + file);
        EXPECT_EQ(log.calls, (std::vector<std::string>{"OpenSpreadsheetIfNone",
                                                       std::string("AddExtension ") + name,
                                                       "SetToolbar Varnet QM-Link"}));
        ASSERT_EQ(log.toolbarControls.size(), 9u);
        EXPECT_EQ(log.toolbarControls[0].macro, "DMMAboutTX35XX");
        EXPECT_EQ(log.toolbarControls[5].tip, "Loggin Charts");
        EXPECT_EQ(log.toolbarControls[8].macro, "DmmTimerStop");
        for (const auto& c : log.toolbarControls) EXPECT_TRUE(c.visible && c.enabled);
        EXPECT_EQ(log.released, 1);
        EXPECT_FALSE(requests.back().invisible);
    }
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(AddinPrograms, LoadOpensATemplateInTheWordProcessorWithoutTouchingTheToolbar) {
    for (const char* name : {"report.dot", "Report.OTT"}) {
        log = {};
        Launcher load(prompter, Office());
        ASSERT_TRUE(load.Run(File(name)));
        EXPECT_EQ(log.calls, (std::vector<std::string>{std::string("NewFromTemplate ") + name}));
    }
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(AddinPrograms, LoadRefusesOtherCommandLinesBeforeStartingAnything) {
    for (const std::string line : {"", "book.ods", "notes.txt", ".xla", "QMLINKTX42.xla.bak"}) {
        prompter.messages.clear();
        Launcher load(prompter, Office());
        EXPECT_FALSE(load.Run(line)) << line;
        ASSERT_EQ(prompter.messages.size(), 1u) << line;
        EXPECT_EQ(prompter.last().text, "Open File Use *.dot *.xla");
        EXPECT_EQ(prompter.last().caption, "Start Varnet QM-Link Toolbar");
        EXPECT_EQ(prompter.last().icon, PromptIcon::Error);
    }
    EXPECT_TRUE(requests.empty());

    // The whole command line is the file name.
    const char* argv[] = {"Load", "/tmp/My", "Add-ins/QMLINKTX42.oxt"};
    EXPECT_EQ(CommandLineFile(3, argv), "/tmp/My Add-ins/QMLINKTX42.oxt");
    EXPECT_EQ(CommandLineFile(1, argv), "");
}

TEST_F(AddinPrograms, LoadReportsAMissingFileAnUnreachableOfficeAndARefusal) {
    Launcher missing(prompter, Office());
    EXPECT_FALSE(missing.Run((folder / "nowhere" / "QMLINKTX42.oxt").string()));
    EXPECT_EQ(prompter.last().text.rfind("\nFile not found: ", 0), 0u) << prompter.last().text;
    EXPECT_NE(prompter.last().text.find("\nError Num: 53"), std::string::npos);
    EXPECT_TRUE(requests.empty());

    unreachable = "LibreOffice Calc is not installed";
    Launcher noOffice(prompter, Office());
    EXPECT_FALSE(noOffice.Run(File("QMLINKTX42.oxt")));
    EXPECT_NE(prompter.last().text.find("LibreOffice Calc is not installed"), std::string::npos);
    EXPECT_NE(prompter.last().text.find("\nError Num: 429"), std::string::npos);

    unreachable.clear();
    log.failing = "AddExtension";
    Launcher refused(prompter, Office());
    EXPECT_FALSE(refused.Run(File("QMLINKTX42.oxt")));
    EXPECT_EQ(prompter.last().text, "\nThe office refused AddExtension\nError Num: 440");
    EXPECT_EQ(prompter.last().icon, PromptIcon::Error);
    EXPECT_EQ(log.released, 1);
    EXPECT_EQ(std::count(log.calls.begin(), log.calls.end(), "SetToolbar Varnet QM-Link"), 0);
}

TEST_F(AddinPrograms, RemoverDeletesTheBarInAnyCaseAndDisablesTheAddinKeepingOthers) {
    log.toolbars = {{"private:resource/toolbar/custom_a", "varnet qm-link"},
                    {"private:resource/toolbar/custom_b", "My tools"},
                    {"private:resource/toolbar/custom_c", "VARNET QM-LINK"}};
    log.extensions = {{"qmlinktx42.oxt", true}, {"other.oxt", true}, {"QMLINKTX42.xla", true}};
    Remover clean(prompter, Office());
    EXPECT_EQ(clean.Run(), RemoveOutcome::Done);
    EXPECT_TRUE(prompter.messages.empty());
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].invisible);
    EXPECT_EQ(log.toolbars, (std::vector<std::pair<std::string, std::string>>{
                                {"private:resource/toolbar/custom_b", "My tools"}}));
    // Disabled, not removed: the files stay in the list.
    EXPECT_EQ(log.extensions, (std::vector<std::pair<std::string, bool>>{
                                  {"qmlinktx42.oxt", false}, {"other.oxt", true}, {"QMLINKTX42.xla", false}}));
    EXPECT_EQ(log.released, 1);

    // Neither present: nothing is removed and nothing is said.
    log = {};
    Remover again(prompter, Office());
    EXPECT_EQ(again.Run(), RemoveOutcome::Done);
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(log.calls, (std::vector<std::string>{"Toolbars", "Extensions"}));
}

TEST_F(AddinPrograms, RemoverWithoutAnOfficeSaysSoOnceAndStaysOpen) {
    unreachable = "LibreOffice Calc is not installed (/nowhere/soffice.bin is missing).";
    Remover clean(prompter, Office());
    EXPECT_EQ(clean.Run(), RemoveOutcome::NoOffice);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.last().text, "Couldn't start Excel.\n" + unreachable);
    EXPECT_EQ(prompter.last().caption, "Varnet QM-Link additionals remove");
}

}  // namespace
}  // namespace qm::addin
