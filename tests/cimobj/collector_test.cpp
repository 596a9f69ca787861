// Threads that the host made itself become known to the collector on their
// first use of the library, so that texts held on their stacks stay alive.
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <thread>

#include "test_helpers.h"

namespace {

TEST(Collector, ThreadsMadeByTheHostAreRegisteredOnFirstUse) {
    int before = -1, after = -1;
    std::thread([&] {
        before = GC_thread_is_registered();
        GC_free(createCharFromWide(L"x"));
        after = GC_thread_is_registered();
    }).join();
    EXPECT_EQ(before, 0);
    EXPECT_EQ(after, 1);
}

}  // namespace
