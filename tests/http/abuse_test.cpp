// Idle, slow and hostile clients against the real server: each gets the
// exact answer its behaviour calls for (or none), and a well-behaved client
// is answered correctly throughout and afterwards.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <regex>
#include <thread>

#include "server_process.h"

namespace {

using namespace httptest;
using Clock = std::chrono::steady_clock;

constexpr int items = 2000;  // about 1 KB each: a 2 MB EnumerateInstances answer

// A class with items instances, as a MOF file for --mof.
std::string fixtureMof() {
    std::string path = ::testing::TempDir() + "abuse_" + std::to_string(getpid()) + ".mof";
    std::ofstream mof(path);
    mof << "class Abuse_Item { [Key] string Name; string Text; };\n";
    for (int i = 0; i < items; ++i)
        mof << "instance of Abuse_Item { Name = \"item-" << i << "\"; Text = \"" << std::string(900, 'x') << "\"; };\n";
    return path;
}

std::string getInstance() {
    return cimRequest(intrinsicBody("GetInstance", "<IPARAMVALUE NAME=\"InstanceName\"><INSTANCENAME CLASSNAME=\""
                                                   "Abuse_Item\"><KEYBINDING NAME=\"Name\"><KEYVALUE VALUETYPE=\"string\">"
                                                   "item-7</KEYVALUE></KEYBINDING></INSTANCENAME></IPARAMVALUE>"),
                      "GetInstance");
}

std::string enumerateInstances() {
    return cimRequest(intrinsicBody("EnumerateInstances",
                                    "<IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"Abuse_Item\"/></IPARAMVALUE>"),
                      "EnumerateInstances");
}

// A connected socket, or -1; never blocks on the server.
int openSocket(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void sendAll(int fd, const std::string &text) { (void)::send(fd, text.data(), text.size(), MSG_NOSIGNAL); }

// What fd delivers within wait (up to the close, or once it has enough bytes).
std::string readFor(int fd, std::chrono::milliseconds wait, std::size_t enough = SIZE_MAX) {
    std::string text;
    char buffer[4096];
    for (Clock::time_point end = Clock::now() + wait;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        pollfd wanted{fd, POLLIN, 0};
        if (left <= 0 || poll(&wanted, 1, static_cast<int>(left)) <= 0) break;
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() >= enough) break;
    }
    return text;
}

void closeAll(std::vector<int> &fds) {
    for (int fd : fds) ::close(fd);
    fds.clear();
}

class Abuse : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Room for the idle connections on this side too.
        rlimit limit{};
        getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
        mof_ = fixtureMof();
        server_ = new ServerProcess({"--mof", mof_, "--header-timeout", "2", "--body-timeout", "1", "--timeout", "1",
                                     "--max-header-bytes", "8192", "--max-header-fields", "50"});
        RawConnection reference(server_->port());
        reference.send(getInstance());
        RawResponse answer = reference.receive();
        expected_ = new std::string(answer.head + answer.body);
    }
    static void TearDownTestSuite() {
        delete server_;
        delete expected_;
        std::remove(mof_.c_str());
    }

    // A fresh client's GetInstance is answered, and correctly, in time.
    static void expectServed(const char *when) {
        RawConnection client(server_->port(), std::chrono::seconds(2));
        client.send(getInstance());
        RawResponse answer = client.receive();
        EXPECT_EQ(answer.head + answer.body, *expected_) << when;
    }

    // The figure of one limit at /metrics.
    static long limitHits(const std::string &limit) {
        RawConnection client(server_->port());
        client.send("GET /metrics HTTP/1.1\r\n\r\n");
        std::string text = client.receive().body;
        std::smatch value;
        if (!std::regex_search(text, value, std::regex("cimxmld_limit_hits_total\\{limit=\"" + limit + "\"\\} ([0-9]+)")))
            return -1;
        return std::stol(value[1]);
    }

    static ServerProcess *server_;
    static std::string *expected_;
    static std::string mof_;
};

ServerProcess *Abuse::server_ = nullptr;
std::string *Abuse::expected_ = nullptr;
std::string Abuse::mof_;

