// result_shaping.h - classes and instances cut to what a client asked for:
// LocalOnly, DeepInheritance, IncludeQualifiers, IncludeClassOrigin and
// PropertyList, applied the same way to stored objects and to what
// providers return. Every result is a new object the caller owns.
#pragma once

#include <cimobj/cimobj.hpp>
#include <optional>
#include <string>
#include <unordered_set>

#include "cimom/operation_options.h"
#include "repository/class_record.h"

namespace cimom {

// Folded names of the properties a client asked for; nullopt for all.
using PropertySet = std::optional<std::unordered_set<std::wstring>>;
PropertySet propertySet(const PropertyNames &names);

// The resolved class as options shape it, in nameSpace.
cimobj::ClassPtr shapeClass(const ClassRecord &record, const ClassOptions &options, const PropertySet &properties,
                            std::wstring_view nameSpace);

struct InstanceShape {
    const ClassRecord *requested = nullptr;  // the class the client named; nullptr: the instance's own
    InstanceOptions options;
    PropertySet properties;
    std::wstring nameSpace;
    std::wstring host;
};
InstanceShape makeInstanceShape(const ClassRecord *requested, const InstanceOptions &options, std::wstring nameSpace,
                                std::wstring host);

// instance (of the class actual) as shape cuts it, with path (its keys) as
// its path in the shape's namespace and host.
cimobj::InstancePtr shapeInstance(const CIMInstance &instance, const ClassRecord &actual, const CIMObjectPath &path,
                                  const InstanceShape &shape);
// The same for an instance the caller gives up, with its own path: its
// properties move into the result instead of being copied.
cimobj::InstancePtr shapeInstance(cimobj::InstancePtr instance, const ClassRecord &actual, const InstanceShape &shape);

// A copy of path located in nameSpace on host.
cimobj::PathPtr pathForClient(const CIMObjectPath &path, std::wstring_view nameSpace, std::wstring_view host);

}  // namespace cimom
