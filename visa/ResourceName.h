#pragma once
// Resource descriptors ("USB0::0x1209::0x4101::SN000001::INSTR",
// "GPIB0::7::INSTR", "TCPIP0::127.0.0.1::5025::SOCKET"): syntax check,
// interface type, and a canonical form under which two spellings of the same
// resource compare equal (case, board 0 left out, "::INSTR" left out, USB
// ids written in decimal or hexadecimal).
#include <optional>
#include <string>
#include <string_view>

#include "visa/visatype.h"

namespace qm::visa {

struct ResourceName {
    ViUInt16 interfaceType = 0;  // VI_INTF_USB, VI_INTF_GPIB, VI_INTF_TCPIP, VI_INTF_ASRL
    std::string resourceClass;   // "INSTR" or "SOCKET"
    std::string host;            // TCPIP only
    unsigned port = 0;           // TCPIP SOCKET only
    std::string canonical;       // upper case, every optional part spelled out
};

std::optional<ResourceName> parseResourceName(std::string_view text);

}  // namespace qm::visa
