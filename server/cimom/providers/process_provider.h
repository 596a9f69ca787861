// process_provider.h - the machine's processes as CIMXML_UnixProcess, one
// instance per process, read from /proc/PID on each call.
#pragma once

#include <cstdint>
#include <memory>

#include "providers/live_provider.h"

namespace cimom::live {

// The provider of CIMXML_UnixProcess. Handle is the process id; a process
// that ends during an enumeration is left out; a GetInstance reads only
// /proc/PID of the process it names.
std::shared_ptr<LiveInstanceProvider> makeProcessProvider();

// The ExecutionState value for a kernel state letter: running 3, sleeping,
// waiting for a disk or idle 4 (Blocked), stopped or traced 8, zombie or
// dead 7 (Terminated), anything else 0 (Unknown).
std::uint16_t executionStateOf(char state);

}  // namespace cimom::live
