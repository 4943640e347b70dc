#include "platform/TextEncoding.h"

#include <cstdint>

namespace qm {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        // Surrogates land here too (three bytes, ED A0..BF xx): they only
        // come from unpaired code units and go back as the same unit.
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// One code point from s at i; surrogate code points in three-byte form are
// accepted. Anything malformed yields U+FFFD for one byte.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(s[k]); };
    const std::uint8_t b0 = byte(i);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    std::size_t len = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + len > s.size()) {
        ++i;
        return kReplacement;
    }
    for (std::size_t k = 1; k < len; ++k) {
        const std::uint8_t b = byte(i + k);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF) {
        ++i;
        return kReplacement;
    }
    i += len;
    return cp;
}

void AppendUnit(std::string& out, char16_t unit, bool bigEndian) {
    const char hi = static_cast<char>(unit >> 8);
    const char lo = static_cast<char>(unit & 0xFF);
    if (bigEndian) {
        out += hi;
        out += lo;
    } else {
        out += lo;
        out += hi;
    }
}

}  // namespace

TextEncoding DetectEncoding(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom)) return TextEncoding::Utf8Bom;
    if (bytes.starts_with(kUtf16LeBom)) return TextEncoding::Utf16LE;
    if (bytes.starts_with(kUtf16BeBom)) return TextEncoding::Utf16BE;
    return TextEncoding::Utf8;
}

DecodedText DecodeText(std::string_view bytes) {
    DecodedText out;
    out.encoding = DetectEncoding(bytes);
    switch (out.encoding) {
        case TextEncoding::Utf8:
            out.utf8.assign(bytes);
            return out;
        case TextEncoding::Utf8Bom:
            out.utf8.assign(bytes.substr(kUtf8Bom.size()));
            return out;
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE:
            break;
    }
    const bool bigEndian = out.encoding == TextEncoding::Utf16BE;
    std::string_view body = bytes.substr(2);
    if (body.size() % 2 != 0) {
        out.oddTrailingByte.assign(body.substr(body.size() - 1));
        body.remove_suffix(1);
    }
    const std::size_t units = body.size() / 2;
    const auto unitAt = [&](std::size_t k) {
        const auto a = static_cast<std::uint8_t>(body[2 * k]);
        const auto b = static_cast<std::uint8_t>(body[2 * k + 1]);
        return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    out.utf8.reserve(units * 3 / 2);
    for (std::size_t k = 0; k < units; ++k) {
        const char16_t u = unitAt(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
            const char16_t v = unitAt(k + 1);
            if (v >= 0xDC00 && v <= 0xDFFF) {
                AppendUtf8(out.utf8, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (v - 0xDC00));
                ++k;
                continue;
            }
        }
        AppendUtf8(out.utf8, u);
    }
    return out;
}

std::string EncodeText(std::string_view utf8, TextEncoding encoding,
                       std::string_view oddTrailingByte) {
    switch (encoding) {
        case TextEncoding::Utf8:
            return std::string(utf8);
        case TextEncoding::Utf8Bom:
            return std::string(kUtf8Bom) + std::string(utf8);
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE:
            break;
    }
    const bool bigEndian = encoding == TextEncoding::Utf16BE;
    std::string out(bigEndian ? kUtf16BeBom : kUtf16LeBom);
    out.reserve(2 + utf8.size() * 2 + oddTrailingByte.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t cp = NextCodePoint(utf8, i);
        if (cp >= 0x10000) {
            const char32_t v = cp - 0x10000;
            AppendUnit(out, static_cast<char16_t>(0xD800 + (v >> 10)), bigEndian);
            AppendUnit(out, static_cast<char16_t>(0xDC00 + (v & 0x3FF)), bigEndian);
        } else {
            AppendUnit(out, static_cast<char16_t>(cp), bigEndian);
        }
    }
    out += oddTrailingByte;
    return out;
}

void TruncateUtf8(std::string& s, std::size_t maxBytes) {
    if (s.size() <= maxBytes) return;
    std::size_t cut = maxBytes;
    // Step back over at most three continuation bytes to the start of the
    // character that would be split; malformed runs are cut where they are.
    std::size_t back = 0;
    while (cut > 0 && back < 3 && (static_cast<std::uint8_t>(s[cut]) & 0xC0) == 0x80) {
        --cut;
        ++back;
    }
    const auto lead = static_cast<std::uint8_t>(s[cut]);
    const std::size_t len = (lead & 0xE0) == 0xC0   ? 2
                            : (lead & 0xF0) == 0xE0 ? 3
                            : (lead & 0xF8) == 0xF0 ? 4
                                                    : 0;
    // Not a lead byte, or its character ends before the limit anyway.
    if (len == 0 || cut + len <= maxBytes) cut = maxBytes;
    s.resize(cut);
}

}  // namespace qm
