#include "sim/ScpiParser.h"

#include <cctype>
#include <charconv>
#include <cstdio>

#include "platform/AsciiCase.h"

namespace qm::sim::scpi {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isAlpha(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::size_t shortLengthOf(std::string_view keyword) {
    std::size_t n = 0;
    while (n < keyword.size() && !(keyword[n] >= 'a' && keyword[n] <= 'z')) ++n;
    return n;
}

// Position just past a quoted string starting at s[0], or npos when it is
// not terminated. Doubled quotes stand for one quote character.
std::size_t skipString(std::string_view s) {
    const char q = s[0];
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] != q) continue;
        if (i + 1 < s.size() && s[i + 1] == q) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return std::string_view::npos;
}

// Length of the SCPI decimal numeric data at the start of s:
// [+|-] digits [. digits] [E [+|-] digits]; 0 when there is none.
std::size_t numberLength(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        std::size_t expDigits = 0;
        while (j < s.size() && isDigit(s[j])) ++j, ++expDigits;
        if (expDigits > 0) i = j;
    }
    return i;
}

double parseDecimal(std::string_view s) {
    const bool negative = s[0] == '-';
    if (s[0] == '+' || s[0] == '-') s.remove_prefix(1);
    double v = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    (void)ptr;
    // Out-of-range exponents saturate like a meter's input stage would.
    if (ec == std::errc::result_out_of_range) {
        std::size_t e = s.find_first_of("eE");
        v = (e != std::string_view::npos && e + 1 < s.size() && s[e + 1] == '-') ? 0 : 1e300;
    }
    return negative ? -v : v;
}

// Multiplier of a suffix unit such as "mV", "A", "KOHM", "n F".
bool suffixMultiplier(std::string_view suffix, double& multiplier) {
    std::string u;
    for (char c : suffix)
        if (!isBlank(c)) u.push_back(AsciiUpper(c));
    static constexpr std::string_view kUnits[] = {"OHM", "HZ", "V", "A", "S", "F"};
    for (std::string_view unit : kUnits) {
        if (u.size() < unit.size() || u.compare(u.size() - unit.size(), unit.size(), unit) != 0)
            continue;
        const std::string_view prefix = std::string_view(u).substr(0, u.size() - unit.size());
        const bool megaM = unit == "OHM" || unit == "HZ";  // MOHM and MHZ mean mega
        if (prefix.empty())
            multiplier = 1;
        else if (prefix == "G")
            multiplier = 1e9;
        else if (prefix == "MA")
            multiplier = 1e6;
        else if (prefix == "K")
            multiplier = 1e3;
        else if (prefix == "M")
            multiplier = megaM ? 1e6 : 1e-3;
        else if (prefix == "U")
            multiplier = 1e-6;
        else if (prefix == "N")
            multiplier = 1e-9;
        else if (prefix == "P")
            multiplier = 1e-12;
        else
            return false;
        return true;
    }
    return false;
}

int classifyParam(std::string_view text, Param& p) {
    p = Param{};
    if (text.empty()) return kSyntaxError;
    const char c = text[0];
    if (c == '"' || c == '\'') {
        if (skipString(text) != text.size()) return kInvalidStringData;
        p.kind = Param::Kind::String;
        p.quote = c;
        p.text = text.substr(1, text.size() - 2);
        return kNoError;
    }
    if (isDigit(c) || c == '+' || c == '-' || c == '.') {
        p.kind = Param::Kind::Number;
        p.text = text;
        const std::size_t len = numberLength(text);
        if (len == 0) return kNumericDataError;
        p.number = parseDecimal(text.substr(0, len));
        if (len < text.size()) {
            const char next = text[len];
            if (!isAlpha(next) && !isBlank(next)) return kNumericDataError;
            double multiplier = 1;
            if (!suffixMultiplier(text.substr(len), multiplier)) return kInvalidSuffix;
            p.number *= multiplier;
        }
        return kNoError;
    }
    if (isAlpha(c)) {
        for (char ch : text)
            if (!isAlpha(ch) && !isDigit(ch) && ch != '_') return kSyntaxError;
        p.kind = Param::Kind::Mnemonic;
        p.text = text;
        return kNoError;
    }
    return static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e
               ? kInvalidCharacter
               : kSyntaxError;
}

