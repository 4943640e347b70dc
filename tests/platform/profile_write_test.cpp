// Writing profile files: only the changed line moves, everything else stays
// byte for byte; new keys, sections and files; removal; encodings; safety.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "TempFolder.h"
#include "platform/Profile.h"
#include "platform/TextEncoding.h"

namespace qm {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

std::string Edit(std::string_view text, std::string_view section,
                 std::optional<std::string_view> key, std::optional<std::string_view> value) {
    return EditProfileUtf8(text, section, key, value).value_or("<refused>");
}

const std::string kCrlfFile =
    "; language file\r\n"
    "[Information]\r\n"
    "LanguageID = English(U.S)\r\n"
    "Language=English(U.S),Chinese(Traditional)\r\n"
    "\r\n"
    "[English(U.S)]\r\n"
    "1000=No Device Connected\r\n"
    "\r\n"
    "; the next section\r\n"
    "[Chinese(Traditional)]\r\n"
    "1000=未連接儀器";

TEST(ProfileWrite, ReplacesTheKeyLineInPlaceAndKeepsTheRest) {
    const std::string out = Edit(kCrlfFile, "information", "languageid", "Chinese(Simplify)");
    std::string expected = kCrlfFile;
    expected.replace(expected.find("LanguageID = English(U.S)"), 25,
                     "LanguageID=Chinese(Simplify)");
    EXPECT_EQ(out, expected);
    // The last line has no line end and keeps having none.
    EXPECT_EQ(Edit(kCrlfFile, "Chinese(Traditional)", "1000", "x"),
              kCrlfFile.substr(0, kCrlfFile.rfind('\n') + 1) + "1000=x");
}

TEST(ProfileWrite, AppendsNewKeysAtTheEndOfTheirSection) {
    // Before the blank line and the comment that introduce the next section,
    // with the file's own CRLF.
    std::string expected = kCrlfFile;
    expected.insert(expected.find("\r\n\r\n; the next") + 2, "1001=Check\r\n");
    EXPECT_EQ(Edit(kCrlfFile, "ENGLISH(U.S)", "1001", "Check"), expected);
    // In the last section, after a line without line end.
    EXPECT_EQ(Edit(kCrlfFile, "Chinese(Traditional)", "1001", "請檢查"),
              kCrlfFile + "\r\n1001=請檢查");
    // A section that has only its header.
    EXPECT_EQ(Edit("[a]\n[b]\nk=1\n", "a", "n", "v"), "[a]\nn=v\n[b]\nk=1\n");
}

TEST(ProfileWrite, CreatesMissingSectionsAndFiles) {
    EXPECT_EQ(Edit("[a]\nk=1", "b", "k", "2"), "[a]\nk=1\n[b]\nk=2\n");
    EXPECT_EQ(Edit("[a]\r\nk=1\r\n", "b", "k", "2"), "[a]\r\nk=1\r\n[b]\r\nk=2\r\n");

    TempFolder dir;
    const auto path = dir / "new.ini";
    ASSERT_TRUE(WriteProfileString(path, "Information", "LanguageID", "English(U.S)"));
    EXPECT_EQ(ReadBytes(path), "[Information]\nLanguageID=English(U.S)\n");
    EXPECT_FALSE(WriteProfileString(dir / "no such folder" / "x.ini", "s", "k", "v"));
}

TEST(ProfileWrite, NullValueRemovesTheKeyNullKeyTheSection) {
    const std::string text = "[a]\nk=1\nK=2\nj=3\n[b]\nk=4\n[A]\nk=5\n";
    // Every line of the key goes, so no repeat of it comes to light.
    EXPECT_EQ(Edit(text, "a", "k", std::nullopt), "[a]\nj=3\n[b]\nk=4\n[A]\nk=5\n");
    EXPECT_EQ(Edit(text, "A", std::nullopt, std::nullopt), "[b]\nk=4\n");
    EXPECT_EQ(Edit(text, "c", "k", std::nullopt), text);

    TempFolder dir;
    EXPECT_TRUE(WriteProfileString(dir / "none.ini", "s", "k", std::nullopt));
    EXPECT_TRUE(WriteProfileString(dir / "none.ini", "s", std::nullopt, std::nullopt));
    EXPECT_FALSE(std::filesystem::exists(dir / "none.ini"));
}

TEST(ProfileWrite, RefusesTextThatWouldBreakTheFile) {
    const std::string text = "[a]\nk=1\n";
    EXPECT_EQ(Edit(text, "a", "k", "x\n[Evil]\nk=2"), "<refused>");
    EXPECT_EQ(Edit(text, "a", "k=2", "x"), "<refused>");
    EXPECT_EQ(Edit(text, "a", ";k", "x"), "<refused>");
    EXPECT_EQ(Edit(text, "a", "  ", "x"), "<refused>");
    EXPECT_EQ(Edit(text, "a\rb", "k", "x"), "<refused>");
    EXPECT_EQ(Edit(text, "", std::nullopt, std::nullopt), "<refused>");
    EXPECT_EQ(Edit(text, "a", "k", std::string_view("x\0y", 3)), "<refused>");

    TempFolder dir;
    WriteBytes(dir / "f.ini", text);
    EXPECT_FALSE(WriteProfileString(dir / "f.ini", "a", "k", "1\r\n[b]"));
    EXPECT_EQ(ReadBytes(dir / "f.ini"), text);
}

TEST(ProfileWrite, Utf16FileStaysUtf16WithItsByteOrderMark) {
    TempFolder dir;
    for (const char* name : {"utf16le.ini", "utf16be.ini", "utf8bom.ini"}) {
        SCOPED_TRACE(name);
        const auto fixture = std::filesystem::path(QM_TEST_DATA_DIR) / "platform" / name;
        const auto path = dir / name;
        std::filesystem::copy_file(fixture, path);
        const std::string before = ReadBytes(fixture);

        ASSERT_TRUE(WriteProfileString(path, "Information", "LanguageID", "Chinese(Simplify)"));
        const std::string after = ReadBytes(path);
        EXPECT_EQ(DetectEncoding(after), DetectEncoding(before));
        std::string expected = DecodeText(before).utf8;
        expected.replace(expected.find("English(U.S)"), 12, "Chinese(Simplify)");
        EXPECT_EQ(DecodeText(after).utf8, expected);
        EXPECT_EQ(GetProfileString(path, "Chinese(Traditional)", "2000", ""),
                  "量測 \U0001F50C 完成");
    }
}

TEST(ProfileWrite, ReplacesAtomicallyKeepingModeAndLinks) {
    TempFolder dir;
    const auto real = dir / "real.ini";
    WriteBytes(real, "[s]\nk=1\n");
    ::chmod(real.c_str(), 0600);
    std::filesystem::create_symlink("real.ini", dir / "link.ini");

    ASSERT_TRUE(WriteProfileString(dir / "link.ini", "s", "k", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
    EXPECT_EQ(ReadBytes(real), "[s]\nk=2\n");
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // No temporary file is left beside it.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 2);
}

}  // namespace
}  // namespace qm
