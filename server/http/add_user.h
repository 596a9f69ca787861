// add_user.h - cimxmld --add-user NAME: store a user's password hash.
#pragma once

#include "options.h"

namespace cimxmld {

// Reads the password (from the terminal without echo, asked twice; else one
// line of standard input), hashes it and stores options.addUser with the
// hash in options.passwordFile (default ./cimxmld.passwd). Returns the exit
// status: 0, or 1 with the reason on standard error.
int addUserCommand(const ServerOptions &options);

}  // namespace cimxmld
