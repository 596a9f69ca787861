// object_manager_bench.cpp - the repository through the CIMOM handle, as the
// module calls it: GetInstance by key and EnumerateInstances over 1e3, 1e4
// and 1e5 instances of one class, a MOF compile of 1e5 instances, and an FQL
// filter of three terms over the enumerated instances (its items/s is the
// evaluation rate). GetInstance time must not grow with the number of
// instances; the others must grow linearly.
#include <benchmark/benchmark.h>
#include <cimom/handle.h>
#include <cimom/object_manager.h>

#include <memory>
#include <string>
#include <vector>

#include "query/fql_filter.h"

namespace {

const char schemaMof[] =
    "Qualifier Key : boolean = false, Scope(property, reference), Flavor(DisableOverride, ToSubclass);\n"
    "class Bench_Item { [Key] uint32 Id; string Name; uint64 Size; boolean Ready; };\n";

std::string instanceMof(int id) {
    return "instance of Bench_Item { Id = " + std::to_string(id) + "; Name = \"item number " + std::to_string(id) +
           "\"; Size = " + std::to_string(id * 4096L) + "; Ready = true; };\n";
}

std::string instancesMof(int count) {
    std::string text;
    text.reserve(static_cast<std::size_t>(count) * 90);
    for (int id = 0; id < count; ++id) text += instanceMof(id);
    return text;
}

std::unique_ptr<cimom::ObjectManager> freshObjectManager() {
    auto om = std::make_unique<cimom::ObjectManager>(L"bench");
    cimom::MofOptions options;
    options.defaultNamespace = L"bench";
    om->createNamespace(L"bench");
    if (!om->compileMofText(schemaMof, "schema.mof", options).empty()) std::abort();
    return om;
}

// An object manager holding count instances, installed for the handle. One
// is kept at a time, so that one size's heap does not weigh on the next.
CIMOMHandle &handleWith(int count) {
    static std::shared_ptr<cimom::ObjectManager> filled;
    static int filledCount = -1;
    static CIMOMHandle handle{};
    if (count != filledCount) {
        cimom::installObjectManager(nullptr);
        filled.reset();
        filled = freshObjectManager();
        cimom::MofOptions options;
        options.defaultNamespace = L"bench";
        if (!filled->compileMofText(instancesMof(count), "items.mof", options).empty()) std::abort();
        filledCount = count;
        cimom::installObjectManager(filled);
        cimom::fillCimomHandle(handle);
    }
    return handle;
}

CIMObjectPath *classPath() {
    CIMObjectPath *path = newObjectPathWithName(newCIMString(L"Bench_Item"));
    setObjectPathNameSpace(path, newCIMString(L"bench"));
    return path;
}

void GetInstanceByKey(benchmark::State &state) {
    const int count = static_cast<int>(state.range(0));
    CIMOMHandle &handle = handleWith(count);
    // Keys arrive as text, as a KEYVALUE without type does.
    std::vector<CIMObjectPath *> paths;
    for (int i = 0; i < 1000; ++i) {
        CIMObjectPath *path = classPath();
        std::wstring id = std::to_wstring((i * 7919L) % count);
        freeReturnCode(objectPathAddKey(
            path, newPropertyKey(newCIMString(L"Id"), nullptr, newCIMValue(CIM_STRING, newCIMString(id.c_str())))));
        paths.push_back(path);
    }
    std::size_t next = 0;
    for (auto _ : state) {
        CIMInstance *instance = nullptr;
        ReturnCode *rc = handle.pfn_getInstance(paths[next++ % paths.size()], 0, 0, 0, nullptr, &instance);
        if (rc->rc != 0) state.SkipWithError("GetInstance failed");
        freeReturnCode(rc);
        freeCIMInstance(instance);
    }
    for (CIMObjectPath *path : paths) freeCIMObjectPath(path);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(GetInstanceByKey)->Arg(1000)->Arg(10000)->Arg(100000);

void EnumerateInstances(benchmark::State &state) {
    const int count = static_cast<int>(state.range(0));
    CIMOMHandle &handle = handleWith(count);
    CIMObjectPath *path = classPath();
    for (auto _ : state) {
        CIMInstanceList *instances = nullptr;
        ReturnCode *rc = handle.pfn_enumerateInstances(path, 0, 1, 0, 0, nullptr, &instances);
        // Freeing the results is the caller's work, not the object manager's.
        state.PauseTiming();
        if (rc->rc != 0 || getLength(instances) != count) state.SkipWithError("EnumerateInstances failed");
        freeReturnCode(rc);
        freeList(instances);
        state.ResumeTiming();
    }
    freeCIMObjectPath(path);
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(EnumerateInstances)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void MofCompileInstances(benchmark::State &state) {
    const int count = static_cast<int>(state.range(0));
    const std::string text = instancesMof(count);
    cimom::MofOptions options;
    options.defaultNamespace = L"bench";
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<cimom::ObjectManager> om = freshObjectManager();
        state.ResumeTiming();
        if (!om->compileMofText(text, "items.mof", options).empty()) state.SkipWithError("compile failed");
        state.PauseTiming();
        om.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(MofCompileInstances)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A typical pull filter: a number range, a pattern and a flag. The
// instances come from one enumeration outside the timing.
void FilterInstances(benchmark::State &state) {
    const int count = static_cast<int>(state.range(0));
    CIMOMHandle &handle = handleWith(count);
    CIMObjectPath *path = classPath();
    CIMInstanceList *instances = nullptr;
    ReturnCode *rc = handle.pfn_enumerateInstances(path, 0, 1, 0, 0, nullptr, &instances);
    if (rc->rc != 0 || getLength(instances) != count) state.SkipWithError("EnumerateInstances failed");
    freeReturnCode(rc);
    std::vector<const CIMInstance *> items;
    for (CIMListNode *node = getFirstNode(instances); node; node = getNextNode(node))
        items.push_back(static_cast<const CIMInstance *>(getNodeItem(node)));
    cimom::FqlFilter filter;
    cimom::Status status = cimom::parseFqlFilter(
        L"Size >= 40960 AND Name LIKE \"item number [0-9]*7\" AND Ready = TRUE", filter);
    if (!status.ok()) state.SkipWithError(status.message.c_str());
    int64_t passed = 0;
    for (auto _ : state) {
        passed = 0;
        for (const CIMInstance *instance : items) passed += filter.matches(instance);
        benchmark::DoNotOptimize(passed);
    }
    // Ids 10..count-1 ending in 7 pass.
    if (passed != (count - 10) / 10) state.SkipWithError("unexpected matches");
    freeList(instances);
    freeCIMObjectPath(path);
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(FilterInstances)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
