// operation_options.h - the flags and filters of the read operations, with
// the defaults clients get when they leave a flag out.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cimom {

// Names of the properties to return; std::nullopt means every property, an
// empty list none.
using PropertyNames = std::optional<std::vector<std::wstring>>;

struct ClassOptions {
    bool localOnly = true;          // only members added or overridden by the class
    bool includeQualifiers = true;  // class, property, method and parameter qualifiers
    bool includeClassOrigin = false;
    PropertyNames properties;
};

struct InstanceOptions {
    bool localOnly = false;          // leave out properties inherited from above the requested class
    bool deepInheritance = true;     // false: only the requested class's properties, even of subclass instances
    bool includeQualifiers = false;  // the class's property qualifiers on each property
    bool includeClassOrigin = false;
    PropertyNames properties;
};

// Filters of the association operations; an empty name filters nothing.
struct AssociationFilter {
    std::wstring assocClass;   // Associators(Names): the association class
    std::wstring resultClass;  // References(Names): the association class; Associators(Names): the far class
    std::wstring role;         // the reference property that points at the source
    std::wstring resultRole;   // Associators(Names): the reference property that points at the result
};

}  // namespace cimom
