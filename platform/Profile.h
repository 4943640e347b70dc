#pragma once
// Profile files (INI) with the behaviour of the Windows profile functions
// GetPrivateProfileString and WritePrivateProfileString, for the language file
// and the link engine's settings. Reads are served from a parsed copy that is
// kept per file while its size and time stamp stay the same; writes replace the
// file atomically and keep every byte they do not change.
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ProfileDocument.h"

namespace qm {

// Larger files are not profile files; they read as missing and are not written.
inline constexpr std::size_t kMaxProfileFileBytes = 16u * 1024 * 1024;

// The value of key in section, or the default (its trailing blanks removed)
// when the file, the section or the key is missing; cut to bufferSize - 1
// bytes on a character boundary, as the C buffer of that size would hold.
std::string GetProfileString(const std::filesystem::path& path, std::string_view section,
                             std::string_view key, std::string_view defaultValue,
                             std::size_t bufferSize = 256);

// Sets section/key = value, creating the key, the section or the file as
// needed. A null value removes the key, a null key removes the section.
// False when the file cannot be written or the names or the value would break
// it (line breaks, NUL, '=' in a key, empty names).
bool WriteProfileString(const std::filesystem::path& path, std::string_view section,
                        std::optional<std::string_view> key, std::optional<std::string_view> value);

// Section names in file order; empty when the file is missing.
std::vector<std::string> GetProfileSectionNames(const std::filesystem::path& path);
// Key names of a section in file order.
std::vector<std::string> GetProfileKeyNames(const std::filesystem::path& path,
                                            std::string_view section);

// The parsed file (shared with the cache), or nullptr when it cannot be read.
std::shared_ptr<const ProfileDocument> LoadProfile(const std::filesystem::path& path);

}  // namespace qm
