// embedded_instances.h - embedded instances kept as their classes declare
// them, so that what is stored reads back from its MOF to the same objects.
#pragma once

#include <cimobj/cimobj.hpp>

#include "cimom/status.h"
#include "repository/namespace_data.h"

namespace cimom {

// Embedded instances nest at most this deep (as in CIM-XML and MOF).
inline constexpr int maxEmbeddedInstanceDepth = 32;

// Replaces each embedded instance value holds (a scalar or array element,
// nested ones too) by the instance its class in space makes of it, the way
// the MOF compiler would read it back: the class's spelling of its name and
// properties, values converted to the declared types (references
// normalised), key flags as declared, the namespace of space, no path,
// qualifiers or origins. Property order and the properties given stay.
// Status 4 naming the embedded instance when its class is not in space, it
// has a property the class lacks (or one twice), a value does not convert,
// or nesting goes deeper than maxEmbeddedInstanceDepth; value is then
// unchanged. Embedded classes are kept as they are.
Status typeEmbeddedInstances(const NamespaceData &space, CIMValue &value);

}  // namespace cimom