bool validToken(std::string_view t) {
    if (t.empty() || !isAlpha(t[0])) return false;
    for (char c : t)
        if (!isAlpha(c) && !isDigit(c) && c != '_') return false;
    return true;
}

}  // namespace

std::string_view errorText(int code) {
    switch (code) {
        case kNoError:
            return "No error";
        case kCommandError:
            return "Command error";
        case kInvalidCharacter:
            return "Invalid character";
        case kSyntaxError:
            return "Syntax error";
        case kInvalidSeparator:
            return "Invalid separator";
        case kDataTypeError:
            return "Data type error";
        case kParameterNotAllowed:
            return "Parameter not allowed";
        case kMissingParameter:
            return "Missing parameter";
        case kUndefinedHeader:
            return "Undefined header";
        case kNumericDataError:
            return "Numeric data error";
        case kInvalidSuffix:
            return "Invalid suffix";
        case kInvalidStringData:
            return "Invalid string data";
        case kTriggerIgnored:
            return "Trigger ignored";
        case kInitIgnored:
            return "Init ignored";
        case kTriggerDeadlock:
            return "Trigger deadlock";
        case kSettingsConflict:
            return "Settings conflict";
        case kDataOutOfRange:
            return "Data out of range";
        case kIllegalParameterValue:
            return "Illegal parameter value";
        case kDataStale:
            return "Data corrupt or stale";
        case kQueueOverflow:
            return "Queue overflow";
        case kQueryInterrupted:
            return "Query INTERRUPTED";
        default:
            return "Unknown error";
    }
}

MessageParser::Step MessageParser::next(Unit& out, int& error) {
    error = kNoError;
    while (!failed_) {
        std::size_t i = 0;
        while (i < rest_.size() && isBlank(rest_[i])) ++i;
        rest_.remove_prefix(i);
        if (rest_.empty()) return Step::End;

        // The unit ends at the first ';' outside a quoted string.
        std::size_t end = 0;
        while (end < rest_.size() && rest_[end] != ';') {
            if (rest_[end] == '"' || rest_[end] == '\'') {
                const std::size_t len = skipString(rest_.substr(end));
                if (len == std::string_view::npos) {
                    failed_ = true;
                    error = kInvalidStringData;
                    return Step::Error;
                }
                end += len;
            } else {
                ++end;
            }
        }
        const std::string_view text = trim(rest_.substr(0, end));
        rest_.remove_prefix(end < rest_.size() ? end + 1 : end);
        if (text.empty()) continue;  // ";;" and a trailing ';' are harmless

        std::size_t h = 0;
        while (h < text.size() && !isBlank(text[h])) ++h;
        out = Unit{};
        int code = parseHeader(text.substr(0, h), out);
        const std::string_view params = trim(text.substr(h));
        std::size_t pos = 0;
        while (code == kNoError && !params.empty() && pos <= params.size()) {
            std::size_t stop = pos;
            while (stop < params.size() && params[stop] != ',') {
                if (params[stop] == '"' || params[stop] == '\'') {
                    const std::size_t len = skipString(params.substr(stop));
                    if (len == std::string_view::npos) {
                        code = kInvalidStringData;
                        break;
                    }
                    stop += len;
                } else {
                    ++stop;
                }
            }
            if (code != kNoError) break;
            if (out.paramCount == kMaxParams) {
                code = kParameterNotAllowed;
                break;
            }
            code = classifyParam(trim(params.substr(pos, stop - pos)), out.params[out.paramCount]);
            ++out.paramCount;
            pos = stop + 1;
        }
        if (code != kNoError) {
            failed_ = true;
            error = code;
            return Step::Error;
        }
        return Step::Unit;
    }
    return Step::End;
}

