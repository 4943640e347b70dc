#pragma once
// SCPI program messages as a meter parses them: units split at ';' with
// path continuation, headers matched against patterns with long and short
// keyword forms, optional nodes and numeric suffixes, and the parameter
// types (numbers, MIN/MAX/DEF, booleans, character data, quoted strings).
// The message parser works on views of the message and does not allocate.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::sim::scpi {

inline constexpr int kMaxHeaderNodes = 16;
inline constexpr int kMaxParams = 8;

// SCPI error numbers the parser and the meter report.
enum ErrorCode : int {
    kNoError = 0,
    kCommandError = -100,
    kInvalidCharacter = -101,
    kSyntaxError = -102,
    kInvalidSeparator = -103,
    kDataTypeError = -104,
    kParameterNotAllowed = -108,
    kMissingParameter = -109,
    kUndefinedHeader = -113,
    kNumericDataError = -120,
    kInvalidSuffix = -131,
    kInvalidStringData = -151,
    kTriggerIgnored = -211,
    kInitIgnored = -213,
    kTriggerDeadlock = -214,
    kSettingsConflict = -221,
    kDataOutOfRange = -222,
    kIllegalParameterValue = -224,
    kDataStale = -230,
    kQueueOverflow = -350,
    kQueryInterrupted = -410,
};

// The standard text of an error number ("Undefined header").
std::string_view errorText(int code);

struct Param {
    enum class Kind : std::uint8_t { Number, Mnemonic, String };
    Kind kind = Kind::Mnemonic;
    std::string_view text;  // as written; for strings the part inside the quotes
    char quote = 0;         // the quote character of a string
    double number = 0;      // value of a Number
};

// One program message unit with its header resolved against the path of
// the previous unit.
struct Unit {
    bool common = false;  // *IDN?, *RST ...
    bool query = false;
    std::array<std::string_view, kMaxHeaderNodes> nodes{};
    int nodeCount = 0;
    std::array<Param, kMaxParams> params{};
    int paramCount = 0;
};

// Walks the units of one program message (without its terminator).
class MessageParser {
  public:
    explicit MessageParser(std::string_view message) : rest_(message) {}
    enum class Step { Unit, Error, End };
    // Unit: `out` holds the next unit. Error: `error` holds the SCPI error;
    // the rest of the message is abandoned, as a meter does after a
    // command error. End: nothing left.
    Step next(Unit& out, int& error);

  private:
    int parseHeader(std::string_view header, Unit& out);
    std::string_view rest_;
    std::array<std::string_view, kMaxHeaderNodes> path_{};
    int pathCount_ = 0;
    bool failed_ = false;
};

// A header pattern such as "[SENSe:]VOLTage[:DC]:RANGe[:UPPer]",
// "[SENSe:]FUNCtion2" or "*IDN". Upper-case letters of a keyword are its
// short form; a trailing number is a required numeric suffix (default 1).
class HeaderPattern {
  public:
    // nullopt when the text is not a well-formed pattern.
    static std::optional<HeaderPattern> compile(std::string_view text);
    bool matches(const Unit& unit) const;
    // Matches a ':'-separated mnemonic list, as written inside a string
    // parameter ("VOLT:AC", "FREQ:CURR").
    bool matchesPath(std::string_view path) const;
    bool common() const { return common_; }
    const std::string& text() const { return text_; }

  private:
    struct Node {
        std::uint16_t offset = 0;  // keyword letters within text_
        std::uint8_t length = 0;
        std::uint8_t shortLength = 0;
        std::uint16_t suffix = 1;
        bool optional = false;
    };
    bool matchFrom(std::size_t node, const std::string_view* tokens, int count) const;
    bool nodeMatches(const Node& node, std::string_view token) const;
    std::string text_;
    std::vector<Node> nodes_;
    bool common_ = false;
};

// True when `word` is the short or long form of `keyword` ("IMM",
// "immediate" for "IMMediate"), case-insensitive.
bool keywordMatches(std::string_view keyword, std::string_view word);

// Numeric parameter with the SCPI special values.
struct Numeric {
    enum class Kind { Value, Min, Max, Def } kind = Kind::Value;
    double value = 0;
};
// nullopt (with `error` set) when the parameter is no number nor MIN/MAX/DEF.
std::optional<Numeric> toNumeric(const Param& p, int& error);
// ON/OFF/1/0 (any number: non-zero is on).
std::optional<bool> toBool(const Param& p, int& error);
// The text of a string or character-data parameter, upper-cased, with
// doubled quotes undone; nullopt for numbers.
std::optional<std::string> toText(const Param& p);

// "%+.8E": the number format of the meters' answers.
void appendNumber(std::string& out, double value);

}  // namespace qm::sim::scpi
