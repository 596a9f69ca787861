// connection_stream.h - one client connection as the HTTP library reads and
// writes it: plain or TLS, bounded by the server's timeouts, with an M-POST
// request line read as POST (the library refuses methods it does not know).
#pragma once

#include <chrono>
#include <functional>
#include <vector>

#include <httplib.h>
#include <openssl/ssl.h>

namespace cimxmld {

class ConnectionStream : public httplib::Stream {
public:
    using Clock = std::chrono::steady_clock;

    // socket: connected, blocking; closed by close(). tls: null for plain
    // HTTP. readTimeout bounds each read, the TLS handshake and a request's
    // head; writeTimeout bounds each write.
    ConnectionStream(int socket, SSL_CTX *tls, std::chrono::milliseconds readTimeout,
                     std::chrono::milliseconds writeTimeout);
    ~ConnectionStream() override;
    ConnectionStream(const ConnectionStream &) = delete;
    ConnectionStream &operator=(const ConnectionStream &) = delete;

    // The TLS handshake, within the timeout; true at once for plain HTTP.
    bool open();
    // Waits up to idle for the first byte of the next request. false when
    // the peer closed, the time passed, or stopping() returned true (asked
    // every 100 ms).
    bool waitForRequest(std::chrono::milliseconds idle, const std::function<bool()> &stopping);
    // The next bytes begin a request: its head (request line and headers)
    // must arrive within the timeout, however slowly it trickles in.
    void beginRequest();
    // The head has been read: from here on the timeout applies per read.
    void endHead();
    // The current request came as M-POST.
    bool wasMPost() const { return mpost_; }
    // TLS close_notify, end of our sending side, and then, when drain is
    // set, what the client still sends is read and dropped (up to 1 s or
    // 4 MiB) so that the close does not reset the connection before the
    // client has read our answer. Closes the socket.
    void close(bool drain);

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char *ptr, size_t size) override;
    ssize_t write(const char *ptr, size_t size) override;
    void get_remote_ip_and_port(std::string &ip, int &port) const override;
    void get_local_ip_and_port(std::string &ip, int &port) const override;
    socket_t socket() const override { return socket_; }

private:
    Clock::time_point readDeadline() const;
    bool waitReadable(Clock::time_point deadline) const;
    ssize_t receive(char *ptr, size_t size);
    ssize_t fill();
    void detectMPost();

    int socket_;
    SSL *ssl_ = nullptr;
    std::chrono::milliseconds timeout_;  // reads
    std::chrono::milliseconds writeTimeout_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atRequestStart_ = false;
    bool inHead_ = false;
    bool mpost_ = false;
    Clock::time_point headDeadline_{};
};

}  // namespace cimxmld
