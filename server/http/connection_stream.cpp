// connection_stream.cpp - buffered reads with deadlines, blocking writes
// bounded by the socket's send timeout, TLS through OpenSSL.
#include "connection_stream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string_view>

namespace cimxmld {

namespace {

constexpr std::size_t bufferSize = 16 * 1024;
constexpr std::string_view mpostLine = "M-POST ";

void setSocketTimeout(int socket, int option, std::chrono::milliseconds timeout) {
    timeval value{};
    value.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    value.tv_usec = static_cast<suseconds_t>(timeout.count() % 1000 * 1000);
    setsockopt(socket, SOL_SOCKET, option, &value, sizeof value);
}

void addressText(const sockaddr_storage &address, std::string &ip, int &port) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET) {
        const auto *v4 = reinterpret_cast<const sockaddr_in *>(&address);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        port = ntohs(v4->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto *v6 = reinterpret_cast<const sockaddr_in6 *>(&address);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        port = ntohs(v6->sin6_port);
    }
    ip = text;
}

}  // namespace

ConnectionStream::ConnectionStream(int socket, SSL_CTX *tls, std::chrono::milliseconds readTimeout,
                                   std::chrono::milliseconds writeTimeout)
    : socket_(socket), timeout_(readTimeout), writeTimeout_(writeTimeout), buffer_(bufferSize) {
    // Bounds the calls that may block inside OpenSSL and every send.
    setSocketTimeout(socket_, SO_RCVTIMEO, timeout_);
    setSocketTimeout(socket_, SO_SNDTIMEO, writeTimeout_);
    if (tls != nullptr) {
        ssl_ = SSL_new(tls);
        if (ssl_ != nullptr) SSL_set_fd(ssl_, socket_);
    }
}

ConnectionStream::~ConnectionStream() {
    if (ssl_ != nullptr) SSL_free(ssl_);
}

bool ConnectionStream::open() {
    if (ssl_ == nullptr) return true;
    Clock::time_point deadline = Clock::now() + timeout_;
    for (;;) {
        int result = SSL_accept(ssl_);
        if (result == 1) return true;
        int error = SSL_get_error(ssl_, result);
        if (error != SSL_ERROR_WANT_READ || !waitReadable(deadline)) return false;
    }
}

ConnectionStream::Clock::time_point ConnectionStream::readDeadline() const {
    Clock::time_point deadline = Clock::now() + timeout_;
    return inHead_ ? std::min(deadline, headDeadline_) : deadline;
}

bool ConnectionStream::waitReadable(Clock::time_point deadline) const {
    if (ssl_ != nullptr && SSL_pending(ssl_) > 0) return true;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left < 0) return false;
        pollfd wanted{socket_, POLLIN, 0};
        int ready = ::poll(&wanted, 1, static_cast<int>(std::min<long long>(left, INT_MAX)));
        if (ready > 0) return true;
        if (ready == 0 || errno != EINTR) return false;
    }
}

bool ConnectionStream::waitForRequest(std::chrono::milliseconds idle, const std::function<bool()> &stopping) {
    if (begin_ < end_) return true;
    Clock::time_point deadline = Clock::now() + idle;
    while (!stopping()) {
        Clock::time_point now = Clock::now();
        if (now >= deadline) return false;
        if (waitReadable(std::min(deadline, now + std::chrono::milliseconds(100)))) return true;
    }
    return false;
}

void ConnectionStream::beginRequest() {
    atRequestStart_ = true;
    inHead_ = true;
    mpost_ = false;
    headDeadline_ = Clock::now() + timeout_;
}

void ConnectionStream::endHead() { inHead_ = false; }

ssize_t ConnectionStream::receive(char *ptr, size_t size) {
    if (!waitReadable(readDeadline())) return -1;
    if (ssl_ == nullptr) {
        for (;;) {
            ssize_t n = ::recv(socket_, ptr, size, 0);
            if (n >= 0 || errno != EINTR) return n;
        }
    }
    int n = SSL_read(ssl_, ptr, static_cast<int>(std::min<size_t>(size, INT_MAX)));
    if (n > 0) return n;
    int error = SSL_get_error(ssl_, n);
    if (error == SSL_ERROR_ZERO_RETURN) return 0;
    if (error == SSL_ERROR_WANT_READ) return receive(ptr, size);  // a record without application data
    return -1;
}

// Appends what arrives to the buffer (moving the unread part to its front
// first); the byte count, 0 at the end of the stream, -1 on error or timeout.
ssize_t ConnectionStream::fill() {
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    ssize_t n = receive(buffer_.data() + end_, buffer_.size() - end_);
    if (n > 0) end_ += static_cast<std::size_t>(n);
    return n;
}

void ConnectionStream::detectMPost() {
    atRequestStart_ = false;
    while (end_ - begin_ < mpostLine.size()) {
        std::string_view have(buffer_.data() + begin_, end_ - begin_);
        if (mpostLine.substr(0, have.size()) != have || fill() <= 0) return;
    }
    if (std::string_view(buffer_.data() + begin_, mpostLine.size()) == mpostLine) {
        begin_ += 2;  // "M-POST /cimom ..." continues as "POST /cimom ..."
        mpost_ = true;
    }
}

bool ConnectionStream::is_readable() const {
    return begin_ < end_ || waitReadable(readDeadline());
}

bool ConnectionStream::is_writable() const {
    pollfd wanted{socket_, POLLOUT, 0};
    return ::poll(&wanted, 1, static_cast<int>(writeTimeout_.count())) > 0;
}

ssize_t ConnectionStream::read(char *ptr, size_t size) {
    if (atRequestStart_) detectMPost();
    if (begin_ == end_) {
        if (size >= buffer_.size()) return receive(ptr, size);
        begin_ = end_ = 0;
        ssize_t n = fill();
        if (n <= 0) return n;
    }
    std::size_t count = std::min(size, end_ - begin_);
    std::memcpy(ptr, buffer_.data() + begin_, count);
    begin_ += count;
    return static_cast<ssize_t>(count);
}

ssize_t ConnectionStream::write(const char *ptr, size_t size) {
    if (ssl_ != nullptr) {
        int n = SSL_write(ssl_, ptr, static_cast<int>(std::min<size_t>(size, 1u << 20)));
        return n > 0 ? n : -1;
    }
    for (;;) {
        ssize_t n = ::send(socket_, ptr, size, MSG_NOSIGNAL);
        if (n >= 0 || errno != EINTR) return n;
    }
}

void ConnectionStream::get_remote_ip_and_port(std::string &ip, int &port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getpeername(socket_, reinterpret_cast<sockaddr *>(&address), &length) == 0) addressText(address, ip, port);
}

void ConnectionStream::get_local_ip_and_port(std::string &ip, int &port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(socket_, reinterpret_cast<sockaddr *>(&address), &length) == 0) addressText(address, ip, port);
}

void ConnectionStream::close(bool drain) {
    if (ssl_ != nullptr) SSL_shutdown(ssl_);
    ::shutdown(socket_, SHUT_WR);
    if (drain) {
        Clock::time_point deadline = Clock::now() + std::chrono::seconds(1);
        std::size_t dropped = 0;
        char sink[bufferSize];
        while (dropped < (4u << 20) && waitReadable(deadline)) {
            ssize_t n = ::recv(socket_, sink, sizeof sink, 0);
            if (n <= 0) break;
            dropped += static_cast<std::size_t>(n);
        }
    }
    ::close(socket_);
}

}  // namespace cimxmld
