// LIBS: qm_visa
// Whole resource-table files from outside: any bytes are either a table
// whose every entry can be found again under its own and its canonical
// descriptor, or a refusal that names the file and a line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#ifndef QM_SYSTEM_VISA  // a vendor VISA has no table of ours
#include "visa/ResourceTable.h"
#endif

namespace {

[[maybe_unused]] void Check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
#ifndef QM_SYSTEM_VISA
    using qm::visa::ResourceTable;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ResourceTable::ParseResult r = ResourceTable::parse(text, "fuzz.ini");
    if (!r.ok) {
        Check(r.message.rfind("fuzz.ini:", 0) == 0);
        Check(r.table.entries().empty());
        return 0;
    }
    for (const qm::visa::ResourceEntry& e : r.table.entries()) {
        Check(e.backend == "sim" || e.backend == "tcp");
        Check(r.table.find(e.descriptor) == &e);
        Check(r.table.find(e.name.canonical) == &e);
        // The canonical form is a fixed point: parsed again, it is itself.
        const auto again = qm::visa::parseResourceName(e.name.canonical);
        Check(again && again->canonical == e.name.canonical);
        if (e.backend == "tcp") Check(!e.host.empty() && e.port != 0);
        if (e.backend == "sim") Check(!e.meter.model.empty());
    }
#else
    (void)data;
    (void)size;
#endif
    return 0;
}
