// handler_bench.cpp - whole request round trips through the handler, with
// the test object manager behind the CIMOM handle.
//
// Times are the process's CPU time around the handler calls only (the
// collector marks on threads of its own): the time column and handler_s
// (seconds per call). Each case also reports requests/s, the response size,
// the rate the response is written at (out_MB/s) and, for scale, Expat's
// rate of parsing the same response text in the same run (expat_MB/s,
// ratio = out_MB/s / expat_MB/s, both in CPU time). The EnumerateInstances
// cases also report ns per instance and a linear fit over the sizes.
//
// Peak memory: peak_RSS_MiB is the process's peak (getrusage ru_maxrss), so
// measure a case in a process of its own:
//     handler_bench --benchmark_filter='EnumerateInstances/100000/'
// rss_before_MiB is the resident size just before the last handler call (the
// object manager's result list already built), call_added_MiB what the
// process's peak during that call added to it.
//
// MixedRequestsThreads is the thread test at a larger size: 8 threads send
// 200,000 mixed requests while the collector is forced every 2 ms; it
// reports requests/s and the number of answers that differed.
#include <benchmark/benchmark.h>
#include <expat.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

// The tests' object manager and request mix (the test_support library).
#include "bench_summary.h"
#include "cimxml/module_lifecycle.h"
#include "support/cimom_double.h"
#include "support/request_mix.h"

namespace {

// Failure lines the module logs (an error path per request in the mixed
// case) are counted, not written: a terminal would set the pace otherwise.
std::atomic<long> log_lines{0};
void count_line(int, const char *, void *) { ++log_lines; }
struct QuietLog {
    QuietLog() { cimSetLogSink(&count_line, nullptr); }
    ~QuietLog() { cimSetLogSink(nullptr, nullptr); }
};

const std::string get_class_request =
    testsupport::intrinsic("GetClass", "root/cimv2", testsupport::classNameParam("CIM_Foo"));
const std::string enumerate_instances_request =
    testsupport::intrinsic("EnumerateInstances", "root/cimv2", testsupport::classNameParam("CIM_Foo"));

// Both in MiB.
double peak_rss_mib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double current_rss_mib() {
    long pages = 0, resident = 0;
    FILE *statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) return 0;
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The process's peak resident size since the last reset_peak_rss, in MiB.
double peak_since_reset_mib() {
    std::FILE *status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, status) != nullptr)
        if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
    std::fclose(status);
    return static_cast<double>(kb) / 1024.0;
}

// Sets the peak resident size back to the current one.
void reset_peak_rss() {
    if (std::FILE *refs = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", refs);
        std::fclose(refs);
    }
}

// Expat's rate, in MB/s of CPU time, of parsing text (no handlers), repeated
// for at least a fifth of a second.
double expat_mb_per_s(std::string_view text) {
    int repetitions = 0;
    double started = process_cpu_seconds();
    double seconds = 0;
    do {
        XML_Parser parser = XML_ParserCreate(nullptr);
        if (XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_ERROR) {
            XML_ParserFree(parser);
            return 0;
        }
        XML_ParserFree(parser);
        ++repetitions;
        seconds = process_cpu_seconds() - started;
    } while (seconds < 0.2);
    return static_cast<double>(text.size()) * repetitions / 1e6 / seconds;
}

// The CIM-XML document after the header lines and their empty line.
std::string_view body_of(const std::string &response) {
    std::string_view text(response);
    auto at = text.find("\r\n\r\n");
    return at == std::string_view::npos ? text : text.substr(at + 4);
}

// Sends request once, timing only the handler call (CPU seconds, added to
// seconds and given to the state as the iteration's time); returns the
// response. With peakMiB, the peak resident size during the call is put there.
std::string timed_send(benchmark::State &state, const std::string &request, CIMOMHandle *handle, double &seconds,
                       double *peakMiB = nullptr) {
    if (peakMiB) reset_peak_rss();
    double started = process_cpu_seconds();
    MessageHandler *handler = CIMXML_RequestMessage_Handler(request.c_str(), nullptr, handle);
    double used = process_cpu_seconds() - started;
    if (peakMiB) *peakMiB = peak_since_reset_mib();
    seconds += used;
    state.SetIterationTime(used);
    std::string text = handler != nullptr ? CIMXML_getResponseFromMessageHandler(handler) : "";
    CIMXML_releaseMessageHandler(handler);
    return text;
}

void report_rates(benchmark::State &state, const std::string &response, double handlerSeconds) {
    auto requests = static_cast<double>(state.iterations());
    double bytes = static_cast<double>(response.size());
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(bytes * requests));
    double outRate = handlerSeconds > 0 ? bytes * requests / 1e6 / handlerSeconds : 0;
    // The peak before Expat's own copy of the text adds to it.
    state.counters["peak_RSS_MiB"] = peak_rss_mib();
    double expatRate = expat_mb_per_s(body_of(response));
    state.counters["response_bytes"] = bytes;
    state.counters["out_MB/s"] = outRate;
    state.counters["expat_MB/s"] = expatRate;
    state.counters["ratio_to_expat"] = expatRate > 0 ? outRate / expatRate : 0;
    state.counters["handler_s"] = handlerSeconds / requests;
}

