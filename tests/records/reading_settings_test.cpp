// The Reading Settings page's rules: which mode can be chosen, the meters
// read at once, one record per saving meter, the colour chooser, and Cancel
// leaving everything as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "records/ReadingSettings.h"
#include "records/RecordStore.h"
#include "support/ScriptedPrompter.h"
#include "tests/records/RecordTestSupport.h"

namespace qm {
namespace {

const std::vector<std::string> kFour = {" TX42-USBTMC-SN1", "TX41-USBTMC-SN2", " QMTX42-USBTMC-SN3",
                                        " TX42-GPIB-SN4"};

class ReadingSettingsTest : public ::testing::Test {
  protected:
    ReadingSettingsContext Context(std::vector<std::string> labels = kFour) {
        ReadingSettingsContext c;
        c.labels = std::move(labels);
        for (int i = 0; i < kSettingsColourCount; ++i)
            c.colours[static_cast<std::size_t>(i)] = Rgb{static_cast<std::uint8_t>(i), 0, 0};
        return c;
    }
    // Multi-device mode with rows chosen, saving in the given records (0: off).
    void ChooseSaving(std::vector<int> rows, std::vector<int> records) {
        page.OnMultiDevice();
        ASSERT_TRUE(page.OnSelectInstruments(rows));
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (records[i] > 0) {
                page.OnSaveInstrument(true);
                page.OnRecordInstrument(records[i] - 1);
            }
            if (i + 1 < records.size()) page.OnNextInstrument();
        }
    }

