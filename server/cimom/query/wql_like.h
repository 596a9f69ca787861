// wql_like.h - LIKE patterns: compiled once, matched against many strings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cimom::wql {

class LikePattern {
public:
    // Compiles pattern: % any run of characters (also none), _ any one
    // character, [abc] one of a set with a-z ranges, [^abc] any character
    // outside the set (a ']' right after '[' or '[^' is a member), anything
    // else itself. Returns nothing when a '[' has no closing ']'.
    static std::optional<LikePattern> compile(std::wstring_view pattern);

    // True when the whole text matches (case-sensitively). Time at most
    // proportional to the text length times the pattern length; no
    // exponential backtracking.
    bool matches(std::wstring_view text) const;

private:
    enum class Kind : unsigned char { AnyRun, AnyOne, Set, Literal };
    struct Element {
        Kind kind;
        bool negated;            // Set: [^...]
        wchar_t literal;         // Literal
        std::uint32_t rangesAt;  // Set: its (low, high) pairs in ranges_
        std::uint32_t rangeCount;
    };
    bool matchesOne(const Element &element, wchar_t c) const;

    std::vector<Element> elements_;
    std::wstring ranges_;
};

}  // namespace cimom::wql
