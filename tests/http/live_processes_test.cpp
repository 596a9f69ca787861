// The live providers through the real server, read by wbemcli: the
// machine's processes listed and one read by its path; a process that does
// not exist is answered with status 6.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "server_process.h"

namespace {

using namespace httptest;

TEST(LiveProcesses, WbemcliListsTheMachinesProcessesAndReadsOne) {
    if (access("/usr/bin/wbemcli", X_OK) != 0) GTEST_SKIP() << "wbemcli is not installed";
    ServerProcess server;
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    const std::string base = "127.0.0.1:" + std::to_string(server.port()) + "/root/cimv2:CIMXML_UnixProcess";
    auto path = [&](const std::string &pid) {
        return base + ".CSCreationClassName=\"CIMXML_ComputerSystem\",CSName=\"" + host +
               "\",OSCreationClassName=\"CIMXML_OperatingSystem\",OSName=\"Linux\","
               "CreationClassName=\"CIMXML_UnixProcess\",Handle=\"" + pid + "\"";
    };
    const std::string self = path(std::to_string(getpid())) + " ";
    const std::string facts[] = {",Name=\"" + std::string(program_invocation_short_name).substr(0, 15) + "\",",
                                 ",ParentProcessID=\"" + std::to_string(getppid()) + "\","};

    auto processes = [] {
        long count = 0;
        for (const auto &entry : std::filesystem::directory_iterator("/proc"))
            count += entry.path().filename().string().find_first_not_of("0123456789") == std::string::npos;
        return count;
    };
    // Tests running alongside start and end processes: the listing falls
    // between what /proc held just before and just after it.
    long before = processes();
    CommandResult listed = runCommand("wbemcli", {"ei", "http://" + base});
    long after = processes();
    ASSERT_EQ(listed.status, 0) << listed.err;
    long lines = std::count(listed.out.begin(), listed.out.end(), '\n');
    EXPECT_GE(lines, std::min(before, after) - 10);
    EXPECT_LE(lines, std::max(before, after) + 10);
    std::size_t own = ("\n" + listed.out).find("\n" + self);
    ASSERT_NE(own, std::string::npos) << listed.out;
    std::string ownLine = listed.out.substr(own, listed.out.find('\n', own) - own);
    for (const std::string &fact : facts) EXPECT_NE(ownLine.find(fact), std::string::npos) << fact << ownLine;

    CommandResult one = runCommand("wbemcli", {"gi", "http://" + path(std::to_string(getpid()))});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.out.rfind(self, 0), 0u) << one.out;
    for (const std::string &fact : facts) EXPECT_NE(one.out.find(fact), std::string::npos) << fact;

    CommandResult missing = runCommand("wbemcli", {"gi", "http://" + path("999999999")});
    EXPECT_EQ(missing.out + missing.err,
              "*\n* wbemcli: Cim: (6) CIM_ERR_NOT_FOUND: process 999999999 does not exist\n*\n");
    EXPECT_NE(missing.status, 0);
}

}  // namespace
