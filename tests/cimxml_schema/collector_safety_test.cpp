// Fragments under construction stay reachable for the collector: while a
// builder holds them (on the stack or in its spilled array) and while
// encoders run on several threads with collections forced meanwhile.
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "cimxml_common/memory.h"
#include "cimxml_schema/cim_fixtures.h"
#include "cimxml_schema/fragment_builder.h"
#include "cimxml_schema/response_body.h"

using namespace fixtures;

namespace {

// Allocates and fills blocks of the fragments' size, so that a block the
// collector wrongly reclaimed would be overwritten.
void churn(std::size_t size, int count) {
    for (int i = 0; i < count; ++i) {
        char *block = static_cast<char *>(CIMXML_MALLOC(size, 1, CIMXML_ATOMIC));
        if (block != nullptr) std::memset(block, 'X', size);
    }
}

TEST(CollectorSafety, SpilledBuilderKeepsItsFragmentsAlive) {
    std::string expected;
    char *result = nullptr;
    {
        fragment_builder builder;
        for (int i = 0; i < 5000; ++i) {
            std::string piece = "<VALUE>" + std::to_string(i) + "</VALUE>\n";
            expected += piece;
            builder.take(concat_fragment({piece}));
            if (i % 1000 == 999) {
                GC_gcollect();
                churn(24, 20000);
            }
        }
        GC_gcollect();
        churn(24, 50000);
        result = builder.finish();
    }
    EXPECT_EQ(take(result), expected);
}

TEST(CollectorSafety, ConcurrentResponsesWithForcedCollections) {
    auto make_list = [] {
        CIMList *list = newList(CIMLIST_INSTANCE);
        for (uint32_t n = 0; n < 40; ++n) {
            CIMObjectPath *ownPath = path(L"CIM_T", L"root");
            add_key(ownPath, L"Id", uint32_value(n));
            freeReturnCode(appendToList(
                list, instance(L"CIM_T", {property(L"Id", uint32_value(n)), property(L"Text", string_value(L"a<b&c")),
                                          property(L"List", array_value(108, {string_value(L"x"), string_value(L"y")}))},
                               ownPath)));
        }
        return list;
    };
    auto encode = [](const CIMList *list) {
        Pool pool;
        auto name = own(str(L"EnumerateInstances"));
        cim_simplersp_toxml(name.get(), nullptr, list, nullptr, nullptr, 1, &pool.pool);
        return pool.text();
    };
    auto referenceList = own(make_list());
    const std::string expected = encode(referenceList.get());
    ASSERT_GT(expected.size(), 10000u);

    std::atomic<bool> running{true};
    std::thread collector([&] {
        cimEnsureCollectorThread();
        while (running) {
            GC_gcollect();
            churn(64, 2000);
        }
    });
    std::atomic<int> mismatches{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&] {
            cimEnsureCollectorThread();
            auto list = own(make_list());
            for (int round = 0; round < 25; ++round)
                if (encode(list.get()) != expected) ++mismatches;
        });
    }
    for (auto &worker : workers) worker.join();
    running = false;
    collector.join();
    EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
