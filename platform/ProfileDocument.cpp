#include "platform/ProfileDocument.h"

#include <algorithm>
#include <limits>
#include <tuple>

#include "platform/AsciiCase.h"
#include "platform/TextEncoding.h"

namespace qm {

bool IsProfileBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view TrimProfileBlanks(std::string_view s) {
    while (!s.empty() && IsProfileBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsProfileBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool ProfileNamesEqual(std::string_view a, std::string_view b) {
    return EqualsIgnoringCase(a, b);
}

bool ProfileLineScanner::Next(ProfileLine& line) {
    if (pos_ >= text_.size()) return false;
    line = ProfileLine{};
    line.begin = pos_;
    const std::size_t lf = text_.find('\n', pos_);
    line.end = lf == std::string_view::npos ? text_.size() : lf;
    line.next = lf == std::string_view::npos ? text_.size() : lf + 1;
    pos_ = line.next;
    // The CR of a CRLF belongs to the line break, not to the content.
    if (lf != std::string_view::npos && line.end > line.begin && text_[line.end - 1] == '\r')
        --line.end;

    std::size_t p = line.begin;
    while (p < line.end && IsProfileBlank(text_[p])) ++p;
    std::size_t e = line.end;
    while (e > p && IsProfileBlank(text_[e - 1])) --e;
    if (p == e) {
        line.kind = ProfileLine::Kind::Blank;
        return true;
    }
    const auto trimmed = [&](std::size_t b, std::size_t f, std::size_t& ob, std::size_t& of) {
        while (b < f && IsProfileBlank(text_[b])) ++b;
        while (f > b && IsProfileBlank(text_[f - 1])) --f;
        ob = b;
        of = f;
    };
    const std::string_view content = text_.substr(p, e - p);
    if (content.front() == ';') {
        line.kind = ProfileLine::Kind::Comment;
        return true;
    }
    if (content.front() == '[') {
        // The name runs to the last ']' of the line; without one the line is
        // read like any other.
        const std::size_t close = content.rfind(']');
        if (close != std::string_view::npos && close > 0) {
            line.kind = ProfileLine::Kind::Section;
            trimmed(p + 1, p + close, line.nameBegin, line.nameEnd);
            return true;
        }
    }
    const std::size_t eq = content.find('=');
    if (eq == std::string_view::npos) {
        line.kind = ProfileLine::Kind::Other;
        return true;
    }
    line.kind = ProfileLine::Kind::Key;
    trimmed(p, p + eq, line.nameBegin, line.nameEnd);
    // A value ends at a NUL byte, as it would in the C buffer it was made for.
    std::size_t valueEnd = e;
    const std::size_t nul = content.find('\0', eq + 1);
    if (nul != std::string_view::npos) valueEnd = p + nul;
    trimmed(p + eq + 1, valueEnd, line.valueBegin, line.valueEnd);
    return true;
}

ProfileDocument ProfileDocument::FromBytes(std::string_view fileBytes) {
    return FromUtf8(DecodeText(fileBytes).utf8);
}

ProfileDocument ProfileDocument::FromUtf8(std::string utf8) {
    ProfileDocument doc;
    // Offsets are 32-bit; the file layer refuses anything near that size.
    if (utf8.size() >= std::numeric_limits<std::uint32_t>::max()) return doc;
    doc.text_ = std::move(utf8);
    doc.folded_ = AsciiLowerCase(doc.text_);
    doc.Index();
    return doc;
}

void ProfileDocument::Index() {
    const auto span = [](std::size_t b, std::size_t e) {
        return Span{static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(e - b)};
    };
    std::vector<SectionEntry> headers;
    std::vector<KeyEntry> keys;
    ProfileLineScanner scanner(text_);
    ProfileLine line;
    while (scanner.Next(line)) {
        if (line.kind == ProfileLine::Kind::Section) {
            headers.push_back(
                {span(line.nameBegin, line.nameEnd), static_cast<std::uint32_t>(headers.size())});
        } else if (line.kind == ProfileLine::Kind::Key && !headers.empty()) {
            // Keys above the first section belong to none and are never found.
            keys.push_back({static_cast<std::uint32_t>(headers.size() - 1),
                            span(line.nameBegin, line.nameEnd),
                            span(line.valueBegin, line.valueEnd)});
        }
    }

    // Sections: keep the first header of each name, sorted for lookup.
    std::stable_sort(headers.begin(), headers.end(),
                     [&](const SectionEntry& a, const SectionEntry& b) {
                         return Folded(a.name) < Folded(b.name);
                     });
    std::vector<bool> isFirst(headers.size(), false);
    for (std::size_t i = 0; i < headers.size(); ++i) {
        if (i == 0 || Folded(headers[i].name) != Folded(headers[i - 1].name)) {
            sections_.push_back(headers[i]);
            isFirst[headers[i].occurrence] = true;
        }
    }

    // Keys: only those of first sections; stable, so the first of two equal
    // keys comes first.
    std::erase_if(keys, [&](const KeyEntry& k) { return !isFirst[k.section]; });
    std::stable_sort(keys.begin(), keys.end(), [&](const KeyEntry& a, const KeyEntry& b) {
        return std::tie(a.section, a.key.size) < std::tie(b.section, b.key.size) ||
               (a.section == b.section && a.key.size == b.key.size &&
                Folded(a.key) < Folded(b.key));
    });
    keys_ = std::move(keys);
}

const ProfileDocument::SectionEntry* ProfileDocument::FindSection(
    std::string_view foldedName) const {
    const auto it = std::lower_bound(
        sections_.begin(), sections_.end(), foldedName,
        [&](const SectionEntry& s, std::string_view name) { return Folded(s.name) < name; });
    if (it == sections_.end() || Folded(it->name) != foldedName) return nullptr;
    return &*it;
}

std::optional<std::string_view> ProfileDocument::Find(std::string_view section,
                                                      std::string_view key) const {
    const SectionEntry* s = FindSection(AsciiLowerCase(TrimProfileBlanks(section)));
    if (s == nullptr) return std::nullopt;
    const std::string foldedKey = AsciiLowerCase(TrimProfileBlanks(key));
    const auto size = static_cast<std::uint32_t>(
        std::min<std::size_t>(foldedKey.size(), std::numeric_limits<std::uint32_t>::max()));
    const auto less = [&](const KeyEntry& k) {
        return std::tie(k.section, k.key.size) < std::tie(s->occurrence, size) ||
               (k.section == s->occurrence && k.key.size == size && Folded(k.key) < foldedKey);
    };
    const auto it = std::partition_point(keys_.begin(), keys_.end(), less);
    if (it == keys_.end() || it->section != s->occurrence || Folded(it->key) != foldedKey)
        return std::nullopt;
    return Text(it->value);
}

bool ProfileDocument::HasSection(std::string_view section) const {
    return FindSection(AsciiLowerCase(TrimProfileBlanks(section))) != nullptr;
}

std::vector<std::string> ProfileDocument::SectionNames() const {
    std::vector<SectionEntry> inFileOrder = sections_;
    std::sort(
        inFileOrder.begin(), inFileOrder.end(),
        [](const SectionEntry& a, const SectionEntry& b) { return a.occurrence < b.occurrence; });
    std::vector<std::string> names;
    names.reserve(inFileOrder.size());
    for (const SectionEntry& s : inFileOrder) names.emplace_back(Text(s.name));
    return names;
}

std::vector<std::string> ProfileDocument::KeyNames(std::string_view section) const {
    const SectionEntry* s = FindSection(AsciiLowerCase(TrimProfileBlanks(section)));
    if (s == nullptr) return {};
    std::vector<KeyEntry> mine;
    for (const KeyEntry& k : keys_)
        if (k.section == s->occurrence) mine.push_back(k);
    std::sort(mine.begin(), mine.end(),
              [](const KeyEntry& a, const KeyEntry& b) { return a.key.begin < b.key.begin; });
    std::vector<std::string> names;
    names.reserve(mine.size());
    for (const KeyEntry& k : mine) names.emplace_back(Text(k.key));
    return names;
}

std::string ProfileLookup(const ProfileDocument& doc, std::string_view section,
                          std::string_view key, std::string_view defaultValue,
                          std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    std::string out;
    if (const auto value = doc.Find(section, key)) {
        std::string_view v = *value;
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        out.assign(v);
    } else {
        while (!defaultValue.empty() && defaultValue.back() == ' ') defaultValue.remove_suffix(1);
        out.assign(defaultValue);
    }
    TruncateUtf8(out, bufferSize - 1);
    return out;
}

}  // namespace qm
