#pragma once

#include <cstdint>
#include <span>
#include <vector>

// One rectangle of a window's outline, in pixels of the picture it was cut from.
struct OutlineRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const OutlineRect&) const = default;
};

// The outline of a shaped window cut from its background picture: every pixel whose colour differs
// from the colour of the picture's bottom-left pixel belongs to the window, every pixel of that colour
// is cut away. `pixels` holds `width` x `height` colours row by row from the top, 0xAARRGGBB; only the
// red, green and blue parts are compared. The rectangles are the runs of kept pixels of each row, a
// run taller than one row where consecutive rows have the same runs; together they cover exactly the
// kept pixels, none overlapping. An empty picture, or one whose pixel count does not match its size,
// gives no rectangle.
std::vector<OutlineRect> OutlineRects(int width, int height, std::span<const std::uint32_t> pixels);
