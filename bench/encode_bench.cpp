// encode_bench.cpp - output rate of the response encoders on large results,
// their growth with the result size, and how they compare with Expat reading
// the same text back.
//
// Cases, each for N = 1e3, 1e4, 1e5:
//   EncodeEnumerateInstances  a complete EnumerateInstances response of N
//                             instances of 10 properties each
//   EncodeValueArray          a VALUE.ARRAY of N strings
//   Parse...                  Expat over the text the matching encoder wrote,
//                             with empty handlers
// and, per request or response:
//   EncodeQualifierDeclarations  an EnumerateQualifiers response of N
//                             declarations (N = 1e3, 1e4)
//   EncodeInvokeMethodRequest    a whole InvokeMethod request (header included)
//                             on an instance with eight parameters
//   EncodeCreateInstanceRequest  a whole CreateInstance request of a
//                             ten-property instance
// Times are the process's CPU time (the collector marks on threads of its
// own). After the runs a summary gives MB/s of output, the time growth from
// 1e4 to 1e5 (about 10 when linear) and the ratio encode rate / parse rate,
// then the figures bench/report.sh reads.
#include <benchmark/benchmark.h>
#include <expat.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <cimobj/cimobj.h>
#include <utils/pool_string.h>

#include "bench_summary.h"
#include "cimxml/cimxml_client.h"
#include "cimxml/response_writer.h"
#include "cimxml_common/memory.h"
#include "cimxml_schema/response_body.h"
#include "cimxml_schema/value_encoding.h"

