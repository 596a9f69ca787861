// http_listener.h - one listening socket (HTTP or HTTPS) on the HTTP
// library's server, its connections run through ConnectionStream.
#pragma once

#include <chrono>
#include <string>

#include <httplib.h>

#include "tls_context.h"

namespace cimxmld {

// What the handlers of one request learn and leave for the log; the
// library's handler signatures have no room for it.
struct RequestContext {
    std::chrono::steady_clock::time_point started;
    std::string peer;          // "address:port" of the client
    bool mpost = false;
    bool tls = false;
    bool closeAfter = false;   // the body was left unread: close once answered
    bool counted = false;      // counted in the in-flight gauge
    bool isExport = false;
    std::string headerPrefix;  // "73-" for M-POST with ns=73
    std::string user;
    std::string operation;     // the method name the request carries
    std::string metricsOperation;
    std::string className;
    int cimStatus = -1;
};

// The request being answered on the calling thread; null outside one.
RequestContext *currentRequest();

// Makes context the calling thread's current request while the scope lives;
// the one before comes back when it ends.
class CurrentRequestScope {
public:
    explicit CurrentRequestScope(RequestContext &context);
    ~CurrentRequestScope();
    CurrentRequestScope(const CurrentRequestScope &) = delete;
    CurrentRequestScope &operator=(const CurrentRequestScope &) = delete;

private:
    RequestContext *previous_;
};

class HttpListener : public httplib::Server {
public:
    // tls: null for plain HTTP. timeout: the read and write timeouts (see
    // ConnectionStream); set_read_timeout and set_write_timeout change them.
    HttpListener(TlsContext tls, std::chrono::seconds timeout);

    // The library's binds, with a deep accept queue: the library listens
    // with a backlog of 5, so a burst of clients beyond it had connections
    // dropped and retried a second later, some of them failing. Return what
    // the library's do: the port (-1 on failure), or whether it is bound.
    int bind_to_any_port(const std::string &host, int socketFlags = 0);
    bool bind_to_port(const std::string &host, int port, int socketFlags = 0);

private:
    // Listens again on the bound socket with the system's largest queue.
    void deepenAcceptQueue();

    // Runs the keep-alive loop of one connection: at most the keep-alive
    // count of requests, each waited for up to the keep-alive timeout; ends
    // once the server stops listening, so requests in flight finish and
    // idle connections close.
    bool process_and_close_socket(socket_t sock) override;

    TlsContext tls_;
};

}  // namespace cimxmld