void BM_GetClass(benchmark::State &state) {
    QuietLog quiet;
    cimxml_process_attach();
    testsupport::CimomDouble cimom;
    cimom.answerEverySlot();
    cimom.setRecording(false);
    std::string response;
    double handlerSeconds = 0;
    for (auto _ : state) response = timed_send(state, get_class_request, cimom.handle(), handlerSeconds);
    if (response.find("<CLASS NAME=\"CIM_Foo\"") == std::string::npos) state.SkipWithError("unexpected response");
    report_rates(state, response, handlerSeconds);
}
BENCHMARK(BM_GetClass)->UseManualTime();

void BM_EnumerateInstances(benchmark::State &state) {
    QuietLog quiet;
    cimxml_process_attach();
    const int count = static_cast<int>(state.range(0));
    testsupport::CimomDouble cimom;
    cimom.setRecording(false);
    // The object manager's work is not the module's: each list is built with
    // the clock stopped and handed over when the slot is called.
    CIMInstanceList *pending = nullptr;
    cimom.setResult("pfn_enumerateInstances", [&pending] {
        void *list = pending;
        pending = nullptr;
        return list;
    });
    std::string response;
    double handlerSeconds = 0;
    double rssBefore = 0, callPeak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        response = std::string();  // the last response does not count in the next call's peak
        pending = testsupport::makeInstanceList(L"CIM_Foo", count);
        rssBefore = current_rss_mib();
        state.ResumeTiming();
        response = timed_send(state, enumerate_instances_request, cimom.handle(), handlerSeconds, &callPeak);
    }
    freeCIMInstanceList(pending);
    std::size_t written = 0;
    for (std::size_t at = response.find("<VALUE.NAMEDINSTANCE>"); at != std::string::npos;
         at = response.find("<VALUE.NAMEDINSTANCE>", at + 1)) {
        ++written;
    }
    if (written != static_cast<std::size_t>(count)) state.SkipWithError("not every instance was written");
    report_rates(state, response, handlerSeconds);
    state.counters["rss_before_MiB"] = rssBefore;
    state.counters["call_added_MiB"] = callPeak - rssBefore;
    state.counters["ns_per_instance"] = handlerSeconds * 1e9 / static_cast<double>(state.iterations()) / count;
    state.SetComplexityN(count);
}
BENCHMARK(BM_EnumerateInstances)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Complexity(benchmark::oN);

void BM_MixedRequestsThreads(benchmark::State &state) {
    QuietLog quiet;
    cimxml_process_attach();
    constexpr int threads = 8;
    const int perThread = static_cast<int>(state.range(0)) / threads;
    testsupport::CimomDouble cimom;
    cimom.answerEverySlot();
    testsupport::CimomDouble failing;
    failing.setStatus("pfn_getClass", 6, requestmix::not_found_text);
    requestmix::Handles handles{cimom.handle(), failing.handle()};
    const auto kinds = requestmix::request_mix();
    std::vector<requestmix::Expected> expected;
    for (const auto &kind : kinds) expected.push_back(requestmix::answer(kind, handles, "baseline"));
    cimom.setRecording(false);
    failing.setRecording(false);
    requestmix::StressResult result;
    for (auto _ : state) {
        result = requestmix::run_stress(kinds, expected, handles, threads, perThread, std::chrono::milliseconds(2));
        state.SetIterationTime(result.seconds);
    }
    state.counters["requests/s"] = static_cast<double>(threads) * perThread / result.seconds;
    state.counters["collections"] = result.collections;
    state.counters["differing"] = result.failures;
    state.counters["log_lines"] = static_cast<double>(log_lines.load());
    if (result.failures != 0) state.SkipWithError(result.firstFailures.front().c_str());
}
BENCHMARK(BM_MixedRequestsThreads)->Arg(200000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char **argv) {
    FigureReporter reporter;
    return run_benchmarks(argc, argv, reporter, [&] {
        print_figure("handler_enumerate_1e5_seconds", reporter.counter("BM_EnumerateInstances", "100000", "handler_s"));
        print_figure("handler_enumerate_1e5_ratio_to_expat",
                     reporter.counter("BM_EnumerateInstances", "100000", "ratio_to_expat"));
        print_figure("handler_enumerate_1e5_peak_MiB", reporter.counter("BM_EnumerateInstances", "100000", "peak_RSS_MiB"));
        print_figure("handler_enumerate_1e5_call_added_MiB",
                     reporter.counter("BM_EnumerateInstances", "100000", "call_added_MiB"));
    });
}
