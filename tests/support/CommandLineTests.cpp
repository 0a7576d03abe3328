#include "support/CommandLine.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/common/TempDir.h"

using Args = std::vector<std::string>;

TEST(Support_CommandLineTests, OrdinaryPathsAreQuotedUnchanged) {
    EXPECT_EQ(QuoteArgument("/home/user/My Clips/party.avi"), "\"/home/user/My Clips/party.avi\"");
    EXPECT_EQ(QuoteArgument("C:\\Clips\\party.avi"), "\"C:\\Clips\\party.avi\"");
    EXPECT_EQ(QuoteArgument(""), "\"\"");
}

TEST(Support_CommandLineTests, SplitFollowsBackslashAndQuotationRules) {
    EXPECT_EQ(SplitCommandLine(" -y  -i\t\"a b\" "), (Args{"-y", "-i", "a b"}));
    EXPECT_EQ(SplitCommandLine("a\\\\b \\\"x\\\" c\\\\\\\"d"), (Args{"a\\\\b", "\"x\"", "c\\\"d"}));
    EXPECT_EQ(SplitCommandLine("\"a\\\\\" b"), (Args{"a\\", "b"}));
    EXPECT_EQ(SplitCommandLine("\"say \"\"hi\"\"\" x"), (Args{"say \"hi\"", "x"}));
    EXPECT_EQ(SplitCommandLine("\"\" x"), (Args{"", "x"}));
    EXPECT_EQ(SplitCommandLine("ab\"c d\"e"), (Args{"abc de"}));
    EXPECT_EQ(SplitCommandLine("   "), Args{});
}

TEST(Support_CommandLineTests, QuoteThenSplitGivesBackEveryText) {
    std::mt19937 random(20261209);
    const std::string alphabet = std::string("ab -\"\\\t\n\r'=.:/") + "\xC3\xA9\xFF\x80";
    std::uniform_int_distribution<int> length(0, 24);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(alphabet.size()) - 1);
    std::uniform_int_distribution<int> anyByte(1, 255);
    for (int round = 0; round < 50000; ++round) {
        std::string text;
        const int n = length(random);
        for (int i = 0; i < n; ++i)
            text.push_back(round % 3 == 0 ? static_cast<char>(anyByte(random)) : alphabet[pick(random)]);
        ASSERT_EQ(SplitCommandLine(QuoteArgument(text)), Args{text}) << "text: " << text;
        ASSERT_EQ(SplitCommandLine("-i " + QuoteArgument(text) + " -y"), (Args{"-i", text, "-y"}));
    }
}

TEST(Support_CommandLineTests, ExecutableIsTheShortestPrefixNamingAFile) {
    TempDir dir;
    const std::string program = dir.WriteFile("my apps/trenc", "#!/bin/sh\n");
    dir.WriteFile("my apps/trenc -y", "decoy\n");
    const auto split = FindExecutable(program + " -y -i \"in.avi\" \"out.rm\"");
    ASSERT_TRUE(split.has_value());
    EXPECT_EQ(split->executable, program);
    EXPECT_EQ(SplitCommandLine(split->arguments), (Args{"-y", "-i", "in.avi", "out.rm"}));

    const auto quoted = FindExecutable("\"" + program + "\" -y");
    ASSERT_TRUE(quoted.has_value());
    EXPECT_EQ(quoted->executable, program);
    EXPECT_EQ(quoted->arguments, " -y");

    EXPECT_FALSE(FindExecutable(dir.Folder() + "missing -y").has_value());
    EXPECT_FALSE(FindExecutable(dir.Folder() + "my apps -y").has_value()) << "a folder is no executable";
    EXPECT_FALSE(FindExecutable("").has_value());
}
