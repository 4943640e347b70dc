#pragma once
// The resource table: which descriptors exist and which backend serves each.
// INI-style text, one section per descriptor:
//
//   [USB0::0x1209::0x4101::SN000009::INSTR]
//   backend=sim          ; simulated meter: model (required), serial, identity,
//   model=TX42           ;   timeout, delay_ms, drop_after, garbage, long_answer,
//   serial=SN000009      ;   empty_identity, realtime, value, value2, noise, seed,
//                        ;   trigger_after_ms (external trigger pulse after INIT)
//
//   [USB0::0x1209::0x4101::SN000010::INSTR]
//   backend=tcp          ; host and port (both required)
//   host=127.0.0.1
//   port=5025
//
// Full-line comments start with ';' or '#', trailing comments with a ';' or
// '#' after white space. Any mistake rejects the whole table with a message
// "FILE:LINE: what is wrong".
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SimEndpoint.h"
#include "visa/ResourceName.h"

namespace qm::visa {

struct ResourceEntry {
    std::string descriptor;  // as written in the table
    ResourceName name;
    std::string backend;     // "sim" or "tcp"
    sim::MeterConfig meter;  // sim
    std::string host;        // tcp
    std::uint16_t port = 0;  // tcp
};

class ResourceTable {
  public:
    struct ParseResult;

    static ParseResult parse(std::string_view text, const std::string& name);
    static ParseResult load(const std::string& path);
    // The simulated set-up of --simulate.
    static const ResourceTable& builtinSimulated();

    const std::vector<ResourceEntry>& entries() const { return entries_; }
    // Case-insensitive, and insensitive to optional descriptor parts.
    const ResourceEntry* find(std::string_view descriptor) const;
    std::size_t indexOf(const ResourceEntry* entry) const {
        return static_cast<std::size_t>(entry - entries_.data());
    }

  private:
    friend class TableParser;
    std::vector<ResourceEntry> entries_;
};

struct ResourceTable::ParseResult {
    bool ok = false;
    std::string message;  // "FILE:LINE: ..." when !ok
    ResourceTable table;
};

}  // namespace qm::visa
