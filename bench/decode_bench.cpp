// decode_bench.cpp - decoding throughput of request documents, each next to
// Expat parsing the same text with empty handlers.
//
// Each decode benchmark reports its rate (bytes_per_second) and the counter
// "x_expat": how many times longer decoding takes than Expat alone on the
// same text, measured in the same run.
#include <benchmark/benchmark.h>

#include <expat.h>

#include <chrono>
#include <string>

#include "cimop_request/request_routing.h"

namespace {

std::string envelope(const std::string &body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"1001\" PROTOCOLVERSION=\"1.0\">\n<SIMPLEREQ>\n" +
           body + "</SIMPLEREQ>\n</MESSAGE>\n</CIM>\n";
}

std::string intrinsic(const std::string &name, const std::string &params) {
    return envelope("<IMETHODCALL NAME=\"" + name +
                    "\">\n<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n<NAMESPACE NAME=\"cimv2\"/>\n"
                    "</LOCALNAMESPACEPATH>\n" +
                    params + "</IMETHODCALL>\n");
}

// CreateInstance of an instance with 1,000 properties of mixed types.
std::string create_instance_1000() {
    static const char *const kinds[][2] = {
        {"string", "some text value"}, {"uint32", "4000000000"}, {"boolean", "true"},
        {"sint64", "-1234567890123"},  {"real64", "3.14159"},    {"datetime", "20240102030405.000000+000"}};
    std::string properties;
    for (int i = 0; i < 1000; ++i) {
        const auto &kind = kinds[i % 6];
        properties += "<PROPERTY NAME=\"Prop" + std::to_string(i) + "\" TYPE=\"" + kind[0] + "\">\n<VALUE>" +
                      kind[1] + "</VALUE>\n</PROPERTY>\n";
    }
    return intrinsic("CreateInstance", "<IPARAMVALUE NAME=\"NewInstance\">\n<INSTANCE CLASSNAME=\"Big\">\n" +
                                           properties + "</INSTANCE>\n</IPARAMVALUE>\n");
}

// SetProperty with a string value of the given size made of entity
// references and text (1 MB holds about 170,000 references).
std::string set_property(std::size_t size) {
    std::string value;
    value.reserve(size);
    while (value.size() + 12 <= size) value += "abc&lt;&amp;";
    return intrinsic("SetProperty", "<IPARAMVALUE NAME=\"InstanceName\"><INSTANCENAME CLASSNAME=\"A\">"
                                    "<KEYBINDING NAME=\"K\"><KEYVALUE>1</KEYVALUE></KEYBINDING></INSTANCENAME>"
                                    "</IPARAMVALUE>\n<IPARAMVALUE NAME=\"PropertyName\"><VALUE>Big</VALUE>"
                                    "</IPARAMVALUE>\n<IPARAMVALUE NAME=\"NewValue\"><VALUE>" +
                                        value + "</VALUE></IPARAMVALUE>\n");
}

std::string escape(const std::string &text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string nested(int level, int depth) {
    std::string text = "<INSTANCE CLASSNAME=\"L" + std::to_string(level) + "\">";
    for (int i = 0; i < 20; ++i)
        text += "<PROPERTY NAME=\"P" + std::to_string(i) + "\" TYPE=\"uint32\"><VALUE>" + std::to_string(i) +
                "</VALUE></PROPERTY>";
    if (level < depth)
        text += "<PROPERTY NAME=\"Inner\" TYPE=\"string\" EmbeddedObject=\"instance\"><VALUE>" +
                escape(nested(level + 1, depth)) + "</VALUE></PROPERTY>";
    return text + "</INSTANCE>";
}

// CreateInstance whose instance holds an embedded instance nested 10 deep.
std::string nested_embedded_10() {
    return intrinsic("CreateInstance", "<IPARAMVALUE NAME=\"NewInstance\">" + nested(0, 10) + "</IPARAMVALUE>\n");
}

void empty_start(void *, const char *, const char **) {}
void empty_end(void *, const char *) {}
void empty_text(void *, const char *, int) {}

void expat_only(const std::string &text) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetElementHandler(parser, empty_start, empty_end);
    XML_SetCharacterDataHandler(parser, empty_text);
    XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1);
    XML_ParserFree(parser);
}

void decode(const std::string &text) {
    MessageData *msgData = cimxmlParseMessage(text.c_str(), &cimxml_request_handlers);
    if (!msgData) std::abort();
    freeMessageData(msgData);
}

// Seconds per call of f on text, averaged over enough calls to take ~0.2 s.
template <typename F>
double seconds_per_call(F f, const std::string &text) {
    using clock = std::chrono::steady_clock;
    int calls = 0;
    auto start = clock::now();
    double elapsed = 0;
    do {
        f(text);
        ++calls;
        elapsed = std::chrono::duration<double>(clock::now() - start).count();
    } while (elapsed < 0.2);
    return elapsed / calls;
}

void run_decode(benchmark::State &state, const std::string &text) {
    double ratio = seconds_per_call(decode, text) / seconds_per_call(expat_only, text);
    for (auto _ : state) decode(text);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["x_expat"] = ratio;
}

void run_expat(benchmark::State &state, const std::string &text) {
    for (auto _ : state) expat_only(text);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

const std::string &instance_text() {
    static const std::string text = create_instance_1000();
    return text;
}
const std::string &property_text(int megabytes) {
    static const std::string one = set_property(std::size_t{1} << 20);
    static const std::string four = set_property(std::size_t{4} << 20);
    return megabytes == 4 ? four : one;
}
const std::string &nested_text() {
    static const std::string text = nested_embedded_10();
    return text;
}

void BM_Decode_CreateInstance1000Properties(benchmark::State &state) { run_decode(state, instance_text()); }
void BM_Expat_CreateInstance1000Properties(benchmark::State &state) { run_expat(state, instance_text()); }
// The argument is the value's size in MB: equal rates for 1 and 4 MB show
// that the joining of the value's pieces is linear.
void BM_Decode_SetPropertyEntitiesMB(benchmark::State &state) {
    run_decode(state, property_text(static_cast<int>(state.range(0))));
}
void BM_Expat_SetPropertyEntitiesMB(benchmark::State &state) {
    run_expat(state, property_text(static_cast<int>(state.range(0))));
}
void BM_Decode_EmbeddedInstanceNested10(benchmark::State &state) { run_decode(state, nested_text()); }
void BM_Expat_EmbeddedInstanceNested10(benchmark::State &state) { run_expat(state, nested_text()); }

BENCHMARK(BM_Decode_CreateInstance1000Properties)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Expat_CreateInstance1000Properties)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Decode_SetPropertyEntitiesMB)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Expat_SetPropertyEntitiesMB)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Decode_EmbeddedInstanceNested10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Expat_EmbeddedInstanceNested10)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
