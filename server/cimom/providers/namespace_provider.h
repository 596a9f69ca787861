// namespace_provider.h - the namespaces themselves as instances of
// CIM_Namespace: enumerating them lists the namespaces, creating one makes
// a namespace, deleting one removes it with everything in it.
#pragma once

#include <memory>

#include "providers/live_provider.h"

namespace cimom {

class ObjectManager;

// The provider of CIM_Namespace over the namespaces of objectManager, which
// must outlive it: the instances, and the elements CIM_NamespaceInManager
// pairs with the object manager. Each namespace's keys are those of
// live::namespaceKeys; a client's path needs only Name. The built-in
// namespaces (root/interop, where the server describes itself, and
// root/cimv2, which the live providers serve) are not deleted.
std::shared_ptr<live::LiveInstanceProvider> makeNamespaceProvider(ObjectManager &objectManager);

}  // namespace cimom
