// wql_bench.cpp - the WQL engine: parsing and validating long queries, and
// selecting from many instances. Both should grow linearly (Complexity oN).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <cimom/wql.h>

namespace {

CIMProperty *property(const wchar_t *name, int type, CIMValue *value) {
    return newProperty(newCIMString(name), nullptr, value ? value : newCIMValueNULL(type), type, nullptr, 0);
}

CIMPropertyList *itemProperties(CIMValue *name, CIMValue *size, CIMValue *when) {
    CIMPropertyList *list = newCIMPropertyList();
    freeReturnCode(appendToCIMPropertyList(list, property(L"Name", CIM_STRING, name)));
    freeReturnCode(appendToCIMPropertyList(list, property(L"Size", CIM_UINT32, size)));
    freeReturnCode(appendToCIMPropertyList(list, property(L"When", CIM_DATETIME, when)));
    return list;
}

// One class, Bench_Item(Name string, Size uint32, When datetime).
class OneClassSchema : public cimom::WqlSchema {
public:
    OneClassSchema() : class_(newCIMClass(newCIMString(L"Bench_Item"), nullptr)) {
        setClassProperties(class_.get(), itemProperties(nullptr, nullptr, nullptr));
    }
    const CIMClass *findClass(std::wstring_view) override { return class_.get(); }
    bool isSameOrSubclass(std::wstring_view, std::wstring_view) override { return true; }

private:
    cimobj::ClassPtr class_;
};

cimobj::InstancePtr item(uint32_t n) {
    std::wstring name = L"item" + std::to_wstring(n);
    wchar_t when[] = L"20240101120000.000000+060";
    return cimobj::InstancePtr(newInstance(newCIMString(L"Bench_Item"), nullptr,
                                           itemProperties(newCIMValue(CIM_STRING, newCIMString(name.c_str())),
                                                          newCIMValue(CIM_UINT32, &n),
                                                          newCIMValue(CIM_DATETIME, when))));
}

// A query of n OR'ed predicates, each an AND of two comparisons.
void ParseAndValidate(benchmark::State &state) {
    std::wstring text = L"SELECT Name FROM Bench_Item WHERE Size = 0";
    for (int64_t i = 1; i < state.range(0); ++i)
        text += L" OR Size = " + std::to_wstring(i) + L" AND Name LIKE 'item%'";
    OneClassSchema schema;
    for (auto _ : state) {
        cimom::WqlQuery query;
        cimom::Status status = cimom::parseWqlQuery(text, query);
        if (status.ok()) status = query.validate(schema);
        if (!status.ok()) state.SkipWithError(status.message.c_str());
        benchmark::DoNotOptimize(query);
    }
    state.SetBytesProcessed(state.iterations() * text.size() * sizeof(wchar_t));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(ParseAndValidate)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oN);

// Matches and projects n instances against a query with a comparison, a
// LIKE and a datetime predicate.
void SelectInstances(benchmark::State &state) {
    OneClassSchema schema;
    cimom::WqlQuery query;
    cimom::parseWqlQuery(L"SELECT Name, Size FROM Bench_Item WHERE Size >= 0 AND Name LIKE '%1%' "
                         L"AND When = '20240101110000.000000+000'",
                         query);
    query.validate(schema);
    std::vector<cimobj::InstancePtr> items;
    for (int64_t i = 0; i < state.range(0); ++i) items.push_back(item(static_cast<uint32_t>(i)));
    for (auto _ : state) {
        int64_t selected = 0;
        for (const auto &instance : items)
            if (query.matches(instance.get(), schema)) selected += query.project(instance.get()) != nullptr;
        benchmark::DoNotOptimize(selected);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(SelectInstances)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
