#include "support/Text.h"

#include <gtest/gtest.h>

using Pieces = std::vector<std::string>;

TEST(Support_TextTests, SplitTextKeepsInnerAndLeadingEmptyPiecesButNoTrailingOne) {
    EXPECT_EQ(SplitText("a|b", '|'), (Pieces{"a", "b"}));
    EXPECT_EQ(SplitText("a|b|", '|'), (Pieces{"a", "b"}));
    EXPECT_EQ(SplitText("a||b", '|'), (Pieces{"a", "", "b"}));
    EXPECT_EQ(SplitText("|a", '|'), (Pieces{"", "a"}));
    EXPECT_EQ(SplitText("", '|'), Pieces{});
    EXPECT_EQ(SplitText("||", '|'), (Pieces{"", ""}));
    EXPECT_EQ(SplitText(" x : y", ':'), (Pieces{" x ", " y"}));
}

TEST(Support_TextTests, ParseNumberTakesDigitsAndFirstMarks) {
    EXPECT_DOUBLE_EQ(ParseNumber("12.5 kbps"), 12.5);
    EXPECT_DOUBLE_EQ(ParseNumber("1.2.3"), 1.23);
    EXPECT_DOUBLE_EQ(ParseNumber("1,000"), 1000);
    EXPECT_DOUBLE_EQ(ParseNumber("5-3"), 53);
    EXPECT_DOUBLE_EQ(ParseNumber("-5-3"), -53);
    EXPECT_DOUBLE_EQ(ParseNumber("\t 42.00\r\n"), 42);
    EXPECT_DOUBLE_EQ(ParseNumber("7"), 7);
    EXPECT_DOUBLE_EQ(ParseNumber("kbps"), 0);
    EXPECT_DOUBLE_EQ(ParseNumber("-"), 0);
    EXPECT_DOUBLE_EQ(ParseNumber(""), 0);
    EXPECT_DOUBLE_EQ(ParseNumber("x+1"), 1);
    EXPECT_THROW(ParseNumber("."), std::invalid_argument);
    EXPECT_THROW(ParseNumber("-."), std::invalid_argument);
    EXPECT_THROW(ParseNumber("+ . kb"), std::invalid_argument);
}

TEST(Support_TextTests, TimeTextNeedsExactlyThreeIntegerPieces) {
    EXPECT_EQ(TimeTextToSeconds("00:01:10"), 70);
    EXPECT_EQ(TimeTextToSeconds("00:75:00"), 4500);
    EXPECT_EQ(TimeTextToSeconds("100:00:00"), 360000);
    EXPECT_EQ(TimeTextToSeconds("01:10"), std::nullopt);
    EXPECT_EQ(TimeTextToSeconds("00:00:10:"), 10) << "a trailing delimiter adds no piece";
    EXPECT_EQ(TimeTextToSeconds("1:2:3:4"), std::nullopt);
    EXPECT_EQ(TimeTextToSeconds(""), std::nullopt);
    EXPECT_THROW(TimeTextToSeconds("00:aa:00"), std::invalid_argument);
    EXPECT_THROW(TimeTextToSeconds("00::00"), std::invalid_argument);
    EXPECT_THROW(TimeTextToSeconds("00:1.5:00"), std::invalid_argument);
    EXPECT_THROW(TimeTextToSeconds("00:+-5:00"), std::invalid_argument);
    EXPECT_THROW(TimeTextToSeconds("00:--5:00"), std::invalid_argument);
    EXPECT_EQ(TimeTextToSeconds("-1:+2:03"), -3600 + 123);
}

TEST(Support_TextTests, SecondsToTimeTextPadsAndDoesNotCapHours) {
    EXPECT_EQ(SecondsToTimeText(0), "00:00:00");
    EXPECT_EQ(SecondsToTimeText(-5), "00:00:00");
    EXPECT_EQ(SecondsToTimeText(70), "00:01:10");
    EXPECT_EQ(SecondsToTimeText(86399), "23:59:59");
    EXPECT_EQ(SecondsToTimeText(360000), "100:00:00");
}

TEST(Support_TextTests, SizeTextCutsToTwoDecimals) {
    EXPECT_EQ(SizeText(0), "0 B");
    EXPECT_EQ(SizeText(-3), "0 B");
    EXPECT_EQ(SizeText(1000), "1000 B");
    EXPECT_EQ(SizeText(1023), "1023 B");
    EXPECT_EQ(SizeText(1024), "1 KB");
    EXPECT_EQ(SizeText(1536), "1.5 KB");
    EXPECT_EQ(SizeText(1048576), "1 MB");
    EXPECT_EQ(SizeText(123456789), "117.73 MB");
    EXPECT_EQ(SizeText(1073741823), "1023.99 MB");
    EXPECT_EQ(SizeText(1073741824), "1 GB");
    EXPECT_EQ(SizeText(5368709120LL * 1024), "5120 GB");
}
