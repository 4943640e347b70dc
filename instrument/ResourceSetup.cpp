#include "instrument/ResourceSetup.h"

#include <cstdlib>

#ifndef QM_SYSTEM_VISA
#include "visa/visa_ext.h"
#endif

namespace qm {

ResourceSetupResult ConfigureResources(const ResourceOptions& options) {
    ResourceSetupResult result;
#ifdef QM_SYSTEM_VISA
    // A vendor VISA finds its own instruments; simulated meters are reached
    // through qm_sim's TCPIP0::host::port::SOCKET descriptors.
    if (options.simulate || !options.resourcesFile.empty()) {
        result.ok = false;
        result.message = "--simulate and --resources need the built-in VISA layer.";
    }
#else
    visa::TableLoadResult loaded;
    if (options.simulate) {
        loaded = visa::useBuiltinSimulatedTable();
    } else if (!options.resourcesFile.empty()) {
        loaded = visa::useResourceTableFile(options.resourcesFile);
    } else if (const char* env = std::getenv("QM_VISA_RESOURCES"); env && *env) {
        loaded = visa::useResourceTableFile(env);
    } else {
        visa::useEmptyResourceTable();
    }
    result.ok = loaded.ok;
    result.message = loaded.message;
#endif
    return result;
}

}  // namespace qm
