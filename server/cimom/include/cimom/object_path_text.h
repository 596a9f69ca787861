// object_path_text.h - the text form of an object path:
//
//   [//host/][namespace:]Class[.Key=value{,Key=value}]
//
// with key values written as "string" (\" and \\ escaped inside), numbers
// (decimal, 0x hexadecimal, reals), true or false, and references as a quoted
// object path text. Tools read paths in this form, the MOF compiler reads
// reference values in it and the repository keeps normalised keys in it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <cimobj/cimobj.hpp>

namespace cimom {

// The declared type (a CIM type code) of a key property, for typing key
// values; -1 when unknown. nameSpace is empty for a path without namespace.
using KeyTypeLookup = std::function<int(std::wstring_view nameSpace, std::wstring_view className,
                                        std::wstring_view keyName)>;

// Parses the text form into a new path, which the caller owns. Key values
// take the type keyType gives (the text converted: "42" for a uint8 key is
// the number 42, an out-of-range number is an error); without a known type
// they are typed as the text shows: a quoted text that is itself an
// instance path is a reference, other quoted texts are strings, integers are
// uint64 (sint64 when negative), other numbers real64, true and false
// boolean. Returns NULL on error and, when error is given, sets it to what
// was wrong and where ("expected '=' after key name Name at character 12").
// Throws std::bad_alloc when memory is exhausted.
cimobj::PathPtr parseObjectPathText(std::wstring_view text, std::string *error = nullptr,
                                    const KeyTypeLookup &keyType = {});

// The text form of a path: the host only with a namespace, keys in the order
// of their names (compared without regard to case) so that equal paths give
// equal texts; strings, datetimes and char16 values quoted, reference values
// quoted with their own text inside. Empty for NULL. Never fails otherwise
// (std::bad_alloc aside).
std::wstring writeObjectPathText(const CIMObjectPath *path);

}  // namespace cimom
