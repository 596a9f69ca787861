// Tests of the statistics library: nesting, figures, threads, dump lines.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <zellib/zelstats.h>

namespace {

const wchar_t *const two_names[] = {L"CIMXML Unknown", L"CIMXML Handle"};

class ZelStatsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(zelStatsInitialize(2, two_names, &context), 1); }
    void TearDown() override { zelStatsDeinitialize(context); }

    ZelStatsFigures read(int index) {
        ZelStatsFigures figures{};
        EXPECT_EQ(zelStatsRead(context, index, &figures), 1);
        return figures;
    }

    std::string dump(int index, int *result = nullptr) {
        char *buffer = nullptr;
        size_t size = 0;
        FILE *stream = open_memstream(&buffer, &size);
        int written = zelStatsDumpTo(context, index, stream);
        if (result != nullptr) *result = written;
        std::fclose(stream);
        std::string text(buffer, size);
        std::free(buffer);
        return text;
    }

    ZelStatsContext *context = nullptr;
};

TEST(ZelStatsArguments, InitializeRefusesBadArguments) {
    ZelStatsContext *context = reinterpret_cast<ZelStatsContext *>(&context);
    EXPECT_EQ(zelStatsInitialize(0, two_names, &context), 0);
    EXPECT_EQ(context, nullptr);
    EXPECT_EQ(zelStatsInitialize(2, nullptr, &context), 0);
    EXPECT_EQ(zelStatsInitialize(2, two_names, nullptr), 0);
    EXPECT_EQ(zelStatsStart(nullptr, 0), 0);
    EXPECT_EQ(zelStatsEnd(nullptr, 0), 0);
    EXPECT_EQ(zelStatsDump(nullptr, -1), 0);
    EXPECT_EQ(zelStatsDeinitialize(nullptr), 0);
}

TEST_F(ZelStatsTest, UnusedNameReadsZero) {
    ZelStatsFigures figures = read(0);
    EXPECT_EQ(figures.count, 0u);
    EXPECT_EQ(figures.totalNs, 0u);
    EXPECT_EQ(figures.minNs, 0u);
    EXPECT_EQ(figures.maxNs, 0u);
}

TEST_F(ZelStatsTest, BadIndexIsRefused) {
    ZelStatsFigures figures{};
    for (int index : {-1, 2, 1000}) {
        EXPECT_EQ(zelStatsStart(context, index), 0) << index;
        EXPECT_EQ(zelStatsEnd(context, index), 0) << index;
        EXPECT_EQ(zelStatsRead(context, index, &figures), 0) << index;
    }
    int result = 1;
    EXPECT_EQ(dump(2, &result), "");
    EXPECT_EQ(result, 0);
}

TEST_F(ZelStatsTest, NestedMeasurementsEndByName) {
    ASSERT_EQ(zelStatsStart(context, 1), 1);
    ASSERT_EQ(zelStatsStart(context, 0), 1);
    EXPECT_EQ(zelStatsEnd(context, 1), 1);  // the inner one of index 0 stays open
    EXPECT_EQ(zelStatsEnd(context, 1), 0);
    EXPECT_EQ(zelStatsEnd(context, 0), 1);
    EXPECT_EQ(zelStatsEnd(context, 0), 0);
    EXPECT_EQ(read(0).count, 1u);
    EXPECT_EQ(read(1).count, 1u);
}

TEST_F(ZelStatsTest, FiguresFollowTheDurations) {
    using namespace std::chrono_literals;
    for (auto pause : {2ms, 20ms, 5ms}) {
        ASSERT_EQ(zelStatsStart(context, 1), 1);
        std::this_thread::sleep_for(pause);
        ASSERT_EQ(zelStatsEnd(context, 1), 1);
    }
    ZelStatsFigures figures = read(1);
    EXPECT_EQ(figures.count, 3u);
    EXPECT_GE(figures.minNs, 2'000'000u);
    EXPECT_GE(figures.maxNs, 20'000'000u);
    EXPECT_LT(figures.minNs, figures.maxNs);
    EXPECT_GE(figures.totalNs, 27'000'000u);
    EXPECT_GE(figures.totalNs, figures.minNs + figures.maxNs);
}

TEST_F(ZelStatsTest, MeasurementBelongsToTheThreadThatStartedIt) {
    ASSERT_EQ(zelStatsStart(context, 0), 1);
    int endedElsewhere = -1;
    std::thread([&] { endedElsewhere = zelStatsEnd(context, 0); }).join();
    EXPECT_EQ(endedElsewhere, 0);
    EXPECT_EQ(zelStatsEnd(context, 0), 1);
}

