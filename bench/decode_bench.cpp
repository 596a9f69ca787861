// decode_bench.cpp - decoding throughput of request documents, each next to
// Expat parsing the same text with empty handlers, both in the process's CPU
// time.
//
// Cases: CreateInstance of an instance with 1e3, 1e4 and 1e5 properties;
// SetProperty with a value of 1 and 10 MB of entity references and text;
// CreateInstance of an embedded instance nested 10 deep. After the runs a
// summary gives decode time / Expat time for each document and the growth
// of both with the document, then the figures bench/report.sh reads.
#include <benchmark/benchmark.h>

#include <expat.h>

#include <map>
#include <string>

#include "bench_summary.h"
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

// CreateInstance of an instance with count properties of mixed types.
std::string create_instance(int count) {
    static const char *const kinds[][2] = {
        {"string", "some text value"}, {"uint32", "4000000000"}, {"boolean", "true"},
        {"sint64", "-1234567890123"},  {"real64", "3.14159"},    {"datetime", "20240102030405.000000+000"}};
    std::string properties;
    for (int i = 0; i < count; ++i) {
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

void run_decode(benchmark::State &state, const std::string &text) {
    for (auto _ : state) decode(text);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void run_expat(benchmark::State &state, const std::string &text) {
    for (auto _ : state) expat_only(text);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

// The documents, made once each.
const std::string &instance_text(int properties) {
    static std::map<int, std::string> made;
    std::string &text = made[properties];
    if (text.empty()) text = create_instance(properties);
    return text;
}
const std::string &property_text(int megabytes) {
    static std::map<int, std::string> made;
    std::string &text = made[megabytes];
    if (text.empty()) text = set_property(static_cast<std::size_t>(megabytes) << 20);
    return text;
}
const std::string &nested_text() {
    static const std::string text = nested_embedded_10();
    return text;
}

void BM_Decode_CreateInstanceProperties(benchmark::State &state) {
    run_decode(state, instance_text(static_cast<int>(state.range(0))));
}
void BM_Expat_CreateInstanceProperties(benchmark::State &state) {
    run_expat(state, instance_text(static_cast<int>(state.range(0))));
}
// The argument is the value's size in MB: equal rates for 1 and 10 MB show
// that the joining of the value's pieces is linear.
void BM_Decode_SetPropertyEntitiesMB(benchmark::State &state) {
    run_decode(state, property_text(static_cast<int>(state.range(0))));
}
void BM_Expat_SetPropertyEntitiesMB(benchmark::State &state) {
    run_expat(state, property_text(static_cast<int>(state.range(0))));
}
void BM_Decode_EmbeddedInstanceNested10(benchmark::State &state) { run_decode(state, nested_text()); }
void BM_Expat_EmbeddedInstanceNested10(benchmark::State &state) { run_expat(state, nested_text()); }

// Decoding and Expat in turns: the ratios the figures are judged by, and
// growth against Expat's as the ratio at the larger size over the smaller.
void BM_DecodeAndExpat_CreateInstanceProperties(benchmark::State &state) {
    const std::string &text = instance_text(static_cast<int>(state.range(0)));
    alternate_with_expat(state, [&] { decode(text); }, [&] { expat_only(text); });
}
void BM_DecodeAndExpat_SetPropertyEntitiesMB(benchmark::State &state) {
    const std::string &text = property_text(static_cast<int>(state.range(0)));
    alternate_with_expat(state, [&] { decode(text); }, [&] { expat_only(text); });
}

void properties(benchmark::internal::Benchmark *b) {
    b->Arg(1000)->Arg(10000)->Arg(100000)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
}
void megabytes(benchmark::internal::Benchmark *b) {
    b->Arg(1)->Arg(10)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_Decode_CreateInstanceProperties)->Apply(properties);
BENCHMARK(BM_Expat_CreateInstanceProperties)->Apply(properties);
BENCHMARK(BM_Decode_SetPropertyEntitiesMB)->Apply(megabytes);
BENCHMARK(BM_Expat_SetPropertyEntitiesMB)->Apply(megabytes);
BENCHMARK(BM_DecodeAndExpat_CreateInstanceProperties)->Apply(properties);
BENCHMARK(BM_DecodeAndExpat_SetPropertyEntitiesMB)->Apply(megabytes);
BENCHMARK(BM_Decode_EmbeddedInstanceNested10)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Expat_EmbeddedInstanceNested10)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

// Decode time / Expat time of one document, 0 when either did not run.
double times_expat(const FigureReporter &runs, const std::string &document, const std::string &args = "") {
    double expat = runs.seconds("BM_Expat_" + document, args);
    return expat > 0 ? runs.seconds("BM_Decode_" + document, args) / expat : 0;
}

// Time at the larger size over time at the smaller one, 0 when either is missing.
double growth(const FigureReporter &runs, const std::string &function, const char *small, const char *large) {
    double before = runs.seconds(function, small);
    return before > 0 ? runs.seconds(function, large) / before : 0;
}

void print_summary(const FigureReporter &runs) {
    std::printf("%-36s %10s %24s\n", "document", "size", "decode time / Expat time");
    for (const char *n : {"1000", "10000", "100000"})
        std::printf("%-36s %10s %24.2f\n", "CreateInstance, properties", n, times_expat(runs, "CreateInstanceProperties", n));
    for (const char *n : {"1", "10"})
        std::printf("%-36s %10s %24.2f\n", "SetProperty, MB of entities", n, times_expat(runs, "SetPropertyEntitiesMB", n));
    std::printf("%-36s %10s %24.2f\n", "CreateInstance, nested embedded", "10", times_expat(runs, "EmbeddedInstanceNested10"));
    double properties = growth(runs, "BM_Decode_CreateInstanceProperties", "10000", "100000");
    double propertiesExpat = growth(runs, "BM_Expat_CreateInstanceProperties", "10000", "100000");
    double entities = growth(runs, "BM_Decode_SetPropertyEntitiesMB", "1", "10");
    double entitiesExpat = growth(runs, "BM_Expat_SetPropertyEntitiesMB", "1", "10");
    std::printf("\ngrowth 1e4 -> 1e5 properties: decode %.2f, Expat %.2f\n", properties, propertiesExpat);
    std::printf("growth 1 -> 10 MB of entities: decode %.2f, Expat %.2f\n\n", entities, entitiesExpat);
    double inTurns = runs.counter("BM_DecodeAndExpat_CreateInstanceProperties", "1000", "x_expat");
    std::printf("CreateInstance of 1000 properties, decoding and Expat in turns: %.2f\n\n", inTurns);
    print_figure("decode_instance_x_expat", inTurns);
    print_figure("decode_scaled_growth_properties", scaled_growth(runs, "BM_DecodeAndExpat_CreateInstanceProperties", "10000", "100000"));
    print_figure("decode_scaled_growth_entities", scaled_growth(runs, "BM_DecodeAndExpat_SetPropertyEntitiesMB", "1", "10"));
    print_figure("decode_growth_properties", properties);
    print_figure("expat_growth_properties", propertiesExpat);
    print_figure("decode_growth_entities", entities);
    print_figure("expat_growth_entities", entitiesExpat);
}

}  // namespace

int main(int argc, char **argv) {
    FigureReporter reporter;
    return run_benchmarks(argc, argv, reporter, [&] { print_summary(reporter); });
}
