#include "widgets/WindowOutline.h"

#include <cstddef>
#include <utility>

namespace {

constexpr std::uint32_t ColourBits = 0x00ffffffU;

struct Run {
    int left;
    int width;
    bool operator==(const Run&) const = default;
};

std::vector<Run> KeptRuns(std::span<const std::uint32_t> row, std::uint32_t cutColour) {
    std::vector<Run> runs;
    const int width = static_cast<int>(row.size());
    int x = 0;
    while (x < width) {
        while (x < width && (row[static_cast<std::size_t>(x)] & ColourBits) == cutColour)
            ++x;
        const int left = x;
        while (x < width && (row[static_cast<std::size_t>(x)] & ColourBits) != cutColour)
            ++x;
        if (x > left)
            runs.push_back({left, x - left});
    }
    return runs;
}

void AppendBand(std::vector<OutlineRect>& rects, const std::vector<Run>& runs, int top, int height) {
    for (const Run& run : runs)
        rects.push_back({run.left, top, run.width, height});
}

} // namespace

std::vector<OutlineRect> OutlineRects(int width, int height, std::span<const std::uint32_t> pixels) {
    std::vector<OutlineRect> rects;
    if (width <= 0 || height <= 0 ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return rects;
    const auto rowAt = [&](int y) {
        return pixels.subspan(static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                              static_cast<std::size_t>(width));
    };
    const std::uint32_t cutColour = rowAt(height - 1)[0] & ColourBits;

    // Rows with the same runs as the row above widen the band instead of adding rectangles.
    std::vector<Run> bandRuns = KeptRuns(rowAt(0), cutColour);
    int bandTop = 0;
    for (int y = 1; y < height; ++y) {
        std::vector<Run> runs = KeptRuns(rowAt(y), cutColour);
        if (runs == bandRuns)
            continue;
        AppendBand(rects, bandRuns, bandTop, y - bandTop);
        bandRuns = std::move(runs);
        bandTop = y;
    }
    AppendBand(rects, bandRuns, bandTop, height - bandTop);
    return rects;
}
