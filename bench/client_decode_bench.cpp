// client_decode_bench.cpp - the client decoder on large responses: an
// EnumerateInstances response of N instances of 10 properties each (N = 1e3,
// 1e4, 1e5) read with CIMXMLdecode_enumerateInstances, against Expat alone
// parsing the same text with empty handlers, both in CPU time of the whole
// process (the collector marks on threads of its own).
//
// Before the runs it prints the peak resident memory that decoding the 1e5
// response adds, against the response's size; after them a summary gives
// MB/s, decode time / parse time per N and the time growth from 1e4 to 1e5
// (about 10 when linear), then the figures bench/report.sh reads.
#include <benchmark/benchmark.h>
#include <cimxml/cimxml_client.h>
#include <expat.h>
#include <gc/gc.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utils/pool_string.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include "bench_summary.h"
#include "cimxml/response_writer.h"
#include "cimxml_schema/response_body.h"
#include "support/cimom_double.h"

namespace {

// The whole response the server module writes for n instances, built once per size.
const std::string &response_of(int64_t n) {
    static std::map<int64_t, std::string> made;
    std::string &text = made[n];
    if (text.empty()) {
        CIMList *instances = testsupport::makeInstanceList(L"CIM_BenchElement", static_cast<int>(n));
        CIMString *method = newCIMString(L"EnumerateInstances");
        PoolString pool{};
        cimxml_begin_response(&pool, "1001", "bench");
        cim_simplersp_toxml(method, nullptr, instances, nullptr, nullptr, 1, &pool);
        cimxml_end_response(&pool);
        text.assign(pool.text, pool.length);
        release_PoolStringBuffer(&pool);
        freeCIMString(method);
        freeList(instances);
    }
    return text;
}

// Decodes text into a new list; the number of instances, or -1 on failure.
int decode(const std::string &text) {
    CIMInstanceList *instances = nullptr;
    ReturnCode *rc = CIMXMLdecode_enumerateInstances(text.c_str(), &instances);
    int count = rc && rc->rc == 0 ? getLength(instances) : -1;
    freeReturnCode(rc);
    freeList(instances);
    return count;
}

// The decoded list is the caller's; freeing it is not part of decoding.
void BM_DecodeEnumerateInstances(benchmark::State &state) {
    const std::string &text = response_of(state.range(0));
    for (auto _ : state) {
        CIMInstanceList *instances = nullptr;
        ReturnCode *rc = CIMXMLdecode_enumerateInstances(text.c_str(), &instances);
        state.PauseTiming();
        if (getErrorFromRetCode(rc) != 0 || getLength(instances) != state.range(0)) state.SkipWithError("not decoded");
        freeReturnCode(rc);
        freeList(instances);
        state.ResumeTiming();
    }
    state.counters["bytes"] = static_cast<double>(text.size());
    state.SetBytesProcessed(static_cast<int64_t>(text.size()) * state.iterations());
}

void XMLCALL on_start(void *, const XML_Char *, const XML_Char **) {}
void XMLCALL on_end(void *, const XML_Char *) {}
void XMLCALL on_text(void *, const XML_Char *, int) {}

void BM_ParseEnumerateInstances(benchmark::State &state) {
    const std::string &text = response_of(state.range(0));
    const std::string body = text.substr(text.find("\r\n\r\n") + 4);
    for (auto _ : state) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetElementHandler(parser, on_start, on_end);
        XML_SetCharacterDataHandler(parser, on_text);
        if (XML_Parse(parser, body.data(), static_cast<int>(body.size()), 1) == XML_STATUS_ERROR)
            state.SkipWithError(XML_ErrorString(XML_GetErrorCode(parser)));
        XML_ParserFree(parser);
    }
    state.counters["bytes"] = static_cast<double>(text.size());
    state.SetBytesProcessed(static_cast<int64_t>(text.size()) * state.iterations());
}

