// Tests of PoolString: initialisation, appends, growth, handover, release.
// (get_system_ip is checked through the host lines of the written messages.)
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include <utils/pool_string.h>

namespace {

TEST(PoolString, InitReusesItsBufferEmptiedAndNeverFreesOrSharesForeignOnes) {
    PoolString pool{};
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 2048, nullptr), 0);
    EXPECT_STREQ(pool.label, "unknown");
    ASSERT_EQ(pool.append(&pool, "an earlier response", 0, 0), 1);
    char *buffer = pool.text;
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 64, "CIMXML_RequestMessage_Handler"), 0);
    EXPECT_EQ(pool.text, buffer);
    EXPECT_STREQ(pool.text, "");
    EXPECT_STREQ(pool.label, "CIMXML_RequestMessage_Handler");
    // A byte copy of a live record gets a buffer of its own.
    PoolString copy;
    std::memcpy(&copy, &pool, sizeof copy);
    ASSERT_NE(init_PoolString(&copy, 0, 1, 1, 128, "other"), 0);
    EXPECT_NE(copy.text, pool.text);
    EXPECT_EQ(copy.append(&copy, "ok", 0, 0), 1);
    EXPECT_STREQ(copy.text, "ok");
    release_PoolStringBuffer(&copy);
    release_PoolStringBuffer(&pool);
    EXPECT_EQ(pool.text, nullptr);
    EXPECT_EQ(resize_PoolString(&pool, 4, 2048), 0);
    release_PoolStringBuffer(&pool);  // twice is harmless
    EXPECT_EQ(init_PoolString(nullptr, 1, 1, 1, 2048, "x"), 0);
}

TEST(PoolString, AppendsPiecesInOrderGrowingGeometricallyAlsoFromItsOwnText) {
    PoolString pool{};
    ASSERT_NE(init_PoolString(&pool, 0, 1, 1, 0, "order"), 0);
    std::string expected;
    size_t growths = 0;
    for (int i = 0; i < 100000; ++i) {
        std::string piece = "<p n=\"" + std::to_string(i) + "\"/>";
        size_t capacity = pool.capacity;
        ASSERT_EQ(pool.append(&pool, piece.c_str(), 0, 0), 1);
        expected += piece;
        if (pool.capacity == capacity) continue;
        ++growths;
        EXPECT_GE(pool.capacity, capacity + capacity / 2) << "growth step too small at " << i;
    }
    EXPECT_LE(growths, 40u);
    EXPECT_EQ(pool.append(&pool, nullptr, 0, 0), 0);
    EXPECT_EQ(pool.append(&pool, "", 0, 0), 1);
    EXPECT_EQ(std::string(pool.text), expected);
    for (int i = 0; i < 3; ++i, expected += expected)
        ASSERT_EQ(pool.append(&pool, pool.text, 0, 0), 1);  // moves as it grows
    EXPECT_EQ(std::string(pool.text), expected);
    release_PoolStringBuffer(&pool);
}

// A large block shows its release in the collector's free bytes.
TEST(PoolString, HandoverReleasesTheTextEvenWhenTheAppendIsRefused) {
    constexpr size_t size = 8u << 20;
    PoolString pool{};
    ASSERT_NE(init_PoolString(&pool, 0, 1, 1, 16, "handover"), 0);
    PoolStringAppend append = pool.append;
    release_PoolStringBuffer(&pool);  // a released pool refuses appends
    GC_gcollect();
    auto *text = static_cast<char *>(GC_malloc_atomic(size + 1));
    std::memset(text, 'z', size);
    text[size] = '\0';
    size_t freeBefore = GC_get_free_bytes();
    EXPECT_EQ(append(&pool, text, 0, 1), 0);
    EXPECT_GE(GC_get_free_bytes(), freeBefore + size);
}

TEST(PoolString, ResizeReservesAheadWithinTheCap) {
    PoolString pool{};
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 2048, "resize"), 0);
    ASSERT_NE(resize_PoolString(&pool, 10, 2048), 0);
    size_t capacity = pool.capacity;
    for (int i = 0; i < 10; ++i) ASSERT_EQ(pool.append(&pool, std::string(2047, 'a').c_str(), 0, 0), 1);
    EXPECT_EQ(pool.capacity, capacity);  // no growth inside the reservation
    ASSERT_NE(resize_PoolString(&pool, SIZE_MAX, 2048), 0);  // capped, not refused
    EXPECT_LT(pool.capacity, size_t{64} << 20);
    release_PoolStringBuffer(&pool);
}

// Bytes written in place but not yet committed stay when the room grows,
// from a small buffer and from a large one alike.
TEST(PoolString, BytesWrittenInPlaceSurviveGrowth) {
    PoolString pool{};
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 16, "in place"), 0);
    ASSERT_EQ(pool.append(&pool, "<A>", 0, 0), 1);
    size_t room = 0;
    for (size_t written : {size_t{10}, size_t{5} << 20, size_t{40} << 20}) {
        char *at = reserve_PoolString(&pool, written, &room);
        ASSERT_NE(at, nullptr);
        ASSERT_GE(room, written);
        std::memset(at, 'x', written);  // each round rewrites what the last wrote
        at = reserve_PoolString(&pool, written * 2, &room);
        ASSERT_NE(at, nullptr);
        ASSERT_GE(room, written * 2);
        std::memset(at + written, 'y', written);
        ASSERT_EQ(commit_PoolString(&pool, written * 2), 1);
        EXPECT_EQ(std::string(pool.text), "<A>" + std::string(written, 'x') + std::string(written, 'y'));
        pool.length = 3;  // back to "<A>" for the next round
        pool.text[3] = '\0';
    }
    EXPECT_EQ(commit_PoolString(&pool, room + 1), 0);
    release_PoolStringBuffer(&pool);
}

// A commit leaves the rest of its room writable at the new end of the text:
// a writer goes on without reserving again, never past the room it was told.
TEST(PoolString, RoomLeftAfterACommitStaysWritable) {
    PoolString pool{};
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 64, "in place"), 0);
    size_t room = 0;
    char *at = reserve_PoolString(&pool, 8, &room);
    ASSERT_NE(at, nullptr);
    std::memcpy(at, "<A>", 3);
    ASSERT_EQ(commit_PoolString(&pool, 3), 1);
    std::memcpy(at + 3, "</A>", 4);
    ASSERT_EQ(commit_PoolString(&pool, 4), 1);
    EXPECT_STREQ(pool.text, "<A></A>");
    EXPECT_EQ(commit_PoolString(&pool, room - 7 + 1), 0);
    release_PoolStringBuffer(&pool);
}

}  // namespace
