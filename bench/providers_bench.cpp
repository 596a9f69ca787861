// providers_bench.cpp - EnumerateInstances of every process of the machine
// through the whole server: the client library encodes the request, a
// the client tools' transport posts it over loopback HTTP to cimxmld's front end
// (running in this process, the protocol module loaded as the program loads
// it, the object manager with the live providers behind it), and the client
// library decodes the answer into instances. The machine's processes are
// made more numerous by sleeping children: 100, 1,000 and 3,000 in all.
//
//   Processes/N  items_per_second: process instances decoded per second
//   Names/N      the same for EnumerateInstanceNames
//
// Each run reports the processes it saw; CPU time is the whole process's
// (client and server threads). After the runs a summary gives the real and
// CPU time per process at each size and their growth from the smallest size
// (about 1 when the enumeration is linear).
#include <benchmark/benchmark.h>
#include <cimxml/cimxml_client.h>
#include "client_error.h"
#include "http_transport.h"
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <iostream>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "cimom_service.h"
#include "loopback_front_end.h"
#include "metrics.h"
#include "object_manager_host.h"
#include "protocol_module.h"

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

// The front end on a free loopback port, as cimxmld starts it (default
// schema and live providers), up for the whole run.
class Server {
public:
    Server() {
        std::string error;
        module_ = cimxmld::ProtocolModule::load("", "strict", error);
        if (module_) objectManager_ = cimxmld::ObjectManagerHost::start({}, error);
        if (!objectManager_) throw std::runtime_error(error);
        service_ = std::make_unique<cimxmld::CimomService>(*module_, objectManager_->handle(), nullptr,
                                                           std::size_t(1) << 30, metrics_);
        frontEnd_ = std::make_unique<LoopbackFrontEnd>(*service_, metrics_);
    }
    int port() const { return frontEnd_->port(); }

private:
    std::unique_ptr<cimxmld::ProtocolModule> module_;
    std::unique_ptr<cimxmld::ObjectManagerHost> objectManager_;
    cimxmld::Metrics metrics_;
    std::unique_ptr<cimxmld::CimomService> service_;
    std::unique_ptr<LoopbackFrontEnd> frontEnd_;
};

remote::TransportOptions timeoutOf(int seconds) {
    remote::TransportOptions options;
    options.timeoutSeconds = seconds;
    return options;
}

// The answer's body to a request body posted as the operation method; empty when the post failed.
std::string answer(const char *method, const char *request) {
    struct Connection {
        Server server;
        remote::WbemUrl url = remote::parseWbemUrl("http://127.0.0.1:" + std::to_string(server.port()));
        remote::HttpTransport transport{url, timeoutOf(120), std::cerr};
    };
    static Connection connection;
    std::string text = std::string("POST /cimom HTTP/1.1\r\nContent-Type: application/xml; charset=\"utf-8\"\r\n"
                                   "CIMProtocolVersion: 1.0\r\nCIMOperation: MethodCall\r\nCIMMethod: ") +
                       method + "\r\nCIMObject: root%2Fcimv2\r\n\r\n" + request;
    try {
        remote::HttpAnswer result = connection.transport.post(text);
        return result.status == 200 ? result.body : std::string();
    } catch (const remote::ClientError &) {
        return {};
    }
}

CIMObjectPath *processClass() {
    static CIMObjectPath *path = [] {
        CIMObjectPath *p = newObjectPathWithName(newCIMString(L"CIMXML_UnixProcess"));
        setObjectPathNameSpace(p, newCIMString(L"root/cimv2"));
        return p;
    }();
    return path;
}

// Real and CPU (every thread of the process: client and server) time per process, by size.
std::map<int64_t, std::pair<double, double>> nanosecondsPerProcess;

template <class Encode, class Decode>
void enumerate(benchmark::State &state, const char *method, Encode encode, Decode decode) {
    sleepers().reach(static_cast<int>(state.range(0)));
    // The first reads of new processes' /proc entries cost more; they are not the steady state.
    char *warmUp = encode();
    decode(answer(method, warmUp).c_str());
    int64_t processes = 0, failures = 0;
    for (auto _ : state) {
        char *request = encode();  // collected text: kept here until answered
        std::string response = answer(method, request);
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
        state, "EnumerateInstances", [] { return CIMXMLencode_enumerateInstances(processClass(), 1, 0, 0, 0, nullptr, 1); },
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
        state, "EnumerateInstanceNames", [] { return CIMXMLencode_enumerateInstanceNames(processClass(), 1); },
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
                nanosecondsPerProcess[std::stoll(run.run_name.args)] = {
                    run.GetAdjustedRealTime() * 1e6 / processes->second,
                    run.GetAdjustedCPUTime() * 1e6 / processes->second};
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char **argv) {
    // Sizes ascending, both operations at each: the sleepers only ever grow.
    for (int size : {100, 1000, 3000}) {
        for (auto [name, run] : {std::pair{"Processes", &Processes}, std::pair{"Names", &Names}})
            benchmark::RegisterBenchmark(name, run)->Arg(size)->MinTime(2)->MeasureProcessCPUTime()->UseRealTime()->Unit(
                benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (nanosecondsPerProcess.empty()) return 0;
    auto [realFirst, cpuFirst] = nanosecondsPerProcess.begin()->second;
    std::printf("\nEnumerateInstances of the processes, time per process (growth from the smallest size):\n");
    for (const auto &[size, ns] : nanosecondsPerProcess)
        std::printf("  %6lld processes: real %8.1f us (x%.2f), CPU %8.1f us (x%.2f)\n", static_cast<long long>(size),
                    ns.first / 1000, ns.first / realFirst, ns.second / 1000, ns.second / cpuFirst);
    return 0;
}
