#include "sources/DurationProbe.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Answers every file with the same milliseconds, or throws when told to.
class FixedGraph final : public ProbeGraph {
public:
    explicit FixedGraph(int64_t milliseconds, bool throws = false)
        : m_milliseconds(milliseconds), m_throws(throws) {}

    int64_t RenderDurationMs(const std::string& path) override {
        lastPath = path;
        if (m_throws)
            throw std::runtime_error("cannot render");
        return m_milliseconds;
    }

    std::string lastPath;

private:
    int64_t m_milliseconds;
    bool m_throws;
};

} // namespace

TEST(Sources_DurationProbeTests, MillisecondsAreTruncatedToWholeSeconds) {
    const std::pair<int64_t, int64_t> cases[] = {{0, 0},       {999, 0},
                                                 {1000, 1},    {1999, 1},
                                                 {61'000, 61}, {86'399'999, 86'399},
                                                 {-5'000, 0},  {int64_t{1} << 50, (int64_t{1} << 50) / 1000}};
    for (const auto& [milliseconds, seconds] : cases) {
        FixedGraph graph(milliseconds);
        EXPECT_EQ(ProbeDuration("/v/clip.avi", graph), seconds) << milliseconds << " ms";
    }
}

TEST(Sources_DurationProbeTests, PathGoesThroughWholeAndAnErrorGivesZero) {
    const std::string path = "/v/a folder/\"-x\" ü:1.avi";
    FixedGraph rendering(5'000);
    EXPECT_EQ(ProbeDuration(path, rendering), 5);
    EXPECT_EQ(rendering.lastPath, path);

    FixedGraph failing(5'000, true);
    EXPECT_EQ(ProbeDuration(path, failing), 0);
}
