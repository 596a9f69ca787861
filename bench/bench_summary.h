// bench_summary.h - what the benchmark programs share for the figures they
// print after their runs: a console reporter that keeps the CPU seconds per
// iteration and the counters of every run (the median when runs are
// repeated, also with --benchmark_report_aggregates_only), and the
// "figure <name> <value>" lines bench/report.sh reads.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

class FigureReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (run.error_occurred) continue;
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median) continue;
            Sample &sample = samples_[key(run.run_name.function_name, run.run_name.args)];
            // A median stands for all the repetitions; without one the
            // repetitions are averaged.
            if (median) sample = Sample{0, {}, true};
            if (sample.median && !median) continue;
            double seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            sample.add(seconds, run.counters);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // CPU seconds per iteration of the benchmark function with its argument
    // text ("" without one); 0 when it did not run.
    double seconds(const std::string &function, const std::string &args = "") const {
        auto found = samples_.find(key(function, args));
        return found == samples_.end() ? 0 : found->second.seconds();
    }

    // A counter of the same run; 0 when absent.
    double counter(const std::string &function, const std::string &args, const std::string &name) const {
        auto found = samples_.find(key(function, args));
        return found == samples_.end() ? 0 : found->second.counter(name);
    }

private:
    struct Sample {
        int count = 0;
        std::map<std::string, double> sums;
        bool median = false;
        void add(double seconds, const benchmark::UserCounters &counters) {
            ++count;
            sums["seconds"] += seconds;
            for (const auto &[name, value] : counters) sums[name] += value.value;
        }
        double counter(const std::string &name) const {
            auto found = sums.find(name);
            return found == sums.end() || count == 0 ? 0 : found->second / count;
        }
        double seconds() const { return counter("seconds"); }
    };
    static std::string key(const std::string &function, const std::string &args) { return function + "/" + args; }
    std::map<std::string, Sample> samples_;
};

// CPU seconds the process has used (all its threads: the collector marks on
// threads of its own).
inline double process_cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Runs ours and then Expat's work on the same text in every iteration and
// sets the counter x_expat to our CPU time over Expat's. Taken side by side,
// the two see the same load on a shared machine, which two runs one after
// the other do not.
template <typename Ours, typename Expat>
void alternate_with_expat(benchmark::State &state, Ours ours, Expat expat) {
    double oursSeconds = 0, expatSeconds = 0;
    for (auto _ : state) {
        double started = process_cpu_seconds();
        ours();
        double between = process_cpu_seconds();
        expat();
        expatSeconds += process_cpu_seconds() - between;
        oursSeconds += between - started;
    }
    state.counters["x_expat"] = expatSeconds > 0 ? oursSeconds / expatSeconds : 0;
}

// Prints one figure for bench/report.sh; nothing when value is not positive
// (a run that did not happen).
inline void print_figure(const char *name, double value) {
    if (value > 0) std::printf("figure %s %.4f\n", name, value);
}

// Growth against Expat's from two runs in turns: 10 x the ratio at the larger
// size over the ratio at the smaller, 10 when both grow alike; 0 when either
// did not run.
inline double scaled_growth(const FigureReporter &runs, const std::string &function, const char *small,
                            const char *large) {
    double before = runs.counter(function, small, "x_expat");
    return before > 0 ? 10 * runs.counter(function, large, "x_expat") / before : 0;
}

// Runs the benchmarks the command line selects with reporter, then figures.
template <typename Figures>
int run_benchmarks(int argc, char **argv, FigureReporter &reporter, Figures figures) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    figures();
    std::fflush(stdout);
    benchmark::Shutdown();
    return 0;
}
