#pragma once
// The regular-expression language of viFindRsrc:
//   ?        any one character
//   *  +     zero or more / one or more of the preceding character or group
//   [list]   one character of the list (ranges a-z allowed), [^list] none of it
//   a|b      either side
//   (...)    grouping
//   \c       the special character c taken literally
// Matching ignores case and must cover the whole descriptor. The pattern is
// compiled to a small NFA program and run as a state-set simulation, so the
// work is bounded by pattern length times descriptor length whatever the
// pattern looks like.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::visa {

class ResourceExpression {
  public:
    // Longest pattern and deepest group nesting accepted; beyond them a
    // pattern is rejected as malformed rather than risking unbounded work.
    static constexpr std::size_t kMaxPatternLength = 4096;
    static constexpr int kMaxNesting = 64;

    // std::nullopt when the pattern is malformed: unbalanced parentheses or
    // brackets, a quantifier with nothing before it, an empty alternative,
    // an empty or reversed list, a trailing backslash. `error` (optional)
    // receives a short reason.
    static std::optional<ResourceExpression> parse(std::string_view pattern,
                                                   std::string* error = nullptr);

    bool matches(std::string_view candidate) const;

  private:
    using CharSet = std::array<std::uint64_t, 4>;
    enum class Op : std::uint8_t { Char, Split, Jump, Match };
    struct Inst {
        Op op;
        std::uint32_t x = 0;  // Char: set index; Split/Jump: first target
        std::uint32_t y = 0;  // Split: second target
    };

    friend class ExpressionCompiler;
    std::vector<CharSet> sets_;
    std::vector<Inst> program_;
};

}  // namespace qm::visa
