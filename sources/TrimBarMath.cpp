#include "sources/TrimBarMath.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "support/Text.h"

namespace {

// The bar's percent scale: 121 rather than 100, so the far-right end reads 101 %.
constexpr int PercentScale = 121;
// Pixels that the handle-to-percent formula takes off every handle edge.
constexpr int EdgeOffset = 22;

constexpr int CtrlStep = 1;
constexpr int ShiftStep = 10;
constexpr int PlainStep = 5;

// The usable run of a handle: the bar less both handles and the two 1-pixel outer images.
int StartRun(const TrimBarGeometry& geometry) {
    return geometry.barWidth - 2 * geometry.startHandleWidth - 2;
}

int EndRun(const TrimBarGeometry& geometry) {
    return geometry.barWidth - geometry.startHandleWidth - geometry.endHandleWidth - 2;
}

// Far beyond any bar, and well inside an int: a time typed far past the duration cannot overflow.
constexpr double WidthLimit = 1e6;

// Rounding to the nearest integer, halves to even (the current rounding mode's default).
int RoundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(std::clamp(value, -WidthLimit, WidthLimit)));
}

} // namespace

int TrimStartPercent(int leftWidth, const TrimBarGeometry& geometry) {
    return (leftWidth + geometry.startHandleWidth - EdgeOffset) * PercentScale / geometry.barWidth;
}

int TrimEndPercent(int rightWidth, const TrimBarGeometry& geometry) {
    const int handleLeft = geometry.barWidth - rightWidth - geometry.endHandleWidth;
    return (handleLeft + geometry.endHandleWidth - geometry.startHandleWidth - EdgeOffset) * PercentScale /
           geometry.barWidth;
}

int32_t TrimPercentToSeconds(int percent, int32_t durationSeconds) {
    return static_cast<int32_t>(int64_t{percent} * durationSeconds / 100);
}

int TrimLeftWidthFor(double startSeconds, double durationSeconds, const TrimBarGeometry& geometry) {
    if (!(durationSeconds > 0))
        return TrimMinimumImageWidth;
    return RoundHalfEven(startSeconds / durationSeconds * StartRun(geometry)) + 1;
}

int TrimRightWidthFor(double endSeconds, double durationSeconds, const TrimBarGeometry& geometry) {
    if (!(durationSeconds > 0))
        return TrimMinimumImageWidth;
    const int run = EndRun(geometry);
    return run - RoundHalfEven(endSeconds / durationSeconds * run) + 1;
}

int TrimClickStep(bool ctrl, bool shift, bool alt) {
    if (ctrl && !shift && !alt)
        return CtrlStep;
    if (shift && !ctrl && !alt)
        return ShiftStep;
    return PlainStep;
}

std::optional<int64_t> LenientTimeTextToSeconds(const std::string& text) {
    const std::vector<std::string> pieces = SplitText(text, ':');
    if (pieces.size() < 3)
        return std::nullopt;
    const auto whole = [&](std::size_t i) {
        return static_cast<int64_t>(std::trunc(ParseNumber(pieces[i])));
    };
    return whole(0) * 3600 + whole(1) * 60 + whole(2);
}
