#include "instrument/Discovery.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/AsciiCase.h"

namespace qm {

std::string UsbSearchPattern() { return "USB[0-9]::" + std::string(kUsbVendorId) + "::?*INSTR"; }
std::string GpibSearchPattern() { return "GPIB[0-9]?*INSTR"; }

ViUInt32 CountMatches(ViSession rm, const std::string& pattern) {
    ViUInt32 count = 0;
    ViFindList list = VI_NULL;
    char desc[VI_FIND_BUFLEN] = {};
    if (viFindRsrc(rm, pattern.c_str(), &list, &count, desc) < VI_SUCCESS) count = 0;
    if (list != VI_NULL) viClose(list);
    return count;
}

bool IsSupportedIdentity(std::string_view identity) {
    for (std::string_view model : {"TX41", "TX42"}) {
        const auto pos = identity.find(model);
        if (pos != std::string_view::npos && pos > 0) return true;
    }
    return false;
}

std::string BuildDeviceLabel(std::string_view identity, std::string_view descriptor) {
    std::string label;
    if (identity.empty()) {
        label = "Unknow Manufacture";
    } else {
        // The model field: after the first comma, up to the next. Meters put a
        // blank after each comma, so the label starts with that blank.
        const auto first = identity.find(',');
        if (first != std::string_view::npos) {
            const auto rest = identity.substr(first + 1);
            label = AsciiUpperCase(rest.substr(0, rest.find(',')));
        }
    }

    if (descriptor.find("USB") != std::string_view::npos) {
        const std::string upper = AsciiUpperCase(descriptor);
        label += "-USBTMC";
        // USB0::vendor::product::serial::INSTR: the serial number is the
        // fourth field, between the "::" at or after 14 and the next one at or after 22.
        std::string serial;
        const auto open = upper.find("::", 14);
        if (open != std::string::npos) {
            const auto start = open + 2;
            const auto close = upper.find("::", std::max<std::size_t>(22, start));
            if (close != std::string::npos && close >= start)
                serial = upper.substr(start, close - start);
        }
        label += "-" + serial;
    } else if (descriptor.find("GPIB") != std::string_view::npos) {
        label += "-GPIB";
        // The two characters after the first "::" are the primary address; a
        // one-digit address brings a colon along, which goes with the rest.
        const auto sep = descriptor.find("::");
        std::string address;
        if (sep != std::string_view::npos) address = std::string(descriptor.substr(sep + 2, 2));
        label += "-" + address;
    }
    label.erase(std::remove(label.begin(), label.end(), ':'), label.end());
    return label;
}

namespace {

// One bus's search, restarted as the discovery loop asks for its first descriptor.
ViStatus StartSearch(SessionTable& t, int bus, const std::string& pattern, char* desc) {
    if (t.m_findList[bus] != VI_NULL) {
        viClose(t.m_findList[bus]);
        t.m_findList[bus] = VI_NULL;
    }
    ViUInt32 count = 0;
    const ViStatus status = viFindRsrc(t.m_rm[bus], pattern.c_str(), &t.m_findList[bus], &count, desc);
    t.m_status = status;
    return status;
}

}  // namespace

DiscoveryResult DiscoverInstruments(SessionTable& t, const DiscoveryOptions& options) {
    DiscoveryResult result;
    t.m_slotCount = 0;
    t.m_rawCount = 0;

    for (int bus = 0; bus < 2; ++bus) {
        const ViStatus s = viOpenDefaultRM(&t.m_rm[bus]);
        if (s < VI_SUCCESS) {
            result.rmStatus = s;
            t.m_rm[bus] = VI_NULL;
        }
    }
    const std::string patterns[2] = {UsbSearchPattern(), GpibSearchPattern()};

    // Count the matches of both searches first.
    char desc[VI_FIND_BUFLEN] = {};
    for (int bus = 0; bus < 2; ++bus)
        t.m_findCount[bus] = t.m_rm[bus] == VI_NULL ? 0 : CountMatches(t.m_rm[bus], patterns[bus]);
    const ViUInt32 u = t.m_findCount[0];
    const ViUInt32 g = t.m_findCount[1];
    result.usbCount = u;
    result.gpibCount = g;
    // The tables hold eight instruments: more matches are neither opened nor kept.
    const ViUInt32 total = std::min<ViUInt32>(u + g, kMaxSessions);

    int bus = 0;
    for (ViUInt32 i = 0; i < total; ++i) {
        if (i == u) {
            bus = 1;
            if (StartSearch(t, 1, patterns[1], desc) < VI_SUCCESS) break;
        } else if (i == 0) {
            bus = 0;
            if (StartSearch(t, 0, patterns[0], desc) < VI_SUCCESS) break;
        }
        const std::string descriptor(desc, strnlen(desc, VI_FIND_BUFLEN));
        result.seen.push_back(descriptor);
        const bool skipped = options.skip && options.skip->count(descriptor) != 0;

        ViSession session = VI_NULL;
        if (!skipped) {
            t.m_status = viOpen(t.m_rm[bus], descriptor.c_str(), VI_NULL, VI_NULL, &session);
            if (t.m_status < VI_SUCCESS) session = VI_NULL;
            ++result.opened;
        }
        t.m_rawSession[i] = session;
        t.m_rawCount = static_cast<int>(i) + 1;
        if (session != VI_NULL) viSetAttribute(session, VI_ATTR_TMO_VALUE, options.timeoutMs);

        const std::string identity =
            session != VI_NULL
                ? t.QueryDiscoveryIndex(static_cast<int>(i), "*IDN?\n").answer
                : std::string();
        // One that could not be opened may open next time: it is not refused.
        if (session != VI_NULL && !IsSupportedIdentity(identity))
            result.refused.push_back(descriptor);
        if (IsSupportedIdentity(identity)) {
            const int slot = t.m_slotCount;
            DeviceSlot d;
            d.session = session;
            d.label = BuildDeviceLabel(identity, descriptor);
            d.descriptor = descriptor;
            d.identity = identity;
            d.rawIndex = static_cast<int>(i);
            t.m_slotSession[static_cast<std::size_t>(slot)] = session;
            t.m_slotToRaw[static_cast<std::size_t>(slot)] = static_cast<int>(i);
            t.m_slotCount = slot + 1;
            result.devices.push_back(std::move(d));
        }

        desc[0] = '\0';
        if (t.m_findList[bus] != VI_NULL && i + 1 < total && i + 1 != u) {
            if (viFindNext(t.m_findList[bus], desc) < VI_SUCCESS) desc[0] = '\0';
        }
    }
    return result;
}

bool AcceptableMeterAppeared(std::set<std::string>& refused, ViUInt32 probeTimeoutMs) {
    SessionTable look;  // closes what it opened when it goes
    const DiscoveryResult found = DiscoverInstruments(look, {probeTimeoutMs, &refused});
    // Forget what left the bus: whatever stands there next gets asked.
    std::set<std::string> still;
    for (const std::string& d : found.seen)
        if (refused.count(d)) still.insert(d);
    still.insert(found.refused.begin(), found.refused.end());
    refused.swap(still);
    return !found.devices.empty();
}

}  // namespace qm