TEST_F(Abuse, RequestsHttpForbidsGetTheirStatusAndAClose) {
    const std::string request = getInstance();
    std::size_t headEnd = request.find("\r\n\r\n");
    const std::string head = request.substr(0, headEnd), body = request.substr(headEnd + 4);
    auto refused = [](const char *status) {
        return "HTTP/1.1 " + std::string(status) + "\r\nConnection: close\r\nContent-Length: 0\r\n";
    };
    std::string manyLines = head;
    for (int i = 0; i < 2000; ++i) manyLines += "\r\nX-Filler-" + std::to_string(i) + ": " + std::string(90, 'f');
    const std::vector<std::tuple<const char *, std::string, std::string>> cases = {
        {"Content-Length and Transfer-Encoding", editHeader(request, "Transfer-Encoding", "chunked"), refused("400 Bad Request")},
        {"Transfer-Encoding gzip and Content-Length", editHeader(request, "Transfer-Encoding", "gzip"), refused("400 Bad Request")},
        {"two different lengths", head + "\r\nContent-Length: 3\r\n\r\n" + body, refused("400 Bad Request")},
        {"negative length", editHeader(request, "Content-Length", "-5"), refused("400 Bad Request")},
        {"length not a number", editHeader(request, "Content-Length", "12a"), refused("400 Bad Request")},
        {"folded line", editHeader(request, "CIMMethod", "Get\r\n Instance"), refused("400 Bad Request")},
        {"bare LF", std::regex_replace(head, std::regex("\r\n"), "\n") + "\n\n" + body, refused("400 Bad Request")},
        {"request line too long", "POST /" + std::string(9000, 'a') + " HTTP/1.1\r\n\r\n", refused("414 URI Too Long")},
        {"head too long", editHeader(request, "X-Big", std::string(9000, 'b').c_str()),
         refused("431 Request Header Fields Too Large")},
        {"2,000 header lines", manyLines + "\r\n\r\n", refused("431 Request Header Fields Too Large")},
    };
    for (const auto &[name, text, expected] : cases) {
        RawConnection connection(server_->port());
        connection.send(text);
        RawResponse response = connection.receive();
        EXPECT_EQ(response.head, expected) << name;
        EXPECT_TRUE(connection.closedByServer()) << name;
        expectServed(name);
    }
    std::string fields = head;
    for (int i = 0; i < 51; ++i) fields += "\r\nX-" + std::to_string(i) + ": 1";
    RawConnection connection(server_->port());
    connection.send(fields + "\r\n\r\n" + body);
    EXPECT_EQ(connection.receive().head, refused("431 Request Header Fields Too Large"));
    expectServed("too many fields");
}

TEST_F(Abuse, IdleConnectionsCostNoWorker) {
    std::vector<int> idle;
    for (int i = 0; i < 2000; ++i) {
        int fd = openSocket(server_->port());
        ASSERT_GE(fd, 0) << "connection " << i;
        idle.push_back(fd);
        // Some of them after an answered request.
        if (i % 10 == 0) {
            sendAll(fd, getInstance());
        }
    }
    for (int i = 0; i < 20; ++i) expectServed("among 2,000 idle connections");
    closeAll(idle);
}

