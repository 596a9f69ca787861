// service_manager.h - what cimxmld says to and takes from the service
// manager (systemd) when one started it: readiness and stopping notices over
// $NOTIFY_SOCKET, and listening sockets handed over with $LISTEN_FDS. Both
// do nothing when the variables are absent, so the server runs the same
// by hand.
#pragma once

#include <string>
#include <vector>

namespace cimxmld {

// Sends state ("READY=1", "STOPPING=1", "RELOADING=1", "STATUS=...") as one
// datagram to the socket $NOTIFY_SOCKET names (a path, or "@name" in the
// abstract namespace). Returns true when sent, false when there is no
// socket to tell or sending failed (never fatal: the manager then only
// waits for its timeout).
bool notifyServiceManager(const std::string &state);

// A listening socket the service manager opened for this process.
struct InheritedSocket {
    int descriptor = -1;
    std::string address;  // numeric, without brackets ("127.0.0.1", "::")
    int port = 0;
};

// The sockets passed with $LISTEN_FDS when $LISTEN_PID is this process
// (descriptors from 3 on), marked close-on-exec; the variables are then
// removed so that no child takes them as its own. Empty when none were
// passed. A passed descriptor that is no listening TCP socket is an error:
// returns false with the reason in error (the descriptors stay open).
bool takeInheritedSockets(std::vector<InheritedSocket> &sockets, std::string &error);

}  // namespace cimxmld
