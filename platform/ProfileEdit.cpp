// Line-level edits of a profile text: only the line that changes is touched,
// every other byte (comments, order, blank lines, line ends) stays as it was.
#include <string>

#include "platform/ProfileDocument.h"
#include "platform/TextEncoding.h"

namespace qm {
namespace {

using Kind = ProfileLine::Kind;

bool HasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool IsWritableSection(std::string_view name) {
    return !name.empty() && !HasLineBreakOrNul(name);
}

bool IsWritableKey(std::string_view key) {
    return !key.empty() && !HasLineBreakOrNul(key) && key.find('=') == std::string_view::npos &&
           key.front() != ';' && key.front() != '[';
}

// The file's own line end, taken from its first line; LF for a new file.
std::string_view LineEndOf(std::string_view text) {
    const std::size_t lf = text.find('\n');
    if (lf != std::string_view::npos && lf > 0 && text[lf - 1] == '\r') return "\r\n";
    return "\n";
}

std::string_view NameOf(std::string_view text, const ProfileLine& line) {
    return text.substr(line.nameBegin, line.nameEnd - line.nameBegin);
}

std::string_view WholeLine(std::string_view text, const ProfileLine& line) {
    return text.substr(line.begin, line.next - line.begin);
}

std::string RemoveSections(std::string_view text, std::string_view section) {
    std::string out;
    out.reserve(text.size());
    bool dropping = false;
    ProfileLineScanner scanner(text);
    ProfileLine line;
    while (scanner.Next(line)) {
        if (line.kind == Kind::Section) dropping = ProfileNamesEqual(NameOf(text, line), section);
        if (!dropping) out += WholeLine(text, line);
    }
    return out;
}

// Removes every line of the key in the first section of that name, so that
// no later repeat of it comes to light.
std::string RemoveKey(std::string_view text, std::string_view section, std::string_view key) {
    std::string out;
    out.reserve(text.size());
    enum { Before, Inside, After } where = Before;
    ProfileLineScanner scanner(text);
    ProfileLine line;
    while (scanner.Next(line)) {
        if (line.kind == Kind::Section) {
            if (where == Before && ProfileNamesEqual(NameOf(text, line), section))
                where = Inside;
            else if (where == Inside)
                where = After;
        } else if (where == Inside && line.kind == Kind::Key &&
                   ProfileNamesEqual(NameOf(text, line), key)) {
            continue;
        }
        out += WholeLine(text, line);
    }
    return out;
}

std::string SetKey(std::string_view text, std::string_view section, std::string_view key,
                   std::string_view value) {
    const std::string_view eol = LineEndOf(text);
    bool inside = false;
    bool found = false;
    ProfileLine last;  // the section's last line that is neither blank nor a comment
    ProfileLineScanner scanner(text);
    ProfileLine line;
    while (scanner.Next(line)) {
        if (line.kind == Kind::Section) {
            if (inside) break;
            if (!found && ProfileNamesEqual(NameOf(text, line), section)) {
                inside = found = true;
                last = line;
            }
            continue;
        }
        if (!inside) continue;
        if (line.kind == Kind::Key && ProfileNamesEqual(NameOf(text, line), key)) {
            // Replace this line's content in place, keeping the file's spelling
            // of the key and the line's own line end.
            std::string out(text.substr(0, line.begin));
            out += NameOf(text, line);
            out += '=';
            out += value;
            out += text.substr(line.end);
            return out;
        }
        if (line.kind == Kind::Key || line.kind == Kind::Other) last = line;
    }

    std::string out;
    out.reserve(text.size() + section.size() + key.size() + value.size() + 8);
    if (found) {
        // After the section's last entry: blank lines and a comment that
        // introduces the next section stay below the new key.
        const bool lastHasLineEnd = last.next > 0 && text[last.next - 1] == '\n';
        if (lastHasLineEnd) {
            out.append(text.substr(0, last.next));
            out.append(key).append("=").append(value).append(eol);
            out.append(text.substr(last.next));
        } else {
            out.append(text.substr(0, last.next));
            out.append(eol).append(key).append("=").append(value);
            out.append(text.substr(last.next));
        }
        return out;
    }
    out.append(text);
    if (!out.empty() && out.back() != '\n') out.append(eol);
    out.append("[").append(section).append("]").append(eol);
    out.append(key).append("=").append(value).append(eol);
    return out;
}

}  // namespace

std::optional<std::string> EditProfileUtf8(std::string_view text, std::string_view sectionArg,
                                           std::optional<std::string_view> keyArg,
                                           std::optional<std::string_view> value) {
    const std::string_view section = TrimProfileBlanks(sectionArg);
    if (!IsWritableSection(section)) return std::nullopt;
    if (!keyArg) return RemoveSections(text, section);
    const std::string_view key = TrimProfileBlanks(*keyArg);
    if (!IsWritableKey(key)) return std::nullopt;
    if (!value) return RemoveKey(text, section, key);
    if (HasLineBreakOrNul(*value)) return std::nullopt;
    return SetKey(text, section, key, *value);
}

std::optional<std::string> EditProfileBytes(std::string_view fileBytes, std::string_view section,
                                            std::optional<std::string_view> key,
                                            std::optional<std::string_view> value) {
    const DecodedText decoded = DecodeText(fileBytes);
    const auto edited = EditProfileUtf8(decoded.utf8, section, key, value);
    if (!edited) return std::nullopt;
    return EncodeText(*edited, decoded.encoding, decoded.oddTrailingByte);
}

}  // namespace qm
