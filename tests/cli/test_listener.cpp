// test_listener.cpp - the tests' indication listener: one thread polling
// the port and its connections.
#include "test_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <strings.h>

#include <cstdlib>
#include <map>

namespace clitest {

namespace {

std::string answerFor(TestListener::Answer how) {
    if (how == TestListener::Answer::HttpError)
        return "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\n\r\n";
    std::string body = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">"
                       "<MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLEEXPRSP><EXPMETHODRESPONSE NAME=\"ExportIndication\">";
    body += how == TestListener::Answer::CimError ? "<ERROR CODE=\"1\" DESCRIPTION=\"queue full\"/>" : "<IRETURNVALUE/>";
    body += "</EXPMETHODRESPONSE></SIMPLEEXPRSP></MESSAGE></CIM>\n";
    return "HTTP/1.1 200 OK\r\nContent-Type: application/xml; charset=utf-8\r\nCIMExport: MethodResponse\r\n"
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// The length of the first whole request in buffer, 0 when it is not complete.
std::size_t requestLength(const std::string &buffer, std::string &head, std::string &body) {
    std::size_t end = buffer.find("\r\n\r\n");
    if (end == std::string::npos) return 0;
    head = buffer.substr(0, end);
    std::size_t length = 0;
    for (std::size_t at = head.find("\r\n"); at != std::string::npos; at = head.find("\r\n", at + 2)) {
        std::string line = head.substr(at + 2, head.find("\r\n", at + 2) - at - 2);
        if (line.size() > 15 && strncasecmp(line.c_str(), "Content-Length:", 15) == 0)
            length = std::strtoul(line.c_str() + 15, nullptr, 10);
    }
    if (buffer.size() < end + 4 + length) return 0;
    body = buffer.substr(end + 4, length);
    return end + 4 + length;
}

}  // namespace

int TestListener::open() {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || listen(fd, 16) != 0) {
        close(fd);
        return -1;
    }
    socklen_t size = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size);
    port_ = ntohs(address.sin_port);
    return fd;
}

TestListener::TestListener() {
    int first = open();
    close(first);  // serve() opens it again: the port is known before the thread runs
    thread_ = std::thread([this] { serve(); });
}

TestListener::~TestListener() {
    ending_ = true;
    thread_.join();
}

void TestListener::down() {
    wantDown_ = true;
    // The thread closes within one poll round.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

void TestListener::up() {
    wantDown_ = false;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

std::vector<ReceivedExport> TestListener::waitFor(std::size_t count, std::chrono::seconds timeout) {
    auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (received_.size() >= count || std::chrono::steady_clock::now() > until) return received_;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void TestListener::serve() {
    int listening = -1;
    std::map<int, std::string> connections;  // descriptor -> bytes not yet read as a request
    while (!ending_) {
        if (wantDown_ && listening >= 0) {
            close(listening);
            listening = -1;
            for (auto &[fd, buffer] : connections) close(fd);
            connections.clear();
        }
        if (!wantDown_ && listening < 0) listening = open();
        std::vector<pollfd> fds;
        if (listening >= 0) fds.push_back({listening, POLLIN, 0});
        for (auto &[fd, buffer] : connections) fds.push_back({fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), 50) <= 0) continue;
        for (const pollfd &one : fds) {
            if (!(one.revents & (POLLIN | POLLHUP | POLLERR))) continue;
            if (one.fd == listening) {
                int fd = accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
                if (fd >= 0) connections[fd];
                continue;
            }
            char piece[65536];
            ssize_t got = read(one.fd, piece, sizeof piece);
            if (got <= 0) {
                close(one.fd);
                connections.erase(one.fd);
                continue;
            }
            std::string &buffer = connections[one.fd];
            buffer.append(piece, static_cast<std::size_t>(got));
            ReceivedExport request;
            while (std::size_t length = requestLength(buffer, request.head, request.body)) {
                buffer.erase(0, length);
                Answer how = answer_;
                request.accepted = how == Answer::Accept;
                std::string text = answerFor(how);
                if (write(one.fd, text.data(), text.size()) < 0) break;
                std::lock_guard lock(mutex_);
                received_.push_back(request);
            }
        }
    }
    if (listening >= 0) close(listening);
    for (auto &[fd, buffer] : connections) close(fd);
}

}  // namespace clitest
