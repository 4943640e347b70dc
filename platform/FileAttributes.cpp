#include "platform/FileAttributes.h"

namespace qm {

void SetHiddenSystemAttributes(const std::filesystem::path&) {}

void SetNormalAttributes(const std::filesystem::path&) {}

}  // namespace qm
