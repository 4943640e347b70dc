// Reading profile files: names, trimming, quotes, defaults, buffer sizes,
// repeats, comments, encodings and hostile contents.
#include <gtest/gtest.h>

#include <string>

#include "TempFolder.h"
#include "platform/Profile.h"
#include "platform/ProfileDocument.h"
#include "platform/TextEncoding.h"

namespace qm {
namespace {

using namespace std::string_literals;
using test::TempFolder;
using test::WriteBytes;

std::string Lookup(std::string_view text, std::string_view section, std::string_view key,
                   std::string_view def = "DEF", std::size_t size = 256) {
    return ProfileLookup(ProfileDocument::FromBytes(text), section, key, def, size);
}

TEST(ProfileRead, NamesIgnoreCaseAndBlanksValuesAreTrimmed) {
    const std::string text = "[ English(U.S) ]\n  Key1 =   value one \t\r\nkey2=x\n";
    EXPECT_EQ(Lookup(text, "english(u.s)", "KEY1"), "value one");
    EXPECT_EQ(Lookup(text, "  ENGLISH(U.S)", " key2 "), "x");
    // A key that is there with an empty value is not missing.
    EXPECT_EQ(Lookup("[s]\nk=   \n", "s", "k"), "");
}

TEST(ProfileRead, OnePairOfMatchingQuotesIsRemoved) {
    const std::string text =
        "[s]\ndq=\"a b\"\nsq='c'\ntwice=\"\"d\"\"\nmixed=\"e'\nlone=\"\nopen=\"f\nempty=\"\"\n";
    EXPECT_EQ(Lookup(text, "s", "dq"), "a b");
    EXPECT_EQ(Lookup(text, "s", "sq"), "c");
    EXPECT_EQ(Lookup(text, "s", "twice"), "\"d\"");
    EXPECT_EQ(Lookup(text, "s", "mixed"), "\"e'");
    EXPECT_EQ(Lookup(text, "s", "lone"), "\"");
    EXPECT_EQ(Lookup(text, "s", "open"), "\"f");
    EXPECT_EQ(Lookup(text, "s", "empty"), "");
}

TEST(ProfileRead, DefaultLosesTrailingBlanksOnly) {
    EXPECT_EQ(Lookup("[s]\nk=v\n", "t", "k", " No Device  "), " No Device");
    EXPECT_EQ(Lookup("[s]\nk=v\n", "s", "other", "x"), "x");
    TempFolder dir;
    EXPECT_EQ(GetProfileString(dir / "missing.ini", "s", "k", "Exit "), "Exit");
    EXPECT_EQ(GetProfileString(dir.path(), "s", "k", "a folder is no file"), "a folder is no file");
}

TEST(ProfileRead, ResultFitsTheBufferWithoutSplittingCharacters) {
    const std::string text = "[s]\nk=abcdef\nzh=中文字\n";
    EXPECT_EQ(Lookup(text, "s", "k", "", 4), "abc");
    EXPECT_EQ(Lookup(text, "s", "k", "", 7), "abcdef");
    EXPECT_EQ(Lookup(text, "s", "k", "", 1), "");
    EXPECT_EQ(Lookup(text, "s", "k", "", 0), "");
    // 9 bytes of text: a 6-byte buffer holds 5 bytes, that is one character.
    EXPECT_EQ(Lookup(text, "s", "zh", "", 6), "中");
    EXPECT_EQ(Lookup(text, "s", "zh", "", 7), "中文");
    EXPECT_EQ(Lookup(text, "s", "none", "默認值", 5), "默");

    std::string s = "a\x80\x80\x80\x80";  // stray continuation bytes are cut where asked
    TruncateUtf8(s, 3);
    EXPECT_EQ(s, "a\x80\x80");
}

TEST(ProfileRead, FirstSectionAndFirstKeyWin) {
    const std::string text = "[s]\nk=first\nK=second\n[t]\nk=t\n[S]\nk=third\nonly=later\n";
    EXPECT_EQ(Lookup(text, "s", "k"), "first");
    // Keys of a repeated section are not merged into the first one.
    EXPECT_EQ(Lookup(text, "s", "only"), "DEF");
    EXPECT_EQ(Lookup(text, "t", "k"), "t");
    const auto doc = ProfileDocument::FromBytes(text);
    EXPECT_EQ(doc.SectionNames(), (std::vector<std::string>{"s", "t"}));
    EXPECT_EQ(doc.KeyNames("S"), (std::vector<std::string>{"k", "K"}));
}

TEST(ProfileRead, CommentsAndLinesWithoutEqualsAreSkipped) {
    const std::string text =
        "top=above every section\n"
        "[s]\n"
        ";k=commented\n"
        "  ; k=indented comment\n"
        "just words\n"
        "k = real ; not a comment\n"
        "[broken\n"
        "a=b=c\n";
    EXPECT_EQ(Lookup(text, "s", "k"), "real ; not a comment");
    EXPECT_EQ(Lookup(text, "s", "top"), "DEF");
    EXPECT_EQ(Lookup(text, "s", "just words"), "DEF");
    // "[broken" has no closing bracket, so it does not open a section.
    EXPECT_EQ(Lookup(text, "s", "a"), "b=c");
    EXPECT_FALSE(ProfileDocument::FromBytes(text).HasSection("broken"));
}

TEST(ProfileRead, ReadsUtf8WithBomAndUtf16WithEitherByteOrder) {
    for (const char* name : {"utf8bom.ini", "utf16le.ini", "utf16be.ini"}) {
        const auto path = std::filesystem::path(QM_TEST_DATA_DIR) / "platform" / name;
        SCOPED_TRACE(name);
        EXPECT_EQ(GetProfileString(path, "information", "languageid", ""), "English(U.S)");
        EXPECT_EQ(GetProfileString(path, "Chinese(Traditional)", "1000", ""), "未連接儀器");
        EXPECT_EQ(GetProfileString(path, "Chinese(Traditional)", "2000", ""),
                  "量測 \U0001F50C 完成");
    }
}

TEST(ProfileRead, Utf16RoundTripKeepsUnpairedSurrogatesAndOddBytes) {
    // "[a]" then a lone high surrogate, a lone low surrogate, and one odd byte.
    const std::string bytes("\xFF\xFE[\0a\0]\0\x00\xD8\x00\xDC\x41", 13);
    const DecodedText decoded = DecodeText(bytes);
    EXPECT_EQ(decoded.encoding, TextEncoding::Utf16LE);
    EXPECT_EQ(decoded.oddTrailingByte, "\x41");
    EXPECT_EQ(EncodeText(decoded.utf8, decoded.encoding, decoded.oddTrailingByte), bytes);
    // Invalid UTF-8 written into a UTF-16 file becomes U+FFFD.
    EXPECT_EQ(EncodeText("a\xFF", TextEncoding::Utf16BE), std::string("\xFE\xFF\0a\xFF\xFD", 6));
}

TEST(ProfileRead, HostileContentNeverBreaksTheReader) {
    std::string text = "[s]\nk=before\0after\n"s;
    text += "bad=\xC3\x28\xFF\xFE tail\n"s;
    text += "nul\0key=v\n"s;
    text += "huge=" + std::string(2'000'000, 'x') + "\n";
    text += std::string(100'000, '[') + "\n";
    text += "last=ok";
    EXPECT_EQ(Lookup(text, "s", "k"), "before");
    EXPECT_EQ(Lookup(text, "s", "bad"), "\xC3\x28\xFF\xFE tail");
    EXPECT_EQ(Lookup(text, "s", "huge", "", 256), std::string(255, 'x'));
    EXPECT_EQ(Lookup(text, "s", "last"), "ok");

    // Many sections and keys: lookups stay exact and parsing linear.
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += "[sec" + std::to_string(i) + "]\nkey=" + std::to_string(i) + "\n";
    const auto doc = ProfileDocument::FromBytes(many);
    EXPECT_EQ(ProfileLookup(doc, "SEC19999", "KEY", ""), "19999");
    EXPECT_EQ(ProfileLookup(doc, "sec7", "key", ""), "7");
}

TEST(ProfileRead, OversizedFileReadsAsMissing) {
    TempFolder dir;
    std::string big = "[s]\nk=v\n" + std::string(kMaxProfileFileBytes, ';');
    WriteBytes(dir / "big.ini", big);
    EXPECT_EQ(GetProfileString(dir / "big.ini", "s", "k", "default"), "default");
    EXPECT_FALSE(WriteProfileString(dir / "big.ini", "s", "k", "w"));
}

TEST(ProfileRead, CachedCopyFollowsChangesToTheFile) {
    TempFolder dir;
    const auto path = dir / "lang.ini";
    WriteBytes(path, "[s]\nk=one\n");
    EXPECT_EQ(GetProfileString(path, "s", "k", ""), "one");
    WriteBytes(path, "[s]\nk=three\n");  // rewritten in place by someone else
    EXPECT_EQ(GetProfileString(path, "s", "k", ""), "three");
    ASSERT_TRUE(WriteProfileString(path, "s", "k", "two"));
    EXPECT_EQ(GetProfileString(path, "s", "k", ""), "two");
    std::filesystem::remove(path);
    EXPECT_EQ(GetProfileString(path, "s", "k", "gone"), "gone");
}

}  // namespace
}  // namespace qm
