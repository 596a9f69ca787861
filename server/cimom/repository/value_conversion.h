// value_conversion.h - values made to fit the type a class declares.
//
// Clients often send values without a type (a CIM-XML VALUE without TYPE
// arrives as a string), and MOF integer literals arrive as 64-bit numbers.
// Before the object manager stores, compares or hands a value to a provider
// it converts the value to the declared type here.
#pragma once

#include <cimobj/cimobj.hpp>
#include <string>
#include <utility>
#include <vector>

namespace cimom {

struct Conversion {
    cimobj::ValuePtr value;     // the converted copy; empty on failure
    bool typeMismatch = false;  // failed because the value was typed otherwise (not text)
    std::string problem;        // on failure: what was wrong, e.g. "'abc' is not a uint32"
    bool ok() const { return value != nullptr; }
};

// Converts value to the type code (arrays included). Text converts to any
// scalar type it spells (decimal integers in range, reals, true/false,
// datetimes, one character for char16, an object path's text form for a
// reference); integers convert to any integer type
// that holds them and to reals; reals convert between the two widths; arrays
// convert element by element. NULL or a null value gives a null value of the
// type; an embedded object stays as it is for a string or object type.
// Never throws for bad input; throws std::bad_alloc when memory runs out.
Conversion convertValue(const CIMValue *value, int type);

// The CIM name of a type code ("uint32", "string[]" for an array type).
std::string typeName(int type);

// True when text has the form of a CIM datetime (timestamp or interval,
// asterisks allowed in the digits).
bool isDatetimeText(std::wstring_view text);

// Canonical text of a value for comparing keys: integers in decimal, reals
// in their shortest exact form, booleans "true"/"false", strings and
// datetimes as they are, a reference as its folded class name and its keys
// in folded-name order, arrays element by element. Values converted to the
// same type have the same text exactly when they are equal.
std::wstring canonicalText(const CIMValue *value);

// Canonical text of a path's keys: "name=value," for each key in folded-name
// order, names folded, values by canonicalText with ',' and '\' escaped.
std::wstring canonicalKeyText(const CIMPropertyList *keys);
// A path as people read it in messages: its text form without namespace
// or host, e.g. Class.key="text",other=5.
std::string displayText(const CIMObjectPath &path);

// The same for (folded name, value) pairs, sorted here.
std::wstring canonicalKeyText(std::vector<std::pair<std::wstring, const CIMValue *>> keys);

}  // namespace cimom
