// operating_system_provider.h - the running kernel as CIMXML_OperatingSystem:
// its name and version, boot time, local time and time zone, memory,
// processes and user sessions, read on each call.
#pragma once

#include <memory>

#include "providers/live_provider.h"

namespace cimom::live {

// The provider of CIMXML_OperatingSystem: one instance, the running system.
std::shared_ptr<LiveInstanceProvider> makeOperatingSystemProvider();

}  // namespace cimom::live
