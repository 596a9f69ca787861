// builtin_table.h - the server's own providers behind the table of
// cimxml/provider.h: every call the object manager makes to a built-in
// class goes through the same entry points, results and ownership rules as
// a provider library's, so the interface others build on is the one the
// server itself uses.
#pragma once

#include <memory>
#include <string>

#include "cimom/provider.h"
#include "external/library_provider.h"

namespace cimom::external {

// The C++ providers one table serves; any may be null (its entry points
// then answer CIM_ERR_NOT_SUPPORTED).
struct BuiltinProviders {
    std::shared_ptr<InstanceProvider> instances;
    std::shared_ptr<AssociationProvider> associations;
    std::shared_ptr<MethodProvider> methods;
};

// Registers parts for className in nameSpace, reached through the provider
// table as one provider named after the class: each part that is not null
// for its kind. Throws std::bad_alloc.
void registerBuiltin(ObjectManager &objectManager, const std::wstring &nameSpace, std::wstring_view className,
                     BuiltinProviders parts);

}  // namespace cimom::external
