// The server as an HTTP/1.1 server: keep-alive, chunked bodies, M-POST,
// Expect: 100-continue, limits, timeouts, many clients, a graceful stop,
// and what it logs and counts meanwhile.
#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <regex>
#include <sstream>
#include <thread>

#include "server_process.h"

namespace {

using namespace httptest;

// The body in chunks of at most size bytes, with the closing chunk.
std::string chunked(const std::string &body, std::size_t size) {
    std::ostringstream out;
    for (std::size_t at = 0; at < body.size(); at += size) {
        std::string piece = body.substr(at, size);
        out << std::hex << piece.size() << "\r\n" << piece << "\r\n";
    }
    out << "0\r\n\r\n";
    return out.str();
}

std::string chunkedRequest(const std::string &body, std::size_t size) {
    std::string head = editHeader(cimRequest(""), "Content-Length", nullptr);
    head = editHeader(head, "Transfer-Encoding", "chunked");
    return head + chunked(body, size);
}

// The lines of the server's log that are access lines, without timestamps.
std::vector<std::string> accessLines(const std::string &log) {
    static const std::regex line("\\[INFO\\] (access [^\\n]*)");
    std::vector<std::string> lines;
    for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator(); ++it)
        lines.push_back(std::regex_replace((*it)[1].str(), std::regex(":[0-9]+ | ms=[0-9.]+$"), " "));
    return lines;
}

class Transport : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new ServerProcess({"--threads", "16"}); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    static ServerProcess *server;
};
ServerProcess *Transport::server = nullptr;

TEST_F(Transport, KeepsTheConnectionForSeveralRequestsWhatEverTheirFraming) {
    RawConnection connection(server->port());
    connection.send(cimRequest(getClassBody()));
    RawResponse first = connection.receive();
    EXPECT_EQ(first.head, answerHead(first.body.size()));
    for (std::size_t chunk : {7u, 4096u}) {
        connection.send(chunkedRequest(getClassBody(), chunk));
        RawResponse again = connection.receive();
        EXPECT_EQ(again.head, first.head) << "chunks of " << chunk;
        EXPECT_EQ(again.body, first.body) << "chunks of " << chunk;
    }
}

TEST_F(Transport, AnswersMPostWithTheHeaderPrefixItsManDeclares) {
    RawConnection plain(server->port());
    plain.send(cimRequest(getClassBody()));
    RawResponse expected = plain.receive();

    std::string request = "M-" + cimRequest(getClassBody());
    for (const char *name : {"CIMProtocolVersion", "CIMOperation", "CIMMethod", "CIMObject"}) {
        std::string value = request.substr(request.find(std::string("\r\n") + name + ": ") + std::strlen(name) + 4);
        request = editHeader(editHeader(request, name, nullptr), std::string("73-") + name,
                             value.substr(0, value.find("\r\n")).c_str());
    }
    request = editHeader(request, "Man", "\"http://www.dmtf.org/cim/mapping/http/v1.0\" ; ns=73");
    RawConnection extended(server->port());
    extended.send(request);
    RawResponse response = extended.receive();
    EXPECT_EQ(response.head, answerHead(expected.body.size(), "73-"));
    EXPECT_EQ(response.body, expected.body);
}

TEST_F(Transport, HonoursExpectContinue) {
    std::string request = editHeader(cimRequest(getClassBody()), "Expect", "100-continue");
    std::size_t bodyAt = request.find("\r\n\r\n") + 4;
    RawConnection connection(server->port());
    connection.send(request.substr(0, bodyAt));
    EXPECT_EQ(connection.receive().head, "HTTP/1.1 100 Continue\r\n");
    connection.send(request.substr(bodyAt));
    RawResponse response = connection.receive();
    EXPECT_EQ(response.head, answerHead(response.body.size()));

    // Refused at once when the headers already break a rule.
    RawConnection refused(server->port());
    refused.send(editHeader(request.substr(0, bodyAt), "CIMOperation", "Other"));
    EXPECT_EQ(refused.receive().head, "HTTP/1.1 400 Bad Request\r\nCIMError: unsupported-operation\r\n"
                                      "Connection: close\r\nContent-Length: 0\r\n");
    EXPECT_TRUE(refused.closedByServer());
}

