// http_bench - the whole server path over loopback HTTP: a C++ client
// (cpp-httplib) posts CIM-XML requests to cimxmld's front end, which runs in
// this process with the protocol module loaded as the program loads it.
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
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include <cimobj/cimobj.h>

#include "cimom_service.h"
#include "http_listener.h"
#include "metrics.h"
#include "protocol_module.h"

namespace {

using namespace cimxmld;

constexpr int propertyCount = 5;

// One instance of CIM_BenchItem: a key and five 64-character strings,
// about 1 KB once encoded.
CIMInstance *benchInstance(int index) {
    CIMPropertyList *properties = newCIMPropertyList();
    std::wstring key = L"item-" + std::to_wstring(index);
    freeReturnCode(appendToCIMPropertyList(
        properties, newPropertyKey(newCIMString(L"Name"), nullptr, newCIMValue(CIM_STRING, newCIMString(key.c_str())))));
    for (int p = 0; p < propertyCount; ++p) {
        std::wstring name = L"Text" + std::to_wstring(p);
        std::wstring text = key + L" " + std::wstring(63 - key.size(), static_cast<wchar_t>(L'a' + p));
        CIMValue *value = newCIMValue(CIM_STRING, newCIMString(text.c_str()));
        freeReturnCode(appendToCIMPropertyList(
            properties, newProperty(newCIMString(name.c_str()), nullptr, value, CIM_STRING, nullptr, 0)));
    }
    CIMInstance *instance = newInstance(newCIMString(L"CIM_BenchItem"), newCIMString(L"root/cimv2"), properties);
    setInstancePath(instance, newObjectPathFromInst(instance));
    return instance;
}

// How many instances the stand-in object manager enumerates.
std::atomic<int> enumerationSize{0};

ReturnCode *enumerateInstances(CIMObjectPath *, int, int, int, int, CIMStringList *, CIMInstanceList **instances) {
    *instances = newCIMInstanceList();
    for (int i = 0; i < enumerationSize.load(); ++i)
        freeReturnCode(appendToCIMInstanceList(*instances, benchInstance(i)));
    return newReturnCode(0, nullptr);
}

ReturnCode *getInstance(CIMObjectPath *, int, int, int, CIMStringList *, CIMInstance **instance) {
    *instance = benchInstance(1);
    return newReturnCode(0, nullptr);
}

// The front end on a free loopback port, up for the whole run.
class Server {
public:
    Server() {
        std::string error;
        module_ = ProtocolModule::load("", "strict", error);
        if (!module_) throw std::runtime_error(error);
        handle_.pfn_enumerateInstances = enumerateInstances;
        handle_.pfn_getInstance = getInstance;
        service_ = std::make_unique<CimomService>(*module_, &handle_, nullptr, std::size_t(64) << 20, metrics_);
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
    ModuleAnswer answer(const std::string &body) { return module_->handle(body, &handle_); }

private:
    std::unique_ptr<ProtocolModule> module_;
    CIMOMHandle handle_{};
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

const std::string enumerateBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"1\" "
    "PROTOCOLVERSION=\"1.0\"><SIMPLEREQ><IMETHODCALL NAME=\"EnumerateInstances\"><LOCALNAMESPACEPATH><NAMESPACE "
    "NAME=\"root\"/><NAMESPACE NAME=\"cimv2\"/></LOCALNAMESPACEPATH><IPARAMVALUE NAME=\"ClassName\"><CLASSNAME "
    "NAME=\"CIM_BenchItem\"/></IPARAMVALUE></IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>";

const std::string getInstanceBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"1\" "
    "PROTOCOLVERSION=\"1.0\"><SIMPLEREQ><IMETHODCALL NAME=\"GetInstance\"><LOCALNAMESPACEPATH><NAMESPACE "
    "NAME=\"root\"/><NAMESPACE NAME=\"cimv2\"/></LOCALNAMESPACEPATH><IPARAMVALUE NAME=\"InstanceName\"><INSTANCENAME "
    "CLASSNAME=\"CIM_BenchItem\"><KEYBINDING NAME=\"Name\"><KEYVALUE VALUETYPE=\"string\">item-1</KEYVALUE>"
    "</KEYBINDING></INSTANCENAME></IPARAMVALUE></IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>";

httplib::Headers cimHeaders(const char *method) {
    return {{"CIMProtocolVersion", "1.0"}, {"CIMOperation", "MethodCall"}, {"CIMMethod", method},
            {"CIMObject", "root%2Fcimv2"}};
}

void EnumerateInstances(benchmark::State &state) {
    enumerationSize = static_cast<int>(state.range(0));
    httplib::Client client("127.0.0.1", server().port());
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    client.set_read_timeout(120);
    std::int64_t bytes = 0;
    for (auto _ : state) {
        httplib::Result result =
            client.Post("/cimom", cimHeaders("EnumerateInstances"), enumerateBody, "application/xml; charset=\"utf-8\"");
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
BENCHMARK(EnumerateInstances)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

void ModuleOnly(benchmark::State &state) {
    enumerationSize = static_cast<int>(state.range(0));
    std::int64_t bytes = 0;
    for (auto _ : state) bytes += static_cast<std::int64_t>(server().answer(enumerateBody).body.size());
    state.SetBytesProcessed(bytes);
}
BENCHMARK(ModuleOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

void GetInstance(benchmark::State &state) {
    int port = server().port();
    httplib::Client client("127.0.0.1", port);
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    for (auto _ : state) {
        httplib::Result result =
            client.Post("/cimom", cimHeaders("GetInstance"), getInstanceBody, "application/xml; charset=\"utf-8\"");
        if (!result || result->status != 200) {
            state.SkipWithError("request failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(GetInstance)->Threads(1)->Threads(4)->Threads(16)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
