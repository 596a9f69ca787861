// fql_pattern.cpp - LIKE patterns: a recursive-descent reader into a syntax
// tree, a Thompson construction into a program, and a simulation that runs
// every live state of the program in step over the text.
#include "fql_pattern.h"


namespace cimom::fql {

namespace {

constexpr int kMaxGroupNesting = 32;
constexpr int kMaxRepeat = 1000;
constexpr int kUnbounded = -1;

struct Node {
    enum class Kind : unsigned char { Empty, Char, Any, Set, Concat, Alternation, Repeat } kind = Kind::Empty;
    bool negated = false;     // Set
    wchar_t c = 0;            // Char
    std::uint32_t rangesAt = 0, rangeCount = 0;  // Set
    int min = 0, max = 0;     // Repeat; max kUnbounded for no limit
    std::vector<std::size_t> children;  // Concat, Alternation: the parts; Repeat: one
};

Node nodeOf(Node::Kind kind) {
    Node node;
    node.kind = kind;
    return node;
}

}  // namespace

class PatternCompiler {
public:
    PatternCompiler(std::wstring_view text, Pattern &out) : text_(text), out_(out) {}

    bool compile(std::string &error, std::size_t &errorAt) {
        std::size_t root = 0;
        bool ok = alternation(0, root) && (pos_ == text_.size() || fail("unmatched ')'")) && generate(root) &&
                  emit({Pattern::Op::Match, false, 0, 0, 0});
        if (!ok) {
            error = error_;
            errorAt = errorAt_;
        }
        return ok;
    }

private:
    using Op = Pattern::Op;

    bool fail(std::string message, std::size_t at) {
        error_ = std::move(message);
        errorAt_ = at;
        return false;
    }
    bool fail(std::string message) { return fail(std::move(message), pos_); }
    bool atEnd() const { return pos_ >= text_.size(); }
    std::size_t add(Node node) {
        nodes_.push_back(std::move(node));
        return nodes_.size() - 1;
    }

    bool alternation(int depth, std::size_t &out) {
        Node node = nodeOf(Node::Kind::Alternation);
        while (true) {
            std::size_t part = 0;
            if (!concatenation(depth, part)) return false;
            node.children.push_back(part);
            if (atEnd() || text_[pos_] != L'|') break;
            ++pos_;
        }
        out = node.children.size() == 1 ? node.children.front() : add(std::move(node));
        return true;
    }

    bool concatenation(int depth, std::size_t &out) {
        Node node = nodeOf(Node::Kind::Concat);
        while (!atEnd() && text_[pos_] != L'|' && text_[pos_] != L')') {
            std::size_t item = 0;
            if (!atom(depth, item) || !repeats(item)) return false;
            node.children.push_back(item);
        }
        out = node.children.size() == 1 ? node.children.front() : add(std::move(node));
        return true;
    }

    bool atom(int depth, std::size_t &out) {
        std::size_t start = pos_;
        wchar_t c = text_[pos_++];
        switch (c) {
        case L'(': {
            if (depth + 1 > kMaxGroupNesting)
                return fail("groups nested deeper than " + std::to_string(kMaxGroupNesting) + " levels", start);
            if (!alternation(depth + 1, out)) return false;
            if (atEnd()) return fail("a '(' without its ')'", start);
            ++pos_;
            return true;
        }
        case L'[': return set(start, out);
        case L'.': out = add(nodeOf(Node::Kind::Any)); return true;
        case L'*': case L'+': case L'?': case L'{':
            return fail(std::string("nothing to repeat before '") + static_cast<char>(c) + "'", start);
        case L'^': case L'$':
            return fail(std::string("'") + static_cast<char>(c) +
                            "' needs a backslash (a pattern always matches the whole text)", start);
        case L'\\':
            if (atEnd()) return fail("a '\\' at the end of the pattern", start);
            c = text_[pos_++];
            break;
        default: break;
        }
        Node literal = nodeOf(Node::Kind::Char);
        literal.c = c;
        out = add(std::move(literal));
        return true;
    }

