// fql_syntax.h - the parsed form of an FQL filter (FqlFilter::Impl): paths,
// literals and predicates in the shared condition tree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <cimobj/cimobj.hpp>

#include "fql_filter.h"
#include "fql_pattern.h"
#include "query_condition.h"
#include "query_datetime.h"
#include "query_scalar.h"

namespace cimom::fql {

using namespace cimom::query;

// One name of a path, with the array index that follows it (kNoIndex for none).
inline constexpr std::int64_t kNoIndex = -1;
struct Step {
    std::wstring name;
    std::int64_t index = kNoIndex;
};

struct Operand {
    enum class Kind : unsigned char { Path, Null, String, Number, Boolean } kind = Kind::Null;
    int column = 0;
    std::vector<Step> path;          // Path
    std::wstring text;               // String: the content
    Scalar value;                    // Number, Boolean
    std::optional<Datetime> datetime;  // String: when the text is a CIM datetime
    cimobj::PathPtr reference;       // String: when the text is an instance path
};

enum class Quantifier : unsigned char { None, Any, Every };

// What a comparison, IS NULL, LIKE or ISA tests: left is always a path
// but in comparisons; right is the compared operand (Compare only).
struct Predicate {
    Quantifier quantifier = Quantifier::None;
    Operand left, right;
    std::optional<Pattern> pattern;  // Like
    std::wstring isaClass;           // Isa
};

using Node = Condition<Predicate>;

}  // namespace cimom::fql

namespace cimom {

struct FqlFilter::Impl {
    fql::Node root;
    std::vector<std::wstring> propertyNames;
};

}  // namespace cimom
