#include "app/MainWindowLayout.h"

#include <algorithm>

namespace MainWindowLayout {

namespace {

// The video's shape (16:9, as the logo) and the share of the extra height the preview may take.
constexpr int VideoWidth = 260;
constexpr int VideoHeight = 146;
constexpr int PreviewHeightShare = 2;

// Rows and columns of the background picture that repeat along the way they are stretched: inside
// the preview's bezel, beside the output settings, left of the groove, inside the grid's well.
constexpr int BezelColumnsBegin = 104;
constexpr int BezelColumnsEnd = 124;
constexpr int BezelRowsBegin = 116;
constexpr int BezelRowsEnd = 140;
constexpr int SettingsColumnsBegin = 284;
constexpr int SettingsColumnsEnd = 288;
constexpr int GrooveColumnsBegin = 4;
constexpr int GrooveColumnsEnd = 14;
constexpr int WellColumnsBegin = 460;
constexpr int WellColumnsEnd = 540;
constexpr int WellRowsBegin = 346;
constexpr int WellRowsEnd = 440;
// The bands: the title and the preview; the groove and the shelf; the rule above the list; the list.
constexpr int GrooveBandTop = 236;
constexpr int RuleBandTop = 322;
constexpr int ListBandTop = 330;

} // namespace

Growth GrowthFor(QSize size) {
    Growth growth;
    growth.width = std::max(0, size.width() - MinimumSize.width());
    growth.height = std::max(0, size.height() - MinimumSize.height());
    growth.previewWidth =
        std::min(growth.width, growth.height / PreviewHeightShare * VideoWidth / VideoHeight);
    growth.previewHeight = (growth.previewWidth * VideoHeight + VideoWidth / 2) / VideoWidth;
    return growth;
}

std::vector<StretchBand> BackgroundStretch(const Growth& growth) {
    const int grooveShift = growth.previewWidth / 2;
    return {
        {0,
         GrooveBandTop,
         {BezelRowsBegin, BezelRowsEnd, growth.previewHeight},
         {{BezelColumnsBegin, BezelColumnsEnd, growth.previewWidth},
          {SettingsColumnsBegin, SettingsColumnsEnd, growth.width - growth.previewWidth}}},
        {GrooveBandTop,
         RuleBandTop,
         {},
         {{GrooveColumnsBegin, GrooveColumnsEnd, grooveShift},
          {WellColumnsBegin, WellColumnsEnd, growth.width - grooveShift}}},
        {RuleBandTop, ListBandTop, {}, {{WellColumnsBegin, WellColumnsEnd, growth.width}}},
        {ListBandTop,
         MinimumSize.height(),
         {WellRowsBegin, WellRowsEnd, growth.height - growth.previewHeight},
         {{WellColumnsBegin, WellColumnsEnd, growth.width}}},
    };
}

} // namespace MainWindowLayout
