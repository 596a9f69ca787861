// class_rules.h - the rules a class must keep beyond its qualifiers and
// overrides: what it may refer to, what it may redeclare, where keys may
// appear. Checked before a class enters a namespace.
#pragma once

#include <functional>
#include <string_view>

#include "repository/class_record.h"

namespace cimom {

// Finds the record of a class in the class's namespace; nullptr when none.
using ClassLookup = std::function<const ClassRecord *(std::wstring_view name)>;

// Checks a built record against its superclass's record (nullptr for a
// top-level class) and the classes of its namespace: references only in
// associations, to classes that exist (the class itself included), and
// never wider than the reference they override; inherited members
// redeclared only with Override; no new key below a class that has keys;
// Propagated naming a key property; ValueMap and Values of equal length.
// Returns success, or status 4 naming the member and the broken rule.
Status checkClassRules(const ClassRecord &record, const ClassRecord *superclass, const ClassLookup &classes);

}  // namespace cimom
