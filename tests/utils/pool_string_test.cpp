// Tests of PoolString: initialisation, appends, growth, handover, release.
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include <utils/pool_string.h>

namespace {

class PoolStringTest : public ::testing::Test {
protected:
    void SetUp() override { std::memset(&pool, 0, sizeof pool); }
    void TearDown() override { release_PoolStringBuffer(&pool); }
    PoolString pool;
};

TEST_F(PoolStringTest, InitGivesEmptyTextAppendOperationAndLabel) {
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 2048, "CIMXML_RequestMessage_Handler"), 0);
    EXPECT_STREQ(pool.text, "");
    EXPECT_GE(pool.capacity, 2049u);
    EXPECT_STREQ(pool.label, "CIMXML_RequestMessage_Handler");
    ASSERT_NE(init_PoolString(&pool, 0, 1, 1, 0, nullptr), 0);
    EXPECT_STREQ(pool.label, "unknown");
    EXPECT_EQ(init_PoolString(nullptr, 1, 1, 1, 2048, "x"), 0);
}

TEST_F(PoolStringTest, InitDiscardsEarlierTextAndNeverFreesOrSharesForeignBuffers) {
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 2048, "first"), 0);
    ASSERT_EQ(pool.append(&pool, "an earlier response", 0, 0), 1);
    char *buffer = pool.text;
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 64, "second"), 0);
    EXPECT_EQ(pool.text, buffer);
    EXPECT_STREQ(pool.text, "");

    // A byte copy of a live record gets a buffer of its own.
    PoolString copy;
    std::memcpy(&copy, &pool, sizeof copy);
    ASSERT_NE(init_PoolString(&copy, 1, 1, 1, 64, "copy"), 0);
    EXPECT_NE(copy.text, pool.text);
    release_PoolStringBuffer(&copy);

    // A record on the stack may hold anything: its text is not a buffer.
    PoolString garbage;
    std::memset(&garbage, 0xA5, sizeof garbage);
    ASSERT_NE(init_PoolString(&garbage, 0, 1, 1, 128, "garbage"), 0);
    EXPECT_EQ(garbage.append(&garbage, "ok", 0, 0), 1);
    EXPECT_STREQ(garbage.text, "ok");
    release_PoolStringBuffer(&garbage);
}

TEST_F(PoolStringTest, AppendsPiecesInOrderGrowingGeometrically) {
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
    EXPECT_EQ(std::string(pool.text), expected);
    EXPECT_EQ(pool.length, expected.size());
}

TEST_F(PoolStringTest, AppendingItsOwnTextSurvivesGrowth) {
    ASSERT_NE(init_PoolString(&pool, 0, 1, 1, 0, "self"), 0);
    ASSERT_EQ(pool.append(&pool, "abc", 0, 0), 1);
    for (int i = 0; i < 12; ++i) ASSERT_EQ(pool.append(&pool, pool.text, 0, 0), 1);
    EXPECT_EQ(pool.length, 3u << 12);
    for (size_t i = 0; i < pool.length; i += 3) ASSERT_EQ(std::strncmp(pool.text + i, "abc", 3), 0);
}

TEST_F(PoolStringTest, HandoverReleasesTheTextWhetherTheAppendWorksOrNot) {
    // A large block shows its release in the collector's free bytes.
    constexpr size_t size = 8u << 20;
    for (bool released : {false, true}) {
        ASSERT_NE(init_PoolString(&pool, 0, 1, 1, 16, "handover"), 0);
        PoolStringAppend append = pool.append;
        if (released) release_PoolStringBuffer(&pool);  // a released pool refuses appends
        GC_gcollect();
        auto *text = static_cast<char *>(GC_malloc_atomic(size + 1));
        std::memset(text, 'z', size);
        text[size] = '\0';
        size_t freeBefore = GC_get_free_bytes();
        EXPECT_EQ(append(&pool, text, 0, 1), released ? 0 : 1);
        EXPECT_GE(GC_get_free_bytes(), freeBefore + size) << released;
    }
}

TEST_F(PoolStringTest, ResizeReservesAheadWithinTheCap) {
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 2048, "resize"), 0);
    ASSERT_EQ(pool.append(&pool, "head", 0, 0), 1);
    ASSERT_NE(resize_PoolString(&pool, 10, 2048), 0);
    size_t capacity = pool.capacity;
    for (int i = 0; i < 10; ++i) ASSERT_EQ(pool.append(&pool, std::string(2048, 'a').c_str(), 0, 0), 1);
    EXPECT_EQ(pool.capacity, capacity);  // no growth inside the reservation
    ASSERT_NE(resize_PoolString(&pool, SIZE_MAX, 2048), 0);  // capped, not refused
    EXPECT_LT(pool.capacity, size_t{64} << 20);
    EXPECT_EQ(resize_PoolString(nullptr, 1, 2048), 0);
}

TEST_F(PoolStringTest, ReleasedPoolRefusesWorkUntilInitialisedAgain) {
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 2048, "release"), 0);
    release_PoolStringBuffer(&pool);
    EXPECT_EQ(pool.text, nullptr);
    EXPECT_EQ(resize_PoolString(&pool, 4, 2048), 0);
    release_PoolStringBuffer(&pool);  // twice is harmless
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 2048, "again"), 0);
    ASSERT_EQ(pool.append(&pool, "fresh", 0, 0), 1);
    EXPECT_STREQ(pool.text, "fresh");
}

}  // namespace
