// metrics.cpp - counting requests and writing them out as Prometheus text.
#include "metrics.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace cimxmld {

namespace {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::string labelText(const std::tuple<std::string, int, int> &labels) {
    const auto &[operation, http, cim] = labels;
    return "operation=\"" + operation + "\",http_status=\"" + std::to_string(http) + "\",cim_status=\"" +
           (cim < 0 ? std::string("none") : std::to_string(cim)) + "\"";
}

}  // namespace

void Metrics::record(const std::string &operation, int httpStatus, int cimStatus, double seconds,
                     std::uint64_t bytesSent) {
    std::size_t bucket = std::lower_bound(bucketBounds.begin(), bucketBounds.end(), seconds) - bucketBounds.begin();
    std::lock_guard<std::mutex> guard(lock_);
    Series &series = series_[Labels{operation, httpStatus, cimStatus}];
    ++series.count;
    series.sum += seconds;
    series.bytes += bytesSent;
    if (bucket < bucketBounds.size()) ++series.buckets[bucket];
}

std::string Metrics::render() const {
    std::ostringstream out;
    std::lock_guard<std::mutex> guard(lock_);
    out << "# HELP cimxmld_requests_total Requests answered, by operation, HTTP status and CIM status.\n"
           "# TYPE cimxmld_requests_total counter\n";
    for (const auto &[labels, series] : series_)
        out << "cimxmld_requests_total{" << labelText(labels) << "} " << series.count << '\n';
    out << "# HELP cimxmld_response_bytes_total Response body bytes sent, by operation, HTTP status and CIM status.\n"
           "# TYPE cimxmld_response_bytes_total counter\n";
    for (const auto &[labels, series] : series_)
        out << "cimxmld_response_bytes_total{" << labelText(labels) << "} " << series.bytes << '\n';
    out << "# HELP cimxmld_request_duration_seconds Time from the request's first byte to the end of its answer.\n"
           "# TYPE cimxmld_request_duration_seconds histogram\n";
    for (const auto &[labels, series] : series_) {
        std::string text = labelText(labels);
        std::uint64_t cumulative = 0;
        for (std::size_t i = 0; i < bucketBounds.size(); ++i) {
            cumulative += series.buckets[i];
            out << "cimxmld_request_duration_seconds_bucket{" << text << ",le=\"" << number(bucketBounds[i]) << "\"} "
                << cumulative << '\n';
        }
        out << "cimxmld_request_duration_seconds_bucket{" << text << ",le=\"+Inf\"} " << series.count << '\n'
            << "cimxmld_request_duration_seconds_sum{" << text << "} " << number(series.sum) << '\n'
            << "cimxmld_request_duration_seconds_count{" << text << "} " << series.count << '\n';
    }
    out << "# HELP cimxmld_requests_in_flight Requests being answered now.\n"
           "# TYPE cimxmld_requests_in_flight gauge\n"
           "cimxmld_requests_in_flight "
        << inFlight_.load(std::memory_order_relaxed) << '\n';
    return out.str();
}

}  // namespace cimxmld
