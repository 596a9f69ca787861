// http_listener.cpp - the connection loop.
#include "http_listener.h"

#include <sys/socket.h>

#include "connection_stream.h"

namespace cimxmld {

namespace {

thread_local RequestContext *current = nullptr;

}  // namespace

RequestContext *currentRequest() { return current; }

CurrentRequestScope::CurrentRequestScope(RequestContext &context) : previous_(current) { current = &context; }

CurrentRequestScope::~CurrentRequestScope() { current = previous_; }

HttpListener::HttpListener(TlsContext tls, std::chrono::seconds timeout) : tls_(std::move(tls)) {
    set_read_timeout(timeout);
    set_write_timeout(timeout);
    // Head and body go out in separate writes: without this the body waits
    // for the client's delayed acknowledgement.
    set_tcp_nodelay(true);
}

int HttpListener::bind_to_any_port(const std::string &host, int socketFlags) {
    int port = httplib::Server::bind_to_any_port(host, socketFlags);
    if (port > 0) deepenAcceptQueue();
    return port;
}

bool HttpListener::bind_to_port(const std::string &host, int port, int socketFlags) {
    bool bound = httplib::Server::bind_to_port(host, port, socketFlags);
    if (bound) deepenAcceptQueue();
    return bound;
}

void HttpListener::deepenAcceptQueue() {
    // Listening again on a listening socket only changes its queue length.
    ::listen(svr_sock_, SOMAXCONN);
}

bool HttpListener::process_and_close_socket(socket_t sock) {
    using std::chrono::seconds, std::chrono::microseconds;
    ConnectionStream stream(sock, tls_.get(),
                            std::chrono::duration_cast<std::chrono::milliseconds>(
                                seconds(read_timeout_sec_) + microseconds(read_timeout_usec_)),
                            std::chrono::duration_cast<std::chrono::milliseconds>(
                                seconds(write_timeout_sec_) + microseconds(write_timeout_usec_)));
    bool served = stream.open();
    bool drain = false;
    std::string address;
    int port = 0;
    stream.get_remote_ip_and_port(address, port);
    std::string peer = (address.find(':') != std::string::npos ? "[" + address + "]" : address) + ":" + std::to_string(port);
    auto stopping = [this] { return svr_sock_ == INVALID_SOCKET; };
    for (std::size_t left = keep_alive_max_count_; served && left > 0; --left) {
        if (!stream.waitForRequest(std::chrono::seconds(keep_alive_timeout_sec_), stopping)) break;
        RequestContext context;
        context.started = std::chrono::steady_clock::now();
        context.tls = tls_ != nullptr;
        context.peer = peer;
        bool closed = false;
        {
            CurrentRequestScope scope(context);
            stream.beginRequest();
            served = process_request(stream, left == 1, closed, [&](httplib::Request &) {
                stream.endHead();
                context.mpost = stream.wasMPost();
            });
        }
        drain = context.closeAfter;
        if (closed || context.closeAfter) break;
    }
    stream.close(drain);
    return served;
}

}  // namespace cimxmld
