// system_ip.cpp - the machine's first non-loopback IPv4 address.
#include "utils/system_ip.h"

#include <gc/gc.h>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstring>

namespace {

bool is_loopback(const struct ifaddrs *entry, const struct sockaddr_in *address) {
    if ((entry->ifa_flags & IFF_LOOPBACK) != 0) return true;
    // 127.0.0.0/8 is loopback wherever it is configured.
    return (ntohl(address->sin_addr.s_addr) >> 24) == 127;
}

}  // namespace

// Walks the interface list in the order the kernel reports it and returns the
// first IPv4 address that is not a loopback one, in dotted form, as a new
// atomic block of the collected heap (the calling thread must be known to the
// collector). NULL when there is none or memory is exhausted.
char *get_system_ip(void) {
    struct ifaddrs *interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) return nullptr;

    char dotted[INET_ADDRSTRLEN] = {0};
    bool found = false;
    for (struct ifaddrs *entry = interfaces; entry != nullptr && !found; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        const auto *address = reinterpret_cast<const struct sockaddr_in *>(entry->ifa_addr);
        if (is_loopback(entry, address)) continue;
        found = inet_ntop(AF_INET, &address->sin_addr, dotted, sizeof dotted) != nullptr;
    }
    freeifaddrs(interfaces);
    if (!found) return nullptr;

    size_t length = std::strlen(dotted);
    char *result = static_cast<char *>(GC_malloc_atomic(length + 1));
    if (result == nullptr) return nullptr;
    std::memcpy(result, dotted, length + 1);
    return result;
}
