// value_text.h - one text per value, the same whatever path the value came
// by: the client library's objects, cimxml-cli's JSON, an untyped
// GetProperty answer typed by its declaration. Two values are the same
// value exactly when their texts are equal: type and array-ness included,
// NULL apart from empty, every digit of a real, every character of a string.
#pragma once

#include <cimobj/cimobj.hpp>
#include <nlohmann/json.hpp>

#include <string>

namespace roundtrip {

// The type word of a property or parameter type: the CIM names, "instance"
// for an embedded instance (15), "object" for an embedded object (16),
// "[]" after an array type.
std::string typeWord(int type);

// "type=literal" of a property: its type's word and its value (NULL for
// none). Embedded instances and classes are written whole with the types
// of their properties, instance properties in name order, a reference as
// its class and keys in name order.
std::string propertyText(const CIMProperty *property);

// The same text for a value whose declared type word the caller gives.
std::string valueText(const std::string &typeWord, const CIMValue *value);

// The same text for one property of cimxml-cli's JSON ({"type": ..., "value": ...}).
std::string jsonPropertyText(const nlohmann::ordered_json &typed);

// A value as an untyped answer carries it (a string or string array, or a
// reference), typed as declaredType says: numbers, booleans, char16 and
// datetimes from their text, embedded instances and classes from their
// CIM-XML. Returns a new value; NULL when the text does not spell one.
cimobj::ValuePtr typedFromText(const CIMValue *untyped, int declaredType);

}  // namespace roundtrip
