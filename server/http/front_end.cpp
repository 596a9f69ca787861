// front_end.cpp - the I/O threads, the accept loops with the connection
// limit, and the stop.
#include "front_end.h"

#include <sys/socket.h>

#include <chrono>
#include <thread>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/steady_timer.hpp>

#include <cimobj/cimobj.h>

#include "connection.h"

namespace cimxmld {

namespace net = boost::asio;
using tcp = net::ip::tcp;
using boost::system::error_code;

struct FrontEnd::Listener {
    explicit Listener(net::io_context &context) : acceptor(context), retry(context) {}
    tcp::acceptor acceptor;
    std::unique_ptr<net::ssl::context> tls;
    net::steady_timer retry;  // after an accept failed for want of descriptors
};

class FrontEndHost : public ConnectionHost {
public:
    explicit FrontEndHost(FrontEnd &frontEnd)
        : ConnectionHost(frontEnd.service_, frontEnd.pool_, frontEnd.metrics_, frontEnd.settings_),
          frontEnd_(frontEnd) {}

    void connectionEnded() override {
        metrics.connectionClosed();
        std::size_t left = --frontEnd_.open_;
        if (left == 0 && frontEnd_.stopping_ && frontEnd_.running_) frontEnd_.stopThreads();
    }

private:
    FrontEnd &frontEnd_;
};

FrontEnd::FrontEnd(CimomService &service, Metrics &metrics, FrontEndSettings settings)
    : service_(service), metrics_(metrics), settings_(std::move(settings)),
      pool_(static_cast<std::size_t>(settings_.workers), settings_.maxQueued,
            static_cast<std::size_t>(settings_.hashWorkers), metrics),
      host_(std::make_unique<FrontEndHost>(*this)) {
    for (int i = 0; i < std::max(1, settings_.ioThreads); ++i) threads_.push_back(std::make_unique<IoThread>());
    metrics_.setConnectionLimit(static_cast<long>(settings_.maxConnections));
}

FrontEnd::~FrontEnd() {
    running_ = false;
    pool_.stop();
    // Listeners first, then the loops with whatever connections they hold.
    listeners_.clear();
    threads_.clear();
}

bool FrontEnd::addListener(int listening, TlsContext tls, std::string &error) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(listening, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        error = "not a socket";
        return false;
    }
    auto listener = std::make_unique<Listener>(threads_.front()->context);
    error_code ec;
    listener->acceptor.assign(address.ss_family == AF_INET6 ? tcp::v6() : tcp::v4(), listening, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    if (tls) {
        // The asio context takes a reference of its own to the OpenSSL one.
        SSL_CTX_up_ref(tls.get());
        listener->tls = std::make_unique<net::ssl::context>(tls.get());
    }
    listeners_.push_back(std::move(listener));
    return true;
}

void FrontEnd::accept(Listener &listener) {
    IoThread &target = *threads_[nextThread_++ % threads_.size()];
    listener.acceptor.async_accept(target.context, [this, &listener, &target](error_code ec, tcp::socket socket) {
        if (ec == net::error::operation_aborted || stopping_) return;
        if (ec) {
            // Out of descriptors (or another passing failure): the pending
            // connections wait in the queue a moment instead of spinning.
            metrics_.count(Metrics::Limit::MaxConnections);
            listener.retry.expires_after(std::chrono::milliseconds(50));
            listener.retry.async_wait([this, &listener](error_code waited) {
                if (!waited && !stopping_) accept(listener);
            });
            return;
        }
        if (open_.load() >= settings_.maxConnections) {
            metrics_.count(Metrics::Limit::MaxConnections);
            socket.close(ec);
        } else {
            ++open_;
            metrics_.connectionOpened();
            socket.set_option(tcp::no_delay(true), ec);
            net::post(target.context, [this, &target, tls = listener.tls.get(), socket = std::move(socket)]() mutable {
                startConnection(std::move(socket), tls, target, *host_);
            });
        }
        accept(listener);
    });
}

// Runs thread's loop until it is out of work. While one of its requests is
// at the workers it looks again for a short while before it sleeps: the
// answer a worker posts back is then written without waking the thread.
static void runLoop(IoThread &thread) {
    net::io_context &context = thread.context;
    using clock = std::chrono::steady_clock;
    for (;;) {
        if (context.poll() > 0) continue;
        if (context.stopped()) return;
        if (thread.awaited == 0) {
            if (context.run_one() == 0) return;
            continue;
        }
        clock::time_point until = clock::now() + handOffSpin;
        std::size_t ran = 0;
        while (ran == 0 && clock::now() < until) {
            ran = context.poll();
            if (context.stopped()) return;
            if (ran == 0) std::this_thread::yield();
        }
        if (ran == 0 && context.run_one() == 0) return;
    }
}

void FrontEnd::run() {
    running_ = true;
    std::vector<net::executor_work_guard<net::io_context::executor_type>> work;
    for (auto &thread : threads_) work.push_back(net::make_work_guard(thread->context));
    net::post(threads_.front()->context, [this] {
        for (auto &listener : listeners_) accept(*listener);
    });
    std::vector<std::thread> running;
    for (std::size_t i = 1; i < threads_.size(); ++i)
        running.emplace_back([thread = threads_[i].get()] { runLoop(*thread); });
    runLoop(*threads_.front());
    for (std::thread &thread : running) thread.join();
    running_ = false;
    pool_.stop();
}

void FrontEnd::stop() {
    net::post(threads_.front()->context, [this] { beginStop(); });
}

void FrontEnd::beginStop() {
    if (stopping_.exchange(true)) return;
    for (auto &listener : listeners_) {
        error_code ec;
        listener->acceptor.close(ec);
        listener->retry.cancel();
    }
    for (auto &thread : threads_) {
        net::post(thread->context, [io = thread.get()] {
            io->stopping = true;
            // stopWhenIdle may end a connection, which leaves the set.
            std::vector<ConnectionBase *> connections(io->connections.begin(), io->connections.end());
            for (ConnectionBase *connection : connections) connection->stopWhenIdle();
        });
    }
    // Whatever is still open after the grace time is cut.
    auto grace = std::make_shared<net::steady_timer>(threads_.front()->context, settings_.stopGrace);
    grace->async_wait([this, grace](error_code) {
        if (open_.load() > 0)
            cimPrintMessage(CIM_LOG_WARNING, L"%zu connections still open at the end of the stop: cut",
                            open_.load());
        stopThreads();
    });
    if (open_.load() == 0) stopThreads();
}

void FrontEnd::stopThreads() {
    for (auto &thread : threads_) thread->context.stop();
}

}  // namespace cimxmld
