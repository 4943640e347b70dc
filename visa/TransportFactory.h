#pragma once
// Creates the transport of a resource: by backend name for a table entry,
// or straight from a TCPIP0::host::port::SOCKET descriptor or the descriptor
// of a meter on USB (usbtmc).
#include <cstddef>
#include <memory>

#include "visa/ResourceTable.h"
#include "visa/SimTransport.h"
#include "visa/Transport.h"

namespace qm::visa {

struct OpenContext {
    std::shared_ptr<SimDevicePool> simDevices;  // meters of the table the entry came from
    std::size_t entryIndex = 0;
    ViUInt32 timeoutMs = 2000;
};

// VI_ERROR_RSRC_NFOUND when the resource cannot be reached.
ViStatus openTransport(const ResourceEntry& entry, const OpenContext& context,
                       std::unique_ptr<Transport>& out);
ViStatus openSocketTransport(const ResourceName& name, ViUInt32 timeoutMs,
                             std::unique_ptr<Transport>& out);

}  // namespace qm::visa
