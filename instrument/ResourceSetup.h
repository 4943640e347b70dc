#pragma once
// Which instruments a program sees: the built-in simulated meters
// (--simulate), a resource table file (--resources FILE), or the table named
// by $QM_VISA_RESOURCES. QM_TOOL and qmcli make the same choice here.
#include <string>

namespace qm {

struct ResourceOptions {
    bool simulate = false;
    std::string resourcesFile;  // empty: none given
};

struct ResourceSetupResult {
    bool ok = true;
    std::string message;  // names the file and line when a table is malformed
};

ResourceSetupResult ConfigureResources(const ResourceOptions& options);

}  // namespace qm
