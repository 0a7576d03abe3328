// Where the size estimate samples a cut, and how it turns the samples' bytes into the cut's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

#include "convert/SizeEstimator.h"

namespace {

// Every plan covers its cut exactly: the points start at the cut's start, the last piece ends at
// its end, they go forward, and the time they stand for adds up to the cut.
TEST(Convert_SizeEstimatorTests, SamplesCoverTheCutFromItsStartToItsEnd) {
    struct Case {
        int64_t start;
        int64_t cut;
        std::size_t points;
        bool whole; // one piece, the whole cut, nothing subtracted
    };
    const Case cases[] = {{0, 0, 0, false},  {5, 14, 1, true},    {0, 14, 1, true},
                          {0, 15, 7, false}, {100, 60, 7, false}, {0, 7200, 7, false}};
    for (const Case& c : cases) {
        const SamplePlan plan = PlanSamples(c.start, c.cut);
        ASSERT_EQ(plan.points.size(), c.points) << c.cut;
        if (c.points == 0)
            continue;
        EXPECT_EQ(plan.headMs == 0, c.whole) << c.cut;
        EXPECT_LT(plan.headMs, plan.pieceMs) << c.cut;
        EXPECT_EQ(plan.points.front().startMs, c.start * 1000) << c.cut;
        EXPECT_EQ(plan.points.back().startMs + plan.pieceMs, (c.start + c.cut) * 1000) << c.cut;
        const int64_t covered =
            std::accumulate(plan.points.begin(), plan.points.end(), int64_t{0},
                            [](int64_t sum, const SamplePoint& p) { return sum + p.weightMs; });
        EXPECT_EQ(covered, c.cut * 1000) << c.cut;
        for (std::size_t i = 1; i < plan.points.size(); ++i)
            EXPECT_GT(plan.points[i].startMs, plan.points[i - 1].startMs) << c.cut;
    }
}

// Samples encoded from a made-up output whose bytes are a fixed part paid once per file plus a
// rate that may change along the cut, held to a ceiling after each file's first second: the
// estimate pays the fixed part once, not once per second of samples, follows a change of content
// that only some samples see, and does not take a sample's first second over the ceiling for the
// rate of the whole cut.
TEST(Convert_SizeEstimatorTests, TheEstimatePaysTheFixedPartOnceAndFollowsTheContent) {
    struct Case {
        const char* name;
        int64_t cutSeconds;
        int64_t fixedBytes;
        std::function<double(int64_t)> bytesPerMs; // at a time of the cut
        double tolerance;                          // of the true size
        int64_t ceilingPerSecond = 0;
    };
    const Case cases[] = {
        {"short cut, whole", 10, 9000, [](int64_t) { return 20.0; }, 0.001},
        {"steady, big headers", 60, 9000, [](int64_t) { return 2.0; }, 0.01},
        {"steady, long", 3600, 40000, [](int64_t) { return 60.0; }, 0.01},
        {"calm, then busy from halfway", 120, 3000, [](int64_t ms) { return ms < 60000 ? 5.0 : 50.0; }, 0.12},
        {"busy, calm at the end", 300, 3000, [](int64_t ms) { return ms < 250000 ? 40.0 : 4.0; }, 0.12},
        {"calm, then over the ceiling", 120, 3000, [](int64_t ms) { return ms < 60000 ? 5.0 : 50.0; }, 0.12,
         20000},
    };
    for (const Case& c : cases) {
        // What a file of the cut from `from` to `to` weighs.
        const auto fileBytes = [&](int64_t from, int64_t to) {
            const double ceiling = c.ceilingPerSecond > 0 ? c.ceilingPerSecond / 1000.0 : 1e9;
            double sum = static_cast<double>(c.fixedBytes);
            for (int64_t ms = from; ms < to; ms += 10)
                sum += (ms - from < 1000 ? c.bytesPerMs(ms) : std::min(ceiling, c.bytesPerMs(ms))) * 10;
            return static_cast<int64_t>(sum);
        };
        const SamplePlan plan = PlanSamples(0, c.cutSeconds);
        std::vector<int64_t> pieces;
        for (const SamplePoint& point : plan.points)
            pieces.push_back(fileBytes(point.startMs, point.startMs + plan.pieceMs));
        const int64_t head = plan.headMs > 0 ? fileBytes(0, plan.headMs) : 0;
        const auto real = static_cast<double>(fileBytes(0, c.cutSeconds * 1000));
        EXPECT_NEAR(static_cast<double>(EstimateFromSamples(plan, pieces, head, c.ceilingPerSecond)) / real,
                    1.0, c.tolerance)
            << c.name;
    }
}

} // namespace