namespace {

// ---- Inputs ----

CIMString *wide(const std::wstring &text) { return newCIMString(text.c_str()); }

CIMProperty *make_property(const wchar_t *name, CIMValue *value) {
    return newProperty(newCIMString(name), nullptr, value, getCIMValueType(value), nullptr, 0);
}

CIMValue *string_value(const std::wstring &text) { return newCIMValue(CIM_STRING, wide(text)); }

// Instance n of CIM_BenchElement: six strings (three needing escaping), a
// uint32, a boolean, a datetime and an array of five strings; its own path
// carries the key.
CIMInstance *make_instance(uint32_t n) {
    std::wstring id = L"Element-" + std::to_wstring(n);
    CIMObjectPath *path = newObjectPathWithName(newCIMString(L"CIM_BenchElement"));
    setObjectPathNameSpace(path, newCIMString(L"root/cimv2"));
    freeReturnCode(objectPathAddKey(path, newPropertyKey(newCIMString(L"InstanceID"), nullptr, string_value(id))));

    CIMInstance *instance = newInstance(newCIMString(L"CIM_BenchElement"), newCIMString(L"root/cimv2"), nullptr);
    auto add = [instance](CIMProperty *p) { freeReturnCode(instanceAddProperty(instance, p)); };
    add(make_property(L"InstanceID", string_value(id)));
    add(make_property(L"Caption", string_value(L"Disk <" + std::to_wstring(n) + L"> & \"friends\"")));
    add(make_property(L"Description", string_value(L"A managed element of the benchmark, number " + std::to_wstring(n))));
    add(make_property(L"ElementName", string_value(L"O'Brien's element")));
    add(make_property(L"Location", string_value(L"rack 4, slot 12 > shelf 3")));
    add(make_property(L"Status", string_value(L"OK")));
    uint32_t size = n * 7u;
    add(make_property(L"Size", newCIMValue(CIM_UINT32, &size)));
    int enabled = n % 2;
    add(make_property(L"Enabled", newCIMValue(CIM_BOOLEAN, &enabled)));
    add(make_property(L"InstallDate", newCIMValue(CIM_DATETIME, const_cast<wchar_t *>(L"20240131235959.000000+060"))));
    CIMValueList *names = newCIMValueList();
    for (int i = 0; i < 5; ++i) freeReturnCode(appendToCIMValueList(names, string_value(L"name-" + std::to_wstring(i))));
    add(make_property(L"OtherIdentifyingInfo", newCIMValue(CIM_STRING + CIM_ARRAY, names)));
    setInstancePath(instance, path);
    return instance;
}

// Inputs are built once per size and kept for the whole run.
CIMList *instances_of(int64_t n) {
    static std::map<int64_t, CIMList *> made;
    CIMList *&list = made[n];
    if (list == nullptr) {
        list = newList(CIMLIST_INSTANCE);
        for (int64_t i = 0; i < n; ++i) freeReturnCode(appendToList(list, make_instance(static_cast<uint32_t>(i))));
    }
    return list;
}

CIMValue *strings_of(int64_t n) {
    static std::map<int64_t, CIMValue *> made;
    CIMValue *&value = made[n];
    if (value == nullptr) {
        CIMValueList *list = newCIMValueList();
        for (int64_t i = 0; i < n; ++i) {
            std::wstring text = (i % 4 == 0) ? L"entry <" + std::to_wstring(i) + L"> & more" : L"entry " + std::to_wstring(i);
            freeReturnCode(appendToCIMValueList(list, string_value(text)));
        }
        value = newCIMValue(CIM_STRING + CIM_ARRAY, list);
    }
    return value;
}

// ---- Encoders under test ----

// The complete response for EnumerateInstances over n instances; body only.
std::string enumerate_instances_text(int64_t n) {
    PoolString pool{};
    CIMString *method = newCIMString(L"EnumerateInstances");
    cimxml_begin_response(&pool, "1001", "bench");
    cim_simplersp_toxml(method, nullptr, instances_of(n), nullptr, nullptr, 1, &pool);
    cimxml_end_response(&pool);
    std::string text(pool.text, pool.length);
    release_PoolStringBuffer(&pool);
    freeCIMString(method);
    return text.substr(text.find("\r\n\r\n") + 4);
}

// Times whole responses of method over results or declarations (header and
// message head included) and reports their size.
void response_bench(benchmark::State &state, const wchar_t *name, const CIMList *results,
                    const CIMList *declarations) {
    CIMString *method = newCIMString(name);
    std::size_t bytes = 0;
    for (auto _ : state) {
        PoolString pool{};
        cimxml_begin_response(&pool, "1001", "bench");
        cim_simplersp_toxml(method, nullptr, results, declarations, nullptr, 1, &pool);
        cimxml_end_response(&pool);
        bytes = pool.length;
        benchmark::DoNotOptimize(pool.text);
        release_PoolStringBuffer(&pool);
    }
    freeCIMString(method);
    state.counters["bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}

void BM_EncodeEnumerateInstances(benchmark::State &state) {
    response_bench(state, L"EnumerateInstances", instances_of(state.range(0)), nullptr);
}

void BM_EncodeValueArray(benchmark::State &state) {
    CIMValue *value = strings_of(state.range(0));
    std::size_t bytes = 0;
    for (auto _ : state) {
        char *text = cim_valuearray_toxml(value);
        bytes = std::strlen(text);
        benchmark::DoNotOptimize(text);
        cimxml_free(text, CIMXML_ATOMIC);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}

// Declaration n: a uint32 array with a default of three elements or a
// string with a default that needs escaping, every scope and flavor bit
// pattern in turn.
CIMList *declarations_of(int64_t n) {
    static std::map<int64_t, CIMList *> made;
    CIMList *&list = made[n];
    if (list == nullptr) {
        list = newList(CIMLIST_QUALIFIERTYPE);
        for (int64_t i = 0; i < n; ++i) {
            CIMValue *value;
            int type;
            if (i % 2 == 0) {
                CIMValueList *elements = newCIMValueList();
                for (uint32_t e = 0; e < 3; ++e) freeReturnCode(appendToCIMValueList(elements, newCIMValue(CIM_UINT32, &e)));
                type = CIM_UINT32 + CIM_ARRAY;
                value = newCIMValue(type, elements);
            } else {
                type = CIM_STRING;
                value = string_value(L"default <" + std::to_wstring(i) + L"> & more");
            }
            std::wstring name = L"Bench_Qualifier" + std::to_wstring(i);
            freeReturnCode(appendToList(list, newQualifierType(wide(name), static_cast<int>(i % 32), value, type, 0,
                                                               static_cast<int>(i % 128))));
        }
    }
    return list;
}

void BM_EncodeQualifierDeclarations(benchmark::State &state) {
    response_bench(state, L"EnumerateQualifiers", nullptr, declarations_of(state.range(0)));
}

// Runs encode (a whole request, freed after) and reports its size.
template <typename Encode>
void request_bench(benchmark::State &state, Encode encode) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        char *request = encode();
        bytes = request ? std::strlen(request) : 0;
        benchmark::DoNotOptimize(request);
        cimxml_free(request, CIMXML_ATOMIC);
    }
    if (bytes == 0) state.SkipWithError("the request was not written");
    state.counters["bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}

void BM_EncodeInvokeMethodRequest(benchmark::State &state) {
    CIMInstance *target = make_instance(7);
    const CIMObjectPath *path = getInstancePath(target);
    CIMPropertyList *parameters = newCIMPropertyList();
    auto add = [parameters](CIMProperty *p) { freeReturnCode(appendToCIMPropertyList(parameters, p)); };
    add(make_property(L"Name", string_value(L"restart <now> & \"then\"")));
    add(make_property(L"Reason", string_value(L"O'Brien asked")));
    uint32_t timeout = 30;
    add(make_property(L"Timeout", newCIMValue(CIM_UINT32, &timeout)));
    int force = 1;
    add(make_property(L"Force", newCIMValue(CIM_BOOLEAN, &force)));
    add(make_property(L"At", newCIMValue(CIM_DATETIME, const_cast<wchar_t *>(L"20240131235959.000000+060"))));
    CIMValueList *names = newCIMValueList();
    for (int i = 0; i < 8; ++i) freeReturnCode(appendToCIMValueList(names, string_value(L"arg-" + std::to_wstring(i))));
    add(make_property(L"Arguments", newCIMValue(CIM_STRING + CIM_ARRAY, names)));
    add(make_property(L"Target", newCIMValue(CIM_REFERENCE, copyObjectPath(path))));
    add(make_property(L"Note", string_value(L"a plain note without special characters")));
    CIMString *method = newCIMString(L"RequestStateChange");
    request_bench(state, [&] { return CIMXMLencode_invokeMethod(path, method, parameters, 0); });
    freeCIMString(method);
    freeCIMPropertyList(parameters);
    freeCIMInstance(target);
}

void BM_EncodeCreateInstanceRequest(benchmark::State &state) {
    CIMInstance *instance = make_instance(7);
    request_bench(state, [&] { return CIMXMLencode_createInstance(getInstancePath(instance), instance, 0); });
    freeCIMInstance(instance);
}

// ---- Expat over the same texts ----

void XMLCALL on_start(void *, const XML_Char *, const XML_Char **) {}
void XMLCALL on_end(void *, const XML_Char *) {}
void XMLCALL on_text(void *, const XML_Char *, int) {}

// Expat over text with empty handlers; false when it is not well formed.
bool parse_text(const std::string &text) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetElementHandler(parser, on_start, on_end);
    XML_SetCharacterDataHandler(parser, on_text);
    bool parsed = XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) != XML_STATUS_ERROR;
    XML_ParserFree(parser);
    return parsed;
}

void parse_bench(benchmark::State &state, const std::string &text) {
    for (auto _ : state) {
        if (!parse_text(text)) state.SkipWithError("the encoded text is not well formed");
    }
    state.counters["bytes"] = static_cast<double>(text.size());
    state.SetBytesProcessed(static_cast<int64_t>(text.size()) * state.iterations());
}

void BM_ParseEnumerateInstances(benchmark::State &state) {
    parse_bench(state, enumerate_instances_text(state.range(0)));
}

void BM_ParseValueArray(benchmark::State &state) {
    char *text = cim_valuearray_toxml(strings_of(state.range(0)));
    std::string document = text;
    cimxml_free(text, CIMXML_ATOMIC);
    parse_bench(state, document);
}

// Encoding and Expat over the encoder's output in turns: growth against
// Expat's as the ratio at 1e5 over the ratio at 1e4.
void BM_EncodeAndExpatEnumerateInstances(benchmark::State &state) {
    CIMList *instances = instances_of(state.range(0));
    CIMString *method = newCIMString(L"EnumerateInstances");
    const std::string text = enumerate_instances_text(state.range(0));
    auto encode = [&] {
        PoolString pool{};
        cimxml_begin_response(&pool, "1001", "bench");
        cim_simplersp_toxml(method, nullptr, instances, nullptr, nullptr, 1, &pool);
        cimxml_end_response(&pool);
        benchmark::DoNotOptimize(pool.text);
        release_PoolStringBuffer(&pool);
    };
    alternate_with_expat(state, encode, [&] { parse_text(text); });
    freeCIMString(method);
}

void BM_EncodeAndExpatValueArray(benchmark::State &state) {
    CIMValue *value = strings_of(state.range(0));
    char *written = cim_valuearray_toxml(value);
    const std::string text = written;
    cimxml_free(written, CIMXML_ATOMIC);
    auto encode = [&] {
        char *out = cim_valuearray_toxml(value);
        benchmark::DoNotOptimize(out);
        cimxml_free(out, CIMXML_ATOMIC);
    };
    alternate_with_expat(state, encode, [&] { parse_text(text); });
}

void sizes(benchmark::internal::Benchmark *b) {
    b->RangeMultiplier(10)->Range(1000, 100000)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_EncodeEnumerateInstances)->Apply(sizes);
BENCHMARK(BM_ParseEnumerateInstances)->Apply(sizes);
BENCHMARK(BM_EncodeValueArray)->Apply(sizes);
BENCHMARK(BM_ParseValueArray)->Apply(sizes);
BENCHMARK(BM_EncodeQualifierDeclarations)->Arg(1000)->Arg(10000)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeInvokeMethodRequest)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeCreateInstanceRequest)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
void large_sizes(benchmark::internal::Benchmark *b) {
    b->Arg(10000)->Arg(100000)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_EncodeAndExpatEnumerateInstances)->Apply(large_sizes);
