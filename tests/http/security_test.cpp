// Who may talk to the server: users in a password file (HTTP Basic), and
// browsers: the console's pages under a strict policy, and no page of
// another origin calling /cimom. HTTPS is served in the client tool's suite.
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

TEST(BrowserPages, TheConsoleIsServedStrictlyAndPagesOfOtherOriginsCannotCallCimom) {
    ServerProcess server;
    const struct {
        const char *request;
        const char *status;  // the start of the head
        const char *also;    // in the head or body; empty: nothing more
    } pages[] = {
        {"GET /console HTTP/1.1", "HTTP/1.1 200 OK", "<script src=\"/console/console.js\" defer></script>"},
        {"GET /console/ HTTP/1.1", "HTTP/1.1 200 OK", "frame-ancestors 'none'"},
        {"GET /console/console.js HTTP/1.1", "HTTP/1.1 200 OK", "Content-Type: text/javascript"},
        {"GET /console/../main.cpp HTTP/1.1", "HTTP/1.1 404 Not Found", "X-Content-Type-Options: nosniff"},
        {"POST /console HTTP/1.1", "HTTP/1.1 405 Method Not Allowed", "Allow: GET"},
    };
    for (const auto &page : pages) {
        RawConnection connection(server.port());
        connection.send(std::string(page.request) + "\r\nHost: 127.0.0.1\r\n\r\n");
        RawResponse response = connection.receive();
        EXPECT_EQ(response.head.rfind(page.status, 0), 0u) << page.request << "\n" << response.head;
        EXPECT_NE((response.head + response.body).find(page.also), std::string::npos) << page.request << "\n"
                                                                                     << response.head;
        if (response.head.rfind("HTTP/1.1 200", 0) == 0)
            EXPECT_NE(response.head.find("Content-Security-Policy: default-src 'none'; script-src 'self'"),
                      std::string::npos);
    }
    // The request's Host is 127.0.0.1: only a page of that origin may call.
    for (const auto &[origin, admitted] : std::vector<std::pair<const char *, bool>>{
             {nullptr, true}, {"http://127.0.0.1", true}, {"https://127.0.0.1", true},
             {"http://attacker.example", false}, {"http://127.0.0.1:1", false}, {"null", false}}) {
        RawConnection connection(server.port());
        connection.send(editHeader(getClassRequest(), "Origin", origin));
        RawResponse response = connection.receive();
        EXPECT_EQ(response.head.rfind(admitted ? "HTTP/1.1 200 OK" : "HTTP/1.1 403 Forbidden", 0), 0u)
            << (origin ? origin : "none") << "\n" << response.head;
    }
    ServerProcess without({"--console", "off"});
    RawConnection connection(without.port());
    connection.send("GET /console HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    EXPECT_EQ(connection.receive().head.rfind("HTTP/1.1 404 Not Found", 0), 0u);
}

}  // namespace
