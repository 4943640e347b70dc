#include "visa/ResourceExpression.h"

#include <cctype>

namespace qm::visa {

namespace {

enum class Kind : std::uint8_t { Set, Concat, Alt, Star, Plus };

struct Node {
    Kind kind;
    std::uint32_t set = 0;
    std::vector<std::uint32_t> kids;
};

bool isQuantifier(unsigned char c) {
    return c == '*' || c == '+';
}

}  // namespace

// Recursive-descent parser building a small tree, then a Thompson-style
// compiler turning the tree into the NFA program of ResourceExpression.
class ExpressionCompiler {
  public:
    ExpressionCompiler(std::string_view text, ResourceExpression& out) : text_(text), out_(out) {}

    bool run(std::string* error) {
        if (text_.size() > ResourceExpression::kMaxPatternLength) fail("pattern too long");
        if (text_.empty()) fail("empty pattern");
        if (!error_.empty()) return report(error);
        std::uint32_t root = 0;
        if (!parseAlternation(0, root)) return report(error);
        if (pos_ != text_.size()) {
            fail(text_[pos_] == ')' ? "unbalanced ')'" : "unexpected character");
            return report(error);
        }
        emit(root);
        out_.program_.push_back({ResourceExpression::Op::Match});
        return true;
    }

  private:
    bool report(std::string* error) const {
        if (error) *error = error_;
        return false;
    }
    bool fail(const char* why) {
        if (error_.empty()) error_ = why;
        return false;
    }
    bool atEnd() const { return pos_ >= text_.size(); }
    unsigned char peek() const { return static_cast<unsigned char>(text_[pos_]); }

    std::uint32_t addNode(Kind kind) {
        nodes_.push_back({kind, 0, {}});
        return static_cast<std::uint32_t>(nodes_.size() - 1);
    }

    std::uint32_t addSet(const ResourceExpression::CharSet& set) {
        out_.sets_.push_back(set);
        return static_cast<std::uint32_t>(out_.sets_.size() - 1);
    }

    static void setBit(ResourceExpression::CharSet& set, unsigned char c) {
        set[c >> 6] |= std::uint64_t{1} << (c & 63);
    }
    // Case-insensitive: a letter stands for both of its cases.
    static void setFolded(ResourceExpression::CharSet& set, unsigned char c) {
        setBit(set, c);
        setBit(set, static_cast<unsigned char>(std::tolower(c)));
        setBit(set, static_cast<unsigned char>(std::toupper(c)));
    }

    bool parseAlternation(int depth, std::uint32_t& out) {
        if (depth > ResourceExpression::kMaxNesting) return fail("groups nested too deeply");
        std::uint32_t first = 0;
        if (!parseConcatenation(depth, first)) return false;
        if (atEnd() || peek() != '|') {
            out = first;
            return true;
        }
        const std::uint32_t alt = addNode(Kind::Alt);
        nodes_[alt].kids.push_back(first);
        while (!atEnd() && peek() == '|') {
            ++pos_;
            std::uint32_t next = 0;
            if (!parseConcatenation(depth, next)) return false;
            nodes_[alt].kids.push_back(next);
        }
        out = alt;
        return true;
    }

    bool parseConcatenation(int depth, std::uint32_t& out) {
        const std::uint32_t seq = addNode(Kind::Concat);
        while (!atEnd() && peek() != '|' && peek() != ')') {
            std::uint32_t item = 0;
            if (!parseRepetition(depth, item)) return false;
            nodes_[seq].kids.push_back(item);
        }
        if (nodes_[seq].kids.empty()) return fail("empty alternative");
        out = seq;
        return true;
    }

    bool parseRepetition(int depth, std::uint32_t& out) {
        std::uint32_t atom = 0;
        if (!parseAtom(depth, atom)) return false;
        while (!atEnd() && isQuantifier(peek())) {
            const std::uint32_t rep = addNode(peek() == '*' ? Kind::Star : Kind::Plus);
            nodes_[rep].kids.push_back(atom);
            atom = rep;
            ++pos_;
        }
        out = atom;
        return true;
    }

    bool parseAtom(int depth, std::uint32_t& out) {
        const unsigned char c = peek();
        if (isQuantifier(c)) return fail("quantifier with nothing before it");
        if (c == ']') return fail("unbalanced ']'");
        if (c == '(') {
            ++pos_;
            if (!parseAlternation(depth + 1, out)) return false;
            if (atEnd() || peek() != ')') return fail("unbalanced '('");
            ++pos_;
            return true;
        }
        ResourceExpression::CharSet set{};
        if (c == '[') {
            if (!parseList(set)) return false;
        } else if (c == '?') {
            set.fill(~std::uint64_t{0});
            ++pos_;
        } else {
            unsigned char literal = 0;
            if (!takeChar(literal)) return false;
            setFolded(set, literal);
        }
        out = addNode(Kind::Set);
        nodes_[out].set = addSet(set);
        return true;
    }

