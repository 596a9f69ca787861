// computer_system_provider.h - this machine as CIMXML_ComputerSystem, named
// by its host name.
#pragma once

#include <memory>

#include "providers/live_provider.h"

namespace cimom::live {

// The provider of CIMXML_ComputerSystem: one instance, this machine.
std::shared_ptr<LiveInstanceProvider> makeComputerSystemProvider();

}  // namespace cimom::live
