// replay_server.h - a test HTTP server on 127.0.0.1 that answers each
// request with the next of its recorded answers, and the way the tests run
// the client tools.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "server_process.h"


namespace clitest {

struct RecordedAnswer {
    int status = 200;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;  // besides Content-Type
    int delayMs = 0;                                           // before answering
    // Sent chunked (in pieces of chunkBytes) ending with these trailers
    // when chunkBytes is not 0, as a server sends a large answer to a
    // client that takes trailers.
    std::size_t chunkBytes = 0;
    std::vector<std::pair<std::string, std::string>> trailers = {};
};

struct ReceivedRequest {
    std::string cimMethod, cimObject, authorization, body;
};

// Serves POST /cimom on a free loopback port until destroyed, for at most
// 30 s and 64 requests; answers after the last recorded one are 500.
class ReplayServer {
public:
    explicit ReplayServer(std::vector<RecordedAnswer> answers);
    ~ReplayServer();
    int port() const { return port_; }
    std::vector<ReceivedRequest> received() const;

    // What the connections call: the next recorded answer for a request
    // that came; whether the last request was answered; keeping a new
    // connection (a Session) to close at the end; closing everything, after
    // which the loop ends.
    RecordedAnswer answer(ReceivedRequest request);
    bool finished() const;
    void keep(const std::shared_ptr<void> &session);
    void shutDown();

private:
    struct Loop;
    std::vector<RecordedAnswer> answers_;
    std::vector<ReceivedRequest> received_;
    mutable std::mutex mutex_;
    std::unique_ptr<Loop> loop_;
    std::thread thread_;
    int port_ = 0;
};

// The text of a whole HTTP answer as the replaying server sends it.
std::string answerText(const RecordedAnswer &answer);

// Runs cimxml-cli (or program) with args and stdinText through the shared
// command runner, without a controlling terminal, so that no password is
// ever asked; killed after 20 s (status 137).
httptest::CommandResult runTool(const std::vector<std::string> &args, const std::string &stdinText = "",
                                const std::string &program = CIMXML_CLI_PATH);

}  // namespace clitest
