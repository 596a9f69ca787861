// wql_syntax.h - the parsed form of a WQL query (WqlQuery::Impl) and the
// slots validation binds property names to.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <cimom/wql.h>

#include "wql_like.h"
#include "query_scalar.h"
#include "query_condition.h"

namespace cimom::wql {

// The WQL engine is built on the pieces it shares with FQL.
using namespace cimom::query;

// Status 15 with "WQL column <column>: <message>".
inline Status errorAt(int column, std::string_view message) { return query::errorAt("WQL", column, message); }

struct Operand {
    // Row: the FROM class's name on the left of ISA, standing for the
    // instance itself (set by validation). Datetime: a string literal that
    // validation found compared with a datetime property.
    enum class Kind { Property, Row, Null, String, Number, Boolean, Datetime } kind = Kind::Null;
    int column = 0;
    std::wstring text;  // Property: the name as written; String: the content
    Scalar value;       // Number, Boolean, Datetime
    int slot = -1;      // Property: set by validation
};

// What a comparison, IS NULL, LIKE or ISA tests.
struct Predicate {
    Operand left, right;  // right: Compare only
    std::optional<LikePattern> pattern;
    std::wstring isaClass;  // Isa: the class as written
    int isaColumn = 0;
};

// A node of the WHERE condition.
using Condition = query::Condition<Predicate>;

// A property the query uses, as the FROM class declares it.
struct Slot {
    std::wstring name;
    int type = CIM_STRING;
    bool embedded = false;  // a string carrying an embedded instance or object
};

}  // namespace cimom::wql

namespace cimom {

struct WqlQuery::Impl {
    std::wstring className;
    int classColumn = 0;
    bool all = false;
    std::vector<wql::Operand> selected;  // the select list, as written
    std::optional<wql::Condition> where;

    // Filled by validate.
    bool validated = false;
    std::vector<wql::Slot> slots;
    std::unordered_map<std::wstring, int, wql::CaselessHash, wql::CaselessEqual> slotIndex;
    std::vector<int> projection;  // slots of the select list, each once, in order

    // The instance's property for each slot (the first of that name), lent;
    // NULL where it has none. One pass over the instance's properties.
    std::vector<const CIMProperty *> propertiesOf(const CIMInstance *instance) const;
};

}  // namespace cimom