    // One literal character, honouring a backslash escape.
    bool takeChar(unsigned char& c) {
        c = peek();
        ++pos_;
        if (c != '\\') return true;
        if (atEnd()) return fail("trailing backslash");
        c = peek();
        ++pos_;
        return true;
    }

    bool parseList(ResourceExpression::CharSet& set) {
        ++pos_;  // '['
        bool negate = false;
        if (!atEnd() && peek() == '^') {
            negate = true;
            ++pos_;
        }
        bool any = false;
        while (true) {
            if (atEnd()) return fail("unbalanced '['");
            if (peek() == ']') break;
            unsigned char lo = 0;
            if (!takeChar(lo)) return false;
            unsigned char hi = lo;
            if (pos_ + 1 < text_.size() && peek() == '-' && text_[pos_ + 1] != ']') {
                ++pos_;
                if (!takeChar(hi)) return false;
                if (hi < lo) return fail("reversed range in list");
            }
            for (unsigned v = lo; v <= hi; ++v) setFolded(set, static_cast<unsigned char>(v));
            any = true;
        }
        ++pos_;  // ']'
        if (!any) return fail("empty list");
        if (negate)
            for (auto& word : set) word = ~word;
        return true;
    }

    using Op = ResourceExpression::Op;
    std::uint32_t pc() const { return static_cast<std::uint32_t>(out_.program_.size()); }

    void emit(std::uint32_t index) {
        const Node& node = nodes_[index];
        auto& prog = out_.program_;
        switch (node.kind) {
            case Kind::Set:
                prog.push_back({Op::Char, node.set});
                break;
            case Kind::Concat:
                for (std::uint32_t kid : node.kids) emit(kid);
                break;
            case Kind::Alt: {
                std::vector<std::uint32_t> jumps;
                for (std::size_t i = 0; i < node.kids.size(); ++i) {
                    if (i + 1 == node.kids.size()) {
                        emit(node.kids[i]);
                        break;
                    }
                    const std::uint32_t split = pc();
                    prog.push_back({Op::Split, split + 1});
                    emit(node.kids[i]);
                    jumps.push_back(pc());
                    prog.push_back({Op::Jump});
                    prog[split].y = pc();
                }
                for (std::uint32_t j : jumps) prog[j].x = pc();
                break;
            }
            case Kind::Star: {
                const std::uint32_t split = pc();
                prog.push_back({Op::Split, split + 1});
                emit(node.kids[0]);
                prog.push_back({Op::Jump, split});
                prog[split].y = pc();
                break;
            }
            case Kind::Plus: {
                const std::uint32_t start = pc();
                emit(node.kids[0]);
                prog.push_back({Op::Split, start, pc() + 1});
                break;
            }
        }
    }

    std::string_view text_;
    ResourceExpression& out_;
    std::size_t pos_ = 0;
    std::vector<Node> nodes_;
    std::string error_;
};

std::optional<ResourceExpression> ResourceExpression::parse(std::string_view pattern,
                                                            std::string* error) {
    ResourceExpression expr;
    ExpressionCompiler compiler(pattern, expr);
    if (!compiler.run(error)) return std::nullopt;
    return expr;
}

bool ResourceExpression::matches(std::string_view candidate) const {
    const std::size_t n = program_.size();
    if (n == 0) return false;
    std::vector<std::uint32_t> current, next, stack;
    std::vector<std::uint32_t> mark(n, 0);
    std::uint32_t generation = 0;
    current.reserve(n);
    next.reserve(n);

    // Follows jumps and splits from pc and records the Char/Match states
    // reached; each state enters a list at most once per step.
    auto addState = [&](std::vector<std::uint32_t>& list, std::uint32_t start) {
        stack.push_back(start);
        while (!stack.empty()) {
            const std::uint32_t at = stack.back();
            stack.pop_back();
            if (mark[at] == generation) continue;
            mark[at] = generation;
            const Inst& inst = program_[at];
            switch (inst.op) {
                case Op::Jump:
                    stack.push_back(inst.x);
                    break;
                case Op::Split:
                    stack.push_back(inst.y);
                    stack.push_back(inst.x);
                    break;
                case Op::Char:
                case Op::Match:
                    list.push_back(at);
                    break;
            }
        }
    };

    ++generation;
    addState(current, 0);
    for (char ch : candidate) {
        const auto c = static_cast<unsigned char>(ch);
        ++generation;
        next.clear();
        for (std::uint32_t at : current) {
            const Inst& inst = program_[at];
            if (inst.op != Op::Char) continue;
            const CharSet& set = sets_[inst.x];
            if (set[c >> 6] & (std::uint64_t{1} << (c & 63))) addState(next, at + 1);
        }
        current.swap(next);
        if (current.empty()) return false;
    }
    for (std::uint32_t at : current)
        if (program_[at].op == Op::Match) return true;
    return false;
}

}  // namespace qm::visa
