// providers_bench.cpp - EnumerateInstances of every process of the machine,
// end to end: the client library encodes the request, the protocol module
// answers it through the handle from the live process provider, the client
// library decodes the answer into instances. The machine's processes are
// made more numerous by sleeping children: 100, 1,000 and 3,000 in all.
//
//   Processes/N  items_per_second: process instances decoded per second
//   Names/N      the same for EnumerateInstanceNames
//
// Each run reports the processes it saw; after the runs a summary gives the
// time per process at each size and its growth from the smallest size
// (about 1 when the enumeration is linear).
#include <benchmark/benchmark.h>
#include <cimom/handle.h>
#include <cimom/live_providers.h>
#include <cimxml/cimxml.h>
#include <cimxml/cimxml_client.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

// Sleeping children that bring the machine to a number of processes; all
// of them are killed and reaped at exit.
class Sleepers {
public:
    ~Sleepers() {
        for (pid_t pid : children_) kill(pid, SIGKILL);
        for (pid_t pid : children_) waitpid(pid, nullptr, 0);
    }
    // Starts children until /proc lists at least total processes.
    void reach(int total) {
        int now = 0;
        for (const auto &entry : std::filesystem::directory_iterator("/proc"))
            now += entry.path().filename().string().find_first_not_of("0123456789") == std::string::npos;
        char program[] = "/bin/sleep", seconds[] = "3600";
        char *argv[] = {program, seconds, nullptr};
        for (; now < total; ++now) {
            pid_t pid = 0;
            if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) break;
            children_.push_back(pid);
        }
    }

private:
    std::vector<pid_t> children_;
};

Sleepers &sleepers() {
    static Sleepers running;
    return running;
}

// The object manager with the default schema and the live providers, bound to the handle.
CIMOMHandle &handle() {
    static CIMOMHandle bound = [] {
        auto om = std::make_shared<cimom::ObjectManager>();
        om->loadDefaultSchema(cimom::ObjectManager::defaultSchemaDir(), cimom::Journaling::Off);
        cimom::registerLiveProviders(*om);
        cimom::installObjectManager(om);
        CIMOMHandle h{};
        cimom::fillCimomHandle(h);
        return h;
    }();
    return bound;
}

// The module's whole answer (header lines and message) to a request body.
std::string answer(const char *request) {
    MessageHandler *handler = CIMXML_RequestMessage_Handler(request, nullptr, &handle());
    std::string text = CIMXML_getResponseFromMessageHandler(handler);
    CIMXML_releaseMessageHandler(handler);
    return text;
}

CIMObjectPath *processClass() {
    static CIMObjectPath *path = [] {
        CIMObjectPath *p = newObjectPathWithName(newCIMString(L"CIMXML_UnixProcess"));
        setObjectPathNameSpace(p, newCIMString(L"root/cimv2"));
        return p;
    }();
    return path;
}

std::map<int64_t, double> nanosecondsPerProcess;

template <class Encode, class Decode>
void enumerate(benchmark::State &state, Encode encode, Decode decode) {
    sleepers().reach(static_cast<int>(state.range(0)));
    int64_t processes = 0, failures = 0;
    for (auto _ : state) {
        char *request = encode();  // collected text: kept here until answered
        std::string response = answer(request);
        int found = decode(response.c_str());
        failures += found < 0;
        processes += found;
    }
    state.SetItemsProcessed(processes);
    state.counters["processes"] = static_cast<double>(processes) / static_cast<double>(state.iterations());
    state.counters["failures"] = static_cast<double>(failures);
}

void Processes(benchmark::State &state) {
    enumerate(
        state, [] { return CIMXMLencode_enumerateInstances(processClass(), 1, 0, 0, 0, nullptr, 1); },
        [](const char *response) {
            CIMInstanceList *instances = nullptr;
            ReturnCode *rc = CIMXMLdecode_enumerateInstances(response, &instances);
            int count = rc && rc->rc == 0 ? getLength(instances) : -1;
            freeReturnCode(rc);
            freeList(instances);
            return count;
        });
}

void Names(benchmark::State &state) {
    enumerate(
        state, [] { return CIMXMLencode_enumerateInstanceNames(processClass(), 1); },
        [](const char *response) {
            CIMObjectPathList *paths = nullptr;
            ReturnCode *rc = CIMXMLdecode_enumerateInstanceNames(response, &paths);
            int count = rc && rc->rc == 0 ? getLength(paths) : -1;
            freeReturnCode(rc);
            freeList(paths);
            return count;
        });
}


// Keeps the time per process of each Processes run for the summary.
class Reporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            auto processes = run.counters.find("processes");
            if (run.run_name.function_name == "Processes" && processes != run.counters.end() && processes->second > 0)
                nanosecondsPerProcess[run.run_name.args.empty() ? 0 : std::stoll(run.run_name.args)] =
                    run.GetAdjustedRealTime() * 1e6 / processes->second;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char **argv) {
    // Sizes ascending, both operations at each: the sleepers only ever grow.
    for (int size : {100, 1000, 3000}) {
        benchmark::RegisterBenchmark("Processes", Processes)->Arg(size)->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark("Names", Names)->Arg(size)->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (nanosecondsPerProcess.empty()) return 0;
    double first = nanosecondsPerProcess.begin()->second;
    std::printf("\nEnumerateInstances of the processes, time per process (growth from the smallest size):\n");
    for (const auto &[size, ns] : nanosecondsPerProcess)
        std::printf("  %6lld processes: %8.1f us  (x%.2f)\n", static_cast<long long>(size), ns / 1000, ns / first);
    return 0;
}