    // One member character of a set, escaped or not; false at the end.
    bool setChar(wchar_t &c) {
        if (atEnd()) return false;
        c = text_[pos_++];
        if (c != L'\\') return true;
        if (atEnd()) return false;
        c = text_[pos_++];
        return true;
    }

    bool set(std::size_t start, std::size_t &out) {
        Node node = nodeOf(Node::Kind::Set);
        node.rangesAt = static_cast<std::uint32_t>(out_.ranges_.size() / 2);
        if (!atEnd() && text_[pos_] == L'^') {
            node.negated = true;
            ++pos_;
        }
        std::size_t first = pos_;
        while (atEnd() || text_[pos_] != L']' || pos_ == first) {
            std::size_t at = pos_;
            wchar_t low = 0, high = 0;
            if (!setChar(low)) return fail("a '[' without its ']'", start);
            high = low;
            if (pos_ + 1 < text_.size() && text_[pos_] == L'-' && text_[pos_ + 1] != L']') {
                ++pos_;
                if (!setChar(high)) return fail("a '[' without its ']'", start);
                if (high < low) return fail("a range whose end comes before its start", at);
            }
            out_.ranges_ += low;
            out_.ranges_ += high;
            ++node.rangeCount;
        }
        ++pos_;
        out = add(std::move(node));
        return true;
    }

    // A decimal count of a {m,n} repeat.
    bool count(int &n) {
        std::size_t start = pos_;
        n = 0;
        while (!atEnd() && text_[pos_] >= L'0' && text_[pos_] <= L'9') {
            n = n * 10 + (text_[pos_++] - L'0');
            if (n > kMaxRepeat) return fail("a repeat count above " + std::to_string(kMaxRepeat), start);
        }
        return pos_ > start || fail("expected a repeat count");
    }

    // The *, +, ?, {m,n} after an atom, each wrapping what came before.
    bool repeats(std::size_t &item) {
        while (!atEnd()) {
            std::size_t start = pos_;
            Node node = nodeOf(Node::Kind::Repeat);
            switch (text_[pos_++]) {
            case L'*': node.min = 0; node.max = kUnbounded; break;
            case L'+': node.min = 1; node.max = kUnbounded; break;
            case L'?': node.min = 0; node.max = 1; break;
            case L'{':
                if (!count(node.min)) return false;
                node.max = node.min;
                if (!atEnd() && text_[pos_] == L',') {
                    ++pos_;
                    node.max = kUnbounded;
                    if (!atEnd() && text_[pos_] != L'}' && !count(node.max)) return false;
                }
                if (atEnd() || text_[pos_] != L'}') return fail("expected '}' closing the repeat at this '{'", start);
                ++pos_;
                if (node.max != kUnbounded && node.max < node.min)
                    return fail("a repeat whose maximum is below its minimum", start);
                break;
            default: --pos_; return true;
            }
            node.children.push_back(item);
            item = add(std::move(node));
        }
        return true;
    }

    std::uint32_t here() const { return static_cast<std::uint32_t>(out_.program_.size()); }
    bool emit(Pattern::Instruction instruction) {
        if (out_.program_.size() >= kMaxPatternProgram)
            return fail("the pattern is too large (repeats multiply what they repeat)", text_.size());
        out_.program_.push_back(instruction);
        return true;
    }

    bool generate(std::size_t index) {
        const Node &node = nodes_[index];
        switch (node.kind) {
        case Node::Kind::Empty: return true;
        case Node::Kind::Char: return emit({Op::Char, false, node.c, 0, 0});
        case Node::Kind::Any: return emit({Op::Any, false, 0, 0, 0});
        case Node::Kind::Set: return emit({Op::Set, node.negated, 0, node.rangesAt, node.rangeCount});
        case Node::Kind::Concat:
            for (std::size_t child : node.children)
                if (!generate(child)) return false;
            return true;
        case Node::Kind::Alternation: return alternative(node);
        case Node::Kind::Repeat: return repeat(node);
        }
        return false;
    }

