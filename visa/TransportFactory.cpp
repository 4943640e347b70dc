#include "visa/TransportFactory.h"

#include <string_view>

#include "visa/TcpTransport.h"
#include "visa/UsbtmcTransport.h"

namespace qm::visa {

namespace {

ViStatus openSim(const ResourceEntry& entry, const OpenContext& context,
                 std::unique_ptr<Transport>& out) {
    if (!context.simDevices || context.simDevices->lost(context.entryIndex))
        return VI_ERROR_RSRC_NFOUND;
    std::shared_ptr<SimDevice> device = context.simDevices->device(context.entryIndex, entry.meter);
    if (!device) return VI_ERROR_RSRC_NFOUND;
    auto transport = std::make_unique<SimTransport>(std::move(device), context.simDevices->clock());
    transport->setTimeout(context.timeoutMs);
    out = std::move(transport);
    return VI_SUCCESS;
}

ViStatus openTcp(const ResourceEntry& entry, const OpenContext& context,
                 std::unique_ptr<Transport>& out) {
    std::unique_ptr<TcpTransport> tcp;
    const ViStatus status = TcpTransport::connect(entry.host, entry.port, context.timeoutMs, tcp);
    if (status == VI_SUCCESS) out = std::move(tcp);
    return status;
}

struct Backend {
    std::string_view name;
    ViStatus (*open)(const ResourceEntry&, const OpenContext&, std::unique_ptr<Transport>&);
};

// Meters on USB need no table entry: the usbtmc backend finds them itself.
constexpr Backend kBackends[] = {{"sim", openSim}, {"tcp", openTcp}};

}  // namespace

ViStatus openTransport(const ResourceEntry& entry, const OpenContext& context,
                       std::unique_ptr<Transport>& out) {
    for (const Backend& b : kBackends)
        if (b.name == entry.backend) return b.open(entry, context, out);
    return VI_ERROR_RSRC_NFOUND;
}

ViStatus openSocketTransport(const ResourceName& name, ViUInt32 timeoutMs,
                             std::unique_ptr<Transport>& out) {
    if (name.interfaceType == VI_INTF_USB) return UsbtmcTransport::open(name, timeoutMs, out);
    if (name.resourceClass != "SOCKET" || name.port == 0) return VI_ERROR_RSRC_NFOUND;
    std::unique_ptr<TcpTransport> tcp;
    const ViStatus status = TcpTransport::connect(name.host, name.port, timeoutMs, tcp);
    if (status == VI_SUCCESS) out = std::move(tcp);
    return status;
}

}  // namespace qm::visa
