// http_bench - the whole server path over loopback HTTP: a C++ client
// (cpp-httplib) posts CIM-XML requests to cimxmld's front end, which runs in
// this process with the protocol module loaded as the program loads it, in
// front of the object manager filled from MOF.
//
//   EnumerateInstances/N   N instances of about 1 KB each per answer;
//                          bytes_per_second is the answer's size end to end
//   ModuleOnly/N           the same answer made by the module without HTTP,
//                          to tell the front end's share of the time
//   GetInstance/threads:T  T keep-alive clients at once; items_per_second
//                          is requests answered per second
#include <benchmark/benchmark.h>

#include <httplib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "cimom_service.h"
#include "http_listener.h"
#include "metrics.h"
#include "object_manager_host.h"
#include "protocol_module.h"

namespace {

using namespace cimxmld;

constexpr int sizes[] = {10000, 100000};

// Classes Bench_Item10000 and Bench_Item100000 with that many instances each:
// a key and five 64-character strings, about 1 KB once encoded.
std::string benchMof() {
    std::string mof;
    for (int count : sizes) {
        std::string cls = "Bench_Item" + std::to_string(count);
        mof += "class " + cls + " { [Key] string Name; string Text0; string Text1; string Text2; string Text3; "
               "string Text4; };\n";
        for (int i = 0; i < count; ++i) {
            std::string key = "item-" + std::to_string(i);
            mof += "instance of " + cls + " { Name = \"" + key + "\";";
            for (int p = 0; p < 5; ++p)
                mof += " Text" + std::to_string(p) + " = \"" + key + " " + std::string(63 - key.size(), char('a' + p)) + "\";";
            mof += " };\n";
        }
    }
    return mof;
}

// The front end on a free loopback port in front of the object manager
// with the default schema and the bench classes, up for the whole run.
class Server {
public:
    Server() {
        std::string error;
        module_ = ProtocolModule::load("", "strict", error);
        ServerOptions options;
        options.mofFiles.push_back(std::filesystem::temp_directory_path() / "http_bench.mof");
        std::ofstream(options.mofFiles[0]) << benchMof();
        if (module_) objectManager_ = ObjectManagerHost::start(options, error);
        std::filesystem::remove(options.mofFiles[0]);
        if (!objectManager_) throw std::runtime_error(error);
        service_ = std::make_unique<CimomService>(*module_, objectManager_->handle(), nullptr, std::size_t(1) << 30,
                                                  metrics_);
        listener_.new_task_queue = [] { return new httplib::ThreadPool(16); };
        listener_.set_keep_alive_max_count(1000000);
        service_->attach(listener_);
        port_ = listener_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { listener_.listen_after_bind(); });
    }
    ~Server() {
        listener_.stop();
        thread_.join();
    }
    int port() const { return port_; }
    ModuleAnswer answer(const std::string &body) { return module_->handle(body, objectManager_->handle()); }

private:
    std::unique_ptr<ProtocolModule> module_;
    std::unique_ptr<ObjectManagerHost> objectManager_;
    Metrics metrics_;
    std::unique_ptr<CimomService> service_;
    HttpListener listener_{nullptr, std::chrono::seconds(60)};
    int port_ = 0;
    std::thread thread_;
};

Server &server() {
    static Server running;
    return running;
}

std::string call(const std::string &method, const std::string &parameter) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"1\" "
           "PROTOCOLVERSION=\"1.0\"><SIMPLEREQ><IMETHODCALL NAME=\"" + method + "\"><LOCALNAMESPACEPATH><NAMESPACE "
           "NAME=\"root\"/><NAMESPACE NAME=\"cimv2\"/></LOCALNAMESPACEPATH>" + parameter +
           "</IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>";
}

std::string enumerateBody(std::int64_t count) {
    return call("EnumerateInstances", "<IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"Bench_Item" +
                                          std::to_string(count) + "\"/></IPARAMVALUE>");
}

const std::string getInstanceBody =
    call("GetInstance", "<IPARAMVALUE NAME=\"InstanceName\"><INSTANCENAME CLASSNAME=\"Bench_Item10000\"><KEYBINDING "
                        "NAME=\"Name\"><KEYVALUE VALUETYPE=\"string\">item-1</KEYVALUE></KEYBINDING></INSTANCENAME>"
                        "</IPARAMVALUE>");

httplib::Headers cimHeaders(const char *method) {
    return {{"CIMProtocolVersion", "1.0"}, {"CIMOperation", "MethodCall"}, {"CIMMethod", method},
            {"CIMObject", "root%2Fcimv2"}};
}

void EnumerateInstances(benchmark::State &state) {
    std::string body = enumerateBody(state.range(0));
    httplib::Client client("127.0.0.1", server().port());
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    client.set_read_timeout(120);
    std::int64_t bytes = 0;
    for (auto _ : state) {
        httplib::Result result =
            client.Post("/cimom", cimHeaders("EnumerateInstances"), body, "application/xml; charset=\"utf-8\"");
        if (!result || result->status != 200) {
            state.SkipWithError("request failed");
            break;
        }
        bytes += static_cast<std::int64_t>(result->body.size());
        state.counters["bytes_per_instance"] =
            static_cast<double>(result->body.size()) / static_cast<double>(state.range(0));
    }
    state.SetBytesProcessed(bytes);
}

// The large answers, warmed up first: the first one takes its memory from
// the system, page by page; the figure is the server's steady state.
void largeAnswers(benchmark::internal::Benchmark *b) {
    b->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(2)->MinTime(3);
}
BENCHMARK(EnumerateInstances)->Apply(largeAnswers);

// Each answer is made on a thread of its own, as the server's pool threads
// make theirs, not on the thread that filled the repository.
void ModuleOnly(benchmark::State &state) {
    std::string body = enumerateBody(state.range(0));
    std::int64_t bytes = 0;
    for (auto _ : state) {
        std::thread worker([&] { bytes += static_cast<std::int64_t>(server().answer(body).body.size()); });
        worker.join();
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(ModuleOnly)->Apply(largeAnswers);

void GetInstance(benchmark::State &state) {
    int port = server().port();
    httplib::Client client("127.0.0.1", port);
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    for (auto _ : state) {
        httplib::Result result =
            client.Post("/cimom", cimHeaders("GetInstance"), getInstanceBody, "application/xml; charset=\"utf-8\"");
        if (!result || result->status != 200) {
            std::fprintf(stderr, "GetInstance: %s\n", result ? std::to_string(result->status).c_str()
                                                             : httplib::to_string(result.error()).c_str());
            state.SkipWithError("request failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(GetInstance)->Threads(1)->Threads(4)->Threads(16)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

// The server (and its 110,000 instances) is made before any benchmark runs,
// so that no measured iteration includes it.
int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    server();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