// Decoding and Expat in turns on the 1e5 response: the ratio the figure is
// judged by (the decoded list freed outside both times).
void BM_DecodeAndExpatEnumerateInstances(benchmark::State &state) {
    const std::string &text = response_of(state.range(0));
    const std::string body = text.substr(text.find("\r\n\r\n") + 4);
    CIMInstanceList *instances = nullptr;
    auto decode = [&] {
        freeList(instances);
        instances = nullptr;
        freeReturnCode(CIMXMLdecode_enumerateInstances(text.c_str(), &instances));
    };
    auto expat = [&] {
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetElementHandler(parser, on_start, on_end);
        XML_SetCharacterDataHandler(parser, on_text);
        XML_Parse(parser, body.data(), static_cast<int>(body.size()), 1);
        XML_ParserFree(parser);
    };
    alternate_with_expat(state, decode, expat);
    if (getLength(instances) != state.range(0)) state.SkipWithError("not decoded");
    freeList(instances);
}

BENCHMARK(BM_DecodeAndExpatEnumerateInstances)->Arg(10000)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAndExpatEnumerateInstances)->Arg(100000)->Iterations(2)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeEnumerateInstances)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseEnumerateInstances)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"), 0 when unknown.
long status_kb(const std::string &field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
    }
    return 0;
}

// Peak resident memory while the 1e5 response is decoded, in a child process
// of its own so that no earlier run counts: once the text exists and the
// memory its making freed is given back, the peak is reset to the current
// size, so only the decoding (the decoded instances included) counts.
void print_peak_memory() {
    std::fflush(stdout);
    pid_t child = fork();
    if (child != 0) {
        waitpid(child, nullptr, 0);
        return;
    }
    const std::string &text = response_of(100000);
    // What building the response freed goes back to the system first.
    GC_gcollect();
    malloc_trim(0);
    long before = status_kb("VmRSS");
    std::ofstream("/proc/self/clear_refs") << "5";
    decode(text);
    long peak = status_kb("VmHWM");
    double size = static_cast<double>(text.size()) / 1024;
    std::printf(
        "\npeak memory, 1e5 instances: response %.1f MB, resident before decoding %.1f MB, peak %.1f MB, "
        "added by decoding %.1f MB = %.2f x the response\n",
        size / 1024, before / 1024.0, peak / 1024.0, (peak - before) / 1024.0, (peak - before) / size);
    print_figure("client_decode_memory_x_response", (peak - before) / size);
    std::fflush(stdout);
    _exit(0);
}

void print_summary(const FigureReporter &runs) {
    auto seconds = [&](const char *function, long long n) { return runs.seconds(function, std::to_string(n)); };
    std::printf("%8s %14s %14s %22s\n", "N", "decode MB/s", "Expat MB/s", "decode time / Expat time");
    for (long long n : {1000LL, 10000LL, 100000LL}) {
        double decode = seconds("BM_DecodeEnumerateInstances", n), parse = seconds("BM_ParseEnumerateInstances", n);
        if (decode <= 0 || parse <= 0) continue;
        double bytes = runs.counter("BM_DecodeEnumerateInstances", std::to_string(n), "bytes");
        std::printf("%8lld %14.1f %14.1f %22.2f\n", n, bytes / decode / 1e6, bytes / parse / 1e6, decode / parse);
    }
    auto growth = [&](const char *function) {
        double small = seconds(function, 10000);
        return small > 0 ? seconds(function, 100000) / small : 0;
    };
    double decode = growth("BM_DecodeEnumerateInstances"), parse = growth("BM_ParseEnumerateInstances");
    std::printf("\ntime growth 1e4 -> 1e5: decode %.2f, Expat %.2f\n\n", decode, parse);
    double inTurns = runs.counter("BM_DecodeAndExpatEnumerateInstances", "100000", "x_expat");
    std::printf("1e5 instances, decoding and Expat in turns: %.2f\n\n", inTurns);
    print_figure("client_decode_x_expat", inTurns);
    print_figure("client_decode_scaled_growth", scaled_growth(runs, "BM_DecodeAndExpatEnumerateInstances", "10000", "100000"));
    print_figure("client_decode_growth", decode);
    print_figure("expat_growth_response", parse);
}

}  // namespace

int main(int argc, char **argv) {
    cimEnsureCollectorThread();
    print_peak_memory();
    FigureReporter reporter;
    return run_benchmarks(argc, argv, reporter, [&] { print_summary(reporter); });
}
