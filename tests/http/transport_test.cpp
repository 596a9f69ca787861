// The server as an HTTP/1.1 server: keep-alive, chunked bodies, M-POST,
// Expect: 100-continue, many clients, limits, timeouts, a graceful stop, and
// what it logs and counts meanwhile.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <regex>
#include <sstream>
#include <thread>

#include "server_process.h"

namespace {

using namespace httptest;

// The GetClass request with its body in chunks of at most size bytes.
std::string chunkedRequest(const std::string &body, std::size_t size) {
    std::ostringstream out;
    out << editHeader(editHeader(cimRequest(""), "Content-Length", nullptr), "Transfer-Encoding", "chunked");
    for (std::size_t at = 0; at < body.size(); at += size)
        out << std::hex << body.substr(at, size).size() << "\r\n" << body.substr(at, size) << "\r\n";
    out << "0\r\n\r\n";
    return out.str();
}

TEST(Transport, KeepAliveChunksMPostAndExpectAllGetTheSameAnswer) {
    ServerProcess server;
    RawConnection connection(server.port());
    connection.send(getClassRequest());
    RawResponse first = connection.receive();
    EXPECT_EQ(first.head, answerHead(first.body.size()));
    for (std::size_t chunk : {7u, 4096u}) {
        connection.send(chunkedRequest(getClassBody(), chunk));
        RawResponse again = connection.receive();
        EXPECT_EQ(again.head + again.body, first.head + first.body) << "chunks of " << chunk;
    }

    std::string mpost = "M-" + std::regex_replace(getClassRequest(), std::regex("\r\nCIM"), "\r\n73-CIM");
    connection.send(editHeader(mpost, "Man", "\"http://www.dmtf.org/cim/mapping/http/v1.0\" ; ns=73"));
    RawResponse extended = connection.receive();
    EXPECT_EQ(extended.head, answerHead(first.body.size(), "73-"));
    EXPECT_EQ(extended.body, first.body);

    std::string expecting = editHeader(getClassRequest(), "Expect", "100-continue");
    std::size_t bodyAt = expecting.find("\r\n\r\n") + 4;
    connection.send(expecting.substr(0, bodyAt));
    EXPECT_EQ(connection.receive().head, "HTTP/1.1 100 Continue\r\n");
    connection.send(expecting.substr(bodyAt));
    RawResponse continued = connection.receive();
    EXPECT_EQ(continued.head + continued.body, first.head + first.body);

    // A head that already breaks a rule is refused instead of continued.
    connection.send(editHeader(expecting.substr(0, bodyAt), "CIMOperation", "Other"));
    EXPECT_EQ(connection.receive().head, "HTTP/1.1 400 Bad Request\r\nCIMError: unsupported-operation\r\n"
                                         "Connection: close\r\nContent-Length: 0\r\n");
    EXPECT_TRUE(connection.closedByServer());
}

TEST(Transport, ServesSixteenClientsAtOnceAndCountsThem) {
    ServerProcess server({"--threads", "16"});
    RawConnection reference(server.port());
    reference.send(getClassRequest());
    RawResponse expected = reference.receive();

    constexpr int clients = 16, requests = 25;
    std::vector<std::future<int>> answered;
    for (int c = 0; c < clients; ++c) {
        answered.push_back(std::async(std::launch::async, [&] {
            RawConnection connection(server.port());
            int same = 0;
            for (int r = 0; r < requests && connection.send(getClassRequest()); ++r) {
                RawResponse response = connection.receive();
                same += response.head == expected.head && response.body == expected.body;
            }
            return same;
        }));
    }
    for (auto &client : answered) EXPECT_EQ(client.get(), requests);

    // A request is counted once its answer is written, which a client may
    // see a moment before: read the figures until the last one is in.
    const std::string total = "} " + std::to_string(clients * requests + 1);
    std::string text;
    std::smatch line;
    for (int attempt = 0; attempt < 100; ++attempt) {
        reference.send("GET /metrics HTTP/1.1\r\n\r\n");
        text = reference.receive().body;
        if (text.find(total) != std::string::npos) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(std::regex_search(text, line, std::regex("cimxmld_requests_total\\{operation=\"GetClass\",[^\\n]*")));
    EXPECT_EQ(line.str(), "cimxmld_requests_total{operation=\"GetClass\",http_status=\"200\",cim_status=\"0\"} " +
                              std::to_string(clients * requests + 1));
    // The module's own count of its calls, read while it is loaded.
    EXPECT_NE(text.find("\ncimxmld_module_calls_total{name=\"CIMXML Unknown\"} 0\n"
                        "cimxmld_module_calls_total{name=\"CIMXML Handle\"} " +
                        std::to_string(clients * requests + 1) + "\n"),
              std::string::npos)
        << text;
}

TEST(Transport, RefusesOversizeBodiesUnreadDropsSlowClientsAndLogsEachRequest) {
    ServerProcess server({"--max-body", "2000", "--header-timeout", "1", "--log-level", "info"});
    const std::string refused = "HTTP/1.1 413 Payload Too Large\r\nConnection: close\r\nContent-Length: 0\r\n";
    std::string big = intrinsicBody("GetClass", std::string(2200, ' '));
    std::size_t answerSize = 0;
    for (const std::string &request : {cimRequest(big).substr(0, 600), chunkedRequest(big, 500), getClassRequest()}) {
        RawConnection connection(server.port());
        connection.send(request);
        RawResponse response = connection.receive();
        if (request == getClassRequest()) answerSize = response.body.size();
        EXPECT_EQ(response.head, request == getClassRequest() ? answerHead(answerSize) : refused);
    }
    // One header byte every 300 ms: the head is not complete within the 1 s
    // header timeout, so the server answers 408 and closes.
    RawConnection slow(server.port(), std::chrono::milliseconds(300));
    slow.send("POST /cimom HTTP/1.1\r\n");
    RawResponse response;
    for (int i = 0; i < 30 && response.head.empty() && slow.send("X"); ++i) response = slow.receive();
    EXPECT_EQ(response.head, "HTTP/1.1 408 Request Timeout\r\nConnection: close\r\nContent-Length: 0\r\n");

    EXPECT_EQ(server.stop(), 0);
    std::string log = server.log();
    std::vector<std::string> lines;
    static const std::regex access("\\[INFO\\] access 127\\.0\\.0\\.1:[0-9]+ ([^\\n]*) ms=[0-9]+\\.[0-9][0-9]\\n");
    for (auto it = std::sregex_iterator(log.begin(), log.end(), access); it != std::sregex_iterator(); ++it)
        lines.push_back((*it)[1].str());
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "user=- POST /cimom op=- class=- status=413 cim=- bytes=0",
                         "user=- POST /cimom op=- class=- status=413 cim=- bytes=0",
                         "user=- POST /cimom op=GetClass class=CIM_ManagedElement status=200 cim=0 bytes=" +
                             std::to_string(answerSize),
                         "user=- POST /cimom op=- class=- status=408 cim=- bytes=0"}));
}

TEST(Transport, StopFinishesTheRequestInFlightThenExits) {
    ServerProcess server;
    std::string request = chunkedRequest(getClassBody(), 64);
    std::size_t half = request.size() / 2;
    RawConnection connection(server.port());
    connection.send(request.substr(0, half));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the server is reading the body
    std::future<int> stopped = std::async(std::launch::async, [&] { return server.stop(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    connection.send(request.substr(half));
    RawResponse response = connection.receive();
    // The answer says that the connection ends with it.
    std::string closing = std::regex_replace(answerHead(response.body.size()), std::regex("Keep-Alive: [^\r]*\r\n"), "");
    EXPECT_EQ(response.head, std::regex_replace(closing, std::regex("Content-Length"), "Connection: close\r\nContent-Length"));
    EXPECT_EQ(stopped.get(), 0);
}

}  // namespace
