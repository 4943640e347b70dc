#include "visa/ResourceTable.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <iterator>
#include <optional>
#include <unordered_map>

#include "platform/AsciiCase.h"
#include "platform/RegularFile.h"

namespace qm::visa {

namespace {

// The meters of --simulate. USB vendor 0x1209 is the system's vendor id; the
// GPIB meter at address 7 belongs to another maker and is never accepted by
// discovery.
constexpr std::string_view kBuiltinTable = R"(
[USB0::0x1209::0x4101::SN000001::INSTR]
backend=sim
model=TX42
serial=SN000001
identity=Varnet, TX42, SN000001, V1.00

[USB0::0x1209::0x4101::SN000002::INSTR]
backend=sim
model=TX41
serial=SN000002
identity=Varnet, Model TX41, SN000002, V1.00

[USB0::0x1209::0x4102::SN000003::INSTR]
backend=sim
model=QMTX42
serial=SN000003
identity=Varnet, QMTX42, SN000003, V1.00

[GPIB0::7::INSTR]
backend=sim
model=TX42
serial=0
identity=Othermaker, DM3000, 0, 1.0

[GPIB0::12::INSTR]
backend=sim
model=TX42
serial=SN000004
identity=Varnet, TX42, SN000004, V1.00
)";

constexpr std::size_t kMaxTableBytes = 1 << 20;

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// A ';' or '#' after white space starts a comment; one inside a word does not.
std::string_view stripTrailingComment(std::string_view s) {
    for (std::size_t i = 1; i < s.size(); ++i)
        if ((s[i] == ';' || s[i] == '#') && (s[i - 1] == ' ' || s[i - 1] == '\t'))
            return s.substr(0, i);
    return s;
}

template <typename T>
bool parseInteger(std::string_view s, T& out) {
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size();
}

bool parseDouble(std::string_view s, double& out) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size() && std::isfinite(out);
}

bool parseFlag(std::string_view s, bool& out) {
    const std::string v = AsciiLowerCase(s);
    if (v == "1" || v == "true" || v == "yes" || v == "on") {
        out = true;
        return true;
    }
    if (v == "0" || v == "false" || v == "no" || v == "off") {
        out = false;
        return true;
    }
    return false;
}

struct KeyLine {
    std::string key;
    std::string value;
    int line = 0;
};

}  // namespace

class TableParser {
  public:
    TableParser(std::string name, ResourceTable& table) : name_(std::move(name)), table_(table) {}

    bool run(std::string_view text) {
        if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        int lineNo = 0;
        std::size_t pos = 0;
        while (true) {
            const std::size_t nl = text.find('\n', pos);
            std::string_view line =
                text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (!handleLine(trim(line), ++lineNo)) return false;
            if (nl == std::string_view::npos) break;
            pos = nl + 1;
        }
        return finishSection();
    }

    const std::string& message() const { return message_; }

  private:
    bool fail(int line, const std::string& what) {
        message_ = name_ + ":" + std::to_string(line) + ": " + what;
        return false;
    }

