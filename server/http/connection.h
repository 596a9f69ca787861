// connection.h - one client connection of the front end, plain or TLS: what
// the front end and its connections share (inside the front end only).
#pragma once

#include <unordered_set>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/ssl/context.hpp>

#include "cimom_service.h"
#include "metrics.h"
#include "worker_pool.h"

namespace cimxmld {

struct FrontEndSettings;

class ConnectionBase {
public:
    virtual ~ConnectionBase() = default;
    // The server stops (called on the connection's thread): an idle
    // connection closes now, one in a request answers it and then closes.
    virtual void stopWhenIdle() = 0;
};

// One I/O thread's event loop and the connections it owns. Only that
// thread touches connections and stopping.
struct IoThread {
    std::unordered_set<ConnectionBase *> connections;  // declared first: the loop's handlers die before it
    bool stopping = false;
    std::size_t awaited = 0;  // requests of this thread's connections at the workers
    boost::asio::io_context context{1};
    // Gives free memory back once large answers on this thread pause.
    boost::asio::steady_timer memoryRelease{context};
};

// What connections need from the front end that owns them.
class ConnectionHost {
public:
    ConnectionHost(CimomService &service, WorkerPool &pool, Metrics &metrics, const FrontEndSettings &settings)
        : service(service), pool(pool), metrics(metrics), settings(settings) {}
    virtual ~ConnectionHost() = default;
    // A connection has ended (called from its destructor, on its thread).
    virtual void connectionEnded() = 0;

    CimomService &service;
    WorkerPool &pool;
    Metrics &metrics;
    const FrontEndSettings &settings;
};

// Serves socket (accepted on thread's loop, counted as open by the host)
// from its first byte to its close; tls: null for plain HTTP. Call on
// thread's loop. The connection owns itself.
void startConnection(boost::asio::ip::tcp::socket socket, boost::asio::ssl::context *tls, IoThread &thread,
                     ConnectionHost &host);

}  // namespace cimxmld
