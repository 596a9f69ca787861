// replay_server.cpp - the replaying test server and the tool runner.
#include "replay_server.h"

#include <chrono>

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

httptest::CommandResult runTool(const std::vector<std::string> &args, const std::string &stdinText,
                                const std::string &program) {
    std::vector<std::string> command = {"-w", program};
    command.insert(command.end(), args.begin(), args.end());
    return httptest::runCommand("setsid", command, stdinText);
}

}  // namespace clitest
