#include "sources/QtCopySourceCache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include <QSignalSpy>

#include "support/QtEventPump.h"

namespace {

// Facts that name the file they were read from, and a count of the reads.
class NamingProbe final : public CopySourceProbe {
public:
    CopySourceFacts Probe(const std::string& path) override {
        ++reads;
        CopySourceFacts facts;
        facts.container = path;
        return facts;
    }
    std::atomic<int> reads{0};
};

// Each file is read once, on the worker, however often it is asked for; the wait returns once every
// file it names is read, and the views are told of each.
TEST(Sources_QtCopySourceCacheTests, ReadsEachFileOnceAndWaitsForTheFilesNamed) {
    NamingProbe probe;
    QtEventPump pump;
    QtCopySourceCache cache(probe, pump);
    QSignalSpy told(&cache, &QtCopySourceCache::FactsRead);
    cache.Request("/v/a.mp4");
    cache.Request("/v/a.mp4");
    EXPECT_EQ(cache.FactsOf("/v/a.mp4"), nullptr); // delivered through the event loop, never at once
    cache.WaitForFacts({"/v/a.mp4", "/v/b.mp4"});
    ASSERT_NE(cache.FactsOf("/v/b.mp4"), nullptr);
    EXPECT_EQ(cache.FactsOf("/v/a.mp4")->container, "/v/a.mp4");
    cache.WaitForFacts({"/v/a.mp4"});
    EXPECT_EQ(probe.reads, 2);
    EXPECT_EQ(told.count(), 2);
}

} // namespace
