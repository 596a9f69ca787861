// mof_bench.cpp - the MOF compiler's rate on large instance files and its
// growth with the file size.
//
// Case, for N = 1e4 and 1e5: CompileInstances compiles a generated file of
// one class and N instances (six properties each: a key string, integers, a
// real, a boolean, a string array and a reference by alias to the first
// instance) into a sink that counts each instance and frees it. After the
// runs a summary gives instances/s and the growth of processor time from
// 1e4 to 1e5 (about 10 when linear; wall time suffers when the machine is
// shared).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include <cimom/mof.h>

namespace {

std::string generatedMof(long long count) {
    std::string text =
        "qualifier Key : boolean = false, scope(property, reference);\n"
        "class Bench_Item\n{\n    [Key] string Name;\n    uint32 Index;\n    sint64 Offset;\n"
        "    real64 Weight;\n    boolean Enabled;\n    string Tags[];\n    Bench_Item REF First;\n};\n";
    char line[512];
    for (long long i = 0; i < count; ++i) {
        int length = std::snprintf(line, sizeof line,
                                   "instance of Bench_Item%s\n{\n    Name = \"item-%08lld\";\n    Index = %lld;\n"
                                   "    Offset = -0x%llx;\n    Weight = %lld.25;\n    Enabled = %s;\n"
                                   "    Tags = {\"a\", \"b\", \"c\"};\n%s};\n",
                                   i == 0 ? " as $first" : "", i, i, i, i, i % 2 ? "true" : "false",
                                   i == 0 ? "" : "    First = $first;\n");
        text.append(line, static_cast<size_t>(length));
    }
    return text;
}

// Keeps the declarations and the class, counts instances and frees them.
class CountingSink : public cimom::MofSink {
public:
    long long instances = 0;

    cimom::Status setQualifierType(const std::wstring &, cimobj::QualifierTypePtr declaration) override {
        qualifier_ = std::move(declaration);
        return {};
    }
    cimom::Status createClass(const std::wstring &, cimobj::ClassPtr cls) override {
        class_ = std::move(cls);
        return {};
    }
    cimom::Status createInstance(const std::wstring &, cimobj::InstancePtr instance, cimobj::PathPtr &newPath) override {
        if (instances++ == 0) newPath.reset(newObjectPathFromInst(instance.get()));
        return {};
    }
    const CIMClass *findClass(const std::wstring &, const std::wstring &) override { return class_.get(); }
    const CIMQualifierType *findQualifierType(const std::wstring &, const std::wstring &) override {
        return qualifier_.get();
    }

private:
    cimobj::QualifierTypePtr qualifier_;
    cimobj::ClassPtr class_;
};

void BM_CompileInstances(benchmark::State &state) {
    std::string text = generatedMof(state.range(0));
    for (auto _ : state) {
        CountingSink sink;
        std::vector<cimom::MofDiagnostic> diagnostics = cimom::compileMofText(text, "bench.mof", sink);
        if (!diagnostics.empty()) state.SkipWithError(diagnostics.front().text().c_str());
        if (sink.instances != state.range(0)) state.SkipWithError("instances lost");
    }
    state.counters["instances/s"] =
        benchmark::Counter(static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(static_cast<int64_t>(text.size()) * state.iterations());
}

BENCHMARK(BM_CompileInstances)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Keeps the seconds per iteration of each run and prints the growth.
class GrowthReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration && run.iterations > 0)
                seconds_[std::stoll(run.run_name.args)] = run.cpu_accumulated_time / static_cast<double>(run.iterations);
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintSummary() const {
        std::printf("\n%8s %14s %10s   (processor time: the machine may be shared)\n", "N", "instances/s", "ms");
        for (const auto &[n, seconds] : seconds_)
            std::printf("%8lld %14.0f %10.1f\n", n, static_cast<double>(n) / seconds, seconds * 1e3);
        auto small = seconds_.find(10000), large = seconds_.find(100000);
        if (small != seconds_.end() && large != seconds_.end())
            std::printf("time growth 1e4 -> 1e5: %.2f (linear: 10 +/- 2)\n", large->second / small->second);
    }

private:
    std::map<long long, double> seconds_;
};

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    GrowthReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}
