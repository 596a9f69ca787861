// names.cpp - caseless CIM names.
#include "support/names.h"

#include <algorithm>

namespace cimom {

namespace {

wchar_t lowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; }

}  // namespace

std::wstring foldName(std::wstring_view name) {
    std::wstring folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(), lowerAscii);
    return folded;
}

bool sameName(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](wchar_t x, wchar_t y) { return lowerAscii(x) == lowerAscii(y); });
}

}  // namespace cimom
