// http_bench - the whole server path over loopback HTTP: a C++ client
// (Beast, blocking) posts CIM-XML requests to cimxmld's front end, which runs
// in this process with the protocol module loaded as the program loads it,
// in front of the object manager filled from MOF.
//
//   EnumerateInstances/N   N instances of about 1 KB each per answer;
//                          bytes_per_second is the answer's size end to end
//   ModuleOnly/N           the same answer made by the module without HTTP,
//                          to tell the front end's share of the time
//   GetInstance/threads:T  T keep-alive clients at once; items_per_second
//                          is requests answered per second
//   PullInPieces/N         the same N instances pulled 1,000 at a time (an open
//                          and its pulls); bytes_per_second as EnumerateInstances'
//   PullOne                one PullInstancesWithPath of one instance on keep-alive
//   OpenPullClose/N        open, pull of up to 1,000 and close of a class of N
#include <benchmark/benchmark.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "cimom_service.h"
#include "loopback_front_end.h"
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
    mof += "class Bench_Small { [Key] string Name; };\n";
    for (int i = 0; i < 10; ++i) mof += "instance of Bench_Small { Name = \"small-" + std::to_string(i) + "\"; };\n";
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
        module_->setHostExtensions(objectManager_->extensions());
        service_ = std::make_unique<CimomService>(*module_, objectManager_->handle(), nullptr, std::size_t(1) << 30,
                                                  metrics_);
        frontEnd_ = std::make_unique<LoopbackFrontEnd>(*service_, metrics_);
    }
    int port() const { return frontEnd_->port(); }
    ModuleAnswer answer(const std::string &body) { return module_->handle(body, objectManager_->handle()); }

private:
    std::unique_ptr<ProtocolModule> module_;
    std::unique_ptr<ObjectManagerHost> objectManager_;
    Metrics metrics_;
    std::unique_ptr<CimomService> service_;
    std::unique_ptr<LoopbackFrontEnd> frontEnd_;
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

namespace http = boost::beast::http;

// One keep-alive client connection posting one CIM-XML request again and again.
class Client {
public:
    Client(const char *method, std::string body) : socket_(context_) {
        boost::asio::ip::tcp::endpoint server(boost::asio::ip::make_address("127.0.0.1"),
                                              static_cast<unsigned short>(::server().port()));
        socket_.connect(server);
        socket_.set_option(boost::asio::ip::tcp::no_delay(true));
        request_.method(http::verb::post);
        request_.target("/cimom");
        request_.set(http::field::host, "127.0.0.1");
        request_.set(http::field::content_type, "application/xml; charset=\"utf-8\"");
        request_.set("CIMProtocolVersion", "1.0");
        request_.set("CIMOperation", "MethodCall");
        request_.set("CIMMethod", method);
        request_.set("CIMObject", "root%2Fcimv2");
        request_.body() = std::move(body);
        request_.prepare_payload();
    }
    // The answer's body size; -1 when the answer was not 200 or the exchange failed.
    std::int64_t post() {
        boost::system::error_code ec;
        http::write(socket_, request_, ec);
        http::response_parser<http::string_body> parser;
        parser.body_limit(std::numeric_limits<std::uint64_t>::max());  // boost::none fails a Content-Length in 1.74
        if (!ec) http::read(socket_, buffer_, parser, ec);
        if (ec || parser.get().result_int() != 200) {
            std::fprintf(stderr, "%s: %s\n", request_["CIMMethod"].to_string().c_str(),
                         ec ? ec.message().c_str() : std::to_string(parser.get().result_int()).c_str());
            return -1;
        }
        return static_cast<std::int64_t>(parser.get().body().size());
    }
    // Posts another request on the same connection; its answer's body, empty on failure.
    std::string post(const char *method, std::string body) {
        request_.set("CIMMethod", method);
        request_.body() = std::move(body);
        request_.prepare_payload();
        boost::system::error_code ec;
        http::write(socket_, request_, ec);
        http::response_parser<http::string_body> parser;
        parser.body_limit(std::numeric_limits<std::uint64_t>::max());  // boost::none fails a Content-Length in 1.74
        if (!ec) http::read(socket_, buffer_, parser, ec);
        if (ec || parser.get().result_int() != 200) return {};
        return std::move(parser.get().body());
    }

private:
    boost::asio::io_context context_;
    boost::asio::ip::tcp::socket socket_;
    boost::beast::flat_buffer buffer_;
    http::request<http::string_body> request_{http::verb::post, "/cimom", 11};
};

