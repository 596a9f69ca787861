// replay_server.cpp - the replaying test server (Boost.Beast on one thread
// of its own) and the tool runner.
#include "replay_server.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <boost/asio/post.hpp>

#include <fcntl.h>

#include <chrono>
#include <cstdio>

#include <gtest/gtest.h>

namespace clitest {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;

namespace {

// One client connection: requests in turn, each answered after its delay.
class Session : public std::enable_shared_from_this<Session> {
public:
    Session(tcp::socket socket, ReplayServer &server)
        : socket_(std::move(socket)), delay_(socket_.get_executor()), server_(server) {}

    void read() {
        if (server_.finished()) return server_.shutDown();
        request_ = {};
        http::async_read(socket_, buffer_, request_, [self = shared_from_this()](beast::error_code ec, size_t) {
            if (!ec) self->answer();
        });
    }

    // Ends the connection and whatever it waits for.
    void close() {
        beast::error_code ignored;
        socket_.close(ignored);
        delay_.cancel();
    }

private:
    void answer() {
        RecordedAnswer answer = server_.answer({std::string(request_["CIMMethod"]), std::string(request_["CIMObject"]),
                                                std::string(request_["Authorization"]), request_.body()});
        text_ = answerText(answer);
        delay_.expires_after(std::chrono::milliseconds(answer.delayMs));
        delay_.async_wait([self = shared_from_this()](beast::error_code) {
            net::async_write(self->socket_, net::buffer(self->text_), [self](beast::error_code ec, size_t) {
                if (!ec) self->read();
            });
        });
    }

    tcp::socket socket_;
    net::steady_timer delay_;
    beast::flat_buffer buffer_;
    http::request<http::string_body> request_;
    std::string text_;
    ReplayServer &server_;
};

// The tools the tests start must not inherit the server's sockets: a child
// holding the listening socket would keep it accepting after the end.
void closeOnExec(int descriptor) { ::fcntl(descriptor, F_SETFD, ::fcntl(descriptor, F_GETFD) | FD_CLOEXEC); }

void accept(tcp::acceptor &acceptor, ReplayServer &server) {
    acceptor.async_accept([&acceptor, &server](beast::error_code ec, tcp::socket socket) {
        if (ec) return;
        closeOnExec(socket.native_handle());
        auto session = std::make_shared<Session>(std::move(socket), server);
        server.keep(session);
        session->read();
        accept(acceptor, server);
    });
}

}  // namespace

// The server's event loop: the listening socket, the connections and the
// watchdog that ends them after 30 s.
struct ReplayServer::Loop {
    net::io_context io;
    tcp::acceptor acceptor{io, tcp::endpoint(net::ip::make_address("127.0.0.1"), 0)};
    net::steady_timer watchdog{io};
    std::vector<std::weak_ptr<Session>> sessions;
};

void ReplayServer::keep(const std::shared_ptr<void> &session) {
    loop_->sessions.push_back(std::static_pointer_cast<Session>(session));
}

void ReplayServer::shutDown() {
    net::post(loop_->io, [this] {
        beast::error_code ignored;
        loop_->acceptor.close(ignored);
        loop_->watchdog.cancel();
        for (const std::weak_ptr<Session> &held : loop_->sessions)
            if (std::shared_ptr<Session> session = held.lock()) session->close();
    });
}

bool ReplayServer::finished() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_.size() >= 64;
}

std::string answerText(const RecordedAnswer &answer) {
    bool html = answer.body.rfind("<html", 0) == 0 || answer.body.rfind("<!DOCTYPE", 0) == 0;
    std::string reason(http::obsolete_reason(static_cast<http::status>(answer.status)));
    std::string text = "HTTP/1.1 " + std::to_string(answer.status) + " " + reason + "\r\nContent-Type: " +
                       (html ? "text/html" : "application/xml; charset=utf-8") + "\r\n";
    for (const auto &[name, value] : answer.headers)
        text += name + ": " + value + "\r\n";
    if (answer.chunkBytes == 0) return text + "Content-Length: " + std::to_string(answer.body.size()) + "\r\n\r\n" +
                                       answer.body;
    text += "Transfer-Encoding: chunked\r\nTrailer: CIMStatusCode, CIMStatusCodeDescription\r\n\r\n";
    for (size_t at = 0; at < answer.body.size(); at += answer.chunkBytes) {
        std::string piece = answer.body.substr(at, answer.chunkBytes);
        char size[24];
        std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
        text += size + piece + "\r\n";
    }
    text += "0\r\n";
    for (const auto &[name, value] : answer.trailers)
        text += name + ": " + value + "\r\n";
    return text + "\r\n";
}

ReplayServer::ReplayServer(std::vector<RecordedAnswer> answers)
    : answers_(std::move(answers)), loop_(std::make_unique<Loop>()) {
    port_ = loop_->acceptor.local_endpoint().port();
    closeOnExec(loop_->acceptor.native_handle());
    accept(loop_->acceptor, *this);
    loop_->watchdog.expires_after(std::chrono::seconds(30));
    loop_->watchdog.async_wait([this](beast::error_code ec) {
        if (!ec) shutDown();
    });
    thread_ = std::thread([this] { loop_->io.run(); });
}

ReplayServer::~ReplayServer() {
    shutDown();
    thread_.join();
}

RecordedAnswer ReplayServer::answer(ReceivedRequest request) {
    std::lock_guard<std::mutex> lock(mutex_);
    received_.push_back(std::move(request));
    if (received_.size() <= answers_.size()) return answers_[received_.size() - 1];
    return RecordedAnswer{500, "no more answers", {}, 0};
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
