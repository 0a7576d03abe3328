#include "convert/TranscoderRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "convert/AdvanceSystem.h"
#include "tests/convert/BatchFakes.h"

using ::testing::ElementsAre;

namespace {

// A pipe holding what was written, read as a child's output is read.
class PipeChild final : public ChildProcess {
public:
    explicit PipeChild(std::string content) : m_content(std::move(content)) {}
    bool IsRunning() override { return false; }
    std::size_t BytesWaiting() override { return m_content.size(); }
    std::string Read(std::size_t maxBytes) override {
        std::string piece = m_content.substr(0, maxBytes);
        m_content.erase(0, piece.size());
        return piece;
    }
    void AskToEnd() override {}
    void Kill() override {}

private:
    std::string m_content;
};

// Bytes whose 1023-byte pieces can be told apart: piece k is all the letter 'A' + k.
std::string Pieces(std::size_t bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes; ++i)
        text += static_cast<char>('A' + (i / MaxChunkBytes) % 26);
    return text;
}

} // namespace

TEST(Convert_TranscoderRunnerTests, ReadChunkKeepsOnlyTheLastPieceWhenMoreThan1023BytesWait) {
    PipeChild small("hello");
    EXPECT_EQ(ReadChunk(small, 5), "hello");

    PipeChild exact(Pieces(1023));
    EXPECT_EQ(ReadChunk(exact, 1023), Pieces(1023));

    PipeChild large(Pieces(2500));
    EXPECT_EQ(ReadChunk(large, 2500), std::string(2500 - 2046, 'C'));
    EXPECT_EQ(large.BytesWaiting(), 0u);

    // Two full pieces and nothing more waiting: the second piece is the chunk.
    PipeChild twoFull(Pieces(2046));
    EXPECT_EQ(ReadChunk(twoFull, 2046), std::string(1023, 'B'));
}

class Convert_RunTranscoderTests : public ::testing::Test {
protected:
    EventLog events;
    FakeClock clock{events};
    ScriptedProcesses processes{events};
    std::vector<std::string> chunks;
    OutputCallback collect = [this](const std::string& chunk) { chunks.push_back(chunk); };
};

TEST_F(Convert_RunTranscoderTests, AFailedStartReturnsFalseAndDeliversNothing) {
    processes.AddScript(ScriptedProcesses::FailingStart());
    EXPECT_FALSE(RunTranscoder(processes, clock, "/p/trenc", " -y", "/p", collect));
    EXPECT_TRUE(chunks.empty());
    EXPECT_THAT(events.Events(), ElementsAre("start /p/trenc -y"));
    EXPECT_EQ(processes.lastWorkingFolder, "/p");
}

TEST_F(Convert_RunTranscoderTests, EachChunkIsFollowedByThePauseWhileTheChildRuns) {
    processes.AddScript({{"one", "two", "three"}});
    BatchTiming timing;
    timing.runnerIdleMs = 500;
    EXPECT_TRUE(RunTranscoder(processes, clock, "/p/trenc", "", "/p", collect, timing));
    // The last piece arrives as the child ends: it is still read, and nothing is left to pause for.
    EXPECT_THAT(chunks, ElementsAre("one", "two", "three"));
    EXPECT_THAT(events.Events(), ElementsAre("start /p/trenc", "sleep 500"));
}

TEST_F(Convert_RunTranscoderTests, ThePauseEndsEarlyWhenTheChildEnds) {
    processes.AddScript({{"one"}, /*keepRunning=*/true});
    // The child is killed as its first chunk is handed over: no pause follows.
    const OutputCallback killAfterFirst = [&](const std::string& chunk) {
        chunks.push_back(chunk);
        processes.Terminate(ScriptedProcesses::ChildPid(0));
    };
    EXPECT_TRUE(RunTranscoder(processes, clock, "/p/trenc", "", "/p", killAfterFirst));
    EXPECT_THAT(chunks, ElementsAre("one"));
    EXPECT_THAT(events.Events(), ElementsAre("start /p/trenc", "kill 1000"));
}

TEST_F(Convert_RunTranscoderTests, ASilentChildIsPolledAtTheIdleStep) {
    processes.AddScript({{"", "", "", "done"}});
    EXPECT_TRUE(RunTranscoder(processes, clock, "/p/trenc", "", "/p", collect));
    EXPECT_THAT(chunks, ElementsAre("done"));
    EXPECT_THAT(events.Events(), ElementsAre("start /p/trenc", "sleep 10", "sleep 10", "sleep 10"));
}

TEST(Convert_AdvanceSystemTests, RunsItsTranscoderOnceOnItsOwnThreadUntilItsChildIsAskedToEnd) {
    EventLog events;
    FakeClock clock{events};
    ScriptedProcesses processes{events};
    processes.AddScript({{"banner"}, /*keepRunning=*/true});
    std::vector<std::string> chunks;
    std::mutex mutex;
    {
        TAdvanceSystem worker(processes, clock, "/p", "/p/trenc", " a", [&](const std::string& chunk) {
            const std::lock_guard lock(mutex);
            chunks.push_back(chunk);
        });
        // Created suspended.
        EXPECT_EQ(processes.Started(), 0u);
        worker.Start();
        processes.WaitForAttempts(1);
        // Once the child runs, the flag alone does not end it; asking the child does.
        worker.Terminate();
        EXPECT_TRUE(worker.Terminated());
        EXPECT_FALSE(worker.Finished());
        worker.AskChildToEnd();
        worker.WaitFor();
    }
    EXPECT_THAT(chunks, ElementsAre("banner"));
    EXPECT_THAT(events.Events(), ElementsAre("start /p/trenc a", "term 1000"));
}

TEST(Convert_AdvanceSystemTests, ATerminatedWorkerNeverStartsItsChild) {
    EventLog events;
    FakeClock clock{events};
    ScriptedProcesses processes{events};
    TAdvanceSystem worker(processes, clock, "/p", "/p/trenc", "", [](const std::string&) {});
    worker.Terminate();
    worker.Start();
    worker.WaitFor();
    worker.KillChild();
    EXPECT_TRUE(events.Events().empty());
}

TEST(Convert_AdvanceSystemTests, WaitForRaisesWhatTheBodyRaised) {
    EventLog events;
    FakeClock clock{events};
    ScriptedProcesses processes{events};
    processes.AddScript({{"banner"}});
    TAdvanceSystem worker(processes, clock, "/p", "/p/trenc", "",
                          [](const std::string&) { throw std::runtime_error("no memory"); });
    worker.Start();
    EXPECT_THROW(worker.WaitFor(), std::runtime_error);
    EXPECT_TRUE(worker.Finished());
}