void EnumerateInstances(benchmark::State &state) {
    Client client("EnumerateInstances", enumerateBody(state.range(0)));
    std::int64_t bytes = 0;
    for (auto _ : state) {
        std::int64_t size = client.post();
        if (size < 0) {
            state.SkipWithError("request failed");
            break;
        }
        bytes += size;
        state.counters["bytes_per_instance"] = static_cast<double>(size) / static_cast<double>(state.range(0));
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
    Client client("GetInstance", getInstanceBody);
    for (auto _ : state) {
        if (client.post() < 0) {
            state.SkipWithError("request failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(GetInstance)->Threads(1)->Threads(4)->Threads(16)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The context an open's or a pull's answer names, empty once it ended (or
// on an error).
std::string contextOf(const std::string &answer) {
    std::size_t at = answer.find("NAME=\"EnumerationContext\"");
    if (at == std::string::npos) return {};
    at = answer.find("<VALUE>", at);
    std::size_t end = at == std::string::npos ? at : answer.find("</VALUE>", at);
    return end == std::string::npos ? std::string() : answer.substr(at + 7, end - at - 7);
}

std::string openBody(const std::string &className, int max) {
    return call("OpenEnumerateInstances", "<IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"" + className +
                                              "\"/></IPARAMVALUE><IPARAMVALUE NAME=\"MaxObjectCount\"><VALUE>" +
                                              std::to_string(max) + "</VALUE></IPARAMVALUE>");
}
std::string onContext(const char *method, const std::string &context, int max) {
    return call(method, "<IPARAMVALUE NAME=\"EnumerationContext\"><VALUE>" + context + "</VALUE></IPARAMVALUE>" +
                            (max < 0 ? std::string()
                                     : "<IPARAMVALUE NAME=\"MaxObjectCount\"><VALUE>" + std::to_string(max) +
                                           "</VALUE></IPARAMVALUE>"));
}

void PullInPieces(benchmark::State &state) {
    Client client("OpenEnumerateInstances", "");
    const std::string cls = "Bench_Item" + std::to_string(state.range(0));
    std::int64_t bytes = 0;
    for (auto _ : state) {
        std::string answer = client.post("OpenEnumerateInstances", openBody(cls, 1000));
        bytes += static_cast<std::int64_t>(answer.size());
        for (std::string context = contextOf(answer); !context.empty(); context = contextOf(answer)) {
            answer = client.post("PullInstancesWithPath", onContext("PullInstancesWithPath", context, 1000));
            bytes += static_cast<std::int64_t>(answer.size());
        }
        if (answer.find("<ERROR") != std::string::npos || answer.empty()) {
            state.SkipWithError("pull failed");
            break;
        }
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(PullInPieces)->Apply(largeAnswers);

void PullOne(benchmark::State &state) {
    Client client("OpenEnumerateInstances", "");
    std::string context;
    for (auto _ : state) {
        if (context.empty()) {
            state.PauseTiming();
            context = contextOf(client.post("OpenEnumerateInstances", openBody("Bench_Item100000", 0)));
            state.ResumeTiming();
        }
        std::string answer = client.post("PullInstancesWithPath", onContext("PullInstancesWithPath", context, 1));
        if (answer.empty() || answer.find("<ERROR") != std::string::npos) {
            state.SkipWithError("pull failed");
            break;
        }
        context = contextOf(answer);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(PullOne)->Unit(benchmark::kMicrosecond)->UseRealTime();

void OpenPullClose(benchmark::State &state) {
    Client client("OpenEnumerateInstances", "");
    const std::string cls = state.range(0) == 10 ? "Bench_Small" : "Bench_Item" + std::to_string(state.range(0));
    for (auto _ : state) {
        std::string context = contextOf(client.post("OpenEnumerateInstances", openBody(cls, 0)));
        std::string answer = client.post("PullInstancesWithPath", onContext("PullInstancesWithPath", context, 1000));
        std::string left = contextOf(answer);
        if (!left.empty()) answer = client.post("CloseEnumeration", onContext("CloseEnumeration", left, -1));
        if (context.empty() || answer.empty() || answer.find("<ERROR") != std::string::npos) {
            state.SkipWithError("sequence failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(OpenPullClose)->Arg(10)->Arg(10000)->Unit(benchmark::kMicrosecond)->UseRealTime();

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