    test::TempDir dir;
    test::WorkingDirectory cwd{dir.path()};
    test::ScriptedPrompter prompter;
    EnglishTexts texts;
    ReadingSettings page{prompter, texts};
};

TEST_F(ReadingSettingsTest, TheModesOfferedFollowTheNumberOfMeters) {
    page.Open(Context({}));
    ReadingSettingsView v = page.view();
    EXPECT_FALSE(v.singleRadioEnabled || v.multiRadioEnabled || v.saveSingleEnabled);
    EXPECT_TRUE(v.okEnabled);  // the page can only be closed

    // One meter: single-device mode, whatever the window was in.
    ReadingSettingsContext one = Context({kFour[0]});
    one.multiMode = true;
    one.chosen = {0, 1};
    page.Open(one);
    page.OnMultiDevice();
    v = page.view();
    EXPECT_EQ(v.mode, 0);
    EXPECT_TRUE(v.singleRadioEnabled && v.saveSingleEnabled);
    EXPECT_FALSE(v.multiRadioEnabled);

    page.Open(Context());
    page.OnMultiDevice();
    v = page.view();
    // Nothing chosen yet: OK and the per-meter controls wait for Select.
    EXPECT_EQ(v.mode, 1);
    EXPECT_FALSE(v.okEnabled || v.instrumentEnabled || v.prevEnabled || v.nextEnabled);
}

TEST_F(ReadingSettingsTest, SelectTakesTwoToFourMetersInListOrder) {
    page.Open(Context({"a", "b", "c", "d", "e"}));
    page.OnMultiDevice();
    EXPECT_FALSE(page.OnSelectInstruments({0, 1, 2, 3, 4}));
    EXPECT_EQ(prompter.last().text, "MAX. 4 Devices.");
    EXPECT_EQ(prompter.last().icon, PromptIcon::None);
    EXPECT_FALSE(page.view().okEnabled);
    EXPECT_FALSE(page.OnSelectInstruments({3}));
    EXPECT_EQ(prompter.last().text, "At least 2 Devices.");
    EXPECT_FALSE(page.view().okEnabled);

    ASSERT_TRUE(page.OnSelectInstruments({4, 1, 2, 9, 1}));
    EXPECT_EQ(page.values().chosen, (std::vector<int>{1, 2, 4}));
    EXPECT_TRUE(page.view().okEnabled);
    for (int i = 0; i < 3; ++i) page.OnNextInstrument();  // stays on the last one
    const ReadingSettingsView v = page.view();
    EXPECT_EQ(v.currentLabel, "e");
    EXPECT_TRUE(v.prevEnabled);
    EXPECT_FALSE(v.nextEnabled);
}

TEST_F(ReadingSettingsTest, EachSavingMeterKeepsARecordOfItsOwn) {
    page.Open(Context());
    ChooseSaving({0, 1, 2}, {3, 5});
    EXPECT_EQ(page.currentIndex(), 1);
    // The second meter cannot take the first one's record; it keeps its own.
    page.OnRecordInstrument(2);
    EXPECT_EQ(prompter.last().text, "The record has been selected, please select a different record.");
    EXPECT_EQ(prompter.last().icon, PromptIcon::Warning);
    EXPECT_EQ(page.values().recordNo[1], 5);
    EXPECT_EQ(page.view().recordInstrumentItem, 4);

    // Saving switched on without a record: neither moving on nor OK.
    page.OnNextInstrument();
    page.OnSaveInstrument(true);
    const std::size_t before = prompter.messages.size();
    page.OnPrevInstrument();
    EXPECT_EQ(page.currentIndex(), 2);
    EXPECT_EQ(prompter.last().text, "Please select a record.");
    EXPECT_FALSE(page.OnOK());
    EXPECT_EQ(prompter.messages.size(), before + 2);
    // A meter that does not save may share nothing, so any record is free to it.
    page.OnSaveInstrument(false);
    page.OnRecordInstrument(2);
    EXPECT_TRUE(page.OnOK());
    EXPECT_EQ(page.values().saveFlag, (std::array<bool, 4>{true, true, false, false}));
    EXPECT_EQ(page.values().recordNo[0], 3);
    EXPECT_EQ(page.values().recordNo[1], 5);

    // Single-device mode: OK waits for a record while saving is on.
    ReadingSettings fresh(prompter, texts);
    fresh.Open(Context({"x"}));
    fresh.OnSaveSingle(true);
    EXPECT_FALSE(fresh.OnOK());
    EXPECT_EQ(prompter.last().text, "Please select a record.");
    fresh.OnRecordSingle(9);
    EXPECT_TRUE(fresh.OnOK());
    EXPECT_EQ(fresh.values().recordNo[0], 10);
}

TEST_F(ReadingSettingsTest, ColoursThroughTheChooserAndCancelPutsEverythingBack) {
    ReadingSettingsContext context = Context();
    context.dualMeasure = true;
    page.Open(context);
    const ReadingSettingsValues opened = page.values();

    prompter.colours = {Rgb{10, 20, 30}, Rgb{40, 50, 60}};
    page.OnChangeColor();
    page.OnChange2ndColor();
    page.OnChange2ndColor();  // the chooser cancelled: nothing changes
    EXPECT_EQ(page.values().colours[0], (Rgb{10, 20, 30}));
    EXPECT_EQ(page.values().colours[4], (Rgb{40, 50, 60}));
    EXPECT_EQ(page.view().swatches[2], (Rgb{40, 50, 60}));
    EXPECT_TRUE(page.view().singleSecondShown);

    // In multi-device mode the buttons colour the meter shown; its second
    // colour is offered while it is a dual-function meter.
    ChooseSaving({0, 1, 2}, {1, 2});
    ReadingSettingsView v = page.view();
    EXPECT_EQ(v.currentLabel, kFour[1]);
    EXPECT_FALSE(v.instrumentSecondShown);  // TX41
    prompter.colours = {Rgb{1, 1, 1}};
    page.OnChangeInstrumentColor();
    page.OnNextInstrument();
    v = page.view();
    EXPECT_TRUE(v.instrumentSecondShown);  // QMTX42
    prompter.colours = {Rgb{2, 2, 2}};
    page.OnChangeInstrument2ndColor();
    EXPECT_EQ(page.values().colours[1], (Rgb{1, 1, 1}));
    EXPECT_EQ(page.values().colours[6], (Rgb{2, 2, 2}));
    EXPECT_EQ(page.view().swatches[3], (Rgb{2, 2, 2}));

    page.OnCancel();
    EXPECT_EQ(page.values(), opened);
    EXPECT_EQ(page.view().mode, 0);
}

TEST_F(ReadingSettingsTest, ReopenedInMultiDeviceModeTheWindowsChoiceStands) {
    ReadingSettingsContext context = Context();
    context.multiMode = true;
    context.chosen = {3, 0};
    page.Open(context);
    const ReadingSettingsView v = page.view();
    EXPECT_EQ(v.mode, 1);
    EXPECT_TRUE(v.okEnabled);
    EXPECT_EQ(v.currentLabel, kFour[3]);  // the window's reading order
    EXPECT_EQ(v.listSelection, (std::vector<int>{0, 3}));
    // A choice that names meters no longer listed is not taken.
    context.chosen = {0, 7};
    page.Open(context);
    EXPECT_EQ(page.view().mode, 0);
}

TEST_F(ReadingSettingsTest, RecordCombosListTheFolderAndRefuseUnreadableFiles) {
    // No database folder yet: every record is free and saving can be switched on.
    page.Open(Context());
    EXPECT_EQ(page.recordChoices()[9].label, "Record 10");
    EXPECT_TRUE(page.view().saveSingleEnabled);
    EXPECT_TRUE(prompter.messages.empty());

    const std::string folder = dir / "DB";
    std::filesystem::create_directory(folder);
    test::WriteBytes(RecordFilePath(folder, 4, RecordFormat::Current), "not a record");
    ReadingSettings settings(prompter, texts);
    settings.Open(Context());
    const RecordChoice& four = settings.recordChoices()[3];
    EXPECT_TRUE(four.unreadable);
    settings.OnSaveSingle(true);
    settings.OnRecordSingle(3);
    EXPECT_EQ(settings.values().recordNo[0], 0);
    EXPECT_EQ(prompter.last().text, four.problem);
    settings.OnRecordSingle(4);
    EXPECT_EQ(settings.values().recordNo[0], 5);
}

TEST_F(ReadingSettingsTest, AFolderThatCannotBeEnteredSwitchesSavingOff) {
    // The folder exists but may not be entered.
    std::filesystem::create_directory(dir / "DB");
    std::filesystem::permissions(dir / "DB", std::filesystem::perms::none);
    {
        test::ObeyFilePermissions obey;
        page.Open(Context());
    }
    std::filesystem::permissions(dir / "DB", std::filesystem::perms::owner_all);
    if (prompter.messages.empty()) GTEST_SKIP() << "file permissions are not obeyed here";
    EXPECT_EQ(prompter.last().text, "Database working folder not found.");
    EXPECT_EQ(prompter.last().caption, "Database check");
    const ReadingSettingsView v = page.view();
    EXPECT_FALSE(v.saveSingleEnabled || v.saveSingleChecked);
    page.OnSaveSingle(true);
    EXPECT_FALSE(page.values().saveFlag[0]);
}

}  // namespace
}  // namespace qm
