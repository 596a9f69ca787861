// replay_server.cpp - the replaying test server and the tool runner.
#include "replay_server.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>
#include <httplib.h>

namespace clitest {

ReplayServer::ReplayServer(std::vector<RecordedAnswer> answers)
    : answers_(std::move(answers)), server_(std::make_unique<httplib::Server>()) {
    server_->set_read_timeout(5, 0);
    server_->Post("/cimom", [this](const httplib::Request &request, httplib::Response &response) {
        RecordedAnswer answer{500, "no more answers", {}, 0};
        {
            std::lock_guard<std::mutex> lock(mutex_);
            received_.push_back({request.get_header_value("CIMMethod"), request.get_header_value("CIMObject"),
                                 request.get_header_value("Authorization"), request.body});
            if (received_.size() <= answers_.size()) answer = answers_[received_.size() - 1];
            if (received_.size() >= 64) server_->stop();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(answer.delayMs));
        response.status = answer.status;
        for (const auto &[name, value] : answer.headers)
            response.set_header(name, value);
        bool html = answer.body.rfind("<html", 0) == 0 || answer.body.rfind("<!DOCTYPE", 0) == 0;
        response.set_content(answer.body, html ? "text/html" : "application/xml; charset=utf-8");
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    watchdog_ = std::thread([this] {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait_for(lock, std::chrono::seconds(30), [this] { return done_; });
        server_->stop();
    });
}

ReplayServer::~ReplayServer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
    }
    finished_.notify_all();
    server_->stop();
    thread_.join();
    watchdog_.join();
}

std::vector<ReceivedRequest> ReplayServer::received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

CliResult runTool(const std::vector<std::string> &args, const std::string &stdinText, const std::string &program) {
    std::string in = ::testing::TempDir() + "cli_inXXXXXX", err = ::testing::TempDir() + "cli_errXXXXXX";
    close(mkstemp(in.data()));
    close(mkstemp(err.data()));
    std::ofstream(in) << stdinText;
    std::string command = "timeout -s KILL 20 setsid -w " + (program.empty() ? std::string(CIMXML_CLI_PATH) : program);
    for (const std::string &arg : args)
        command += " '" + std::regex_replace(arg, std::regex("'"), "'\\''") + "'";
    FILE *pipe = popen((command + " <" + in + " 2>" + err).c_str(), "r");
    CliResult result;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.out.append(buffer, n);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) && WEXITSTATUS(status) != 137 ? WEXITSTATUS(status) : -1;
    std::stringstream errText;
    errText << std::ifstream(err).rdbuf();
    result.err = errText.str();
    unlink(in.c_str());
    unlink(err.c_str());
    return result;
}

}  // namespace clitest
