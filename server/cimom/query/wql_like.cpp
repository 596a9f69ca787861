// wql_like.cpp - LIKE pattern compilation and matching.
#include "wql_like.h"

namespace cimom::wql {

std::optional<LikePattern> LikePattern::compile(std::wstring_view pattern) {
    LikePattern result;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        wchar_t c = pattern[i];
        if (c == L'%') {
            // Consecutive runs are one run.
            if (result.elements_.empty() || result.elements_.back().kind != Kind::AnyRun)
                result.elements_.push_back(Element{Kind::AnyRun, false, 0, 0, 0});
        } else if (c == L'_') {
            result.elements_.push_back(Element{Kind::AnyOne, false, 0, 0, 0});
        } else if (c != L'[') {
            result.elements_.push_back(Element{Kind::Literal, false, c, 0, 0});
        } else {
            Element set{Kind::Set, false, 0, static_cast<std::uint32_t>(result.ranges_.size() / 2), 0};
            std::size_t j = i + 1;
            if (j < pattern.size() && pattern[j] == L'^') {
                set.negated = true;
                ++j;
            }
            std::size_t first = j;
            for (; j < pattern.size() && (pattern[j] != L']' || j == first); ++j) {
                wchar_t low = pattern[j], high = low;
                if (j + 2 < pattern.size() && pattern[j + 1] == L'-' && pattern[j + 2] != L']') {
                    high = pattern[j + 2];
                    j += 2;
                }
                result.ranges_ += low;
                result.ranges_ += high;
                ++set.rangeCount;
            }
            if (j >= pattern.size()) return std::nullopt;
            result.elements_.push_back(set);
            i = j;
        }
    }
    return result;
}

bool LikePattern::matchesOne(const Element &element, wchar_t c) const {
    switch (element.kind) {
    case Kind::AnyOne: return true;
    case Kind::Literal: return element.literal == c;
    case Kind::Set:
        for (std::size_t k = element.rangesAt; k < element.rangesAt + element.rangeCount; ++k)
            if (c >= ranges_[2 * k] && c <= ranges_[2 * k + 1]) return !element.negated;
        return element.negated;
    case Kind::AnyRun: break;
    }
    return false;
}

bool LikePattern::matches(std::wstring_view text) const {
    // Greedy matching that only ever returns to the latest %: what an
    // earlier % absorbed never needs to change, so the work is bounded by
    // text length times pattern length.
    std::size_t t = 0, p = 0;
    std::size_t runAt = std::wstring_view::npos, resumeText = 0;
    while (t < text.size()) {
        if (p < elements_.size() && elements_[p].kind == Kind::AnyRun) {
            runAt = p++;
            resumeText = t;
        } else if (p < elements_.size() && matchesOne(elements_[p], text[t])) {
            ++p;
            ++t;
        } else if (runAt != std::wstring_view::npos) {
            p = runAt + 1;
            t = ++resumeText;
        } else {
            return false;
        }
    }
    while (p < elements_.size() && elements_[p].kind == Kind::AnyRun) ++p;
    return p == elements_.size();
}

}  // namespace cimom::wql
