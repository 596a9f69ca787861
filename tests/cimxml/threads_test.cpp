// Many threads record and read errors and allocate through the module while
// the collector runs: nothing may be lost, reclaimed early or corrupted.
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cimxml/last_error.h"
#include "cimxml/module_lifecycle.h"
#include "cimxml_common/memory.h"

namespace {

constexpr int worker_count = 8;
constexpr int rounds = 300;
constexpr int stores_per_round = 16;
// More pointers than fit in a small block: the array moves to a large
// ignore-off-page block on the way.
constexpr int texts_kept = 1600;

std::wstring description_for(int worker, int round, int store) {
    return L"worker " + std::to_wstring(worker) + L" round " + std::to_wstring(round) + L" store " +
           std::to_wstring(store);
}

// One worker: per round it stores several errors and reads the last back,
// then makes texts whose only reference is a scanned array reached from its
// stack, and checks every text made so far.
void work(int worker, std::atomic<int> &failures) {
    char **kept = nullptr;
    int keptCount = 0;
    char expected[96];
    for (int round = 0; round < rounds; ++round) {
        int code = 0;
        for (int store = 0; store < stores_per_round; ++store) {
            code = 1 + (worker + round + store) % 17;
            ReturnCode *error = newReturnCode(code, description_for(worker, round, store).c_str());
            cimxml_setlasterror(error);
            freeReturnCode(error);
        }
        for (int i = 0; i < 64 && keptCount < texts_kept; ++i, ++keptCount) {
            if ((keptCount & (keptCount - 1)) == 0)  // grows at each power of two
                kept = static_cast<char **>(CIMXML_REALLOC(kept, sizeof(char *) * 2 * (keptCount + 1), CIMXML_SCANNED));
            std::snprintf(expected, sizeof expected, "worker %d text %d ....................", worker, keptCount);
            kept[keptCount] = static_cast<char *>(CIMXML_MALLOC(1, std::strlen(expected) + 1, CIMXML_ATOMIC));
            std::strcpy(kept[keptCount], expected);
        }
        // Garbage between the kept texts, so that early reclamation gets reused.
        for (int i = 0; i < 32; ++i) std::memset(CIMXML_MALLOC(1, 48, CIMXML_ATOMIC), 0x5A, 48);
        for (int i = 0; i < keptCount; ++i) {
            std::snprintf(expected, sizeof expected, "worker %d text %d ....................", worker, i);
            if (std::strcmp(kept[i], expected) != 0) ++failures;
        }
        ReturnCode *stored = cimxml_getlasterror();
        const wchar_t *text = getCIMStringBuffer(getReturnCodeDescription(stored));
        if (getErrorFromRetCode(stored) != code || text == nullptr ||
            description_for(worker, round, stores_per_round - 1) != text)
            ++failures;
        freeReturnCode(stored);
    }
}

TEST(ModuleUnderThreads, ErrorsAndBlocksSurviveCollections) {
    int before = getLength(xmlErrorList);
    std::atomic<bool> stop{false};
    std::atomic<int> collections{0};
    std::thread collector([&] {
        cimxml_free(CIMXML_MALLOC(1, 8, CIMXML_ATOMIC), CIMXML_ATOMIC);  // makes the thread known
        for (; !stop.load(); ++collections) {
            GC_gcollect();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < worker_count; ++w) workers.emplace_back(work, w, std::ref(failures));
    for (auto &worker : workers) worker.join();
    stop.store(true);
    collector.join();

    EXPECT_EQ(failures.load(), 0);
    EXPECT_GT(collections.load(), 0);
    // Exactly one entry per worker, each the worker's final error, all intact.
    ASSERT_EQ(getLength(xmlErrorList), before + worker_count);
    std::set<std::wstring> finals;
    for (int i = before; i < before + worker_count; ++i) {
        const wchar_t *text =
            getCIMStringBuffer(getReturnCodeDescription(static_cast<ReturnCode *>(getElementAt(xmlErrorList, i))));
        finals.insert(text != nullptr ? text : L"(none)");
    }
    for (int w = 0; w < worker_count; ++w)
        EXPECT_EQ(finals.count(description_for(w, rounds - 1, stores_per_round - 1)), 1u) << w;
}

}  // namespace
