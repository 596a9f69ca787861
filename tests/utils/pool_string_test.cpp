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

// A collected text of `size` bytes filled with 'z'.
char *collected_text(size_t size) {
    auto *text = static_cast<char *>(GC_malloc_atomic(size + 1));
    std::memset(text, 'z', size);
    text[size] = '\0';
    return text;
}

TEST_F(PoolStringTest, InitGivesEmptyTextAppendOperationAndLabel) {
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 2048, "CIMXML_RequestMessage_Handler"), 0);
    ASSERT_NE(pool.text, nullptr);
    EXPECT_STREQ(pool.text, "");
    EXPECT_EQ(pool.length, 0u);
    EXPECT_NE(pool.append, nullptr);
    EXPECT_GE(pool.capacity, 2049u);
    EXPECT_STREQ(pool.label, "CIMXML_RequestMessage_Handler");

    PoolString unnamed;
    std::memset(&unnamed, 0, sizeof unnamed);
    ASSERT_NE(init_PoolString(&unnamed, 0, 1, 1, 0, nullptr), 0);
    EXPECT_STREQ(unnamed.label, "unknown");
    EXPECT_EQ(unnamed.append(&unnamed, "x", 0, 0), 1);
    release_PoolStringBuffer(&unnamed);

    std::string longLabel(200, 'L');
    PoolString labelled;
    std::memset(&labelled, 0, sizeof labelled);
    ASSERT_NE(init_PoolString(&labelled, 7, -3, 99, 16, longLabel.c_str()), 0);
    EXPECT_EQ(std::string(labelled.label), longLabel.substr(0, sizeof labelled.label - 1));
    release_PoolStringBuffer(&labelled);
}

TEST_F(PoolStringTest, InitOnGarbageRecordNeverFreesIt) {
    // A record on the stack may hold anything; the text member must not be
    // taken for a buffer.
    std::memset(&pool, 0xA5, sizeof pool);
    ASSERT_NE(init_PoolString(&pool, 0, 1, 1, 128, "garbage"), 0);
    EXPECT_STREQ(pool.text, "");
    EXPECT_EQ(pool.append(&pool, "ok", 0, 0), 1);
    EXPECT_STREQ(pool.text, "ok");
}

TEST_F(PoolStringTest, InitAgainKeepsTheBufferEmptied) {
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 2048, "first"), 0);
    ASSERT_EQ(pool.append(&pool, "an earlier response", 0, 0), 1);
    char *buffer = pool.text;
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 64, "second"), 0);
    EXPECT_EQ(pool.text, buffer);
    EXPECT_STREQ(pool.text, "");
    EXPECT_EQ(pool.length, 0u);
    EXPECT_STREQ(pool.label, "second");
}

TEST_F(PoolStringTest, ByteCopyOfARecordIsNotTakenForAnInitialisedOne) {
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 64, "original"), 0);
    PoolString copy;
    std::memcpy(&copy, &pool, sizeof copy);
    ASSERT_NE(init_PoolString(&copy, 1, 1, 1, 64, "copy"), 0);
    EXPECT_NE(copy.text, pool.text);  // a buffer of its own, the original's intact
    ASSERT_EQ(pool.append(&pool, "still mine", 0, 0), 1);
    EXPECT_STREQ(pool.text, "still mine");
    release_PoolStringBuffer(&copy);
}

TEST_F(PoolStringTest, AppendsPiecesInOrder) {
    ASSERT_NE(init_PoolString(&pool, 0, 1, 1, 4, "order"), 0);
    std::string expected;
    for (int i = 0; i < 500; ++i) {
        std::string piece = "<piece n=\"" + std::to_string(i) + "\"/>";
        ASSERT_EQ(pool.append(&pool, piece.c_str(), 0, 0), 1);
        expected += piece;
    }
    EXPECT_EQ(std::string(pool.text), expected);
    EXPECT_EQ(pool.length, expected.size());
    EXPECT_EQ(pool.append(&pool, "", 0, 0), 1);
    EXPECT_EQ(pool.length, expected.size());
}

TEST_F(PoolStringTest, GrowsGeometricallyAcrossManyAppends) {
    ASSERT_NE(init_PoolString(&pool, 0, 1, 1, 0, "growth"), 0);
    size_t growths = 0;
    size_t capacity = pool.capacity;
    for (int i = 0; i < 1000000; ++i) {
        ASSERT_EQ(pool.append(&pool, "x", 0, 0), 1);
        if (pool.capacity != capacity) {
            EXPECT_GE(pool.capacity, capacity + capacity / 2) << "growth step too small at " << i;
            capacity = pool.capacity;
            ++growths;
        }
    }
    EXPECT_EQ(pool.length, 1000000u);
    EXPECT_LE(growths, 40u);  // logarithmic in the final size
}

