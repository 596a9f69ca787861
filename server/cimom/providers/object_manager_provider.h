// object_manager_provider.h - the object manager itself as the one
// CIM_ObjectManager, a service of this machine's computer system.
#pragma once

#include <memory>

#include "providers/live_provider.h"

namespace cimom::live {

// The provider of CIM_ObjectManager: one instance, named by the computer
// system's keys and objectManagerName.
std::shared_ptr<LiveInstanceProvider> makeObjectManagerProvider();

}  // namespace cimom::live
