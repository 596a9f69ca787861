// replay_server.h - a test HTTP server on 127.0.0.1 that answers each
// request with the next of its recorded answers, and the way the tests run
// the client tools.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "server_process.h"

namespace httplib {
class Server;
}

namespace clitest {

struct RecordedAnswer {
    int status = 200;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;  // besides Content-Type
    int delayMs = 0;                                           // before answering
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

private:
    std::vector<RecordedAnswer> answers_;
    std::vector<ReceivedRequest> received_;
    mutable std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::thread watchdog_;
    int port_ = 0;
};

// Runs cimxml-cli (or program) with args and stdinText through the shared
// command runner, without a controlling terminal, so that no password is
// ever asked; killed after 20 s (status 137).
httptest::CommandResult runTool(const std::vector<std::string> &args, const std::string &stdinText = "",
                                const std::string &program = CIMXML_CLI_PATH);

}  // namespace clitest
