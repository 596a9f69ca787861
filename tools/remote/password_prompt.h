// password_prompt.h - asking the person at the terminal for a password.
#pragma once

#include <optional>
#include <string>

namespace remote {

// Writes prompt to the controlling terminal and reads one line from it with
// echo turned off (restored afterwards, also when reading fails). nullopt
// when the process has no terminal (a script, a test) or nothing was read.
std::optional<std::string> askPassword(const std::string &prompt);

}  // namespace remote
