// LIBS: qm_linkhost_socket
// Request lines on the add-in host's socket: any bytes are refused or give a
// request whose names are short words of letters and digits.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/host/HostSocket.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

bool IsName(const std::string& s) {
    if (s.empty() || s.size() > 64) return false;
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const auto request = qm::linkhost::ParseHostRequest(line);
    const std::string command = qm::linkhost::ParseRequest(line);
    if (!request) {
        Check(command.empty());
        return 0;
    }
    Check(IsName(request->name));
    using Kind = qm::linkhost::HostRequest::Kind;
    if (request->kind == Kind::Command) {
        Check(command == request->name);
    } else {
        Check(command.empty());
        Check(IsName(request->control));
        Check(request->kind != Kind::Select || (request->row >= 1 && request->row <= 99999));
    }
    return 0;
}
