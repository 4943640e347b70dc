#pragma once
// Letter case of ASCII text, the one rule behind every case-blind name in
// the suite: profile sections and keys, SCPI keywords, resource
// descriptors, record fields, function and setting names, identities.
// Only A-Z and a-z change; every other byte (UTF-8 included) stays as it
// is, whatever locale the program runs in.
#include <cstddef>
#include <string>
#include <string_view>

namespace qm {

constexpr char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiUpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiUpper(c);
    return out;
}

inline std::string AsciiLowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

// Equality of two texts without regard to ASCII case ("dcv", "DCV").
constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

}  // namespace qm
