// listener_setup.cpp - own sockets, or the service manager's.
#include "listener_setup.h"

#include <arpa/inet.h>
#include <unistd.h>

#include "listen_sockets.h"
#include "service_manager.h"

namespace cimxmld {

bool isLoopbackAddress(const std::string &address) {
    in_addr v4{};
    in6_addr v6{};
    if (address == "localhost") return true;
    if (inet_pton(AF_INET, address.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    if (inet_pton(AF_INET6, address.c_str(), &v6) != 1) return false;
    // ::ffff:127.x.x.x is IPv4 loopback seen through an IPv6 socket.
    return IN6_IS_ADDR_LOOPBACK(&v6) || (IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127);
}

std::string listenerUrl(const ServedListener &listener) {
    bool v6 = listener.address.find(':') != std::string::npos;
    return std::string(listener.scheme) + "://" + (v6 ? "[" + listener.address + "]" : listener.address) + ":" +
           std::to_string(listener.port);
}

namespace {

bool takeHandedOver(const std::vector<InheritedSocket> &sockets, const ServerOptions &options, const TlsContext &tls,
                    bool authenticated, FrontEnd &frontEnd, std::vector<ServedListener> &served,
                    std::string &error) {
    for (const InheritedSocket &socket : sockets) {
        bool secure = socket.port == options.httpsPort;
        ServedListener listener{secure ? "https" : "http", socket.address, socket.port};
        std::string where = "the socket on " + listenerUrl(listener) + " from the service manager: ";
        if (secure && !tls) {
            error = where + "HTTPS needs --cert and --key";
            return false;
        }
        if (!authenticated && !isLoopbackAddress(socket.address)) {
            error = where + "only a loopback address may be served without --passwd";
            return false;
        }
        std::string reason;
        if (!frontEnd.addListener(socket.descriptor, secure ? tls : nullptr, reason)) {
            error = where + reason;
            return false;
        }
        served.push_back(listener);
    }
    return true;
}

}  // namespace

bool setUpListeners(const ServerOptions &options, const TlsContext &tls, bool authenticated, FrontEnd &frontEnd,
                    std::vector<ServedListener> &served, std::string &error) {
    served.clear();
    std::vector<InheritedSocket> handedOver;
    if (!takeInheritedSockets(handedOver, error)) return false;
    if (!handedOver.empty()) return takeHandedOver(handedOver, options, tls, authenticated, frontEnd, served, error);

    std::vector<std::pair<ServedListener, TlsContext>> wanted{{{"http", options.bind, options.port}, nullptr}};
    if (tls) wanted.push_back({{"https", options.bind, options.httpsPort}, tls});
    for (auto &[listener, context] : wanted) {
        int bound = 0;
        std::string reason;
        int socket = openListeningSocket(options.bind, listener.port, bound, reason);
        if (socket < 0 || !frontEnd.addListener(socket, context, reason)) {
            error = "cannot listen on " + listenerUrl(listener) + ": " + reason;
            return false;
        }
        listener.port = bound;
        served.push_back(listener);
    }
    return true;
}

}  // namespace cimxmld
