#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "widgets/WindowOutline.h"

namespace {

// A picture drawn as text, one row a line: each character is one colour.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

Picture Draw(const std::vector<std::string>& rows) {
    Picture picture{static_cast<int>(rows.front().size()), static_cast<int>(rows.size()), {}};
    for (const std::string& row : rows)
        for (char c : row)
            picture.pixels.push_back(0xff000000U | static_cast<unsigned char>(c));
    return picture;
}

std::vector<OutlineRect> Outline(const Picture& picture) {
    return OutlineRects(picture.width, picture.height, picture.pixels);
}

struct OutlineCase {
    const char* name;
    std::vector<std::string> rows;
    std::vector<OutlineRect> expected;
};

TEST(Widgets_WindowOutlineTests, CutsEveryPixelOfTheBottomLeftColour) {
    const std::vector<OutlineCase> cases = {
        {"rounded corners, rows with the same runs share a rectangle",
         {".##.", "####", "####", ".##."},
         {{1, 0, 2, 1}, {0, 1, 4, 2}, {1, 3, 2, 1}}},
        {"holes of the cut colour inside are cut too",
         {"#####", "#.#.#", ".####"},
         {{0, 0, 5, 1}, {0, 1, 1, 1}, {2, 1, 1, 1}, {4, 1, 1, 1}, {1, 2, 4, 1}}},
        {"the colour decides, not what it looks like: here '#' is cut",
         {"..", "#."},
         {{0, 0, 2, 1}, {1, 1, 1, 1}}},
        {"every other colour is kept", {"ab", "xc"}, {{0, 0, 2, 1}, {1, 1, 1, 1}}},
        {"a picture of the cut colour only leaves nothing", {"..", ".."}, {}},
        {"a single pixel is its own bottom-left pixel", {"#"}, {}},
    };
    for (const OutlineCase& c : cases)
        EXPECT_EQ(Outline(Draw(c.rows)), c.expected) << c.name;
}

TEST(Widgets_WindowOutlineTests, ComparesColoursWithoutTheirAlpha) {
    Picture picture = Draw({"#.", "#."});
    picture.pixels[0] = 0x00000000U | '#'; // the cut colour, fully transparent
    picture.pixels[2] = 0x80000000U | '#'; // the bottom-left pixel, half transparent
    EXPECT_EQ(Outline(picture), (std::vector<OutlineRect>{{1, 0, 1, 2}}));
}

TEST(Widgets_WindowOutlineTests, PictureWithoutPixelsOrWithTheWrongCountGivesNoOutline) {
    const std::vector<std::uint32_t> four(4, 0xff000000U);
    EXPECT_TRUE(OutlineRects(0, 0, {}).empty());
    EXPECT_TRUE(OutlineRects(3, 2, four).empty());
    EXPECT_TRUE(OutlineRects(-2, -2, four).empty());
}

// A disc on a cut background: the rectangles cover exactly the kept pixels, each once.
TEST(Widgets_WindowOutlineTests, RectanglesCoverExactlyTheKeptPixels) {
    constexpr int Size = 41;
    std::vector<std::string> rows;
    for (int y = 0; y < Size; ++y) {
        std::string row;
        for (int x = 0; x < Size; ++x) {
            const int dx = x - Size / 2;
            const int dy = y - Size / 2;
            row += dx * dx + dy * dy <= 18 * 18 ? (x % 3 == 0 ? 'a' : 'b') : '.';
        }
        rows.push_back(row);
    }
    const Picture picture = Draw(rows);
    std::vector<int> covered(static_cast<std::size_t>(Size * Size), 0);
    for (const OutlineRect& rect : Outline(picture))
        for (int y = rect.top; y < rect.top + rect.height; ++y)
            for (int x = rect.left; x < rect.left + rect.width; ++x)
                ++covered[static_cast<std::size_t>(y * Size + x)];
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x)
            ASSERT_EQ(covered[static_cast<std::size_t>(y * Size + x)], rows[y][x] == '.' ? 0 : 1)
                << "pixel " << x << "," << y;
}

} // namespace
