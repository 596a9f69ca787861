// query_text.h - text helpers shared by the query engines: located errors,
// quoting of query fragments, and caseless name keys for hash maps.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <cimom/status.h>

namespace cimom::query {

// Status 15 with "<language> column <column>: <message>" (language "WQL"
// or "FQL").
Status errorAt(std::string_view language, int column, std::string_view message);

// text in UTF-8 for a message; text longer than 40 characters is cut
// there and ends with "...".
std::string excerpt(std::wstring_view text);
// The excerpt in single quotes.
std::string quoted(std::wstring_view text);

// ASCII letters folded to lower case, as names compare in CIM.
wchar_t foldCase(wchar_t c);
bool equalsCaseless(std::wstring_view a, std::wstring_view b);

// Hash and equality for maps keyed by names without regard to case; both
// take views, so lookups need no copy of the name.
struct CaselessHash {
    using is_transparent = void;
    std::size_t operator()(std::wstring_view name) const;
};
struct CaselessEqual {
    using is_transparent = void;
    bool operator()(std::wstring_view a, std::wstring_view b) const { return equalsCaseless(a, b); }
};

}  // namespace cimom::query
