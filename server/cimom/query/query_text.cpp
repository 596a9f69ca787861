// query_text.cpp - located errors, quoting and caseless names for the query engines.
#include "query_text.h"

#include <algorithm>

#include <cimobj/cimobj.hpp>

namespace cimom::query {

namespace {
constexpr std::size_t kExcerptLimit = 40;
}

Status errorAt(std::string_view language, int column, std::string_view message) {
    std::string text(language);
    text += " column " + std::to_string(column) + ": ";
    text += message;
    return Status::error(15, std::move(text));
}

std::string excerpt(std::wstring_view text) {
    std::string result = cimobj::toUtf8(text.substr(0, kExcerptLimit));
    return text.size() > kExcerptLimit ? result + "..." : result;
}

std::string quoted(std::wstring_view text) { return "'" + excerpt(text) + "'"; }

wchar_t foldCase(wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; }

bool equalsCaseless(std::wstring_view a, std::wstring_view b) {
    return std::ranges::equal(a, b, [](wchar_t x, wchar_t y) { return foldCase(x) == foldCase(y); });
}

std::size_t CaselessHash::operator()(std::wstring_view name) const {
    // FNV-1a over the folded characters.
    std::size_t hash = 14695981039346656037ull;
    for (wchar_t c : name) {
        hash ^= static_cast<std::size_t>(foldCase(c));
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace cimom::query
