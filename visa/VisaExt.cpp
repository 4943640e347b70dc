// How the resource table and the simulation clock are chosen.
#include <cstdlib>

#include "visa/VisaState.h"
#include "visa/visa_ext.h"

namespace qm::visa {

namespace {

TableLoadResult installParsed(ResourceTable::ParseResult parsed) {
    if (!parsed.ok) return {false, parsed.message};  // the previous table stays in use
    VisaState& state = VisaState::instance();
    std::lock_guard lock(state.mutex);
    state.install(std::move(parsed.table));
    return {};
}

}  // namespace

TableLoadResult useBuiltinSimulatedTable() {
    return installParsed({true, {}, ResourceTable::builtinSimulated()});
}

TableLoadResult useResourceTableFile(const std::string& path) {
    return installParsed(ResourceTable::load(path));
}

TableLoadResult useResourceTableText(const std::string& text, const std::string& name) {
    return installParsed(ResourceTable::parse(text, name));
}

void useEmptyResourceTable() {
    installParsed({true, {}, ResourceTable{}});
}

TableLoadResult configureFromEnvironment() {
    const char* path = std::getenv("QM_VISA_RESOURCES");
    if (path && *path) {
        TableLoadResult result = useResourceTableFile(path);
        if (!result.ok) {
            // Mark the choice as made so that the failure is reported once.
            VisaState& state = VisaState::instance();
            std::lock_guard lock(state.mutex);
            state.tableChosen = true;
        }
        return result;
    }
    useEmptyResourceTable();
    return {};
}

void setSimulationClock(Clock& clock) {
    VisaState& state = VisaState::instance();
    std::lock_guard lock(state.mutex);
    state.simClock = &clock;
    // Meters already open keep their clock until their sessions close; the
    // next open starts a meter on the new one.
    state.simDevices = std::make_shared<SimDevicePool>(state.table.entries().size(), clock);
}

Clock& simulationClock() {
    VisaState& state = VisaState::instance();
    std::lock_guard lock(state.mutex);
    return *state.simClock;
}

qm::sim::SimEndpoint* simEndpointOf(ViSession session) {
    VisaState& state = VisaState::instance();
    std::lock_guard lock(state.mutex);
    const auto s = state.find<SessionObject>(session);
    return s ? s->endpoint : nullptr;
}

void resetForTests() {
    VisaState& state = VisaState::instance();
    std::unordered_map<ViObject, VisaObject> closing;
    {
        std::lock_guard lock(state.mutex);
        closing.swap(state.objects);
    }
    closing.clear();  // sessions go before the meters and the clock they use
    std::lock_guard lock(state.mutex);
    std::unique_ptr<ManualClock> oldClock = std::move(state.ownClock);
    state.ownClock = std::make_unique<ManualClock>();
    state.simClock = state.ownClock.get();
    state.install(ResourceTable{});
    state.tableChosen = false;
}

}  // namespace qm::visa
