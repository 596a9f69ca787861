// fql_pattern.h - the regular expressions of FQL's LIKE: compiled once into
// a small automaton program, matched against many strings without
// backtracking.
#pragma once

#include <cstdint>
#include <string>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cimom::fql {

// The largest program a pattern may compile to; bounded repeats ("{m,n}")
// copy their operand, so this bounds what a short pattern can ask for.
inline constexpr std::size_t kMaxPatternProgram = 4096;

class Pattern {
public:
    // Compiles pattern, which always matches a whole text:
    //   .          any one character
    //   [abc] [a-z] [^abc]   one of a set, or any character outside it (a ']'
    //              right after '[' or '[^' is a member; '\' escapes inside)
    //   x* x+ x?   zero or more, one or more, zero or one of x
    //   x{m} x{m,} x{m,n}   m times, m or more, m to n times (n <= 1000)
    //   a|b        either;   (...)  grouping
    //   \c         the character c itself (\. \* \\ \[ ...)
    //   anything else itself; '^' and '$' need a backslash, since a pattern
    //   is anchored at both ends anyway.
    // Returns nothing for a malformed pattern, with error set to what was
    // wrong and errorAt to the index of the offending character (from 0).
    static std::optional<Pattern> compile(std::wstring_view pattern, std::string &error, std::size_t &errorAt);

    // True when the whole of text matches (case-sensitively). Time
    // proportional to the text length times the program size at most.
    // Thread-safe: the pattern is not changed.
    bool matches(std::wstring_view text) const;

private:
    enum class Op : unsigned char { Char, Any, Set, Split, Jump, Match };
    struct Instruction {
        Op op;
        bool negated;    // Set: [^...]
        wchar_t c;       // Char
        std::uint32_t x;  // Split, Jump: target; Set: first range
        std::uint32_t y;  // Split: second target; Set: range count
    };
    bool consumes(const Instruction &instruction, wchar_t c) const;
    void addThread(std::vector<std::uint32_t> &list, std::vector<std::uint32_t> &marks,
                   std::vector<std::uint32_t> &stack, std::uint32_t pc, std::uint32_t generation) const;

    std::vector<Instruction> program_;
    std::wstring ranges_;  // Set: (low, high) pairs
    friend class PatternCompiler;
};

}  // namespace cimom::fql
