// namespace_provider.h - the namespaces themselves as instances of
// CIM_Namespace: enumerating them lists the namespaces, creating one makes
// a namespace, deleting one removes it with everything in it.
#pragma once

#include <memory>

#include "cimom/provider.h"

namespace cimom {

// The provider the object manager registers for CIM_Namespace in every namespace.
std::shared_ptr<InstanceProvider> makeNamespaceProvider();

}  // namespace cimom
