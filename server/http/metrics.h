// metrics.h - the server's own request figures and the protocol module's
// call figures, exposed at GET /metrics in the Prometheus text format.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <iosfwd>
#include <string>
#include <tuple>
#include <vector>

#include <cimom/external_providers.h>

namespace cimxmld {

// The pulled enumerations' figures, as the object manager counts them.
struct EnumerationFigures {
    std::size_t open = 0;
    std::uint64_t opened = 0, closed = 0, expired = 0;
};

// What the repository holds now.
struct RepositoryFigures {
    std::size_t namespaces = 0, classes = 0, instances = 0;
};

// The indications sent: as the object manager made them and as their
// delivery went.
struct ListenerFigures {
    std::uint64_t delivered = 0, retried = 0, dropped = 0, failed = 0;
    std::size_t queued = 0;
};
struct IndicationFigures {
    std::uint64_t generated = 0, matched = 0;
    std::size_t activeSubscriptions = 0;
    ListenerFigures all;
    std::map<std::string, ListenerFigures> byListener;  // by listener URL
};

class Metrics {
public:
    // Upper bounds (seconds) of the duration histogram's buckets; +Inf follows.
    static constexpr std::array<double, 12> bucketBounds = {0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025,
                                                            0.05,   0.1,   0.25,   0.5,   1,     5};

    // Counts one answered request. operation: a bounded set of names (the
    // intrinsic operations, "InvokeMethod", "ExportIndication", "metrics",
    // "unknown"); cimStatus: the ERROR code of the answer, 0 for success,
    // -1 when the answer is no CIM message. Safe from many threads.
    void record(const std::string &operation, int httpStatus, int cimStatus, double seconds, std::uint64_t bytesSent);

    // A request started or ended (the in-flight gauge).
    void requestStarted() { inFlight_.fetch_add(1, std::memory_order_relaxed); }
    void requestEnded() { inFlight_.fetch_sub(1, std::memory_order_relaxed); }

    // The front end's limits, each counted when it ends a connection or
    // refuses a request.
    enum class Limit {
        MaxConnections,    // a new connection closed at once
        HeaderTimeout,     // 408: the head (or the TLS handshake) came too slowly
        BodyTimeout,       // 408: the body came too slowly
        KeepAliveTimeout,  // an idle connection closed
        WriteTimeout,      // a client that stopped reading its answer
        HeaderSize,        // 414 or 431
        MaxBody,           // 413
        MaxQueued,         // 503: the workers' queue was full
        Malformed,         // 400: a request HTTP forbids
        LoginFailed,       // a password that was checked and did not match
        LoginUnchecked,    // 401 without hashing: the address was in back-off
    };
    static constexpr std::size_t limitCount = 11;
    void count(Limit limit) { limits_[static_cast<std::size_t>(limit)].fetch_add(1, std::memory_order_relaxed); }
    void connectionOpened() { connections_.fetch_add(1, std::memory_order_relaxed); }
    void connectionClosed() { connections_.fetch_sub(1, std::memory_order_relaxed); }
    void setConnectionLimit(long limit) { connectionLimit_ = limit; }
    // Bytes of answers held for their clients, in memory and spilled to disk.
    void answerBytes(long inMemory, long onDisk) {
        answerMemory_.fetch_add(inMemory, std::memory_order_relaxed);
        answerDisk_.fetch_add(onDisk, std::memory_order_relaxed);
    }
    long answerMemory() const { return answerMemory_.load(std::memory_order_relaxed); }
    // Where the enumeration figures are read when rendered (none: not shown).
    void setEnumerationFigures(std::function<EnumerationFigures()> source) { enumerations_ = std::move(source); }
    void setRepositoryFigures(std::function<RepositoryFigures()> source) { repository_ = std::move(source); }
    // Where the indication figures are read when rendered (none: not shown).
    void setIndicationFigures(std::function<IndicationFigures()> source) { indications_ = std::move(source); }
    // Where the command providers' figures are read when rendered (none: not shown).
    void setProviderFigures(std::function<std::vector<cimom::ProviderFigures>()> source) {
        providers_ = std::move(source);
    }
    // Requests waiting for a worker (the queue gauge).
    void jobQueued() { queued_.fetch_add(1, std::memory_order_relaxed); }
    void jobTaken() { queued_.fetch_sub(1, std::memory_order_relaxed); }

    // Every figure so far, as Prometheus text (version 0.0.4): this object's
    // and those of every statistics context alive in the process.
    std::string render() const;

private:
    void renderFrontEndFigures(std::ostringstream &out) const;
    void renderEnumerationFigures(std::ostringstream &out) const;
    void renderRepositoryFigures(std::ostringstream &out) const;
    void renderIndicationFigures(std::ostringstream &out) const;
    void renderProviderFigures(std::ostringstream &out) const;

    struct Series {
        std::uint64_t count = 0;
        double sum = 0;
        std::uint64_t bytes = 0;
        std::array<std::uint64_t, bucketBounds.size()> buckets{};  // not cumulative
    };
    using Labels = std::tuple<std::string, int, int>;  // operation, HTTP status, CIM status

    mutable std::mutex lock_;
    std::map<Labels, Series> series_;
    std::atomic<long> inFlight_{0};
    std::array<std::atomic<std::uint64_t>, limitCount> limits_{};
    std::atomic<long> connections_{0};
    std::atomic<long> connectionLimit_{0};
    std::atomic<long> queued_{0};
    std::atomic<long> answerMemory_{0};
    std::atomic<long> answerDisk_{0};
    std::function<EnumerationFigures()> enumerations_;  // set before serving
    std::function<RepositoryFigures()> repository_;     // set before serving
    std::function<IndicationFigures()> indications_;    // set before serving
    std::function<std::vector<cimom::ProviderFigures>()> providers_;  // set before serving
};

}  // namespace cimxmld
