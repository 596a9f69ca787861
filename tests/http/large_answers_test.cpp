// Large answers as clients get them: to a client that takes trailers in
// chunks as soon as they are made, to one that does not with their length
// once complete (spilled to disk meanwhile), the same bytes either way and
// as a small answer is sent; the memory they hold shows on /metrics; one
// that finds no room is refused with CIM_ERR_SERVER_LIMITS_EXCEEDED.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <thread>

#include "server_process.h"

namespace {

using namespace httptest;

constexpr int items = 6000;  // about 1 KB each: a 6 MB answer

std::string fixtureMof() {
    std::string path = ::testing::TempDir() + "large_" + std::to_string(getpid()) + ".mof";
    std::ofstream mof(path);
    mof << "class Large_Item { [Key] string Name; string Text; };\n";
    for (int i = 0; i < items; ++i)
        mof << "instance of Large_Item { Name = \"item-" << i << "\"; Text = \"" << std::string(900, 'a' + i % 26)
            << "\"; };\n";
    return path;
}

std::string enumerate(const char *te) {
    std::string request = cimRequest(intrinsicBody("EnumerateInstances",
                                                   "<IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"Large_Item\"/>"
                                                   "</IPARAMVALUE>"),
                                     "EnumerateInstances");
    return editHeader(editHeader(request, "TE", te), "Connection", "close");
}

// The body of a chunked answer, and what follows its last chunk.
std::string dechunk(const std::string &chunked, std::string &trailer) {
    std::string body;
    std::size_t at = 0;
    while (at < chunked.size()) {
        std::size_t line = chunked.find("\r\n", at);
        if (line == std::string::npos) break;
        std::size_t size = std::stoul(chunked.substr(at, line - at), nullptr, 16);
        at = line + 2;
        if (size == 0) {
            trailer = chunked.substr(at);
            return body;
        }
        body += chunked.substr(at, size);
        at += size + 2;
    }
    ADD_FAILURE() << "no last chunk";
    return body;
}

TEST(LargeAnswers, ChunkedToClientsThatTakeTrailersWithTheirLengthToOthersTheSameBytes) {
    const std::string mof = fixtureMof();
    ServerProcess server({"--mof", mof, "--max-response-memory", "65536"});
    RawConnection plain(server.port(), std::chrono::seconds(20));
    plain.send(enumerate(nullptr));
    RawResponse whole = plain.receive();
    EXPECT_NE(whole.head.find("\r\nContent-Length: " + std::to_string(whole.body.size()) + "\r\n"), std::string::npos)
        << whole.head;
    EXPECT_GT(whole.body.size(), 5u << 20);
    std::regex entry("<VALUE.NAMEDINSTANCE>");
    EXPECT_EQ(std::distance(std::sregex_iterator(whole.body.begin(), whole.body.end(), entry), std::sregex_iterator()),
              items);

    RawConnection chunked(server.port(), std::chrono::seconds(20));
    chunked.send(enumerate("trailers"));
    RawResponse pieces = chunked.receive();
    EXPECT_NE(pieces.head.find("\r\nTransfer-Encoding: chunked\r\n"), std::string::npos) << pieces.head;
    EXPECT_NE(pieces.head.find("\r\nTrailer: CIMStatusCode, CIMStatusCodeDescription\r\n"), std::string::npos);
    EXPECT_EQ(pieces.head.find("Content-Length"), std::string::npos);
    std::string trailer;
    EXPECT_TRUE(dechunk(pieces.body, trailer) == whole.body) << "the same bytes in chunks";
    EXPECT_EQ(trailer, "\r\n") << "a whole answer ends without status trailers";
    // Apart from their framing the heads are the same.
    auto framing = std::regex("(Content-Length|Transfer-Encoding|Trailer|Connection): [^\r]*\r\n");
    EXPECT_EQ(std::regex_replace(pieces.head, framing, ""), std::regex_replace(whole.head, framing, ""));

    // A small answer to a client that takes trailers goes whole, as before.
    RawConnection small(server.port());
    small.send(editHeader(getClassRequest(), "TE", "trailers"));
    RawResponse getClass = small.receive();
    EXPECT_EQ(getClass.head, answerHead(getClass.body.size()));

    // Once the answers are out they hold nothing (the last may still be
    // letting go of its stream for a moment).
    std::string held;
    for (int attempt = 0; attempt < 20; ++attempt) {
        RawConnection metrics(server.port());
        metrics.send("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
        std::string figures = metrics.receive().body;
        std::smatch memory, disk;
        std::regex_search(figures, memory, std::regex("\ncimxmld_answer_memory_bytes ([^\n]*)\n"));
        std::regex_search(figures, disk, std::regex("\ncimxmld_answer_disk_bytes ([^\n]*)\n"));
        held = memory[1].str() + " " + disk[1].str();
        if (held == "0 0") break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(held, "0 0") << "bytes of answers in memory and on disk";
    ::unlink(mof.c_str());
}

TEST(LargeAnswers, ThatFindNoRoomAreRefusedWithServerLimitsExceeded) {
    const std::string mof = fixtureMof();
    const char *tmp = std::getenv("TMPDIR");
    const std::string saved = tmp ? tmp : "";
    ::setenv("TMPDIR", "/nonexistent/cimxmld-answers", 1);  // no temporary file can be made
    ServerProcess server({"--mof", mof, "--max-response-memory", "65536"});
    tmp ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");
    for (const char *te : {static_cast<const char *>(nullptr), "trailers"}) {
        RawConnection client(server.port(), std::chrono::seconds(20));
        client.send(enumerate(te));
        RawResponse refused = client.receive();
        EXPECT_EQ(refused.head.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << refused.head;
        EXPECT_NE(refused.body.find("<ERROR CODE=\"27\" DESCRIPTION=\"the answer does not fit in the memory and disk "
                                    "space the server has for answers\"/>"),
                  std::string::npos)
            << refused.body.substr(0, 600);
        EXPECT_EQ(refused.body.find("VALUE.NAMEDINSTANCE"), std::string::npos);
    }
    RawConnection after(server.port());
    after.send(getClassRequest());
    EXPECT_NE(after.receive().body.find("<CLASS NAME="), std::string::npos) << "the server goes on";
    ::unlink(mof.c_str());
}

}  // namespace
