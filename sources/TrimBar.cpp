#include "sources/TrimBar.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <optional>

#include "support/Text.h"

namespace {

// Handles closer than this (left edge to left edge) are pushed one pixel apart after a move.
constexpr int MinimumHandleGap = 20;
// Clicks beside the handles act only while the selected part is at least this much narrower
// than the bar.
constexpr int ClickRoom = 45;
// Layout writes a width only when it moves by more than this, which spares needless relayouts.
constexpr int LeftApplyThreshold = 1;
constexpr int RightApplyThreshold = 2;
constexpr int64_t MillisecondsPerSecond = 1000;

// The widths of both images and both handles may fill the bar, never more.
constexpr int ImagesRoom =
    TrimBar::Geometry.barWidth - TrimBar::Geometry.startHandleWidth - TrimBar::Geometry.endHandleWidth;

bool SamePathIgnoringCase(const std::string& a, const std::string& b) {
    return AsciiLower(a) == AsciiLower(b);
}

} // namespace

TrimBar::TrimBar(SourceList& rows, TrimBarState& state, PreviewPlayer& preview, EventPump& pump)
    : m_rows(rows), m_state(state), m_preview(preview), m_pump(pump) {}

void TrimBar::ShowRowOnTrimBar() {
    for (const std::size_t row : m_rows.SelectedRows()) {
        if (m_rows.Cell(row, colFileName) == m_preview.PreviewPath())
            continue;
        m_preview.StopPreview();
        LayOutRow(row);
    }
    m_state.Changed();
}

// The row's times as image widths; a cell that is no time leaves the value read before it.
void TrimBar::LayOutRow(std::size_t row) {
    int64_t duration = m_state.SelectedDuration;
    int64_t start = 0;
    int64_t end = 0;
    if (const auto value = LenientTimeTextToSeconds(m_rows.Cell(row, colDuration)))
        duration = *value;
    if (const auto value = LenientTimeTextToSeconds(m_rows.Cell(row, colStartTime)))
        start = *value;
    if (const auto value = LenientTimeTextToSeconds(m_rows.Cell(row, colEndTime)))
        end = *value;
    m_state.SelectedDuration = static_cast<int32_t>(duration);
    m_state.TrimBarSynced = false;

    const auto seconds = [](int64_t value) { return static_cast<double>(value); };
    const int left = TrimLeftWidthFor(seconds(start), seconds(duration), Geometry);
    if (std::abs(left - m_state.Panel2Width) > LeftApplyThreshold)
        m_state.Panel2Width = left;
    const int right = TrimRightWidthFor(seconds(end), seconds(duration), Geometry);
    if (std::abs(right - m_state.Panel3Width) > RightApplyThreshold)
        m_state.Panel3Width = right;
    KeepImagesInBar();
    m_state.KeyFrameTicks = KeyFrameTicksOf(row, duration);
    m_state.TrimBarSynced = true;
}

std::vector<int> TrimBar::KeyFrameTicksOf(std::size_t row, int64_t durationSeconds) const {
    std::vector<int> ticks;
    if (m_guide == nullptr || durationSeconds <= 0) // a row still measured has no scale yet
        return ticks;
    for (const int64_t ms : m_guide->KeyFramesMs(m_rows.Cell(row, colFileName))) {
        const double seconds = static_cast<double>(ms) / MillisecondsPerSecond;
        const int x = TrimLeftWidthFor(seconds, static_cast<double>(durationSeconds), Geometry) +
                      Geometry.startHandleWidth;
        if (ticks.empty() || ticks.back() != x)
            ticks.push_back(x);
    }
    return ticks;
}

void TrimBar::ShowKeyFrames() {
    m_state.KeyFrameTicks.clear();
    for (const std::size_t row : m_rows.SelectedRows())
        m_state.KeyFrameTicks =
            KeyFrameTicksOf(row, LenientTimeTextToSeconds(m_rows.Cell(row, colDuration)).value_or(0));
    m_state.Changed();
}

int64_t TrimBar::PreviewStartMs(std::size_t row, int64_t startSeconds) const {
    const int64_t startMs = startSeconds * MillisecondsPerSecond;
    return m_guide == nullptr ? startMs : m_guide->RealStartMs(m_rows.Cell(row, colFileName), startMs);
}

int64_t TrimBar::SnappedStartSeconds(std::size_t row, int64_t positionMs) const {
    return m_guide == nullptr ? positionMs / MillisecondsPerSecond
                              : m_guide->SnappedStartSeconds(m_rows.Cell(row, colFileName), positionMs);
}

// Ends past the duration (the bar reaches 101 %) or starts past the end would put an image below
// its minimum or the handles outside the bar.
void TrimBar::KeepImagesInBar() {
    m_state.Panel3Width =
        std::clamp(m_state.Panel3Width, TrimMinimumImageWidth, ImagesRoom - TrimMinimumImageWidth);
    m_state.Panel2Width =
        std::clamp(m_state.Panel2Width, TrimMinimumImageWidth, ImagesRoom - m_state.Panel3Width);
}

