// query_truth.h - three-valued logic for the query engines: comparisons,
// AND, OR and NOT over true, false and unknown, as SQL has them.
#pragma once

#include <algorithm>
#include <compare>

namespace cimom::query {

// Ordered so that AND is the minimum, OR the maximum and NOT the mirror.
enum class Truth { False = 0, Unknown = 1, True = 2 };

enum class CompareOp : unsigned char { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };

inline Truth truthOf(bool b) { return b ? Truth::True : Truth::False; }
inline Truth negated(Truth t) { return static_cast<Truth>(2 - static_cast<int>(t)); }

// What op says of two operands that compare as order: unknown when they
// are unordered (NULL, incomparable kinds, NaN).
inline Truth compareTruth(CompareOp op, std::partial_ordering order) {
    if (order == std::partial_ordering::unordered) return Truth::Unknown;
    switch (op) {
    case CompareOp::Equal: return truthOf(order == 0);
    case CompareOp::NotEqual: return truthOf(order != 0);
    case CompareOp::Less: return truthOf(order < 0);
    case CompareOp::LessEqual: return truthOf(order <= 0);
    case CompareOp::Greater: return truthOf(order > 0);
    case CompareOp::GreaterEqual: return truthOf(order >= 0);
    }
    return Truth::Unknown;
}

// The AND (all) or OR (any) of truthOf(item) over items, stopping at the
// first item that settles it. AND of nothing is true, OR of nothing false.
template <class Range, class TruthOfItem>
Truth combine(bool all, const Range &items, TruthOfItem truthOfItem) {
    Truth result = all ? Truth::True : Truth::False;
    const Truth settled = all ? Truth::False : Truth::True;
    for (const auto &item : items) {
        Truth t = truthOfItem(item);
        result = all ? std::min(result, t) : std::max(result, t);
        if (result == settled) break;
    }
    return result;
}

}  // namespace cimom::query
