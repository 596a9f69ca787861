// service_manager.cpp - the notify datagram and the socket hand-over, as the
// service manager documents them, on plain system calls.
#include "service_manager.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <charconv>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace cimxmld {

namespace {

constexpr int firstPassedDescriptor = 3;  // SD_LISTEN_FDS_START

bool parseCount(const char *text, long &out) {
    if (text == nullptr) return false;
    const char *end = text + std::strlen(text);
    auto [ptr, ec] = std::from_chars(text, end, out);
    return ec == std::errc() && ptr == end && ptr != text;
}

// The TCP address a listening socket is bound to; false when it is none.
bool describeListener(int descriptor, InheritedSocket &out) {
    int listening = 0;
    socklen_t size = sizeof listening;
    if (getsockopt(descriptor, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) != 0 || !listening) return false;
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    if (getsockname(descriptor, reinterpret_cast<sockaddr *>(&bound), &length) != 0) return false;
    char text[INET6_ADDRSTRLEN] = {};
    if (bound.ss_family == AF_INET) {
        auto *v4 = reinterpret_cast<sockaddr_in *>(&bound);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        out.port = ntohs(v4->sin_port);
    } else if (bound.ss_family == AF_INET6) {
        auto *v6 = reinterpret_cast<sockaddr_in6 *>(&bound);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        out.port = ntohs(v6->sin6_port);
    } else {
        return false;
    }
    out.descriptor = descriptor;
    out.address = text;
    return true;
}

}  // namespace

bool notifyServiceManager(const std::string &state) {
    const char *name = std::getenv("NOTIFY_SOCKET");
    if (name == nullptr || (name[0] != '/' && name[0] != '@')) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::size_t length = std::strlen(name);
    if (length >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, name, length);
    if (name[0] == '@') address.sun_path[0] = '\0';  // the abstract namespace
    int descriptor = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) return false;
    socklen_t size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length);
    ssize_t sent = sendto(descriptor, state.data(), state.size(), MSG_NOSIGNAL,
                          reinterpret_cast<const sockaddr *>(&address), size);
    close(descriptor);
    return sent == static_cast<ssize_t>(state.size());
}

bool takeInheritedSockets(std::vector<InheritedSocket> &sockets, std::string &error) {
    sockets.clear();
    long pid = 0;
    long count = 0;
    if (!parseCount(std::getenv("LISTEN_PID"), pid) || pid != static_cast<long>(getpid())) return true;
    bool given = parseCount(std::getenv("LISTEN_FDS"), count);
    unsetenv("LISTEN_PID");
    unsetenv("LISTEN_FDS");
    unsetenv("LISTEN_FDNAMES");
    if (!given || count <= 0) return true;
    for (int descriptor = firstPassedDescriptor; descriptor < firstPassedDescriptor + count; ++descriptor) {
        InheritedSocket socket;
        if (!describeListener(descriptor, socket)) {
            error = "descriptor " + std::to_string(descriptor) + " from the service manager is no listening TCP socket";
            sockets.clear();
            return false;
        }
        fcntl(descriptor, F_SETFD, FD_CLOEXEC);
        sockets.push_back(socket);
    }
    return true;
}

}  // namespace cimxmld