TEST_F(Transport, ServesSixteenClientsAtOnceAndCountsThem) {
    RawConnection reference(server->port());
    reference.send(cimRequest(getClassBody()));
    RawResponse expected = reference.receive();

    constexpr int clients = 16, requests = 25;
    std::vector<std::future<int>> answered;
    for (int c = 0; c < clients; ++c) {
        answered.push_back(std::async(std::launch::async, [&] {
            RawConnection connection(server->port());
            int same = 0;
            for (int r = 0; r < requests; ++r) {
                connection.send(cimRequest(getClassBody()));
                RawResponse response = connection.receive();
                same += response.head == expected.head && response.body == expected.body;
            }
            return same;
        }));
    }
    for (auto &client : answered) EXPECT_EQ(client.get(), requests);

    RawConnection metrics(server->port());
    metrics.send("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
    std::string text = metrics.receive().body;
    std::smatch line;
    ASSERT_TRUE(std::regex_search(text, line, std::regex("cimxmld_requests_total\\{operation=\"GetClass\",[^\\n]*")));
    EXPECT_EQ(line.str(), "cimxmld_requests_total{operation=\"GetClass\",http_status=\"200\",cim_status=\"0\"} " +
                              std::to_string(clients * requests + 1));
}

TEST(TransportLimits, RefusesOversizeBodiesUnreadAndDropsSlowClients) {
    ServerProcess server({"--max-body", "1000", "--timeout", "1", "--log-level", "info"});
    const std::string refused = "HTTP/1.1 413 Payload Too Large\r\nConnection: close\r\nContent-Length: 0\r\n";
    std::string big = intrinsicBody("GetClass", std::string(1200, ' '));
    {
        RawConnection connection(server.port());
        connection.send(cimRequest(big).substr(0, 600));
        EXPECT_EQ(connection.receive().head, refused);
        EXPECT_TRUE(connection.closedByServer());
    }
    {
        RawConnection connection(server.port());
        connection.send(chunkedRequest(big, 500));
        EXPECT_EQ(connection.receive().head, refused);
        EXPECT_TRUE(connection.closedByServer());
    }
    {
        // One header byte every 300 ms: the head is not complete within the
        // 1 s timeout, so the server answers 400 and closes.
        RawConnection connection(server.port(), std::chrono::milliseconds(300));
        connection.send("POST /cimom HTTP/1.1\r\n");
        RawResponse response;
        for (int i = 0; i < 30 && response.head.empty() && connection.send("X"); ++i) response = connection.receive();
        EXPECT_EQ(response.head, "HTTP/1.1 400 Bad Request\r\nConnection: close\r\nContent-Length: 0\r\n");
    }
    EXPECT_EQ(server.stop(), 0);
    EXPECT_EQ(accessLines(server.log()),
              (std::vector<std::string>{"access 127.0.0.1 user=- POST /cimom op=- class=- status=413 cim=- bytes=0 ",
                                        "access 127.0.0.1 user=- POST /cimom op=- class=- status=413 cim=- bytes=0 ",
                                        "access 127.0.0.1 user=- POST /cimom op=- class=- status=400 cim=- bytes=0 "}));
}

TEST(TransportStop, FinishesTheRequestInFlightThenExits) {
    ServerProcess server;
    std::string request = chunkedRequest(getClassBody(), 64);
    std::size_t half = request.size() / 2;
    RawConnection connection(server.port());
    connection.send(request.substr(0, half));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // let the server start reading
    std::future<int> stopped = std::async(std::launch::async, [&] { return server.stop(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    connection.send(request.substr(half));
    RawResponse response = connection.receive();
    EXPECT_EQ(response.head, answerHead(response.body.size()));
    EXPECT_EQ(stopped.get(), 0);
}

}  // namespace
