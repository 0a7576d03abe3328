#include "support/CommandLine.h"

#include <gtest/gtest.h>

#include <random>

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

TEST(Support_CommandLineTests, TheArgumentsFollowTheKnownExecutableAndNoPrefixIsTakenForIt) {
    const std::string program = "/tmp/x/my bin/trenc";
    const auto arguments = ArgumentsAfter(program, program + " -y -i \"in.avi\" \"out.rm\"");
    ASSERT_TRUE(arguments.has_value());
    EXPECT_EQ(SplitCommandLine(*arguments), (Args{"-y", "-i", "in.avi", "out.rm"}));
    EXPECT_EQ(ArgumentsAfter(program, program), "");
    // Lines that do not begin with exactly that executable start nothing.
    for (const std::string& line : {std::string("/tmp/x/my -y"), program + "2 -y", std::string("")})
        EXPECT_FALSE(ArgumentsAfter(program, line).has_value()) << line;
    EXPECT_FALSE(ArgumentsAfter("", " -y").has_value());
}