    // split(next, second); first; jump(end); second: ... last.
    bool alternative(const Node &node) {
        std::vector<std::uint32_t> jumps;
        for (std::size_t i = 0; i + 1 < node.children.size(); ++i) {
            std::uint32_t split = here();
            if (!emit({Op::Split, false, 0, split + 1, 0}) || !generate(node.children[i])) return false;
            jumps.push_back(here());
            if (!emit({Op::Jump, false, 0, 0, 0})) return false;
            out_.program_[split].y = here();
        }
        if (!generate(node.children.back())) return false;
        for (std::uint32_t jump : jumps) out_.program_[jump].x = here();
        return true;
    }

    // min copies, then a loop (unbounded) or max - min optional copies.
    bool repeat(const Node &node) {
        std::size_t child = node.children.front();
        for (int i = 0; i < node.min; ++i)
            if (!generate(child)) return false;
        if (node.max == kUnbounded) {
            std::uint32_t loop = here();
            if (!emit({Op::Split, false, 0, loop + 1, 0}) || !generate(child) || !emit({Op::Jump, false, 0, loop, 0}))
                return false;
            out_.program_[loop].y = here();
            return true;
        }
        std::vector<std::uint32_t> splits;
        for (int i = node.min; i < node.max; ++i) {
            splits.push_back(here());
            if (!emit({Op::Split, false, 0, here() + 1, 0}) || !generate(child)) return false;
        }
        for (std::uint32_t split : splits) out_.program_[split].y = here();
        return true;
    }

    std::wstring_view text_;
    Pattern &out_;
    std::size_t pos_ = 0;
    std::vector<Node> nodes_;
    std::string error_;
    std::size_t errorAt_ = 0;
};

std::optional<Pattern> Pattern::compile(std::wstring_view pattern, std::string &error, std::size_t &errorAt) {
    Pattern result;
    if (!PatternCompiler(pattern, result).compile(error, errorAt)) return std::nullopt;
    return result;
}

bool Pattern::consumes(const Instruction &instruction, wchar_t c) const {
    switch (instruction.op) {
    case Op::Char: return instruction.c == c;
    case Op::Any: return true;
    case Op::Set:
        for (std::uint32_t k = instruction.x; k < instruction.x + instruction.y; ++k)
            if (c >= ranges_[2 * k] && c <= ranges_[2 * k + 1]) return !instruction.negated;
        return instruction.negated;
    default: return false;
    }
}

// Adds pc and every state its jumps and splits reach to list, each once per
// generation (marks), so that loops that consume nothing end.
void Pattern::addThread(std::vector<std::uint32_t> &list, std::vector<std::uint32_t> &marks,
                        std::vector<std::uint32_t> &stack, std::uint32_t pc, std::uint32_t generation) const {
    stack.push_back(pc);
    while (!stack.empty()) {
        std::uint32_t at = stack.back();
        stack.pop_back();
        if (marks[at] == generation) continue;
        marks[at] = generation;
        const Instruction &instruction = program_[at];
        if (instruction.op == Op::Jump) {
            stack.push_back(instruction.x);
        } else if (instruction.op == Op::Split) {
            stack.push_back(instruction.y);
            stack.push_back(instruction.x);
        } else {
            list.push_back(at);
        }
    }
}

bool Pattern::matches(std::wstring_view text) const {
    // Scratch lists kept per thread: matching many instances allocates once.
    thread_local std::vector<std::uint32_t> current, next, marks, stack;
    current.clear();
    next.clear();
    marks.assign(program_.size(), UINT32_MAX);
    std::uint32_t generation = 0;
    addThread(current, marks, stack, 0, generation);
    for (wchar_t c : text) {
        ++generation;
        for (std::uint32_t pc : current)
            if (consumes(program_[pc], c)) addThread(next, marks, stack, pc + 1, generation);
        current.swap(next);
        next.clear();
        if (current.empty()) return false;
    }
    for (std::uint32_t pc : current)
        if (program_[pc].op == Op::Match) return true;
    return false;
}

}  // namespace cimom::fql
