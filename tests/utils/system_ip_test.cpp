// Tests of get_system_ip against the machine's own interface list.
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <set>
#include <string>

#include <utils/system_ip.h>

namespace {

// Dotted forms of the machine's IPv4 addresses outside 127.0.0.0/8.
std::set<std::string> non_loopback_ipv4_addresses() {
    std::set<std::string> found;
    struct ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0) return found;
    for (auto *entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        char text[INET_ADDRSTRLEN];
        const auto *address = reinterpret_cast<const sockaddr_in *>(entry->ifa_addr);
        inet_ntop(AF_INET, &address->sin_addr, text, sizeof text);
        if (std::string(text).rfind("127.", 0) != 0) found.insert(text);
    }
    freeifaddrs(list);
    return found;
}

TEST(SystemIp, IsANonLoopbackAddressOfThisMachineOrNull) {
    char *ip = get_system_ip();
    std::set<std::string> candidates = non_loopback_ipv4_addresses();
    if (candidates.empty()) {
        EXPECT_EQ(ip, nullptr);
        GTEST_SKIP() << "no non-loopback IPv4 address on this machine";
    }
    ASSERT_NE(ip, nullptr);
    EXPECT_EQ(candidates.count(ip), 1u) << ip;
    EXPECT_NE(std::string(ip).rfind("127.", 0), 0u);
    EXPECT_EQ(GC_base(ip), ip);  // a block of the collected heap of its own
    GC_free(ip);
}

}  // namespace