int MessageParser::parseHeader(std::string_view header, Unit& out) {
    if (header.empty()) return kSyntaxError;
    for (char c : header)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e)
            return kInvalidCharacter;
    if (header.back() == '?') {
        out.query = true;
        header.remove_suffix(1);
    }
    if (!header.empty() && header[0] == '*') {
        header.remove_prefix(1);
        for (char c : header)
            if (!isAlpha(c)) return kSyntaxError;
        if (header.empty()) return kSyntaxError;
        out.common = true;
        out.nodes[0] = header;
        out.nodeCount = 1;
        return kNoError;  // common commands leave the path alone
    }
    bool root = false;
    if (!header.empty() && header[0] == ':') {
        root = true;
        header.remove_prefix(1);
    }
    if (root) pathCount_ = 0;
    int count = pathCount_;
    for (int k = 0; k < pathCount_; ++k) out.nodes[k] = path_[k];
    while (true) {
        const std::size_t colon = header.find(':');
        const std::string_view token = header.substr(0, colon);
        if (!validToken(token)) return kSyntaxError;
        if (count == kMaxHeaderNodes) return kUndefinedHeader;
        out.nodes[count++] = token;
        if (colon == std::string_view::npos) break;
        header.remove_prefix(colon + 1);
    }
    out.nodeCount = count;
    // The next unit continues at the level of this command's last node.
    pathCount_ = count - 1;
    for (int k = 0; k < pathCount_; ++k) path_[k] = out.nodes[k];
    return kNoError;
}

std::optional<HeaderPattern> HeaderPattern::compile(std::string_view text) {
    HeaderPattern p;
    p.text_.assign(text);
    std::string_view t = p.text_;
    if (!t.empty() && t[0] == '*') {
        p.common_ = true;
        if (t.size() < 2) return std::nullopt;
        for (char c : t.substr(1))
            if (!isAlpha(c)) return std::nullopt;
        p.nodes_.push_back(Node{1, static_cast<std::uint8_t>(t.size() - 1),
                                static_cast<std::uint8_t>(t.size() - 1), 1, false});
        return p;
    }
    bool inOptional = false;
    std::size_t i = 0;
    while (i < t.size()) {
        const char c = t[i];
        if (c == '[') {
            if (inOptional) return std::nullopt;
            inOptional = true;
            ++i;
        } else if (c == ']') {
            if (!inOptional) return std::nullopt;
            inOptional = false;
            ++i;
        } else if (c == ':') {
            ++i;
        } else if (isAlpha(c)) {
            const std::size_t start = i;
            while (i < t.size() && isAlpha(t[i])) ++i;
            Node n;
            n.offset = static_cast<std::uint16_t>(start);
            n.length = static_cast<std::uint8_t>(i - start);
            n.shortLength = static_cast<std::uint8_t>(shortLengthOf(t.substr(start, i - start)));
            if (n.shortLength == 0) return std::nullopt;
            n.optional = inOptional;
            if (i < t.size() && isDigit(t[i])) {
                unsigned suffix = 0;
                while (i < t.size() && isDigit(t[i])) suffix = suffix * 10 + (t[i++] - '0');
                n.suffix = static_cast<std::uint16_t>(suffix);
            }
            p.nodes_.push_back(n);
        } else {
            return std::nullopt;
        }
    }
    if (inOptional || p.nodes_.empty()) return std::nullopt;
    return p;
}

