#include "sources/CopyCutGuide.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

const std::vector<int64_t> KeyFrames = {0, 4960, 10000, 15040};

CopySourceFacts Facts(bool exactPossible, std::string refusal = {}) {
    return {"mov,mp4,m4a,3gp,3g2,mj2", KeyFrames, exactPossible, std::move(refusal), false, 20000, 1000};
}

TEST(Sources_CopyCutStartTests, StartsAtTheKeyFrameAtOrBeforeTheStartUnlessExactOrWithoutVideo) {
    CopySourceFacts audio;
    audio.audioOnly = true;
    const CopySourceFacts noKeyFrames{"mpegts", {}, false, "VP9 video", false, 0, 0};
    struct Case {
        const char* what;
        CopySourceFacts facts;
        int64_t startMs;
        CutMode mode;
        int64_t expected;
    } const cases[] = {
        {"before the first key frame", Facts(false, "interlaced video"), 0, CutMode::KeyFrames, 0},
        {"between key frames", Facts(false, "interlaced video"), 7000, CutMode::KeyFrames, 4960},
        {"on a key frame", Facts(false, "interlaced video"), 10000, CutMode::KeyFrames, 10000},
        {"past the last key frame", Facts(false, "interlaced video"), 19000, CutMode::KeyFrames, 15040},
        {"exact, not possible", Facts(false, "interlaced video"), 7000, CutMode::Exact, 4960},
        {"exact, possible", Facts(true), 7000, CutMode::Exact, 7000},
        {"at key frames though exact is possible", Facts(true), 7000, CutMode::KeyFrames, 4960},
        {"no key frames known", noKeyFrames, 7000, CutMode::KeyFrames, 0},
        {"no video", audio, 7000, CutMode::KeyFrames, 7000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CopyCutStartMs(c.facts, c.startMs, c.mode), c.expected) << c.what;
}

// The cache as the program has it, with the facts already read for the files given.
class KnownFacts final : public CopySourceCache {
public:
    void Request(const std::string& path) override { requested.insert(path); }
    const CopySourceFacts* FactsOf(const std::string& path) const override {
        const auto found = facts.find(path);
        return found == facts.end() ? nullptr : &found->second;
    }
    void WaitForFacts(const std::vector<std::string>&) override {}

    std::map<std::string, CopySourceFacts> facts;
    std::set<std::string> requested;
};

class Sources_CopyCutGuideTests : public ::testing::Test {
protected:
    Sources_CopyCutGuideTests() {
        m_cache.facts["/v/interlaced.mp4"] = Facts(false, "interlaced video");
        m_cache.facts["/v/h264.mp4"] = Facts(true);
        m_choices.SetCut(CutMode::Exact);
    }

    KnownFacts m_cache;
    MainChoices m_choices{"/out"};
    bool m_copying = true;
    CopyCutGuide m_guide{m_cache, m_choices, [this] { return m_copying; }};
};

TEST_F(Sources_CopyCutGuideTests, ShowsTheRealStartOnlyWhereTheOutputStartsElsewhere) {
    const auto shown = m_guide.RealStart("/v/interlaced.mp4", "00:00:07");
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->text, "00:00:04.960 (key frame)");
    EXPECT_EQ(shown->toolTip,
              "Without re-encoding, the output starts at the key frame at 00:00:04.960, 2.040 s "
              "before the start time 00:00:07. An exact cut is not possible for this file "
              "(interlaced video).");
    EXPECT_FALSE(m_guide.RealStart("/v/interlaced.mp4", "00:00:10")); // on a key frame
    EXPECT_FALSE(m_guide.RealStart("/v/h264.mp4", "00:00:07"));       // cut exactly
    m_choices.SetCut(CutMode::KeyFrames);
    EXPECT_TRUE(m_guide.RealStart("/v/h264.mp4", "00:00:07"));
    // Unknown facts are asked for; re-encoding shows and asks for nothing.
    EXPECT_FALSE(m_guide.RealStart("/v/unread.mp4", "00:00:07"));
    m_copying = false;
    EXPECT_FALSE(m_guide.RealStart("/v/interlaced.mp4", "00:00:07"));
    EXPECT_TRUE(m_guide.KeyFramesMs("/v/interlaced.mp4").empty());
    m_guide.Prefetch("/v/other.mp4");
    EXPECT_EQ(m_cache.requested, std::set<std::string>{"/v/unread.mp4"});
}

// A snapped start is the whole second whose last key frame is the one at or before the position.
TEST_F(Sources_CopyCutGuideTests, SnapsTheStartWhereTheFileIsCutAtKeyFrames) {
    struct Case {
        const char* path;
        CutMode mode;
        int64_t positionMs;
        int64_t expected;
    } const cases[] = {
        {"/v/interlaced.mp4", CutMode::Exact, 7000, 5}, {"/v/interlaced.mp4", CutMode::Exact, 4958, 5},
        {"/v/interlaced.mp4", CutMode::Exact, 4900, 0}, {"/v/interlaced.mp4", CutMode::Exact, 16999, 16},
        {"/v/h264.mp4", CutMode::Exact, 7999, 7},       {"/v/h264.mp4", CutMode::KeyFrames, 12000, 10},
        {"/v/unread.mp4", CutMode::KeyFrames, 7999, 7},
    };
    for (const Case& c : cases) {
        m_choices.SetCut(c.mode);
        EXPECT_EQ(m_guide.SnappedStartSeconds(c.path, c.positionMs), c.expected)
            << c.path << " " << c.positionMs;
    }
}

TEST_F(Sources_CopyCutGuideTests, StepsToTheNeighbouringKeyFrames) {
    struct Case {
        int64_t positionMs;
        bool forward;
        std::optional<int64_t> expected;
    } const cases[] = {
        {0, true, 4960},  {4957, true, 10000}, {4960, true, 10000},      {15040, true, std::nullopt},
        {4958, false, 0}, {7000, false, 4960}, {0, false, std::nullopt}, {20000, false, 15040},
    };
    for (const Case& c : cases)
        EXPECT_EQ(m_guide.NeighbourKeyFrameMs("/v/h264.mp4", c.positionMs, c.forward), c.expected)
            << c.positionMs << (c.forward ? " forward" : " back");
}

} // namespace
