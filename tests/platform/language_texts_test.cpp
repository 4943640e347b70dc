// Language texts: lookups by language, the LanguageID record, the key tables
// and the shipped QM_TOOL.ini against them.
#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>

#include "TempFolder.h"
#include "app/LanguageTexts.h"
#include "link/host/HostTexts.h"
#include "platform/Profile.h"

namespace qm {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

const std::filesystem::path kShipped = QM_SHIPPED_LANGUAGE_FILE;

TEST(LanguageTexts, MissingFileGivesEnglishAndIsNotCreated) {
    TempFolder dir;
    LanguageTexts texts(dir / "QM_TOOL.ini");
    EXPECT_FALSE(texts.FileExists());
    EXPECT_EQ(texts.language(), "English(U.S)");
    EXPECT_EQ(texts.GetText("1000", "No Device Connected"), "No Device Connected");
    texts.SetLanguage(kLanguageChineseTraditional);
    EXPECT_EQ(texts.GetText("1000", "No Device Connected"), "No Device Connected");
    // A stub file would hide the loss of the real one at the next start.
    EXPECT_FALSE(texts.WriteLanguageId());
    EXPECT_FALSE(std::filesystem::exists(dir / "QM_TOOL.ini"));
}

TEST(LanguageTexts, ReadsTheCurrentLanguageSectionWithEnglishFallback) {
    TempFolder dir;
    WriteBytes(dir / "QM_TOOL.ini",
               "[English(U.S)]\n1000=No Device Connected\n"
               "[Chinese(Traditional)]\n1000=未連接儀器\n"
               "[Chinese(Simplify)]\n1000=\"未连接仪器\"\n");
    LanguageTexts texts(dir / "QM_TOOL.ini");
    ASSERT_TRUE(texts.FileExists());
    texts.SetLanguage(LanguageForChoice(1));
    EXPECT_EQ(texts.GetText("1000", "x"), "未連接儀器");
    EXPECT_EQ(texts.GetText("1001", "Check Device Connection"), "Check Device Connection");
    texts.SetLanguage(LanguageForChoice(2));
    EXPECT_EQ(texts.GetText("1000", "x"), "未连接仪器");
    texts.SetLanguage("Klingon");
    EXPECT_EQ(texts.GetText("1000", "No Device Connected"), "No Device Connected");
    EXPECT_EQ(LanguageForChoice(0), kLanguageEnglish);
    EXPECT_EQ(LanguageForChoice(7), kLanguageEnglish);
}

TEST(LanguageTexts, WritingTheLanguageIdChangesOnlyThatLine) {
    TempFolder dir;
    const auto path = dir / "QM_TOOL.ini";
    std::filesystem::copy_file(kShipped, path);
    LanguageTexts texts(path);
    texts.SetLanguage(kLanguageChineseSimplified);
    ASSERT_TRUE(texts.WriteLanguageId());
    std::string expected = ReadBytes(kShipped);
    expected.replace(expected.find("LanguageID=English(U.S)"), 23, "LanguageID=Chinese(Simplify)");
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(texts.GetText("94", "Get Multimeter Setting"), "获取万用表设置");
}

TEST(LanguageTexts, MenuKeysFollowTheirPositions) {
    std::set<std::string_view> allKeys;
    for (const TextKey& k : AllTextKeys()) EXPECT_TRUE(allKeys.insert(k.key).second) << k.key;
    for (const MenuText& m : MainMenuTexts()) {
        EXPECT_EQ(m.key, std::to_string(m.menu) + std::to_string(m.item + 1)) << m.key;
        EXPECT_EQ(m.commandId == 0, m.item < 0) << m.key;
        EXPECT_TRUE(allKeys.count(m.key)) << m.key;
    }
    for (const ControlText& c : MainWindowLabelTexts()) EXPECT_TRUE(allKeys.count(c.key));
    for (const ControlText& c : ToolbarTipTexts()) {
        EXPECT_TRUE(allKeys.count(c.key));
        EXPECT_LT(c.englishDefault.size(), kToolTipBufferSize);
    }
}

TEST(LanguageTexts, ShippedFileHasEveryKeyInEveryLanguage) {
    const auto doc = LoadProfile(kShipped);
    ASSERT_TRUE(doc);
    const std::string languages = GetProfileString(kShipped, "Information", "Language", "");
    EXPECT_EQ(languages, "English(U.S),Chinese(Traditional),Chinese(Simplify)");
    EXPECT_EQ(GetProfileString(kShipped, "Information", "LanguageID", ""), "English(U.S)");

    for (std::string_view language :
         {kLanguageEnglish, kLanguageChineseTraditional, kLanguageChineseSimplified}) {
        SCOPED_TRACE(language);
        const auto keys = doc->KeyNames(language);
        EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), keys.size())
            << "a key is repeated";
        // The file also carries the QM-Link add-in's own texts.
        EXPECT_EQ(keys.size(), AllTextKeys().size() + std::size(linkhost::kHostTexts))
            << "a key is not used by the program or the add-in";
        for (const linkhost::HostText& t : linkhost::kHostTexts) {
            const auto value = doc->Find(language, t.key);
            ASSERT_TRUE(value) << t.key;
            EXPECT_FALSE(value->empty()) << t.key;
            EXPECT_LT(value->size(), kLanguageTextBufferSize) << t.key;
            if (language == kLanguageEnglish) {
                EXPECT_EQ(*value, t.english) << t.key;
            }
        }
        for (const TextKey& k : AllTextKeys()) {
            const auto value = doc->Find(language, k.key);
            ASSERT_TRUE(value) << k.key;
            EXPECT_LT(value->size(), kLanguageTextBufferSize) << k.key;
            if (k.key != "156") {
                EXPECT_FALSE(value->empty()) << k.key;
            }
            if (language == kLanguageEnglish) {
                EXPECT_EQ(*value, k.englishText) << k.key;
            }
        }
    }
    // The page's own resource texts for three of its controls.
    LanguageTexts texts(kShipped);
    texts.SetLanguage(kLanguageChineseTraditional);
    EXPECT_EQ(texts.GetText("84", ""), "儀器列表");
    EXPECT_EQ(texts.GetText("94", ""), "取得萬用電錶設定");
    EXPECT_EQ(texts.GetText("95", ""), "離開");
}

}  // namespace
}  // namespace qm
