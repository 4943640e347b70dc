#include "app/DeviceSettingsLink.h"

#include "app/MeterTool.h"

namespace qm {

DeviceSettingsLink DeviceSettingsLinkFor(MeterTool& tool) {
    DeviceSettingsLink link;
    link.devices = [&tool] {
        std::vector<PageDevice> devices;
        for (const DeviceSlot& slot : tool.devices()) devices.push_back({slot.label, slot.identity});
        return devices;
    };
    link.exchange = [&tool](int slot, const std::string& command) {
        return tool.sessions().QueryEx(slot, command, QueryVariant::DeviceSettings);
    };
    link.setAutoRange = [&tool](int slot, bool on) { tool.function().SetAutoRange(slot, on); };
    return link;
}

}  // namespace qm
