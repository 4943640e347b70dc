#pragma once
// Finding the meters: search USB (our vendor) and GPIB, open each resource,
// ask its identity, and keep the supported models as device slots.
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
};

std::string UsbSearchPattern();   // "USB[0-9]::0x1209::?*INSTR"
std::string GpibSearchPattern();  // "GPIB[0-9]?*INSTR"

// How many resources a search pattern matches on a resource manager, without
// opening any of them (0 when none or on error).
ViUInt32 CountMatches(ViSession rm, const std::string& pattern);
// Whether any meter of our searches (USB of our vendor, GPIB) is there now.
bool AnyMeterFindable();

// Both supported models name themselves after the maker field.
bool IsSupportedIdentity(std::string_view identity);

// The label rule: model field, bus, and serial number or GPIB address, without colons.
std::string BuildDeviceLabel(std::string_view identity, std::string_view descriptor);

// Runs the search on `sessions` (which it fills) and returns the accepted
// slots. The caller closes earlier sessions first (SessionTable::CloseAll).
DiscoveryResult DiscoverInstruments(SessionTable& sessions);

}  // namespace qm
