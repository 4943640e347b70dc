#pragma once
// Finding the meters: search USB (our vendor) and GPIB, open each resource,
// ask its identity, and keep the supported models as device slots.
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "instrument/SessionTable.h"

namespace qm {

// The system's USB vendor ID, as it appears in resource descriptors.
inline constexpr std::string_view kUsbVendorId = "0x1209";

struct DeviceSlot {
    ViSession session = VI_NULL;
    std::string label;       // BuildDeviceLabel(identity, descriptor)
    std::string descriptor;  // VISA resource string
    std::string identity;    // *IDN? answer, quotes removed, trailing space trimmed
    int rawIndex = 0;        // position in discovery order
};

struct DiscoveryResult {
    std::vector<DeviceSlot> devices;  // accepted instruments, in list order
    ViUInt32 usbCount = 0;
    ViUInt32 gpibCount = 0;
    int opened = 0;                 // resources opened (accepted or not)
    ViStatus rmStatus = VI_SUCCESS; // status of opening the resource managers
    std::vector<std::string> seen;     // every descriptor within the eight, in discovery order
    std::vector<std::string> refused;  // opened, asked and not accepted (another maker, silent)
};

struct DiscoveryOptions {
    ViUInt32 timeoutMs = kSessionTimeoutMs;  // session timeout, and so the wait for *IDN?
    // Resources known not to be meters: they keep their discovery index but
    // are neither opened nor asked again.
    const std::set<std::string>* skip = nullptr;
};

std::string UsbSearchPattern();   // "USB[0-9]::0x1209::?*INSTR"
std::string GpibSearchPattern();  // "GPIB[0-9]?*INSTR"

// How many resources a search pattern matches on a resource manager, without
// opening any of them (0 when none or on error).
ViUInt32 CountMatches(ViSession rm, const std::string& pattern);

// Both supported models name themselves after the maker field.
bool IsSupportedIdentity(std::string_view identity);

// The label rule: model field, bus, and serial number or GPIB address, without colons.
std::string BuildDeviceLabel(std::string_view identity, std::string_view descriptor);

// Runs the search on `sessions` (which it fills) and returns the accepted
// slots. The caller closes earlier sessions first (SessionTable::CloseAll).
DiscoveryResult DiscoverInstruments(SessionTable& sessions, const DiscoveryOptions& options = {});

// How long the connection guard waits for the *IDN? of a resource it has
// not seen before; a meter answers in milliseconds.
inline constexpr ViUInt32 kGuardProbeTimeoutMs = 2000;

// The connection guard's look at the bus after a discovery that found no
// meter: whether discovery would accept one now. `refused` holds the
// resources known not to be meters (from that discovery); resources asked
// here and refused join it and resources gone from the bus leave it, so
// another maker's instrument is asked once, not at every look. Sessions
// opened for the look are closed again.
bool AcceptableMeterAppeared(std::set<std::string>& refused,
                             ViUInt32 probeTimeoutMs = kGuardProbeTimeoutMs);

}  // namespace qm
