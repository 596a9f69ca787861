// cimobj_packed.hpp - the object library's records as compact bytes and
// back: every field kept (types, null and empty states, null strings, list
// types, qualifiers, flavors), text as UTF-8 where that is exact. For
// objects kept at rest that are read far less often than they are held.
//
// A packed text is only ever read by the same build that wrote it: it is a
// form in memory, not a storage or wire format.
#pragma once

#include <string>
#include <string_view>

#include "cimobj.hpp"

namespace cimobj {

// Appends the packed form of value (NULL included) to out.
void packValue(std::string &out, const CIMValue *value);
// Appends the packed form of instance (NULL included) to out.
void packInstance(std::string &out, const CIMInstance *instance);

// Reads one value that packValue wrote at the front of in and moves in past
// it. Throws std::bad_alloc when memory is exhausted and std::length_error
// when in ends too soon (in then points where it stopped).
ValuePtr unpackValue(std::string_view &in);
// The same for an instance that packInstance wrote.
InstancePtr unpackInstance(std::string_view &in);

}  // namespace cimobj