int64_t TrimBar::CutSeconds(const std::string& path) const {
    int64_t cut = 0;
    for (std::size_t row = 0; row < m_rows.RowCount(); ++row) {
        if (!SamePathIgnoringCase(m_rows.Cell(row, colFileName), path))
            continue;
        const int64_t start = TimeTextToSeconds(m_rows.Cell(row, colStartTime)).value_or(0);
        const int64_t end = TimeTextToSeconds(m_rows.Cell(row, colEndTime)).value_or(0);
        cut = end - start;
    }
    return cut;
}

void TrimBar::WriteCut(std::size_t row) {
    m_rows.SetCell(row, colCutTime, SecondsToTimeText(CutSeconds(m_rows.Cell(row, colFileName))));
}

int TrimBar::HandleGap() const {
    const int endHandleLeft = Geometry.barWidth - m_state.Panel3Width - Geometry.endHandleWidth;
    return endHandleLeft - m_state.Panel2Width;
}

int TrimBar::StartSeconds() const {
    return TrimPercentToSeconds(TrimStartPercent(m_state.Panel2Width, Geometry), m_state.SelectedDuration);
}

int TrimBar::EndSeconds() const {
    return TrimPercentToSeconds(TrimEndPercent(m_state.Panel3Width, Geometry), m_state.SelectedDuration);
}

// A start that snaps to a key frame moves the handle there; the preview shows the output's first
// picture.
void TrimBar::SetStartTimeAndPlay() {
    m_pump.Pump();
    if (HandleGap() < MinimumHandleGap && m_state.Panel2Width > TrimMinimumImageWidth)
        --m_state.Panel2Width;
    const int chosen = StartSeconds();
    m_state.SelectedStartSeconds = chosen;
    for (const std::size_t row : m_rows.SelectedRows()) {
        const int64_t start = SnappedStartSeconds(row, int64_t{chosen} * MillisecondsPerSecond);
        m_state.SelectedStartSeconds = static_cast<int32_t>(start);
        m_rows.SetCell(row, colStartTime, SecondsToTimeText(start));
        WriteCut(row);
        if (start != chosen)
            LayOutRow(row);
        if (m_state.TrimBarSynced && m_preview.IsActive()) {
            try {
                m_preview.SeekPreview(PreviewStartMs(row, start));
            } catch (const std::exception&) {
                // A seek that fails leaves the preview where it was; the chosen start is written.
            }
        }
    }
    m_state.Changed();
}

void TrimBar::Splitter2Moved() {
    m_pump.Pump();
    if (HandleGap() < MinimumHandleGap && m_state.Panel3Width > TrimMinimumImageWidth)
        --m_state.Panel3Width;
    const std::string endText = SecondsToTimeText(EndSeconds());
    for (const std::size_t row : m_rows.SelectedRows()) {
        m_rows.SetCell(row, colEndTime, endText);
        m_state.SelectedEndText = endText;
        WriteCut(row);
    }
    m_state.Changed();
}

void TrimBar::DragStartHandle(int panel2Width) {
    m_state.Panel2Width = std::clamp(panel2Width, TrimMinimumImageWidth, ImagesRoom - m_state.Panel3Width);
    m_state.Changed();
}

void TrimBar::DragEndHandle(int panel3Width) {
    m_state.Panel3Width = std::clamp(panel3Width, TrimMinimumImageWidth, ImagesRoom - m_state.Panel2Width);
    m_state.Changed();
}

void TrimBar::Panel2MouseDown(bool leftButton, bool ctrl, bool shift, bool alt) {
    const int step = TrimClickStep(ctrl, shift, alt);
    if (!leftButton || m_state.Panel2Width <= step ||
        m_state.Panel2Width + m_state.Panel3Width + ClickRoom > Geometry.barWidth)
        return;
    m_state.Panel2Width -= step;
    SetStartTimeAndPlay();
}

void TrimBar::Panel3MouseDown(bool leftButton, bool ctrl, bool shift, bool alt) {
    const int step = TrimClickStep(ctrl, shift, alt);
    if (!leftButton || m_state.Panel3Width <= step ||
        m_state.Panel2Width + m_state.Panel3Width + ClickRoom > Geometry.barWidth)
        return;
    m_state.Panel3Width -= step;
    Splitter2Moved();
}

void TrimBar::SetStartHere() {
    if (m_preview.PreviewPath().empty() || !m_preview.IsActive() || m_preview.IsLoading())
        return;
    const int64_t positionMs = m_preview.CurrentMs();
    m_state.SelectedStartSeconds = static_cast<int32_t>(positionMs / MillisecondsPerSecond);
    for (const std::size_t row : m_rows.SelectedRows()) {
        const int64_t seconds = SnappedStartSeconds(row, positionMs);
        m_state.SelectedStartSeconds = static_cast<int32_t>(seconds);
        m_rows.SetCell(row, colStartTime, SecondsToTimeText(seconds));
        WriteCut(row);
        LayOutRow(row);
    }
    m_state.Changed();
}

void TrimBar::SetEndHere() {
    if (m_preview.PreviewPath().empty() || !m_preview.IsActive() || m_preview.IsLoading())
        return;
    const std::string endText = SecondsToTimeText(m_preview.CurrentSeconds());
    for (const std::size_t row : m_rows.SelectedRows()) {
        m_rows.SetCell(row, colEndTime, endText);
        m_state.SelectedEndText = endText;
        WriteCut(row);
        LayOutRow(row);
    }
    m_state.Changed();
}
