#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "widgets/PictureStretch.h"

namespace {

// Draws a picture given as text (one character a pixel, one row a line) with the pieces, each
// piece scaled to its place by taking the nearest pixel, as a painter does with smoothing off.
std::vector<std::string> Drawn(const std::vector<std::string>& picture,
                               const std::vector<StretchPiece>& pieces) {
    std::vector<std::string> drawn;
    for (const StretchPiece& piece : pieces) {
        const OutlineRect& to = piece.target;
        if (drawn.size() < static_cast<std::size_t>(to.top + to.height))
            drawn.resize(static_cast<std::size_t>(to.top + to.height));
        for (int y = 0; y < to.height; ++y) {
            std::string& row = drawn[static_cast<std::size_t>(to.top + y)];
            if (row.size() < static_cast<std::size_t>(to.left + to.width))
                row.resize(static_cast<std::size_t>(to.left + to.width), '?');
            const int sourceY = piece.source.top + y * piece.source.height / to.height;
            for (int x = 0; x < to.width; ++x) {
                const int sourceX = piece.source.left + x * piece.source.width / to.width;
                row[static_cast<std::size_t>(to.left + x)] =
                    picture[static_cast<std::size_t>(sourceY)][static_cast<std::size_t>(sourceX)];
            }
        }
    }
    return drawn;
}

struct StretchCase {
    const char* name;
    std::vector<std::string> picture;
    std::vector<StretchBand> bands;
    std::vector<std::string> expected;
};

TEST(Widgets_PictureStretchTests, StretchesTheRunsAndMovesWhatLiesBetweenThem) {
    const std::vector<StretchCase> cases = {
        {"nothing stretched draws the picture as it is", {"ab", "cd"}, {{0, 2, {}, {}}}, {"ab", "cd"}},
        {"a run of columns", {"a.b"}, {{0, 1, {}, {{1, 2, 2}}}}, {"a...b"}},
        {"a run of rows and one of columns in the same band",
         {"#..#", "#..#", "####"},
         {{0, 3, {1, 2, 1}, {{1, 3, 2}}}},
         {"#....#", "#....#", "#....#", "######"}},
        {"each band its own columns, the same total",
         {"a.bc", "de.f"},
         {{0, 1, {}, {{1, 2, 1}}}, {1, 2, {}, {{2, 3, 1}}}},
         {"a..bc", "de..f"}},
        {"two runs of columns in one band", {"a.b.c"}, {{0, 1, {}, {{1, 2, 1}, {3, 4, 2}}}}, {"a..b...c"}},
    };
    for (const StretchCase& test : cases) {
        const int width = static_cast<int>(test.picture.front().size());
        EXPECT_EQ(Drawn(test.picture, StretchPieces(width, test.bands)), test.expected) << test.name;
    }
}

} // namespace
