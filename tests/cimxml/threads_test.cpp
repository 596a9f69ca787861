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
constexpr int texts_per_round = 64;
constexpr int stores_per_round = 16;
// More pointers than fit in a small block: the array moves to a large
// ignore-off-page block on the way.
constexpr int texts_kept = 1600;

void text_for(char *out, std::size_t size, int worker, int index) {
    std::snprintf(out, size, "worker %d text %d ................................", worker, index);
}

// One worker: per round it stores an error and reads it back, then makes
// texts whose only reference is a scanned array reached from its stack, and
// checks every text made so far.
void work(int worker, std::atomic<int> &failures) {
    char **kept = nullptr;
    int keptCount = 0;
    int capacity = 0;
    char expected[96];
    for (int round = 0; round < rounds; ++round) {
        // Several stores per round keep the shared list busy.
        int code = 0;
        std::wstring description;
        for (int store = 0; store < stores_per_round; ++store) {
            code = 1 + (worker + round + store) % 17;
            description = L"worker " + std::to_wstring(worker) + L" round " + std::to_wstring(round) +
                          L" store " + std::to_wstring(store);
            ReturnCode *error = newReturnCode(code, description.c_str());
            cimxml_setlasterror(error);
            freeReturnCode(error);
        }

        for (int i = 0; i < texts_per_round && keptCount < texts_kept; ++i) {
            if (keptCount == capacity) {
                capacity = capacity == 0 ? 16 : capacity * 2;
                kept = static_cast<char **>(
                    CIMXML_REALLOC(kept, sizeof(char *) * static_cast<std::size_t>(capacity), CIMXML_SCANNED));
                if (kept == nullptr) {
                    ++failures;
                    return;
                }
            }
            text_for(expected, sizeof expected, worker, keptCount);
            auto *text = static_cast<char *>(CIMXML_MALLOC(1, std::strlen(expected) + 1, CIMXML_ATOMIC));
            if (text == nullptr) {
                ++failures;
                return;
            }
            std::strcpy(text, expected);
            kept[keptCount++] = text;
        }
        // Garbage between the kept texts, so that early reclamation gets reused.
        for (int i = 0; i < 32; ++i) std::memset(CIMXML_MALLOC(1, 48, CIMXML_ATOMIC), 0x5A, 48);

        for (int i = 0; i < keptCount; ++i) {
            text_for(expected, sizeof expected, worker, i);
            if (std::strcmp(kept[i], expected) != 0) ++failures;
        }
        ReturnCode *stored = cimxml_getlasterror();
        const wchar_t *text = getCIMStringBuffer(getReturnCodeDescription(stored));
        if (stored == nullptr || getErrorFromRetCode(stored) != code || text == nullptr || description != text)
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
        while (!stop.load()) {
            GC_gcollect();
            ++collections;
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
        auto *entry = static_cast<ReturnCode *>(getElementAt(xmlErrorList, i));
        ASSERT_NE(entry, nullptr);
        const wchar_t *text = getCIMStringBuffer(getReturnCodeDescription(entry));
        ASSERT_NE(text, nullptr);
        finals.insert(text);
    }
    for (int w = 0; w < worker_count; ++w)
        EXPECT_EQ(finals.count(L"worker " + std::to_wstring(w) + L" round " + std::to_wstring(rounds - 1) +
                                    L" store " + std::to_wstring(stores_per_round - 1)),
                  1u) << w;
}

TEST(ModuleUnderThreads, AllocatingThreadBecomesKnownToTheCollector) {
    int before = -1, after = -1;
    std::thread([&] {
        before = GC_thread_is_registered();
        cimxml_free(CIMXML_MALLOC(1, 16, CIMXML_SCANNED), CIMXML_SCANNED);
        after = GC_thread_is_registered();
    }).join();
    EXPECT_EQ(before, 0);
    EXPECT_EQ(after, 1);
}

}  // namespace