TEST_F(Abuse, SlowHeadsAndHalfBodiesTimeOutWhileOthersAreServed) {
    // 200 clients trickle a head one byte a second: 408 at the 2 s header
    // timeout. 20 send half a body and stop: 408 at the 1 s body timeout.
    std::vector<int> slow, half;
    const std::string request = getInstance();
    for (int i = 0; i < 200; ++i) slow.push_back(openSocket(server_->port()));
    for (int i = 0; i < 20; ++i) {
        half.push_back(openSocket(server_->port()));
        sendAll(half.back(), request.substr(0, request.size() - 100));
    }
    for (int second = 0; second < 3; ++second) {
        for (int fd : slow) sendAll(fd, request.substr(second, 1));
        expectServed("during slow clients");
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    const std::string timedOut = "HTTP/1.1 408 Request Timeout\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";
    int slowAnswered = 0, halfAnswered = 0;
    for (int fd : slow) slowAnswered += readFor(fd, std::chrono::milliseconds(10)) == timedOut;
    for (int fd : half) halfAnswered += readFor(fd, std::chrono::milliseconds(10)) == timedOut;
    EXPECT_EQ(slowAnswered, 200);
    EXPECT_EQ(halfAnswered, 20);
    closeAll(slow);
    closeAll(half);
    EXPECT_GE(limitHits("header-timeout"), 200);
    EXPECT_GE(limitHits("body-timeout"), 20);
}

TEST_F(Abuse, ClientsThatResetOrNeverReadLargeAnswers) {
    // Five read a little of a 2 MB answer and reset the connection.
    for (int i = 0; i < 5; ++i) {
        int fd = openSocket(server_->port());
        sendAll(fd, enumerateInstances());
        EXPECT_EQ(readFor(fd, std::chrono::seconds(5), 15).substr(0, 15), "HTTP/1.1 200 OK");
        linger reset{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        ::close(fd);
    }
    expectServed("after resets");
    // Five never read four answers of 2 MB, more than the socket buffers
    // hold: the write timeout (1 s) drops them.
    std::vector<int> deaf;
    for (int i = 0; i < 5; ++i) {
        deaf.push_back(openSocket(server_->port()));
        sendAll(deaf.back(), enumerateInstances() + enumerateInstances() + enumerateInstances() + enumerateInstances());
    }
    expectServed("while answers wait for deaf clients");
    // Each is dropped a second after its answer stalls (later on a slow,
    // instrumented build, which makes the answers slowly).
    for (int wait = 0; wait < 60 && limitHits("write-timeout") < 5; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EXPECT_GE(limitHits("write-timeout"), 5);
    closeAll(deaf);
    expectServed("after deaf clients");
}

TEST_F(Abuse, PipelinedBurstIsAnsweredInOrder) {
    std::string burst;
    const std::string metrics = "GET /metrics HTTP/1.1\r\n\r\n";
    for (int i = 0; i < 100; ++i) burst += i == 50 ? metrics : getInstance();
    RawConnection connection(server_->port());
    connection.send(burst);
    for (int i = 0; i < 100; ++i) {
        RawResponse answer = connection.receive();
        if (i == 50) EXPECT_NE(answer.body.find("cimxmld_requests_total"), std::string::npos);
        else ASSERT_EQ(answer.head + answer.body, *expected_) << "answer " << i;
    }
    expectServed("after a burst");
}

TEST(AbuseLimits, ConnectionsOverTheLimitCloseAtOnceAndGuessersBackOff) {
    std::string file = ::testing::TempDir() + "abuse_passwd_" + std::to_string(getpid());
    std::remove(file.c_str());
    ASSERT_EQ(runCimxmld({"--add-user", "alice", "--passwd", file}, "s3cret\n").status, 0);
    ServerProcess server({"--passwd", file, "--max-connections", "20"});
    const std::string request = editHeader(getClassRequest(), "Authorization", "Basic YWxpY2U6czNjcmV0");
    RawConnection alice(server.port());
    alice.send(request);
    EXPECT_EQ(alice.receive().head.substr(0, 15), "HTTP/1.1 200 OK");

    std::vector<int> held;
    for (int i = 0; i < 19; ++i) held.push_back(openSocket(server.port()));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int over = openSocket(server.port());
    EXPECT_EQ(readFor(over, std::chrono::seconds(2)), "") << "closed without an answer";
    ::close(over);
    closeAll(held);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    // Five wrong passwords are checked; the fifth puts the address in
    // back-off for a second: refused unchecked, the answer held back a
    // second. The next one is checked again and doubles the back-off.
    // Alice's proven credentials pass all along.
    const std::string wrong = editHeader(getClassRequest(), "Authorization", "Basic YWxpY2U6d3Jvbmc=");
    std::vector<bool> heldBack;
    for (int i = 0; i < 8; ++i) {
        RawConnection guesser(server.port());
        Clock::time_point sent = Clock::now();
        guesser.send(wrong);
        EXPECT_EQ(guesser.receive().head.substr(0, 25), "HTTP/1.1 401 Unauthorized");
        heldBack.push_back(Clock::now() - sent >= std::chrono::milliseconds(900));
    }
    EXPECT_EQ(heldBack, (std::vector<bool>{false, false, false, false, false, true, false, true}));
    alice.send(request);
    EXPECT_EQ(alice.receive().head.substr(0, 15), "HTTP/1.1 200 OK");
    alice.send("GET /metrics HTTP/1.1\r\nAuthorization: Basic YWxpY2U6czNjcmV0\r\n\r\n");
    std::string text = alice.receive().body;
    EXPECT_NE(text.find("cimxmld_limit_hits_total{limit=\"login-failed\"} 6\n"), std::string::npos) << text;
    EXPECT_NE(text.find("cimxmld_limit_hits_total{limit=\"login-unchecked\"} 2\n"), std::string::npos);
    EXPECT_NE(text.find("cimxmld_limit_hits_total{limit=\"max-connections\"} 1\n"), std::string::npos);
    EXPECT_EQ(server.stop(), 0);
    EXPECT_NE(server.log().find("5 failed logins from 127.0.0.1"), std::string::npos) << server.log();
    std::remove(file.c_str());
}

}  // namespace
