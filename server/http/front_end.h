// front_end.h - the event-driven HTTP(S) front end: a few I/O threads own
// every socket (listening and connected) and hand complete requests to the
// CIM workers; limits on connections, time and size keep idle, slow and
// hostile clients from using it up.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "cimom_service.h"
#include "metrics.h"
#include "request_parser.h"
#include "tls_context.h"
#include "worker_pool.h"

namespace cimxmld {

struct FrontEndSettings {
    int ioThreads = 1;
    int workers = 2;
    int hashWorkers = 1;         // workers that may hash passwords at once
    std::size_t maxQueued = 1000;
    std::size_t maxConnections = 10000;
    std::chrono::seconds headerTimeout{10};
    std::chrono::seconds bodyTimeout{60};
    std::chrono::seconds keepAliveTimeout{30};
    std::chrono::seconds writeTimeout{20};
    std::size_t answerMemory = 1u << 20;    // bytes of one answer kept in memory before the rest goes to disk
    std::size_t answersMemory = 256u << 20;  // the same for all answers together
    RequestLimits limits;
    std::chrono::milliseconds stopGrace{4000};  // stop() ends what is left after this long
    std::chrono::milliseconds refusedLoginDelay{1000};  // a 401 for an address in back-off waits this long
};

struct IoThread;
class FrontEndHost;

class FrontEnd {
public:
    // service and metrics are lent and must outlive the front end.
    FrontEnd(CimomService &service, Metrics &metrics, FrontEndSettings settings);
    ~FrontEnd();
    FrontEnd(const FrontEnd &) = delete;
    FrontEnd &operator=(const FrontEnd &) = delete;

    // Serves the connections of listening, a socket that is bound and
    // listening already (made by openListeningSocket, or handed over by
    // whoever started the process); the front end owns it from here on.
    // tls: null for plain HTTP. Call before run(). false with the reason
    // when the socket cannot be used.
    bool addListener(int listening, TlsContext tls, std::string &error);

    // Runs the I/O threads (the calling one among them) and the workers
    // until stop() has ended every connection; the workers are joined
    // before it returns.
    void run();

    // From any thread, any number of times: no new connections; idle ones
    // close, a request in flight is answered (with Connection: close) and
    // then its connection closes; whatever is left after the grace time is
    // cut. run() returns when nothing is left.
    void stop();

private:
    struct Listener;
    void accept(Listener &listener);
    void beginStop();
    void stopThreads();

    friend class FrontEndHost;
    CimomService &service_;
    Metrics &metrics_;
    FrontEndSettings settings_;
    WorkerPool pool_;
    std::unique_ptr<FrontEndHost> host_;
    std::vector<std::unique_ptr<IoThread>> threads_;
    std::vector<std::unique_ptr<Listener>> listeners_;
    std::size_t nextThread_ = 0;
    std::atomic<std::size_t> open_{0};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> running_{false};
};

}  // namespace cimxmld
