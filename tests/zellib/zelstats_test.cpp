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
    // The dump of index: what zelStatsDumpTo returned, ":", the lines.
    std::string dump(int index) {
        char *buffer = nullptr;
        size_t size = 0;
        FILE *stream = open_memstream(&buffer, &size);
        int written = zelStatsDumpTo(context, index, stream);
        std::fclose(stream);
        std::string text = std::to_string(written) + ":" + std::string(buffer, size);
        std::free(buffer);
        return text;
    }

    ZelStatsContext *context = nullptr;
};

TEST_F(ZelStatsTest, BadArgumentsIndexesAndTooDeepNestingAreRefused) {
    ZelStatsContext *other = reinterpret_cast<ZelStatsContext *>(&other);
    EXPECT_EQ(zelStatsInitialize(0, two_names, &other), 0);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(zelStatsStart(nullptr, 0), 0);
    EXPECT_EQ(zelStatsStart(context, 2), 0);
    EXPECT_EQ(zelStatsEnd(context, -1), 0);
    EXPECT_EQ(dump(2), "0:");
    int started = 0;
    while (started < 100000 && zelStatsStart(context, 0) == 1) ++started;
    EXPECT_LT(started, 100000);  // refused once the thread's nesting is full
}

TEST_F(ZelStatsTest, NestedMeasurementsEndByNameWithTheirDurationsAndAreDumpedAsLines) {
    using namespace std::chrono_literals;
    ASSERT_EQ(zelStatsStart(context, 0), 1);
    for (auto pause : {2ms, 5ms}) {
        ASSERT_EQ(zelStatsStart(context, 1), 1);
        std::this_thread::sleep_for(pause);
        ASSERT_EQ(zelStatsEnd(context, 1), 1);  // the outer one of index 0 stays open
    }
    EXPECT_EQ(zelStatsEnd(context, 1), 0);
    EXPECT_EQ(zelStatsEnd(context, 0), 1);
    ZelStatsFigures inner = read(1);
    EXPECT_EQ(inner.count, 2u);
    EXPECT_GE(inner.minNs, 2'000'000u);
    EXPECT_GE(inner.maxNs, 5'000'000u);
    EXPECT_EQ(inner.totalNs, inner.minNs + inner.maxNs);
    EXPECT_GE(read(0).minNs, inner.totalNs);
    std::string total = std::to_string(inner.totalNs);
    EXPECT_EQ(dump(1), "1:CIMXML Handle: count 2, total " + total + " ns, min " + std::to_string(inner.minNs) +
                           " ns, max " + std::to_string(inner.maxNs) + " ns, mean " +
                           std::to_string(inner.totalNs / 2) + " ns\n");
}

TEST_F(ZelStatsTest, ManyThreadsGiveExactCountsAndOwnTheirMeasurements) {
    ASSERT_EQ(zelStatsStart(context, 0), 1);
    int endedElsewhere = -1;
    std::thread([&] { endedElsewhere = zelStatsEnd(context, 0); }).join();
    EXPECT_EQ(endedElsewhere, 0);
    EXPECT_EQ(zelStatsEnd(context, 0), 1);

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
    EXPECT_EQ(handle.count, uint64_t{threads} * rounds);
    EXPECT_EQ(read(0).count, 1 + uint64_t{threads} * rounds / 2);
    EXPECT_GE(handle.totalNs, handle.count * handle.minNs);
    EXPECT_LE(handle.totalNs, handle.count * handle.maxNs);
}

// Visiting reads every live context, in the order they were made, and
// nothing of a freed one.
TEST_F(ZelStatsTest, VisitSeesEveryLiveContextAndNoFreedOne) {
    const wchar_t *const other_names[] = {L"Other"};
    ZelStatsContext *other = nullptr, *freed = nullptr;
    ASSERT_EQ(zelStatsInitialize(1, other_names, &freed), 1);
    ASSERT_EQ(zelStatsInitialize(1, other_names, &other), 1);
    zelStatsDeinitialize(freed);
    zelStatsStart(other, 0);
    zelStatsEnd(other, 0);
    std::wstring seen;
    auto visit = [](const wchar_t *name, const ZelStatsFigures *figures, void *user) {
        *static_cast<std::wstring *>(user) += std::wstring(name) + L"=" + std::to_wstring(figures->count) + L";";
    };
    EXPECT_EQ(zelStatsVisit(visit, &seen), 3);
    EXPECT_EQ(seen, L"CIMXML Unknown=0;CIMXML Handle=0;Other=1;");
    zelStatsDeinitialize(other);
}

}  // namespace
