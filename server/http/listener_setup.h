// listener_setup.h - the server's listening sockets: handed over by the
// service manager (socket activation) when it passed any, else opened from
// --bind, --port and --https-port; then given to the front end.
#pragma once

#include <string>
#include <vector>

#include "front_end.h"
#include "options.h"
#include "tls_context.h"

namespace cimxmld {

struct ServedListener {
    const char *scheme = "http";  // "http" or "https"
    std::string address;          // as bound (numeric when handed over)
    int port = 0;                 // as bound (never 0)
};

// True for "localhost" and the IPv4 and IPv6 loopback addresses.
bool isLoopbackAddress(const std::string &address);

// "http://127.0.0.1:5988", brackets around IPv6 addresses.
std::string listenerUrl(const ServedListener &listener);

// Opens or takes the listeners and adds them to frontEnd: HTTP, and HTTPS
// with tls when tls is set. A socket handed over is served with TLS when
// its port is options.httpsPort (an error without tls), plain otherwise;
// without authentication each must be bound to a loopback address. Returns
// what is served, or false with a reason naming the listener ("cannot listen
// on http://127.0.0.1:5988: Address already in use").
bool setUpListeners(const ServerOptions &options, const TlsContext &tls, bool authenticated, FrontEnd &frontEnd,
                    std::vector<ServedListener> &served, std::string &error);

}  // namespace cimxmld
