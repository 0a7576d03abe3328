#include "sources/TrimBarMath.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(Sources_TrimBarMathTests, HandlePositionsGiveTheBarsPercentScaledBy121) {
    struct Case {
        int width;
        int startPercent;
        int endPercent;
    };
    // Widths 1 (the minimum), 3, the middle of the run and the far side.
    for (const Case& c : {Case{1, 0, 101}, Case{3, 0, 100}, Case{111, 50, 50}, Case{221, 101, 0}}) {
        EXPECT_EQ(TrimStartPercent(c.width), c.startPercent) << c.width;
        EXPECT_EQ(TrimEndPercent(c.width), c.endPercent) << c.width;
    }
    EXPECT_EQ(TrimPercentToSeconds(101, 100), 101);
    EXPECT_EQ(TrimPercentToSeconds(101, 7), 7); // 7.07 truncated
    EXPECT_EQ(TrimPercentToSeconds(50, 0), 0);
    // Other geometries follow their own widths.
    EXPECT_EQ(TrimStartPercent(1, {100, 10, 10}), -13);
    EXPECT_EQ(TrimEndPercent(1, {100, 10, 10}), 81);
}

TEST(Sources_TrimBarMathTests, LayoutRoundsHalvesToEvenAndStaysFiniteWithoutADuration) {
    // 220 pixels of run: 1/8 of 220 is 27.5 (to 28), 3/8 is 82.5 (to 82).
    EXPECT_EQ(TrimLeftWidthFor(1, 8), 29);
    EXPECT_EQ(TrimLeftWidthFor(3, 8), 83);
    EXPECT_EQ(TrimLeftWidthFor(0, 100), 1);
    EXPECT_EQ(TrimRightWidthFor(100, 100), 1);
    EXPECT_EQ(TrimRightWidthFor(1, 8), 220 - 28 + 1);
    EXPECT_EQ(TrimRightWidthFor(3, 8), 220 - 82 + 1);
    EXPECT_EQ(TrimRightWidthFor(101, 100), -1); // the 101 % end: the caller keeps the minimum
    EXPECT_EQ(TrimLeftWidthFor(5, 0), 1);
    EXPECT_EQ(TrimRightWidthFor(5, 0), 1);
    // A start typed far past a tiny duration cannot overflow the width.
    EXPECT_EQ(TrimLeftWidthFor(4e12, 1), 1'000'001);
}

TEST(Sources_TrimBarMathTests, ClickStepsAndLenientTimes) {
    EXPECT_EQ(TrimClickStep(true, false, false), 1);
    EXPECT_EQ(TrimClickStep(false, true, false), 10);
    EXPECT_EQ(TrimClickStep(false, false, false), 5);
    EXPECT_EQ(TrimClickStep(true, true, false), 5);
    EXPECT_EQ(TrimClickStep(false, true, true), 5);

    EXPECT_EQ(LenientTimeTextToSeconds("01:02:03"), 3723);
    EXPECT_EQ(LenientTimeTextToSeconds("00:75:00"), 4500);
    EXPECT_EQ(LenientTimeTextToSeconds(" 1:2.9:3x:junk"), 3723);
    EXPECT_EQ(LenientTimeTextToSeconds("1:2"), std::nullopt);
    EXPECT_EQ(LenientTimeTextToSeconds(""), std::nullopt);
    EXPECT_THROW(LenientTimeTextToSeconds("00:.:00"), std::invalid_argument);
}

} // namespace
