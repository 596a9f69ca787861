// Tests of get_system_ip against the machine's own interface list.
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <ifaddrs.h>

#include <set>
#include <string>

#include <utils/system_ip.h>

namespace {

TEST(SystemIp, IsANonLoopbackAddressOfThisMachineOrNull) {
    std::set<std::string> candidates;
    struct ifaddrs *list = nullptr;
    ASSERT_EQ(getifaddrs(&list), 0);
    for (auto *entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        char text[INET_ADDRSTRLEN];
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(entry->ifa_addr)->sin_addr, text, sizeof text);
        if (std::string(text).rfind("127.", 0) != 0) candidates.insert(text);
    }
    freeifaddrs(list);
    char *ip = get_system_ip();
    if (candidates.empty()) {
        EXPECT_EQ(ip, nullptr);
        GTEST_SKIP() << "no non-loopback IPv4 address on this machine";
    }
    ASSERT_NE(ip, nullptr);
    EXPECT_EQ(candidates.count(ip), 1u) << ip;
    EXPECT_EQ(GC_base(ip), ip);  // a block of the collected heap of its own
    GC_free(ip);
}

}  // namespace