bool HeaderPattern::nodeMatches(const Node& node, std::string_view token) const {
    std::size_t alphaEnd = token.size();
    while (alphaEnd > 0 && isDigit(token[alphaEnd - 1])) --alphaEnd;
    unsigned suffix = 1;
    if (alphaEnd < token.size()) {
        if (token.size() - alphaEnd > 4) return false;
        suffix = 0;
        for (std::size_t i = alphaEnd; i < token.size(); ++i)
            suffix = suffix * 10 + (token[i] - '0');
    }
    if (suffix != node.suffix) return false;
    const std::string_view word = token.substr(0, alphaEnd);
    const std::string_view keyword = std::string_view(text_).substr(node.offset, node.length);
    return EqualsIgnoringCase(word, keyword) || EqualsIgnoringCase(word, keyword.substr(0, node.shortLength));
}

bool HeaderPattern::matchFrom(std::size_t node, const std::string_view* tokens, int count) const {
    if (node == nodes_.size()) return count == 0;
    const Node& n = nodes_[node];
    if (count > 0 && nodeMatches(n, tokens[0]) && matchFrom(node + 1, tokens + 1, count - 1))
        return true;
    return n.optional && matchFrom(node + 1, tokens, count);
}

bool HeaderPattern::matches(const Unit& unit) const {
    if (unit.common != common_) return false;
    if (common_)
        return unit.nodeCount == 1 &&
               EqualsIgnoringCase(unit.nodes[0], std::string_view(text_).substr(1));
    return matchFrom(0, unit.nodes.data(), unit.nodeCount);
}

bool HeaderPattern::matchesPath(std::string_view path) const {
    if (common_) return false;
    path = trim(path);
    if (!path.empty() && path[0] == ':') path.remove_prefix(1);
    std::array<std::string_view, kMaxHeaderNodes> tokens{};
    int count = 0;
    while (true) {
        const std::size_t colon = path.find(':');
        const std::string_view token = path.substr(0, colon);
        if (!validToken(token) || count == kMaxHeaderNodes) return false;
        tokens[count++] = token;
        if (colon == std::string_view::npos) break;
        path.remove_prefix(colon + 1);
    }
    return matchFrom(0, tokens.data(), count);
}

bool keywordMatches(std::string_view keyword, std::string_view word) {
    return EqualsIgnoringCase(word, keyword) ||
           EqualsIgnoringCase(word, keyword.substr(0, shortLengthOf(keyword)));
}

std::optional<Numeric> toNumeric(const Param& p, int& error) {
    if (p.kind == Param::Kind::Number) return Numeric{Numeric::Kind::Value, p.number};
    if (p.kind == Param::Kind::Mnemonic) {
        if (keywordMatches("MINimum", p.text)) return Numeric{Numeric::Kind::Min, 0};
        if (keywordMatches("MAXimum", p.text)) return Numeric{Numeric::Kind::Max, 0};
        if (keywordMatches("DEFault", p.text)) return Numeric{Numeric::Kind::Def, 0};
        error = kIllegalParameterValue;
        return std::nullopt;
    }
    error = kDataTypeError;
    return std::nullopt;
}

std::optional<bool> toBool(const Param& p, int& error) {
    if (p.kind == Param::Kind::Number) return p.number >= 0.5 || p.number <= -0.5;
    if (p.kind == Param::Kind::Mnemonic) {
        if (EqualsIgnoringCase(p.text, "ON")) return true;
        if (EqualsIgnoringCase(p.text, "OFF")) return false;
        error = kIllegalParameterValue;
        return std::nullopt;
    }
    error = kDataTypeError;
    return std::nullopt;
}

std::optional<std::string> toText(const Param& p) {
    if (p.kind == Param::Kind::Number) return std::nullopt;
    std::string s;
    s.reserve(p.text.size());
    for (std::size_t i = 0; i < p.text.size(); ++i) {
        s.push_back(AsciiUpper(p.text[i]));
        if (p.quote && p.text[i] == p.quote) ++i;  // a doubled quote stands for one
    }
    return s;
}

void appendNumber(std::string& out, double value) {
    char buf[40];
    const int n = std::snprintf(buf, sizeof buf, "%+.8E", value);
    if (n > 0) out.append(buf, static_cast<std::size_t>(n < 40 ? n : 39));
}

}  // namespace qm::sim::scpi
