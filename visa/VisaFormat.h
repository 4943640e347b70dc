#pragma once
// The printf-style formatter behind viPrintf. The format is checked before
// vsnprintf sees it: only the plain C conversions are let through, never %n,
// and a length modifier must suit its conversion.
#include <cstdarg>
#include <cstddef>
#include <vector>

#include "visa/visa.h"

namespace qm::visa {

// VI_SUCCESS, VI_ERROR_INV_FMT (not a valid format) or VI_ERROR_NSUP_FMT
// (a conversion this layer does not offer).
ViStatus checkFormat(const char* format);

// Formats into `buffer` (grown as needed and kept for the next call, so a
// session's repeated writes do not allocate); `length` receives the byte
// count without the terminating NUL.
ViStatus formatInto(std::vector<char>& buffer, std::size_t& length, const char* format,
                    va_list args);

}  // namespace qm::visa
