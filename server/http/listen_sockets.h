// listen_sockets.h - the listening sockets the server is given: made here
// from an address and port. The one place that makes them, so that sockets
// handed over already open can take their place.
#pragma once

#include <string>

namespace cimxmld {

// A TCP socket bound to address (numeric, or a name resolved to its first
// address) and port, listening with the system's longest accept queue.
// port 0 picks a free port; boundPort tells the one bound.
// Returns the descriptor, which the caller owns; -1 and the reason
// ("Address already in use") on failure.
int openListeningSocket(const std::string &address, int port, int &boundPort, std::string &error);

// Raises this process's soft limit of open files to its hard limit and
// returns the resulting limit (the ceiling for connections).
long raiseOpenFileLimit();

}  // namespace cimxmld