    bool handleLine(std::string_view line, int lineNo) {
        if (line.empty() || line.front() == ';' || line.front() == '#') return true;
        line = trim(stripTrailingComment(line));
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3)
                return fail(lineNo, "malformed section header");
            if (!finishSection()) return false;
            return startSection(trim(line.substr(1, line.size() - 2)), lineNo);
        }
        const std::size_t eq = line.find('=');
        if (!inSection_) return fail(lineNo, "line outside a section");
        if (eq == std::string_view::npos) return fail(lineNo, "expected key=value");
        const std::string key = AsciiLowerCase(trim(line.substr(0, eq)));
        if (key.empty()) return fail(lineNo, "missing key before '='");
        // A hash per section: a table of many keys costs time in proportion to its size.
        const auto [first, added] = keyLines_.emplace(key, lineNo);
        if (!added)
            return fail(lineNo, "duplicate key \"" + key + "\" (first at line " +
                                    std::to_string(first->second) + ")");
        keys_.push_back({key, std::string(trim(line.substr(eq + 1))), lineNo});
        return true;
    }

    bool startSection(std::string_view descriptor, int lineNo) {
        const std::optional<ResourceName> name = parseResourceName(descriptor);
        if (!name)
            return fail(lineNo, "not a resource descriptor: [" + std::string(descriptor) + "]");
        const auto [first, added] = sectionLines_.emplace(name->canonical, lineNo);
        if (!added)
            return fail(lineNo, "duplicate section [" + std::string(descriptor) +
                                    "] (first at line " + std::to_string(first->second) + ")");
        inSection_ = true;
        sectionLine_ = lineNo;
        keys_.clear();
        keyLines_.clear();
        current_ = ResourceEntry{};
        current_.descriptor = std::string(descriptor);
        current_.name = *name;
        return true;
    }

    bool finishSection() {
        if (!inSection_) return true;
        inSection_ = false;
        const KeyLine* backend = nullptr;
        for (const KeyLine& k : keys_)
            if (k.key == "backend") backend = &k;
        if (!backend) return fail(sectionLine_, "missing backend");
        current_.backend = AsciiLowerCase(backend->value);
        bool ok = false;
        if (current_.backend == "sim") {
            ok = applySimKeys();
        } else if (current_.backend == "tcp") {
            ok = applyTcpKeys();
        } else {
            return fail(backend->line,
                        "unknown backend \"" + backend->value + "\" (expected sim or tcp)");
        }
        if (!ok) return false;
        table_.entries_.push_back(std::move(current_));
        return true;
    }

    bool badValue(const KeyLine& k) {
        return fail(k.line, "bad value for " + k.key + ": \"" + k.value + "\"");
    }
    bool unknownKey(const KeyLine& k) {
        return fail(k.line, "unknown key \"" + k.key + "\" for backend " + current_.backend);
    }

    bool applySimKeys() {
        sim::MeterConfig& m = current_.meter;
        sim::Faults& f = m.faults;
        bool haveModel = false;
        for (const KeyLine& k : keys_) {
            const std::string_view v = k.value;
            int delay = 0;
            double number = 0;
            bool ok = true;
            if (k.key == "backend") {
                continue;
            } else if (k.key == "model") {
                std::string model(v);
                for (char& c : model)
                    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                if (model != "TX41" && model != "TX42" && model != "QMTX42")
                    return fail(k.line, "unknown model \"" + k.value +
                                            "\" (expected TX41, TX42 or QMTX42)");
                m.model = model;
                haveModel = true;
            } else if (k.key == "serial") {
                m.serial = k.value;
            } else if (k.key == "identity") {
                m.identity = k.value;
            } else if (k.key == "timeout") {
                ok = parseFlag(v, f.noAnswer);
            } else if (k.key == "delay_ms") {
                ok = parseInteger(v, delay) && delay >= 0;
                f.answerDelay = std::chrono::milliseconds(delay);
            } else if (k.key == "drop_after") {
                ok = parseInteger(v, f.dropAfterMessages) && f.dropAfterMessages >= -1;
            } else if (k.key == "garbage") {
                ok = parseFlag(v, f.garbage);
            } else if (k.key == "long_answer") {
                ok = parseFlag(v, f.longAnswer);
            } else if (k.key == "empty_identity") {
                ok = parseFlag(v, f.emptyIdentity);
            } else if (k.key == "realtime") {
                ok = parseFlag(v, f.realTime);
            } else if (k.key == "trigger_after_ms") {
                ok = parseInteger(v, delay) && delay >= 0;
                m.triggerAfter = std::chrono::milliseconds(delay);
            } else if (k.key == "value") {
                ok = parseDouble(v, number);
                m.value = number;
            } else if (k.key == "value2") {
                ok = parseDouble(v, number);
                m.value2 = number;
            } else if (k.key == "noise") {
                ok = parseDouble(v, m.noise);
            } else if (k.key == "seed") {
                ok = !v.empty() && v.front() != '-' && parseInteger(v, m.seed);
            } else {
                return unknownKey(k);
            }
            if (!ok) return badValue(k);
        }
        if (!haveModel) return fail(sectionLine_, "missing model");
        return true;
    }

    bool applyTcpKeys() {
        bool haveHost = false, havePort = false;
        for (const KeyLine& k : keys_) {
            if (k.key == "backend") continue;
            if (k.key == "host") {
                if (k.value.empty()) return badValue(k);
                current_.host = k.value;
                haveHost = true;
            } else if (k.key == "port") {
                unsigned port = 0;
                if (!parseInteger(std::string_view(k.value), port) || port == 0 || port > 65535)
                    return badValue(k);
                current_.port = static_cast<std::uint16_t>(port);
                havePort = true;
            } else {
                return unknownKey(k);
            }
        }
        if (!haveHost) return fail(sectionLine_, "missing host");
        if (!havePort) return fail(sectionLine_, "missing port");
        return true;
    }

    std::string name_;
    ResourceTable& table_;
    std::string message_;
    bool inSection_ = false;
    int sectionLine_ = 0;
    ResourceEntry current_;
    std::vector<KeyLine> keys_;
    std::unordered_map<std::string, int> keyLines_;      // key -> its line, this section
    std::unordered_map<std::string, int> sectionLines_;  // canonical descriptor -> header line
};

ResourceTable::ParseResult ResourceTable::parse(std::string_view text, const std::string& name) {
    ParseResult result;
    TableParser parser(name, result.table);
    result.ok = parser.run(text);
    if (!result.ok) {
        result.message = parser.message();
        result.table = ResourceTable{};
    }
    return result;
}

ResourceTable::ParseResult ResourceTable::load(const std::string& path) {
    std::string text;
    const FileRead read = ReadRegularFile(path, kMaxTableBytes, text);
    if (read.status == FileReadStatus::TooLarge)
        return {false, path + ": resource table too large (over 1 MiB)", {}};
    if (!read.ok()) return {false, path + ": cannot read the resource table: " +
                                       DescribeFileRead(read), {}};
    return parse(text, path);
}

const ResourceTable& ResourceTable::builtinSimulated() {
    static const ResourceTable table = parse(kBuiltinTable, "<built-in>").table;
    return table;
}

const ResourceEntry* ResourceTable::find(std::string_view descriptor) const {
    const std::optional<ResourceName> name = parseResourceName(descriptor);
    if (!name) return nullptr;
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const ResourceEntry& e) {
        return e.name.canonical == name->canonical;
    });
    return it == entries_.end() ? nullptr : &*it;
}

}  // namespace qm::visa
