#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The trim bar's arithmetic: handle positions in pixels to percent and seconds, times to the widths
// of the images beside the handles, and the step of a click beside a handle.

// The images beside the handles never get narrower than this.
inline constexpr int TrimMinimumImageWidth = 1;

struct TrimBarGeometry {
    int barWidth = 260;
    int startHandleWidth = 19;
    int endHandleWidth = 19;
};

// The start percent when the image before the start handle is leftWidth wide (the handle's left edge
// is leftWidth). Scaled by 121, not 100, and truncated toward zero.
int TrimStartPercent(int leftWidth, const TrimBarGeometry& geometry = {});

// The end percent when the image after the end handle is rightWidth wide (the handle's left edge is
// bar - rightWidth - handle). With that image at 1 pixel this is 101.
int TrimEndPercent(int rightWidth, const TrimBarGeometry& geometry = {});

// percent x duration div 100, truncated toward zero.
int32_t TrimPercentToSeconds(int percent, int32_t durationSeconds);

// The layout's new outer widths for a start and an end time (before the apply thresholds), rounding
// halves to even. A duration of zero or less gives the 1-pixel minimum.
int TrimLeftWidthFor(double startSeconds, double durationSeconds, const TrimBarGeometry& geometry = {});
int TrimRightWidthFor(double endSeconds, double durationSeconds, const TrimBarGeometry& geometry = {});

// Pixels moved by a click beside a handle: Ctrl alone 1, Shift alone 10, anything else 5.
int TrimClickStep(bool ctrl, bool shift, bool alt);

// "H:M:S" read leniently (each of the first three pieces with ParseNumber, truncated toward zero);
// no value with fewer than three pieces. Throws std::invalid_argument as ParseNumber does.
std::optional<int64_t> LenientTimeTextToSeconds(const std::string& text);
