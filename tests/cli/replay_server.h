// replay_server.h - a test HTTP server on 127.0.0.1 that answers each
// request with the next of its recorded answers, and a runner for the
// client tools.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

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

struct CliResult {
    int status = -1;  // -1 when it did not exit by itself within 20 s
    std::string out, err;
};

// Runs program (cimxml-cli when empty) with args and stdinText, without a
// controlling terminal (a password is never asked), killed after 20 s.
CliResult runTool(const std::vector<std::string> &args, const std::string &stdinText = "",
                  const std::string &program = "");

}  // namespace clitest
