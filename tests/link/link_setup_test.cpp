// The engine's interface: settings file, languages, instrument search and
// the identity table.
#include <gtest/gtest.h>

#include "link/Application.h"
#include "link/LinkSettings.h"
#include "tests/link/LinkTestSupport.h"

namespace qm::link {
namespace {

using test::LinkDocs;

const char* kLost = "Loss of important files, please re-install the application.";

TEST(LinkSettings, MissingFileShowsTheMessageOncePerOperationAndWritesNothing) {
    LinkDocs docs(/*withSettings=*/false);
    test::ScriptedPrompter prompter;
    Application app(prompter);
    EXPECT_EQ(app.GetINI(), "");
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.last().text, kLost);
    EXPECT_EQ(prompter.last().caption, "Varnet QM-Link");
    EXPECT_EQ(prompter.last().icon, PromptIcon::Error);

    std::string key = "Interval", value = "100";
    EXPECT_EQ(app.LoadSetting(key, value), "");
    app.SaveSetting1(key, value);
    app.SaveSetting();
    EXPECT_EQ(app.GetLanguageCount(), 0);
    EXPECT_EQ(app.GetIdText("1001"), "");
    EXPECT_EQ(prompter.messages.size(), 6u);
    // Nothing was created anywhere under the documents folder.
    EXPECT_TRUE(std::filesystem::is_empty(docs.root()));
}

TEST(LinkSettings, DocumentsFolderMissingIsReported) {
    LinkDocs docs(false);
    ::setenv("QM_LINK_DOCS", (docs.root() / "nowhere").c_str(), 1);
    test::ScriptedPrompter prompter;
    Application app(prompter);
    EXPECT_EQ(app.GetINI(), "");
    EXPECT_EQ(prompter.last().text, "The folder does not exist.");
}

TEST(LinkSettings, KeysOfInformationAreReadAndWrittenKeepingTheRest) {
    LinkDocs docs;
    test::ScriptedPrompter prompter;
    Application app(prompter);
    EXPECT_EQ(app.GetINI(), docs.settings().string());
    std::string key = "Interval", fallback = "250";
    EXPECT_EQ(app.LoadSetting(key, fallback), "250");
    std::string value = "100";
    app.SaveSetting1(key, value);
    EXPECT_EQ(app.LoadSetting(key, fallback), "100");
    // The language sections are left as they were.
    EXPECT_NE(docs.ReadSettings().find("1001=Start"), std::string::npos);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST(LinkSettings, SaveSettingWritesEveryParameterAndNumPointsOnlyWhenSet) {
    LinkDocs docs;
    docs.WriteSettings("[Information]\n");
    test::ScriptedPrompter prompter;
    Application app(prompter);
    app.SetNumberOfReading(5);
    app.SetBegin(1);
    app.SetTerimnatingUpon(3);
    app.SetStopTime("1.5", "x", "30");  // "x" is stored as 0
    app.SaveSetting();
    const std::string text = docs.ReadSettings();
    EXPECT_EQ(text.find("NumPoints"), std::string::npos);
    for (const char* line : {"ReadPoints=5", "Begin=1", "Terminating=3", "Add_Chart=0",
                             "In_Sheet=False", "Interval=0", "StopTime_HH=1.5", "StopTime_NN=0",
                             "StopTime_SS=30"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    // SetStopTime before the sheet is set is an error for the caller, not a crash.
    EXPECT_FALSE(app.SetStopTime("1", "2", "3").ok());
}

TEST(LinkLanguages, ListCountTextsAndBadIndexes) {
    LinkDocs docs;
    test::ScriptedPrompter prompter;
    Application app(prompter);
    EXPECT_EQ(app.GetLanguageCount(), 1);
    EXPECT_EQ(app.GetLanguage(0).value, "English(U.S)");
    EXPECT_EQ(app.GetLanguage(1).value, "Chinese(Traditional)");
    EXPECT_EQ(app.GetLanguage(2).error->number, kSubscriptOutOfRange);
    EXPECT_FALSE(app.SetLanguage(-1).ok());

    EXPECT_EQ(app.GetIdText("1001"), "Start");
    EXPECT_EQ(app.GetIdText("1000"), "1000");  // a missing key gives itself
    ASSERT_TRUE(app.SetLanguage(1).ok());
    EXPECT_EQ(app.GetIdText("1001"), "1001");

    docs.WriteSettings("[Information]\n");
    EXPECT_EQ(app.GetLanguageCount(), 0);  // one language: the default
    EXPECT_EQ(app.GetLanguage(0).value, "English(U.S)");
}

class LinkSearch : public test::LinkFixture {};

TEST_F(LinkSearch, AcceptsTheMakersModelsInAnyCaseAndThe34401) {
    bench.UseTable(
        test::SimMeterSection("USB0::0x1209::0x4101::A1::INSTR", "TX42", "A1",
                              "identity=VARNET, tx42, A1, V1") +
        test::SimMeterSection("USB0::0x1209::0x4101::A2::INSTR", "TX42", "A2",
                              "identity=Someone, TX42, A2, V1") +
        test::SimMeterSection("USB0::0x0957::0x0607::A3::INSTR", "TX41", "A3",
                              "identity=Other, 34401A, A3, V1") +
        test::SimMeterSection("USB0::0x1209::0x4101::A4::INSTR", "TX41", "A4",
                              "identity=Varnet, TX44, A4, V1") +
        test::SimMeterSection("GPIB0::9::INSTR", "TX41", "G9"));
    Application app(prompter, bench.clock);
    ASSERT_TRUE(app.FindDevice().ok());
    ASSERT_EQ(app.m_DevCount, 4);
    EXPECT_EQ(app.IdentityCell(0, 0), "VARNET, tx42, A1, V1");
    EXPECT_EQ(app.IdentityCell(1, 1), "USB0::0x0957::0x0607::A3::INSTR");
    EXPECT_EQ(app.IdentityCell(2, 0), "Varnet, TX44, A4, V1");
    EXPECT_EQ(app.IdentityCell(3, 1), "GPIB0::9::INSTR");
    EXPECT_EQ(app.IdentityCell(3, 3), std::to_string(static_cast<ViSession>(app.GPIBRM)));
    EXPECT_EQ(app.IdentityCell(0, 3), std::to_string(static_cast<ViSession>(app.USBRM)));

    // Each row's session answers, and the search asked *esr? before *idn?.
    ASSERT_TRUE(app.GetIDN(3).ok());
    EXPECT_EQ(app.m_IDNAddr, "GPIB0::9::INSTR");
    EXPECT_EQ(app.m_IDNbuff, "Varnet, Model TX41, G9, V1.00");
    const auto log = visa::simEndpointOf(app.m_IDNSesn)->meter().commandLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "*esr?");
    EXPECT_EQ(log[1], "*idn?");
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(LinkSearch, SecondSearchAppendsAndTheTableEndsAt255) {
    bench.UseTable(test::LinkTable());
    Application app(prompter, bench.clock);
    app.FindDevice();
    EXPECT_EQ(app.m_DevCount, 2);
    app.FindDevice();  // m_DevCount is not reset: rows 2 and 3 are the second search's
    EXPECT_EQ(app.m_DevCount, 4);
    EXPECT_EQ(app.IdentityCell(0, 0), "");  // the first search's strings were emptied
    EXPECT_EQ(app.IdentityCell(2, 0), "Varnet, TX42, SN000001, V1.00");
    EXPECT_NE(app.IdentityCell(2, 2), "");

    EXPECT_TRUE(app.GetIDN(255).ok());
    EXPECT_EQ(app.m_IDNbuff, "");
    EXPECT_EQ(app.GetIDN(256).error->number, kSubscriptOutOfRange);
    EXPECT_EQ(app.GetIDN(-1).error->number, kSubscriptOutOfRange);

    app.m_DevCount = 255;
    const Variant full = app.FindDevice();  // row 255 takes the first, the second has no room
    ASSERT_FALSE(full.ok());
    EXPECT_EQ(full.error->number, kSubscriptOutOfRange);
    EXPECT_EQ(app.m_DevCount, 256);
}

TEST_F(LinkSearch, RMCloseClosesEachManagerOnceWithItsSessions) {
    bench.UseTable(test::LinkTable());
    Application app(prompter, bench.clock);
    app.FindDevice();
    app.GetIDN(0);
    const ViSession session = app.m_IDNSesn;
    ViUInt32 tmo = 0;
    EXPECT_EQ(viGetAttribute(session, VI_ATTR_TMO_VALUE, &tmo), VI_SUCCESS);
    EXPECT_EQ(tmo, 30000u);
    app.RMClose();
    EXPECT_LT(viGetAttribute(session, VI_ATTR_TMO_VALUE, &tmo), VI_SUCCESS);
    EXPECT_EQ(app.USBRM, 0);
    // A resource manager opened since may get the same handle: a second
    // RMClose leaves it alone.
    ViSession rm = VI_NULL;
    ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    app.RMClose();
    ViSession probe = VI_NULL;
    EXPECT_EQ(viOpen(rm, "USB0::0x1209::0x4101::SN000002::INSTR", VI_NULL, VI_NULL, &probe), VI_SUCCESS);
    viClose(rm);
}

TEST(LinkEngine, StateIsSharedByLiveObjectsAndStartsAfreshAfterThem) {
    test::ScriptedPrompter prompter;
    auto first = std::make_unique<Application>(prompter);
    Application second(prompter);
    first->SetNumberOfReading(7);
    first->SetBegin(2);
    // One engine: the second object sees the first's parameters.
    LinkDocs docs;
    docs.WriteSettings("[Information]\n");
    second.SaveSetting();
    EXPECT_NE(docs.ReadSettings().find("ReadPoints=7"), std::string::npos);
    first.reset();
    second.SaveSetting();
    EXPECT_NE(docs.ReadSettings().find("ReadPoints=7"), std::string::npos);
}

}  // namespace
}  // namespace qm::link
