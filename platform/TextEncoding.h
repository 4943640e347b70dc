#pragma once
// Byte-order marks and UTF-16 <-> UTF-8 conversion for profile files. The
// conversion is lossless for anything a UTF-16 file can hold: an unpaired
// surrogate travels through UTF-8 as its three-byte form and comes back as
// the same code unit, and an odd trailing byte is kept aside, so rewriting a
// UTF-16 file changes only the bytes that were meant to change.
#include <cstddef>
#include <string>
#include <string_view>

namespace qm {

enum class TextEncoding { Utf8, Utf8Bom, Utf16LE, Utf16BE };

struct DecodedText {
    std::string utf8;  // without the byte-order mark
    TextEncoding encoding = TextEncoding::Utf8;
    std::string oddTrailingByte;  // UTF-16 only: a last byte without its partner
};

// Looks at the byte-order mark; no mark means UTF-8.
TextEncoding DetectEncoding(std::string_view bytes);

DecodedText DecodeText(std::string_view bytes);

// Back to the file's bytes, with the byte-order mark of the encoding. Bytes
// that are not valid UTF-8 become U+FFFD in a UTF-16 file.
std::string EncodeText(std::string_view utf8, TextEncoding encoding,
                       std::string_view oddTrailingByte = {});

// Cuts s to at most maxBytes bytes without splitting a UTF-8 character.
void TruncateUtf8(std::string& s, std::size_t maxBytes);

}  // namespace qm