TEST_F(ZelStatsTest, ManyThreadsGiveExactCounts) {
    constexpr int threads = 8;
    constexpr int rounds = 50000;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([this, t] {
            for (int i = 0; i < rounds; ++i) {
                zelStatsStart(context, 1);
                if (i % 2 == t % 2) {
                    zelStatsStart(context, 0);
                    zelStatsEnd(context, 0);
                }
                zelStatsEnd(context, 1);
            }
        });
    }
    for (auto &worker : workers) worker.join();
    ZelStatsFigures handle = read(1);
    ZelStatsFigures unknown = read(0);
    EXPECT_EQ(handle.count, uint64_t{threads} * rounds);
    EXPECT_EQ(unknown.count, uint64_t{threads} * rounds / 2);
    for (const ZelStatsFigures &f : {handle, unknown}) {
        EXPECT_LE(f.minNs, f.maxNs);
        EXPECT_GE(f.totalNs, f.count * f.minNs);
        EXPECT_LE(f.totalNs, f.count * f.maxNs);
    }
    // Every outer measurement encloses an inner one, so it cannot be shorter.
    EXPECT_GE(handle.maxNs, unknown.minNs);
}

TEST_F(ZelStatsTest, OpenMeasurementsOfAFreedContextNeverMatchALaterOne) {
    ASSERT_EQ(zelStatsStart(context, 0), 1);
    zelStatsDeinitialize(context);
    ASSERT_EQ(zelStatsInitialize(2, two_names, &context), 1);  // may reuse the address
    EXPECT_EQ(zelStatsEnd(context, 0), 0);
    EXPECT_EQ(read(0).count, 0u);
}

TEST_F(ZelStatsTest, UnendedStartsAreBoundedAndDroppedWithTheirContext) {
    ZelStatsContext *leaky = nullptr;
    ASSERT_EQ(zelStatsInitialize(1, two_names, &leaky), 1);
    int started = 0;
    while (started < 100000 && zelStatsStart(leaky, 0) == 1) ++started;
    EXPECT_LT(started, 100000);  // refused once the thread's nesting is full
    EXPECT_EQ(zelStatsStart(context, 0), 0);
    zelStatsDeinitialize(leaky);
    EXPECT_EQ(zelStatsStart(context, 0), 1);  // the freed context's entries are gone
    EXPECT_EQ(zelStatsEnd(context, 0), 1);
}

TEST_F(ZelStatsTest, DumpWritesOneLinePerName) {
    EXPECT_EQ(dump(-1),
              "CIMXML Unknown: count 0, total 0 ns, min 0 ns, max 0 ns, mean 0 ns\n"
              "CIMXML Handle: count 0, total 0 ns, min 0 ns, max 0 ns, mean 0 ns\n");
    ASSERT_EQ(zelStatsStart(context, 1), 1);
    ASSERT_EQ(zelStatsEnd(context, 1), 1);
    ZelStatsFigures f = read(1);
    std::string expected = "CIMXML Handle: count 1, total " + std::to_string(f.totalNs) + " ns, min " +
                           std::to_string(f.minNs) + " ns, max " + std::to_string(f.maxNs) +
                           " ns, mean " + std::to_string(f.totalNs) + " ns\n";
    EXPECT_EQ(dump(1), expected);
    EXPECT_EQ(zelStatsDump(context, -1), 1);  // to stderr
}

TEST(ZelStatsNames, NamesAreCopiedAndWrittenAsUtf8) {
    wchar_t name[] = L"Z\u00e4hler \u20ac";
    const wchar_t *names[] = {name};
    ZelStatsContext *context = nullptr;
    ASSERT_EQ(zelStatsInitialize(1, names, &context), 1);
    name[0] = L'X';  // the context holds its own copy
    char *buffer = nullptr;
    size_t size = 0;
    FILE *stream = open_memstream(&buffer, &size);
    ASSERT_EQ(zelStatsDumpTo(context, 0, stream), 1);
    std::fclose(stream);
    EXPECT_EQ(std::string(buffer, size),
              "Z\xc3\xa4hler \xe2\x82\xac: count 0, total 0 ns, min 0 ns, max 0 ns, mean 0 ns\n");
    std::free(buffer);
    zelStatsDeinitialize(context);
}

}  // namespace
