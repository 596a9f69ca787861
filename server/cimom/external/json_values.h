// json_values.h - CIM values and instances as the command providers'
// protocol writes them in JSON: numbers, strings (datetimes in their CIM
// text, references in object path text), booleans, arrays and null, and an
// instance as an object of its property values by name.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

#include <cimobj/cimobj.hpp>

namespace cimom::external {

using Json = nlohmann::json;

// The JSON form of value (null for a NULL value or none).
Json valueJson(const CIMValue *value);
// {"Name": value, ...} of a property list: an instance's properties, or the
// keys of a path.
Json propertiesJson(const CIMPropertyList *properties);

// json as a value of the CIM type code type (arrays too). On a value that
// is not of the type, returns null and sets problem ("expected a uint8
// (0..255), not -1").
cimobj::ValuePtr jsonValue(const Json &json, int type, std::string &problem);

// A new instance of cimClass holding every property the class declares:
// the value properties gives it, else the class's default. Returns null and
// sets problem when properties is no object, names a property the class
// does not declare, or holds a value not of its type. Throws std::bad_alloc.
cimobj::InstancePtr jsonInstance(const CIMClass &cimClass, const Json &properties, std::string &problem);

}  // namespace cimom::external
