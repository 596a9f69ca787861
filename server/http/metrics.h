// metrics.h - the server's own request figures and the protocol module's
// call figures, exposed at GET /metrics in the Prometheus text format.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

namespace cimxmld {

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

    // Every figure so far, as Prometheus text (version 0.0.4): this object's
    // and those of every statistics context alive in the process.
    std::string render() const;

private:
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
};

}  // namespace cimxmld
