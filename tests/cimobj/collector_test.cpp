// Texts handed out from the collected heap stay alive while threads that the
// host made itself hold them and collections run.
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "test_helpers.h"

namespace {

TEST(Collector, ThreadsMadeByTheHostAreRegisteredOnFirstUse) {
    std::atomic<int> registered{0};
    std::thread t([&] {
        GC_free(createCharFromWide(L"x"));
        registered = GC_thread_is_registered();
    });
    t.join();
    EXPECT_EQ(registered.load(), 1);
}

TEST(Collector, TextsHeldOnlyOnThreadStacksSurviveCollections) {
    std::atomic<bool> stop{false};
    std::thread collector([&] {
        cimEnsureCollectorThread();
        while (!stop) GC_gcollect();
    });
    std::vector<std::thread> workers;
    std::atomic<int> damaged{0};
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&, t] {
            for (int round = 0; round < 50; ++round) {
                std::string expected = "thread " + std::to_string(t) + " \xC3\xBC " + std::to_string(round);
                wchar_t *w = createWideFromChar(expected.c_str());
                char *held[16];
                for (char *&h : held) h = createCharFromWide(w);
                for (int k = 0; k < 200; ++k) GC_malloc(64);  // pressure
                for (char *h : held)
                    if (expected != h) ++damaged;
            }
        });
    for (auto &w : workers) w.join();
    stop = true;
    collector.join();
    EXPECT_EQ(damaged.load(), 0);
}

}  // namespace
