// store_bench.cpp - the durable repository: CreateInstance through the
// CIMOM handle with every write committed to the SQLite file before it is
// acknowledged (1e4 and 1e5 writes, nothing batched), and the start-up of
// an object manager on a file of 1e4 and 1e5 instances. Writes per second
// must not fall as the file grows; start-up must grow linearly.
#include <benchmark/benchmark.h>
#include <cimom/handle.h>
#include <cimom/object_manager.h>
#include <cimom/repository_store.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

const char schemaMof[] =
    "Qualifier Key : boolean = false, Scope(property, reference), Flavor(DisableOverride, ToSubclass);\n"
    "class Bench_Item { [Key] uint32 Id; string Name; uint64 Size; boolean Ready; };\n";

// A folder of its own under the temporary folder, removed afterwards.
struct Folder {
    Folder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "store-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        path = pattern;
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string path;
};

cimom::MofOptions benchNamespace() {
    cimom::MofOptions options;
    options.defaultNamespace = L"bench";
    return options;
}

// An object manager on a new repository file holding only the bench schema.
std::shared_ptr<cimom::ObjectManager> managerOn(const std::string &file) {
    auto om = std::make_shared<cimom::ObjectManager>(L"bench");
    cimom::Status status;
    if (!cimom::openRepository(*om, file, status, "")) std::abort();
    if (!om->compileMofText(schemaMof, "schema.mof", benchNamespace()).empty()) std::abort();
    return om;
}

CIMInstance *itemInstance(int id) {
    CIMInstance *instance = newInstance(newCIMString(L"Bench_Item"), nullptr, nullptr);
    auto add = [&](const wchar_t *name, CIMValue *value) {
        freeReturnCode(instanceAddProperty(instance, newProperty(newCIMString(name), nullptr, value, value->type,
                                                                 nullptr, 0)));
    };
    uint32_t key = static_cast<uint32_t>(id);
    uint64_t size = static_cast<uint64_t>(id) * 4096;
    int ready = 1;
    std::wstring name = L"item number " + std::to_wstring(id);
    add(L"Id", newCIMValue(CIM_UINT32, &key));
    add(L"Name", newCIMValue(CIM_STRING, newCIMString(name.c_str())));
    add(L"Size", newCIMValue(CIM_UINT64, &size));
    add(L"Ready", newCIMValue(CIM_BOOLEAN, &ready));
    return instance;
}

void CreateInstanceDurably(benchmark::State &state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        Folder folder;
        cimom::installObjectManager(managerOn(folder.path + "/repository.db"));
        CIMOMHandle handle{};
        cimom::fillCimomHandle(handle);
        CIMObjectPath *path = newObjectPathWithName(newCIMString(L"Bench_Item"));
        setObjectPathNameSpace(path, newCIMString(L"bench"));
        state.ResumeTiming();
        for (int id = 0; id < count; ++id) {
            CIMInstance *instance = itemInstance(id);
            CIMObjectPath *made = nullptr;
            ReturnCode *rc = handle.pfn_createInstance(path, instance, &made);
            if (rc->rc != 0) state.SkipWithError("CreateInstance failed");
            freeReturnCode(rc);
            freeCIMObjectPath(made);
            freeCIMInstance(instance);
        }
        state.PauseTiming();
        freeCIMObjectPath(path);
        cimom::installObjectManager(nullptr);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
// Real time: an acknowledged write waits for the disk, which CPU time does not see.
BENCHMARK(CreateInstanceDurably)->Arg(10000)->Arg(100000)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

void StartUpOnRepository(benchmark::State &state) {
    const int count = static_cast<int>(state.range(0));
    Folder folder;
    const std::string file = folder.path + "/repository.db";
    {
        // Filled by one compile (one transaction): the file, not the filling, is measured.
        std::string text;
        for (int id = 0; id < count; ++id)
            text += "instance of Bench_Item { Id = " + std::to_string(id) + "; Name = \"item number " +
                    std::to_string(id) + "\"; Size = " + std::to_string(id * 4096L) + "; Ready = true; };\n";
        if (!managerOn(file)->compileMofText(text, "items.mof", benchNamespace()).empty()) std::abort();
    }
    for (auto _ : state) {
        auto om = std::make_unique<cimom::ObjectManager>(L"bench");
        cimom::Status status;
        if (!cimom::openRepository(*om, file, status, "")) state.SkipWithError("the repository does not open");
        state.PauseTiming();
        om.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(StartUpOnRepository)->Arg(10000)->Arg(100000)->Iterations(3)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