BENCHMARK(BM_EncodeAndExpatValueArray)->Apply(large_sizes);

// ---- Summary ----

const char *const kinds[] = {"EnumerateInstances", "ValueArray"};

// Output MB/s of a run (CPU time), 0 when it did not run.
double rate(const FigureReporter &runs, const std::string &function, long long n) {
    double seconds = runs.seconds(function, std::to_string(n));
    return seconds > 0 ? runs.counter(function, std::to_string(n), "bytes") / seconds / 1e6 : 0;
}

// Time at 1e5 over time at 1e4, or 0 when either is missing.
double growth(const FigureReporter &runs, const std::string &function) {
    double small = runs.seconds(function, "10000"), large = runs.seconds(function, "100000");
    return small > 0 ? large / small : 0;
}

void print_summary(const FigureReporter &runs) {
    std::printf("%-28s %8s %12s %10s\n", "case", "N", "MB/s", "ms");
    for (const char *kind : kinds) {
        for (const std::string prefix : {"BM_Encode", "BM_Parse"}) {
            std::string function = prefix + kind;
            for (long long n : {1000LL, 10000LL, 100000LL}) {
                double seconds = runs.seconds(function, std::to_string(n));
                if (seconds > 0)
                    std::printf("%-28s %8lld %12.1f %10.2f\n", function.c_str(), n, rate(runs, function, n), seconds * 1e3);
            }
        }
    }
    // Expat's own growth on the same texts shows what the memory system adds
    // once the text no longer fits in the caches; an encoder that is linear
    // grows as the parser does.
    std::printf("\n%-20s %24s %24s %26s\n", "document", "encode growth 1e4->1e5", "Expat growth 1e4->1e5",
                "relative to Expat's growth");
    for (const char *kind : kinds) {
        double encode = growth(runs, std::string("BM_Encode") + kind), parse = growth(runs, std::string("BM_Parse") + kind);
        if (encode > 0 && parse > 0) std::printf("%-20s %24.2f %24.2f %26.2f\n", kind, encode, parse, encode / parse);
    }
    std::printf("\n%-20s %8s %24s\n", "document", "N", "encode rate / parse rate");
    for (const char *kind : kinds) {
        for (long long n : {1000LL, 10000LL, 100000LL}) {
            double encode = rate(runs, std::string("BM_Encode") + kind, n), parse = rate(runs, std::string("BM_Parse") + kind, n);
            if (encode > 0 && parse > 0) std::printf("%-20s %8lld %24.2f\n", kind, n, encode / parse);
        }
    }
    std::printf("\n");
    auto ratio = [&](const char *kind) {
        double parse = rate(runs, std::string("BM_Parse") + kind, 10000);
        return parse > 0 ? rate(runs, std::string("BM_Encode") + kind, 10000) / parse : 0;
    };
    print_figure("encode_instances_rate_vs_expat", ratio("EnumerateInstances"));
    print_figure("encode_array_rate_vs_expat", ratio("ValueArray"));
    for (const char *kind : kinds) {
        double encode = growth(runs, std::string("BM_Encode") + kind), parse = growth(runs, std::string("BM_Parse") + kind);
        print_figure((std::string("encode_growth_") + kind).c_str(), encode);
        print_figure((std::string("expat_growth_encoded_") + kind).c_str(), parse);
        print_figure((std::string("encode_scaled_growth_") + kind).c_str(),
                     scaled_growth(runs, std::string("BM_EncodeAndExpat") + kind, "10000", "100000"));
    }
}

}  // namespace

int main(int argc, char **argv) {
    cimEnsureCollectorThread();
    FigureReporter reporter;
    return run_benchmarks(argc, argv, reporter, [&] { print_summary(reporter); });
}
