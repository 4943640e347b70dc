#pragma once
// File attributes of the record folder and files. Linux has no hidden or
// system attributes: both calls do nothing, but the places that would set them
// still say so, and a port to a system that has them changes only these.
#include <filesystem>

namespace qm {

// Marks a file or folder hidden and system (no-op here).
void SetHiddenSystemAttributes(const std::filesystem::path& path);

// Clears those marks again, e.g. before a record file is deleted (no-op here).
void SetNormalAttributes(const std::filesystem::path& path);

}  // namespace qm
