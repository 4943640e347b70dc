#pragma once
// Profile (INI) text in memory: the parser and lookups behind
// GetProfileString, and the line-level edits behind WriteProfileString. The
// rules are those that Windows applies to its profile files: section and key
// names compare without regard to letter case, a key is the text before the
// first '=', names and values are trimmed of blanks, lines starting with ';'
// are comments, and the first of two equal sections or keys is the one that
// counts. No file access here, so the fuzzer drives it straight from memory.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Blanks as profile files know them: space, tab, CR, vertical tab, form feed.
bool IsProfileBlank(char c);
std::string_view TrimProfileBlanks(std::string_view s);
// Section and key names compare without regard to ASCII letter case.
bool ProfileNamesEqual(std::string_view a, std::string_view b);

// One line of a profile text, as offsets into it.
struct ProfileLine {
    enum class Kind { Blank, Comment, Section, Key, Other };
    Kind kind = Kind::Blank;
    std::size_t begin = 0;  // first byte of the line
    std::size_t end = 0;    // end of its content (line break excluded)
    std::size_t next = 0;   // first byte of the following line
    // Section lines: the name between the brackets; key lines: the key.
    std::size_t nameBegin = 0, nameEnd = 0;
    // Key lines: the value, trimmed, cut at the first NUL byte.
    std::size_t valueBegin = 0, valueEnd = 0;
};

// Walks a UTF-8 profile text line by line; a line ends at LF, CRLF also counts.
class ProfileLineScanner {
  public:
    explicit ProfileLineScanner(std::string_view text) : text_(text) {}
    bool Next(ProfileLine& line);

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// A parsed profile text; lookups are binary searches, so a hundred texts read
// at start-up cost next to nothing even from a large file.
class ProfileDocument {
  public:
    ProfileDocument() = default;
    // From the bytes of a file in any supported encoding (UTF-8 with or
    // without BOM, UTF-16 LE/BE with BOM).
    static ProfileDocument FromBytes(std::string_view fileBytes);
    static ProfileDocument FromUtf8(std::string utf8);

    // The trimmed value of the key in the first section of that name, quotes
    // not yet removed; nullopt when the section or the key is missing.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;
    // Section names in file order, each once.
    std::vector<std::string> SectionNames() const;
    // The keys of a section in file order, repeats included.
    std::vector<std::string> KeyNames(std::string_view section) const;

  private:
    struct Span {
        std::uint32_t begin = 0, size = 0;
    };
    struct SectionEntry {
        Span name;
        std::uint32_t occurrence = 0;  // index among all section headers
    };
    struct KeyEntry {
        std::uint32_t section = 0;  // occurrence of its section
        Span key;
        Span value;
    };

    void Index();
    std::string_view Text(Span s) const { return std::string_view(text_).substr(s.begin, s.size); }
    std::string_view Folded(Span s) const {
        return std::string_view(folded_).substr(s.begin, s.size);
    }
    const SectionEntry* FindSection(std::string_view foldedName) const;

    std::string text_;
    std::string folded_;                  // text_ with ASCII letters lower-cased
    std::vector<SectionEntry> sections_;  // first occurrences, sorted by folded name
    std::vector<KeyEntry> keys_;          // keys of first occurrences, by (section, folded key)
};

// GetPrivateProfileString on a parsed text: the value with one pair of
// surrounding quotes removed, or the default without its trailing blanks;
// either cut to bufferSize - 1 bytes on a UTF-8 character boundary.
std::string ProfileLookup(const ProfileDocument& doc, std::string_view section,
                          std::string_view key, std::string_view defaultValue,
                          std::size_t bufferSize = 256);

// The text after setting section/key = value (value nullopt: the key is
// removed; key nullopt: the section is removed). Every other byte stays as it
// was. nullopt when the names or the value cannot be written without
// breaking the file: empty names, line breaks or NUL anywhere, '=' in a key or
// a key that would read as a comment or section.
std::optional<std::string> EditProfileUtf8(std::string_view text, std::string_view section,
                                           std::optional<std::string_view> key,
                                           std::optional<std::string_view> value);
// The same on a file's bytes, keeping the file's encoding and byte-order mark.
std::optional<std::string> EditProfileBytes(std::string_view fileBytes, std::string_view section,
                                            std::optional<std::string_view> key,
                                            std::optional<std::string_view> value);

}  // namespace qm
