#pragma once
// The state behind the VISA functions: the chosen resource table, the
// simulation clock, and every open object (resource managers, sessions,
// find lists) by handle. One mutex guards the table of objects; each session
// has its own lock for its transfers, so a slow instrument never holds up
// another session.
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "platform/Clock.h"
#include "visa/ResourceTable.h"
#include "visa/SimTransport.h"
#include "visa/Transport.h"
#include "visa/visa_ext.h"

namespace qm::visa {

constexpr ViUInt32 kDefaultTimeoutMs = 2000;

struct ManagerObject {
    ViUInt32 timeoutMs = kDefaultTimeoutMs;
};

struct SessionObject {
    ViSession manager = VI_NULL;
    std::string name;  // VI_ATTR_RSRC_NAME
    ResourceName parsed;
    std::mutex io;  // guards everything below
    ViUInt32 timeoutMs = kDefaultTimeoutMs;
    std::unique_ptr<Transport> transport;
    sim::SimEndpoint* endpoint = nullptr;  // sim backend only
    bool lost = false;                     // once lost, every transfer fails
    std::vector<char> format;              // viPrintf output, reused
};

struct FindListObject {
    ViSession manager = VI_NULL;
    std::vector<std::string> matches;
    std::size_t next = 1;  // the first match went out with viFindRsrc
};

using VisaObject = std::variant<std::shared_ptr<ManagerObject>, std::shared_ptr<SessionObject>,
                                std::shared_ptr<FindListObject>>;

class VisaState {
  public:
    static VisaState& instance();

    std::mutex mutex;  // guards every member below

    ResourceTable table;
    std::shared_ptr<SimDevicePool> simDevices;
    bool tableChosen = false;

    std::unique_ptr<ManualClock> ownClock;
    Clock* simClock = nullptr;

    std::unordered_map<ViObject, VisaObject> objects;

    // A fresh handle, never VI_NULL and never one in use.
    ViObject newHandle();
    template <typename T>
    std::shared_ptr<T> find(ViObject handle) {
        const auto it = objects.find(handle);
        if (it == objects.end()) return nullptr;
        const auto* p = std::get_if<std::shared_ptr<T>>(&it->second);
        return p ? *p : nullptr;
    }

    // Installs a table; its simulated meters start afresh on the current clock.
    void install(ResourceTable newTable);

  private:
    VisaState();
    ViObject nextHandle_ = 1;
};

}  // namespace qm::visa
