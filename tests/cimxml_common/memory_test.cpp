// Tests of the module's allocator: kinds, limits, growth and release rules,
// and Expat running on it.
#include <expat.h>
#include <gc/gc.h>
#include <gc/gc_mark.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "cimxml_common/memory.h"
#include "support/log_capture.h"

namespace {

// The collector's kinds as GC_get_kind_and_size reports them.
constexpr int atomic_kind = 0;
constexpr int scanned_kind = 1;
constexpr int uncollectable_kind = 2;

int kind_of(const void *block) { return GC_get_kind_and_size(block, nullptr); }

// GC_free clears a released small scanned block behind its first word (the
// free-list link); a block left alone keeps its bytes. Reading the block
// after the release is fine here: small blocks stay mapped.
bool released(const unsigned char *block, std::size_t size) {
    for (std::size_t i = sizeof(void *); i < size; ++i)
        if (block[i] != 0) return false;
    return true;
}

unsigned char *filled_block(std::size_t size, int kind) {
    auto *block = static_cast<unsigned char *>(cimxml_malloc(1, size, kind, "test", 1));
    if (block != nullptr) std::memset(block, 0xAB, size);
    return block;
}

TEST(CimxmlMalloc, ZeroTotalLogsTheCallersPlaceOtherRefusalsAreSilent) {
    for (auto [count, size] : {std::pair<std::size_t, std::size_t>{0, 8}, {8, 0}}) {
        testsupport::LogCapture log;
        EXPECT_EQ(cimxml_malloc(count, size, CIMXML_SCANNED, "caller.cpp", 42), nullptr);
        ASSERT_EQ(log.lines().size(), 1u);
        EXPECT_TRUE(log.contains("zero allocation request from caller.cpp, line 42", 0));
    }
    testsupport::LogCapture log;
    int line = __LINE__ + 1;
    EXPECT_EQ(CIMXML_MALLOC(0, 8, CIMXML_ATOMIC), nullptr);
    EXPECT_TRUE(log.contains("zero allocation request from memory_test.cpp, line " + std::to_string(line), 0));
    log.clear();
    for (int kind : {-1, 3, 5}) EXPECT_EQ(cimxml_malloc(1, 16, kind, "f", 1), nullptr) << kind;
    EXPECT_EQ(cimxml_malloc(SIZE_MAX, 2, 2, "f", 1), nullptr);  // the product overflows
    EXPECT_EQ(cimxml_malloc(std::size_t{1} << 33, 1, 0, "f", 1), nullptr);
    EXPECT_EQ(cimxml_realloc(nullptr, 64, 9, "f", 1), nullptr);
    EXPECT_TRUE(log.lines().empty());
}

TEST(CimxmlMalloc, EachKindGetsItsCollectorKind) {
    for (auto [kind, collectorKind] : {std::pair{CIMXML_SCANNED, scanned_kind},
                                       {CIMXML_UNCOLLECTABLE, uncollectable_kind}, {CIMXML_ATOMIC, atomic_kind}}) {
        auto *block = static_cast<unsigned char *>(cimxml_malloc(3, 40, kind, "f", 1));
        ASSERT_NE(block, nullptr) << kind;
        EXPECT_EQ(kind_of(block), collectorKind) << kind;
        EXPECT_GE(GC_size(block), 120u);
        GC_free(block);
    }
    void *fresh = cimxml_realloc(nullptr, 64, CIMXML_SCANNED, "f", 1);
    EXPECT_EQ(kind_of(fresh), scanned_kind);
}

TEST(CimxmlRealloc, NeverShrinksMovesLargeBlocksAndLetsTheCollectorGrowSmallOnes) {
    unsigned char *block = filled_block(100, CIMXML_ATOMIC);
    EXPECT_EQ(cimxml_realloc(block, 50, CIMXML_ATOMIC, "f", 1), block);
    EXPECT_EQ(cimxml_realloc(block, GC_size(block), CIMXML_ATOMIC, "f", 1), block);

    // An uncollectable block shows which path was taken: GC_realloc keeps its
    // kind, a fresh ignore-off-page block is scanned (or atomic for kind 2).
    const struct {
        std::size_t newSize;
        int kind;
        int resultKind;
    } cases[] = {{CIMXML_LARGE_BLOCK + 1, CIMXML_SCANNED, scanned_kind},
                 {CIMXML_LARGE_BLOCK + 1, CIMXML_ATOMIC, atomic_kind},
                 {CIMXML_LARGE_BLOCK, CIMXML_ATOMIC, uncollectable_kind}};
    for (const auto &c : cases) {
        unsigned char *old = filled_block(100, CIMXML_UNCOLLECTABLE);
        auto *grown = static_cast<unsigned char *>(cimxml_realloc(old, c.newSize, c.kind, "f", 1));
        ASSERT_NE(grown, nullptr);
        EXPECT_EQ(kind_of(grown), c.resultKind) << c.newSize;
        EXPECT_GE(GC_size(grown), c.newSize);
        for (int i = 0; i < 100; ++i) ASSERT_EQ(grown[i], 0xAB) << i;
        if (c.resultKind != uncollectable_kind) {
            EXPECT_TRUE(released(old, 100)) << "the old block is freed";
        }
        GC_free(grown);
    }
}

// The threshold applies to the collector's size of the block, which is the
// request rounded up to a size class: here a 1000-byte request makes a
// 1024-byte block and a 1024-byte request a larger one.
TEST(CimxmlFree, ReleasesOnlyBlocksAboveTheThresholdOrWhileFindingLeaks) {
    unsigned char *small = filled_block(1000, CIMXML_SCANNED);
    if (GC_size(small) != CIMXML_FREE_THRESHOLD) GTEST_SKIP() << "size classes differ: " << GC_size(small);
    cimxml_free(small, CIMXML_SCANNED);
    EXPECT_FALSE(released(small, 1000));

    unsigned char *larger = filled_block(CIMXML_FREE_THRESHOLD, CIMXML_SCANNED);
    ASSERT_GT(GC_size(larger), CIMXML_FREE_THRESHOLD);
    cimxml_free(larger, CIMXML_ATOMIC);  // the kind is not looked at
    EXPECT_TRUE(released(larger, CIMXML_FREE_THRESHOLD));

    unsigned char *tiny = filled_block(64, CIMXML_SCANNED);
    GC_set_find_leak(1);
    cimxml_free(tiny, CIMXML_SCANNED);
    GC_set_find_leak(0);
    EXPECT_TRUE(released(tiny, 64));
    cimxml_free(nullptr, CIMXML_SCANNED);
}

void XMLCALL on_start(void *data, const XML_Char *name, const XML_Char **attributes) {
    if (std::strcmp(name, "VALUE") == 0 && attributes[0] != nullptr) *static_cast<std::string *>(data) = attributes[1];
}

// An attribute long enough to make Expat's buffers pass the large-block limit.
TEST(ExpatMemorySuite, ParsesALargeDocumentOnTheCollector) {
    std::string big(3 * CIMXML_LARGE_BLOCK, 'q');
    std::string document = "<CIM><VALUE NAME=\"" + big + "\"/></CIM>";
    XML_Parser parser = XML_ParserCreate_MM(nullptr, &cimxml_expat_memory_suite, nullptr);
    ASSERT_NE(parser, nullptr);
    std::string value;
    XML_SetUserData(parser, &value);
    XML_SetElementHandler(parser, on_start, nullptr);
    GC_gcollect();
    ASSERT_EQ(XML_Parse(parser, document.data(), static_cast<int>(document.size()), 1), XML_STATUS_OK);
    XML_ParserFree(parser);
    EXPECT_EQ(value, big);
    EXPECT_EQ(cimxml_expat_memory_suite.malloc_fcn, &cimxml_expat_malloc);
}

}  // namespace