TEST_F(PoolStringTest, NullTextFailsAndLeavesTheText) {
    ASSERT_NE(init_PoolString(&pool, 0, 1, 1, 16, "null"), 0);
    ASSERT_EQ(pool.append(&pool, "kept", 0, 0), 1);
    EXPECT_EQ(pool.append(&pool, nullptr, 0, 0), 0);
    EXPECT_EQ(pool.append(&pool, nullptr, 0, 1), 0);
    EXPECT_STREQ(pool.text, "kept");
}

TEST_F(PoolStringTest, AppendingItsOwnTextSurvivesGrowth) {
    ASSERT_NE(init_PoolString(&pool, 0, 1, 1, 0, "self"), 0);
    ASSERT_EQ(pool.append(&pool, "abc", 0, 0), 1);
    for (int i = 0; i < 12; ++i) ASSERT_EQ(pool.append(&pool, pool.text, 0, 0), 1);
    EXPECT_EQ(pool.length, 3u << 12);
    for (size_t i = 0; i < pool.length; i += 3) ASSERT_EQ(std::strncmp(pool.text + i, "abc", 3), 0);
}

TEST_F(PoolStringTest, HandoverReleasesTheCollectedText) {
    ASSERT_NE(init_PoolString(&pool, 0, 1, 1, 16, "handover"), 0);
    // A large block shows its release in the collector's free bytes.
    constexpr size_t size = 8u << 20;
    GC_gcollect();
    char *text = collected_text(size);
    size_t freeBefore = GC_get_free_bytes();
    ASSERT_EQ(pool.append(&pool, text, 0, 1), 1);
    EXPECT_GE(GC_get_free_bytes(), freeBefore + size);
    EXPECT_EQ(pool.length, size);
    EXPECT_EQ(pool.text[size - 1], 'z');
}

TEST_F(PoolStringTest, HandoverReleasesTheTextAlsoWhenTheAppendFails) {
    constexpr size_t size = 8u << 20;
    GC_gcollect();
    char *text = collected_text(size);
    size_t freeBefore = GC_get_free_bytes();
    // A released pool refuses appends.
    ASSERT_NE(init_PoolString(&pool, 0, 1, 1, 16, "failing"), 0);
    PoolStringAppend append = pool.append;
    release_PoolStringBuffer(&pool);
    EXPECT_EQ(append(&pool, text, 0, 1), 0);
    EXPECT_GE(GC_get_free_bytes(), freeBefore + size);
}

TEST_F(PoolStringTest, ResizeReservesAheadWithinTheCap) {
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 2048, "resize"), 0);
    ASSERT_EQ(pool.append(&pool, "head", 0, 0), 1);
    ASSERT_NE(resize_PoolString(&pool, 10, 2048), 0);
    EXPECT_GE(pool.capacity, 4 + 1 + 10 * 2048u);
    EXPECT_STREQ(pool.text, "head");
    size_t capacity = pool.capacity;
    for (int i = 0; i < 10; ++i) ASSERT_EQ(pool.append(&pool, std::string(2048, 'a').c_str(), 0, 0), 1);
    EXPECT_EQ(pool.capacity, capacity);  // no growth inside the reservation

    ASSERT_NE(resize_PoolString(&pool, SIZE_MAX, 2048), 0);  // capped, not refused
    EXPECT_LT(pool.capacity, size_t{64} << 20);
    EXPECT_NE(resize_PoolString(&pool, 0, 2048), 0);
}

TEST_F(PoolStringTest, ReleaseLeavesNoTextAndPoolCanBeInitialisedAgain) {
    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 2048, "release"), 0);
    ASSERT_EQ(pool.append(&pool, "text", 0, 0), 1);
    PoolStringAppend append = pool.append;
    release_PoolStringBuffer(&pool);
    EXPECT_EQ(pool.text, nullptr);
    EXPECT_EQ(append(&pool, "more", 0, 0), 0);
    EXPECT_EQ(resize_PoolString(&pool, 4, 2048), 0);
    release_PoolStringBuffer(&pool);  // twice is harmless
    release_PoolStringBuffer(nullptr);

    ASSERT_NE(init_PoolString(&pool, 1, 1, 1, 2048, "again"), 0);
    ASSERT_EQ(pool.append(&pool, "fresh", 0, 0), 1);
    EXPECT_STREQ(pool.text, "fresh");
}

TEST(PoolStringArguments, NullPoolIsRefused) {
    EXPECT_EQ(init_PoolString(nullptr, 1, 1, 1, 2048, "x"), 0);
    EXPECT_EQ(resize_PoolString(nullptr, 1, 2048), 0);
}

}  // namespace
