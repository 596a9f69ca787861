// load_average_method.h - CIMXML_OperatingSystem.GetLoadAverage: the load
// averages of /proc/loadavg as output parameters. The operating system's
// other methods (those that would change the machine) are not served.
#pragma once

#include <memory>

#include "cimom/provider.h"

namespace cimom::live {

std::shared_ptr<MethodProvider> makeLoadAverageMethod();

}  // namespace cimom::live
