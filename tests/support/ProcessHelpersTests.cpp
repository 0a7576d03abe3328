#include "support/ProcessHelpers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "tests/common/TempDir.h"

using ::testing::ElementsAre;

namespace {

class ListedProcesses final : public ProcessTable {
public:
    std::optional<std::vector<ProcessEntry>> Snapshot() override {
        if (failing)
            return std::nullopt;
        return entries;
    }
    bool Terminate(int64_t pid) override {
        killed.push_back(pid);
        return pid != refusing;
    }
    std::vector<ProcessEntry> entries;
    std::vector<int64_t> killed;
    int64_t refusing = 0;
    bool failing = false;
};

class Support_ProcessHelpersTests : public ::testing::Test {
protected:
    TempDir dir;
    TAppFunc log{dir.Folder()};
    ListedProcesses table;
    TSysFunc sys{table, log};

    std::vector<std::string> LogMessages() const {
        std::vector<std::string> messages;
        std::ifstream file(log.LogPath());
        for (std::string line; std::getline(file, line);)
            messages.push_back(line.substr(line.find('|') + 1, line.size() - line.find('|') - 2));
        return messages;
    }
};

} // namespace

TEST_F(Support_ProcessHelpersTests, LookupIgnoresAsciiCaseAndTheLastMatchWins) {
    table.entries = {{10, "TRENC"}, {11, "bash"}, {12, "Trenc"}, {13, "rtrenc"}, {14, "/opt/trenc"}};
    EXPECT_EQ(sys.IsProcessRunning("trenc"), 12);
    EXPECT_EQ(sys.ProcessIdByName("trenc"), 12);
    EXPECT_EQ(sys.IsProcessRunning("RTRENC"), 13);
    EXPECT_EQ(sys.IsProcessRunning("trenc2"), 0);
    EXPECT_TRUE(LogMessages().empty());
}

TEST_F(Support_ProcessHelpersTests, ProcessIdByNameLogsWhenItFindsNone) {
    table.entries = {{10, "bash"}};
    EXPECT_EQ(sys.IsProcessRunning("trenc"), 0);
    EXPECT_EQ(sys.ProcessIdByName("trenc"), 0);
    table.failing = true;
    EXPECT_EQ(sys.ProcessIdByName("bash"), 0);
    EXPECT_THAT(LogMessages(), ElementsAre("Get Process id error.", "Get Process id error."));
}

TEST_F(Support_ProcessHelpersTests, KillMatchesTheWholeNameOrItsFileNamePartAndReportsTheLastAttempt) {
    table.entries = {{10, "trenc"}, {11, "/opt/x/TRENC"}, {12, "trenc.bak"}, {13, "Trenc"}};
    EXPECT_TRUE(sys.KillProcessByName("trenc"));
    EXPECT_THAT(table.killed, ElementsAre(10, 11, 13));

    // Only the last attempt counts: an earlier failure is not reported, a last one is.
    table.killed.clear();
    table.refusing = 10;
    EXPECT_TRUE(sys.KillProcessByName("trenc"));
    table.refusing = 13;
    EXPECT_FALSE(sys.KillProcessByName("trenc"));
    EXPECT_THAT(LogMessages(), ElementsAre("Terminate process error."));
}

TEST_F(Support_ProcessHelpersTests, KillWithNoMatchOrNoSnapshotLogsOnceAndFails) {
    table.entries = {{10, "bash"}};
    EXPECT_FALSE(sys.KillProcessByName("trenc"));
    table.failing = true;
    EXPECT_FALSE(sys.KillProcessByName("bash"));
    EXPECT_TRUE(table.killed.empty());
    EXPECT_THAT(LogMessages(), ElementsAre("Terminate process error.", "Terminate process error."));
}
