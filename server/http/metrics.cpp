// metrics.cpp - counting requests and writing them out as Prometheus text.
#include "metrics.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <vector>

#include <cimobj/cimobj.hpp>
#include <zellib/zelstats.h>

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

// Label values are quoted: a backslash, quote or line break is escaped.
std::string labelValue(const std::string &text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

// The figures the loaded module (and any other user of the statistics
// library in this process) keeps: calls and their time per name.
void renderModuleFigures(std::ostringstream &out) {
    struct Row {
        std::string name;
        ZelStatsFigures figures;
    };
    std::vector<Row> rows;
    zelStatsVisit(
        [](const wchar_t *name, const ZelStatsFigures *figures, void *user) {
            static_cast<std::vector<Row> *>(user)->push_back({labelValue(cimobj::toUtf8(name)), *figures});
        },
        &rows);
    const struct {
        const char *metric, *type, *help;
        std::string (*value)(const ZelStatsFigures &);
    } kinds[] = {
        {"cimxmld_module_calls_total", "counter", "Calls the protocol module measured, by name.",
         [](const ZelStatsFigures &f) { return std::to_string(f.count); }},
        {"cimxmld_module_seconds_total", "counter", "Time of those calls.",
         [](const ZelStatsFigures &f) { return number(double(f.totalNs) / 1e9); }},
        {"cimxmld_module_call_seconds_min", "gauge", "Shortest of those calls (0 before the first).",
         [](const ZelStatsFigures &f) { return number(double(f.minNs) / 1e9); }},
        {"cimxmld_module_call_seconds_max", "gauge", "Longest of those calls.",
         [](const ZelStatsFigures &f) { return number(double(f.maxNs) / 1e9); }},
    };
    for (const auto &kind : kinds) {
        out << "# HELP " << kind.metric << ' ' << kind.help << "\n# TYPE " << kind.metric << ' ' << kind.type << '\n';
        for (const Row &row : rows)
            out << kind.metric << "{name=\"" << row.name << "\"} " << kind.value(row.figures) << '\n';
    }
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

void Metrics::renderFrontEndFigures(std::ostringstream &out) const {
    static const char *const limitNames[limitCount] = {
        "max-connections", "header-timeout", "body-timeout", "keepalive-timeout", "write-timeout", "header-size",
        "max-body",        "max-queued",     "malformed",    "login-failed",      "login-unchecked"};
    out << "# HELP cimxmld_connections_open Client connections open now.\n# TYPE cimxmld_connections_open gauge\n"
           "cimxmld_connections_open "
        << connections_.load(std::memory_order_relaxed)
        << "\n# HELP cimxmld_connections_max Connections allowed at once (--max-connections).\n"
           "# TYPE cimxmld_connections_max gauge\ncimxmld_connections_max "
        << connectionLimit_.load(std::memory_order_relaxed)
        << "\n# HELP cimxmld_worker_queue_depth Requests waiting for a worker.\n"
           "# TYPE cimxmld_worker_queue_depth gauge\ncimxmld_worker_queue_depth "
        << queued_.load(std::memory_order_relaxed)
        << "\n# HELP cimxmld_limit_hits_total Connections and requests a limit ended, by limit (failed and unchecked "
           "logins too).\n# TYPE cimxmld_limit_hits_total counter\n";
    for (std::size_t i = 0; i < limitCount; ++i)
        out << "cimxmld_limit_hits_total{limit=\"" << limitNames[i] << "\"} "
            << limits_[i].load(std::memory_order_relaxed) << '\n';
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
    out << "# HELP cimxmld_answer_memory_bytes Bytes of answers held in memory for their clients.\n"
           "# TYPE cimxmld_answer_memory_bytes gauge\n"
           "cimxmld_answer_memory_bytes "
        << answerMemory_.load(std::memory_order_relaxed) << '\n';
    out << "# HELP cimxmld_answer_disk_bytes Bytes of answers spilled to temporary files for their clients.\n"
           "# TYPE cimxmld_answer_disk_bytes gauge\n"
           "cimxmld_answer_disk_bytes "
        << answerDisk_.load(std::memory_order_relaxed) << '\n';
    out << "# HELP cimxmld_requests_in_flight Requests being answered now.\n"
           "# TYPE cimxmld_requests_in_flight gauge\n"
           "cimxmld_requests_in_flight "
        << inFlight_.load(std::memory_order_relaxed) << '\n';
    renderFrontEndFigures(out);
    renderEnumerationFigures(out);
    renderRepositoryFigures(out);
    renderIndicationFigures(out);
    renderProviderFigures(out);
    renderModuleFigures(out);
    return out.str();
}

void Metrics::renderRepositoryFigures(std::ostringstream &out) const {
    if (!repository_) return;
    RepositoryFigures figures = repository_();
    const struct {
        const char *name, *help;
        std::size_t value;
    } gauges[] = {{"namespaces", "Namespaces in the repository.", figures.namespaces},
                  {"classes", "Classes in the repository, in all namespaces.", figures.classes},
                  {"instances", "Instances stored in the repository (not those of providers).", figures.instances}};
    for (const auto &gauge : gauges)
        out << "# HELP cimxmld_repository_" << gauge.name << ' ' << gauge.help << "\n# TYPE cimxmld_repository_"
            << gauge.name << " gauge\ncimxmld_repository_" << gauge.name << ' ' << gauge.value << '\n';
}

void Metrics::renderEnumerationFigures(std::ostringstream &out) const {
    if (!enumerations_) return;
    EnumerationFigures figures = enumerations_();
    out << "# HELP cimxmld_enumeration_contexts_open Pulled enumerations open now.\n"
           "# TYPE cimxmld_enumeration_contexts_open gauge\n"
           "cimxmld_enumeration_contexts_open "
        << figures.open << '\n';
    const struct {
        const char *name, *help;
        std::uint64_t value;
    } counters[] = {{"opened", "Pulled enumerations opened (those ended by their first piece among them).", figures.opened},
                    {"closed", "Pulled enumerations ended by their last pull or closed by their client.", figures.closed},
                    {"expired", "Pulled enumerations closed by the server after their timeout.", figures.expired}};
    for (const auto &counter : counters)
        out << "# HELP cimxmld_enumeration_contexts_" << counter.name << "_total " << counter.help << "\n"
            << "# TYPE cimxmld_enumeration_contexts_" << counter.name << "_total counter\n"
            << "cimxmld_enumeration_contexts_" << counter.name << "_total " << counter.value << '\n';
}

void Metrics::renderProviderFigures(std::ostringstream &out) const {
    if (!providers_) return;
    const std::vector<cimom::ProviderFigures> figures = providers_();
    if (figures.empty()) return;
    const struct {
        const char *name, *help;
        std::uint64_t cimom::ProviderFigures::*value;
    } counters[] = {{"calls", "Calls to the command provider.", &cimom::ProviderFigures::calls},
                    {"failures", "Calls that failed because the provider ended, hung or answered wrongly.",
                     &cimom::ProviderFigures::failures},
                    {"restarts", "Starts of the provider's program after its first.", &cimom::ProviderFigures::restarts}};
    for (const auto &counter : counters) {
        out << "# HELP cimxmld_provider_" << counter.name << "_total " << counter.help << "\n"
            << "# TYPE cimxmld_provider_" << counter.name << "_total counter\n";
        for (const auto &provider : figures)
            out << "cimxmld_provider_" << counter.name << "_total{provider=\"" << provider.name << "\"} "
                << provider.*counter.value << '\n';
    }
    out << "# HELP cimxmld_provider_seconds_total Time spent in calls to the command provider.\n"
           "# TYPE cimxmld_provider_seconds_total counter\n";
    for (const auto &provider : figures)
        out << "cimxmld_provider_seconds_total{provider=\"" << provider.name << "\"} "
            << number(static_cast<double>(provider.microseconds) / 1e6) << '\n';
}

void Metrics::renderIndicationFigures(std::ostringstream &out) const {
    if (!indications_) return;
    IndicationFigures figures = indications_();
    const struct {
        const char *name, *help;
        std::uint64_t value;
    } gauges[] = {{"subscriptions_active", "Enabled indication subscriptions.", figures.activeSubscriptions}},
      counters[] = {
          {"generated", "Events that an enabled subscription watched the kind of.", figures.generated},
          {"matched", "Indications a subscription's filter selected, one per subscription.", figures.matched}};
    for (const auto &gauge : gauges)
        out << "# HELP cimxmld_" << gauge.name << " " << gauge.help << "\n# TYPE cimxmld_" << gauge.name
            << " gauge\ncimxmld_" << gauge.name << " " << gauge.value << '\n';
    for (const auto &counter : counters)
        out << "# HELP cimxmld_indications_" << counter.name << "_total " << counter.help << "\n"
            << "# TYPE cimxmld_indications_" << counter.name << "_total counter\n"
            << "cimxmld_indications_" << counter.name << "_total " << counter.value << '\n';
    // The delivery figures in all, then one series per listener.
    const struct {
        const char *name, *type, *help;
        std::uint64_t ListenerFigures::*counter;
        std::size_t ListenerFigures::*gauge;
    } delivery[] = {
        {"indications_queued", "gauge", "Indications waiting for their listeners.", nullptr, &ListenerFigures::queued},
        {"indications_delivered_total", "counter", "Indications their listener accepted.", &ListenerFigures::delivered,
         nullptr},
        {"indications_retried_total", "counter", "Delivery attempts after a failed one.", &ListenerFigures::retried,
         nullptr},
        {"indications_dropped_total", "counter", "Indications pushed out of a full destination queue.",
         &ListenerFigures::dropped, nullptr},
        {"indications_failed_total", "counter", "Indications given up after their last retry.",
         &ListenerFigures::failed, nullptr}};
    for (const auto &series : delivery) {
        auto value = [&](const ListenerFigures &f) -> std::uint64_t {
            return series.counter ? f.*series.counter : f.*series.gauge;
        };
        out << "# HELP cimxmld_" << series.name << " " << series.help << "\n# TYPE cimxmld_" << series.name << " "
            << series.type << "\ncimxmld_" << series.name << " " << value(figures.all) << '\n';
        for (const auto &[url, one] : figures.byListener)
            out << "cimxmld_" << series.name << "{listener=\"" << labelValue(url) << "\"} " << value(one) << '\n';
    }
}

}  // namespace cimxmld
