// Who may talk to the server: users in a password file (HTTP Basic); HTTPS
// is served in the client tool's suite.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "server_process.h"

namespace {

using namespace httptest;

TEST(Passwords, AddUserStoresHashesThatTheServerChecks) {
    std::string file = ::testing::TempDir() + "passwd_" + std::to_string(getpid());
    std::remove(file.c_str());
    for (const auto &[user, password] : {std::pair{"alice", "first"}, {"bob", "b0b"}, {"alice", "s3cret"}}) {
        CommandResult added = runCimxmld({"--add-user", user, "--passwd", file}, std::string(password) + "\n");
        EXPECT_EQ(added.status, 0);
        EXPECT_EQ(added.err, "cimxmld: stored " + std::string(user) + " in " + file + "\n");
    }
    EXPECT_TRUE(std::regex_match(readFile(file), std::regex("alice:\\$y\\$[^:\\n]+\\nbob:\\$y\\$[^:\\n]+\\n")))
        << readFile(file);
    EXPECT_EQ(runCimxmld({"--add-user", "carol", "--passwd", file}, "").err,
              "cimxmld: no password on standard input\n");

    ServerProcess server({"--passwd", file});
    const std::string refused = "HTTP/1.1 401 Unauthorized\r\nConnection: close\r\nContent-Length: 0\r\n"
                                "WWW-Authenticate: Basic realm=\"cimxmld\"\r\n";
    const char *alice = "Basic YWxpY2U6czNjcmV0";  // alice:s3cret; alice:first, eve:s3cret below
    for (const auto &[authorization, admitted] : std::vector<std::pair<const char *, bool>>{
             {nullptr, false}, {alice, true}, {"Basic YWxpY2U6Zmlyc3Q=", false}, {"Basic ZXZlOnMzY3JldA==", false},
             {"Basic !!!!", false}, {"Digest x", false}, {alice, true}}) {
        RawConnection connection(server.port());
        connection.send(editHeader(getClassRequest(), "Authorization", authorization));
        RawResponse response = connection.receive();
        EXPECT_EQ(response.head, admitted ? answerHead(response.body.size()) : refused)
            << (authorization ? authorization : "none");
    }
    RawConnection metrics(server.port());
    metrics.send("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(metrics.receive().head, "HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n"
                                      "Keep-Alive: timeout=30\r\nWWW-Authenticate: Basic realm=\"cimxmld\"\r\n");
    std::remove(file.c_str());
}

}  // namespace
