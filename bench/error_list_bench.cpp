// error_list_bench.cpp - the process-wide error list while threads come and
// go, as in a server that runs each connection on a thread of its own.
//
// ThreadChurn/N: N short-lived threads, one after the other, each answer
// one failing request (the object manager reports "not found", which the
// thread stores as its last error) and end. Reports the entries left in the
// error list once they have ended (entries_left, expected 0) and the growth
// of the resident size (rss_growth_MB).
//
// FailingRequestAfterChurn/N: a failing request on a live thread after N
// threads have come and gone; its time must not grow with N.
//     error_list_bench --benchmark_filter=FailingRequestAfterChurn
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

// The tests' object manager and request helpers (the test_support library).
#include "cimxml_common/error_list.h"
#include "support/cimom_double.h"
#include "support/request_mix.h"

namespace {

const std::string missing_class =
    testsupport::intrinsic("GetClass", "root/cimv2", testsupport::classNameParam("CIM_Missing"));

// The answered "not found" is logged; the terminal would set the pace.
void drop_line(int, const char *, void *) {}
struct QuietLog {
    QuietLog() { cimSetLogSink(&drop_line, nullptr); }
    ~QuietLog() { cimSetLogSink(nullptr, nullptr); }
};

double rss_mb() {
    long pages = 0, resident = 0;
    FILE *statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) return 0;
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
}

// count threads, one after the other, each answering one failing request.
void churn(CIMOMHandle *handle, long count) {
    for (long i = 0; i < count; ++i) std::thread([handle] { requestmix::respond(missing_class, handle); }).join();
}

void ThreadChurn(benchmark::State &state) {
    QuietLog quiet;
    testsupport::CimomDouble cimom;
    cimom.setStatus("pfn_getClass", 6, "The class CIM_Missing was not found");
    cimom.setRecording(false);
    int before = error_list_length();
    double rssBefore = rss_mb();
    for (auto _ : state) churn(cimom.handle(), state.range(0));
    state.counters["entries_left"] = error_list_length() - before;
    state.counters["rss_growth_MB"] = rss_mb() - rssBefore;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(ThreadChurn)->Arg(1000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

void FailingRequestAfterChurn(benchmark::State &state) {
    QuietLog quiet;
    testsupport::CimomDouble cimom;
    cimom.setStatus("pfn_getClass", 6, "The class CIM_Missing was not found");
    cimom.setRecording(false);
    churn(cimom.handle(), state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(requestmix::respond(missing_class, cimom.handle()));
    state.counters["entries"] = error_list_length();
}
BENCHMARK(FailingRequestAfterChurn)->Arg(0)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
