// program_folder.h - where the running program lies, for what is installed
// beside it (the module, the console's files).
#pragma once

#include <string>

namespace cimxmld {

// The folder of the running program; empty when it cannot be told.
std::string programFolder();

}  // namespace cimxmld
