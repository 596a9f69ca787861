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
// After the runs a summary gives MB/s of output, the time growth from 1e4 to
// 1e5 (about 10 when linear) and the ratio encode rate / parse rate.
#include <benchmark/benchmark.h>
#include <expat.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <cimobj/cimobj.h>
#include <utils/pool_string.h>

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

void BM_EncodeEnumerateInstances(benchmark::State &state) {
    CIMList *instances = instances_of(state.range(0));
    CIMString *method = newCIMString(L"EnumerateInstances");
    std::size_t bytes = 0;
    for (auto _ : state) {
        PoolString pool{};
        cimxml_begin_response(&pool, "1001", "bench");
        cim_simplersp_toxml(method, nullptr, instances, nullptr, nullptr, 1, &pool);
        cimxml_end_response(&pool);
        bytes = pool.length;
        benchmark::DoNotOptimize(pool.text);
        release_PoolStringBuffer(&pool);
    }
    freeCIMString(method);
    state.counters["bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
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

// ---- Expat over the same texts ----

void XMLCALL on_start(void *, const XML_Char *, const XML_Char **) {}
void XMLCALL on_end(void *, const XML_Char *) {}
void XMLCALL on_text(void *, const XML_Char *, int) {}

void parse_bench(benchmark::State &state, const std::string &text) {
    for (auto _ : state) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetElementHandler(parser, on_start, on_end);
        XML_SetCharacterDataHandler(parser, on_text);
        if (XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_ERROR)
            state.SkipWithError(XML_ErrorString(XML_GetErrorCode(parser)));
        XML_ParserFree(parser);
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

BENCHMARK(BM_EncodeEnumerateInstances)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseEnumerateInstances)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeValueArray)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseValueArray)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// ---- Summary ----

// Keeps seconds per iteration and bytes per iteration of every run, and
// prints the derived figures at the end.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            Figure &figure = figures_[run.run_name.function_name][std::stoll(run.run_name.args)];
            figure.seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            auto bytes = run.counters.find("bytes");
            figure.bytes = bytes != run.counters.end() ? bytes->second.value : 0;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintSummary() const {
        std::printf("\n%-28s %8s %12s %10s\n", "case", "N", "MB/s", "ms");
        for (const auto &[name, sizes] : figures_) {
            for (const auto &[n, figure] : sizes)
                std::printf("%-28s %8lld %12.1f %10.2f\n", name.c_str(), static_cast<long long>(n), figure.rate(),
                            figure.seconds * 1e3);
        }
        // Expat's own growth on the same texts shows what the memory system
        // adds once the text no longer fits in the caches; an encoder that is
        // linear grows as the parser does.
        std::printf("\n%-28s %22s %26s\n", "case", "time growth 1e4 -> 1e5", "relative to Expat's growth");
        for (const auto &[name, sizes] : figures_) {
            double growth = growth_of(name);
            if (growth <= 0) continue;
            std::string parse = name.rfind("BM_Encode", 0) == 0 ? "BM_Parse" + name.substr(9) : std::string();
            double parseGrowth = parse.empty() ? 0 : growth_of(parse);
            if (parseGrowth > 0 && parse != name)
                std::printf("%-28s %22.2f %26.2f\n", name.c_str(), growth, growth / parseGrowth);
            else
                std::printf("%-28s %22.2f %26s\n", name.c_str(), growth, "");
        }
        std::printf("\n%-20s %8s %24s\n", "document", "N", "encode rate / parse rate");
        for (const char *kind : {"EnumerateInstances", "ValueArray"}) {
            auto encode = figures_.find(std::string("BM_Encode") + kind);
            auto parse = figures_.find(std::string("BM_Parse") + kind);
            if (encode == figures_.end() || parse == figures_.end()) continue;
            for (const auto &[n, figure] : encode->second) {
                auto other = parse->second.find(n);
                if (other != parse->second.end() && other->second.rate() > 0)
                    std::printf("%-20s %8lld %24.2f\n", kind, static_cast<long long>(n), figure.rate() / other->second.rate());
            }
        }
    }

private:
    // Time at 1e5 over time at 1e4, or 0 when either is missing.
    double growth_of(const std::string &name) const {
        auto sizes = figures_.find(name);
        if (sizes == figures_.end()) return 0;
        auto small = sizes->second.find(10000), large = sizes->second.find(100000);
        if (small == sizes->second.end() || large == sizes->second.end() || small->second.seconds <= 0) return 0;
        return large->second.seconds / small->second.seconds;
    }

    struct Figure {
        double seconds = 0;
        double bytes = 0;
        double rate() const { return seconds > 0 ? bytes / seconds / 1e6 : 0; }
    };
    std::map<std::string, std::map<long long, Figure>> figures_;
};

}  // namespace

int main(int argc, char **argv) {
    cimEnsureCollectorThread();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}
