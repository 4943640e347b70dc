#include "visa/ResourceName.h"

#include <cctype>
#include <cstdio>
#include <vector>

#include "platform/AsciiCase.h"
#include "visa/visa.h"

namespace qm::visa {

namespace {

// Decimal, or hexadecimal with a 0x prefix; at most `max`.
bool parseNumber(std::string_view s, unsigned long max, unsigned long& value) {
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty() || s.size() > 8) return false;
    value = 0;
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        unsigned digit = 0;
        if (std::isdigit(c)) {
            digit = c - '0';
        } else if (base == 16 && std::isxdigit(c)) {
            digit = static_cast<unsigned>(std::tolower(c) - 'a' + 10);
        } else {
            return false;
        }
        value = value * static_cast<unsigned long>(base) + digit;
    }
    return value <= max;
}

std::vector<std::string_view> splitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find("::", start);
        if (at == std::string_view::npos) {
            fields.push_back(text.substr(start));
            return fields;
        }
        fields.push_back(text.substr(start, at - start));
        start = at + 2;
    }
}

struct Interface {
    const char* prefix;
    ViUInt16 type;
};
constexpr Interface kInterfaces[] = {
    {"USB", VI_INTF_USB}, {"GPIB", VI_INTF_GPIB}, {"TCPIP", VI_INTF_TCPIP}, {"ASRL", VI_INTF_ASRL}};

}  // namespace

std::optional<ResourceName> parseResourceName(std::string_view text) {
    if (text.empty() || text.size() >= VI_FIND_BUFLEN) return std::nullopt;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= ' ' || c >= 0x7f) return std::nullopt;
    }
    std::vector<std::string_view> fields = splitFields(text);
    for (std::string_view f : fields)
        if (f.empty() || f.find(':') != std::string_view::npos) return std::nullopt;

    // Interface prefix and board number ("GPIB" alone is board 0).
    std::string_view head = fields[0];
    std::size_t letters = 0;
    while (letters < head.size() && std::isalpha(static_cast<unsigned char>(head[letters])))
        ++letters;
    ResourceName name;
    std::string prefix = AsciiUpperCase(head.substr(0, letters));
    bool known = false;
    for (const Interface& i : kInterfaces) {
        if (prefix == i.prefix) {
            name.interfaceType = i.type;
            known = true;
        }
    }
    if (!known) return std::nullopt;
    unsigned long board = 0;
    const std::string_view digits = head.substr(letters);
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    if (!digits.empty() && !parseNumber(digits, 999, board)) return std::nullopt;
    const std::string start = prefix + std::to_string(board);

    const bool socket = fields.size() > 1 && EqualsIgnoringCase(fields.back(), "SOCKET");
    if (!socket && fields.size() > 1 && EqualsIgnoringCase(fields.back(), "INSTR")) fields.pop_back();
    name.resourceClass = socket ? "SOCKET" : "INSTR";
    char buf[64];
    unsigned long a = 0, b = 0;

    switch (name.interfaceType) {
        case VI_INTF_USB: {
            if (socket || fields.size() < 4 || fields.size() > 5) return std::nullopt;
            if (!parseNumber(fields[1], 0xFFFF, a) || !parseNumber(fields[2], 0xFFFF, b))
                return std::nullopt;
            std::snprintf(buf, sizeof buf, "::0x%04lX::0x%04lX::", a, b);
            name.canonical = start + buf + AsciiUpperCase(fields[3]);
            if (fields.size() == 5) {
                if (!parseNumber(fields[4], 255, a)) return std::nullopt;
                name.canonical += "::" + std::to_string(a);
            }
            name.canonical += "::INSTR";
            return name;
        }
        case VI_INTF_GPIB: {
            if (socket || fields.size() < 2 || fields.size() > 3) return std::nullopt;
            if (!parseNumber(fields[1], 30, a)) return std::nullopt;
            name.canonical = start + "::" + std::to_string(a);
            if (fields.size() == 3) {
                if (!parseNumber(fields[2], 31, b)) return std::nullopt;
                name.canonical += "::" + std::to_string(b);
            }
            name.canonical += "::INSTR";
            return name;
        }
        case VI_INTF_TCPIP: {
            if (fields.size() < 2) return std::nullopt;
            name.host = std::string(fields[1]);
            if (socket) {
                if (fields.size() != 4 || !parseNumber(fields[2], 65535, a) || a == 0)
                    return std::nullopt;
                name.port = static_cast<unsigned>(a);
                name.canonical =
                    start + "::" + AsciiUpperCase(name.host) + "::" + std::to_string(a) + "::SOCKET";
                return name;
            }
            if (fields.size() > 3) return std::nullopt;
            const std::string device = fields.size() == 3 ? AsciiUpperCase(fields[2]) : "INST0";
            name.canonical = start + "::" + AsciiUpperCase(name.host) + "::" + device + "::INSTR";
            return name;
        }
        default:  // ASRL
            if (socket || fields.size() != 1) return std::nullopt;
            name.canonical = start + "::INSTR";
            return name;
    }
}

}  // namespace qm::visa
