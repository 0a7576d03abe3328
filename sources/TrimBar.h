#pragma once

#include <cstdint>
#include <string>

#include "sources/CopyCutGuide.h"
#include "sources/PreviewLink.h"
#include "sources/PreviewPlayer.h"
#include "sources/SourceList.h"
#include "sources/TrimBarMath.h"
#include "sources/TrimBarState.h"
#include "support/SystemServices.h"

// The trim selection bar under the preview: two handles that mark the part of the selected rows to
// convert. The bar works in pixels (the widths of the images beside the handles, in TrimBarState);
// times are whole seconds of the duration of the row last laid out. It is also the source list's
// link to the preview.
class TrimBar final : public PreviewLink {
public:
    TrimBar(SourceList& rows, TrimBarState& state, PreviewPlayer& preview, EventPump& pump);

    // PreviewLink
    void StopPreview() override { m_preview.StopPreview(); }
    void SeekPreview(int64_t milliseconds) override { m_preview.SeekPreview(milliseconds); }
    bool IsPreviewActive() const override { return m_preview.IsActive(); }
    // Lays the bar out for the selected rows; a row that is loaded in the preview is left alone,
    // any other stops the preview.
    void ShowRowOnTrimBar() override;

    // While the output type copies the streams, the bar shows the selected row's key frames and, for
    // a file cut at key frames, the start snaps to them. Null (the default): never.
    void SetCopyCutGuide(const CopyCutGuide* guide) { m_guide = guide; }
    // Shows the selected row's key frames again: its facts were read, or the output type or the cut
    // mode changed.
    void ShowKeyFrames();

    // End minus start, in whole seconds, of the last row whose path equals path ignoring case.
    int64_t CutSeconds(const std::string& path) const;

    // The moved events of the two handles (also run after a click beside them).
    void SetStartTimeAndPlay();
    void Splitter2Moved();
    // A drag of a handle: the image beside it takes the width, kept between 1 pixel and what the
    // other image leaves.
    void DragStartHandle(int panel2Width);
    void DragEndHandle(int panel3Width);
    // Presses beside the handles: Panel2 moves the start earlier, Panel3 the end later.
    void Panel2MouseDown(bool leftButton, bool ctrl, bool shift, bool alt);
    void Panel3MouseDown(bool leftButton, bool ctrl, bool shift, bool alt);

    // The preview's current position, in whole seconds, as the selected rows' start or end; the bar
    // follows. Nothing happens while no file is loaded in the preview (or it is still loading).
    void SetStartHere();
    void SetEndHere();

    static constexpr TrimBarGeometry Geometry{};
    static constexpr int BarHeight = 19;

private:
    void LayOutRow(std::size_t row);
    std::vector<int> KeyFrameTicksOf(std::size_t row, int64_t durationSeconds) const;
    int64_t SnappedStartSeconds(std::size_t row, int64_t positionMs) const;
    int64_t PreviewStartMs(std::size_t row, int64_t startSeconds) const;
    void KeepImagesInBar();
    void WriteCut(std::size_t row);
    int HandleGap() const;
    int StartSeconds() const;
    int EndSeconds() const;

    SourceList& m_rows;
    TrimBarState& m_state;
    PreviewPlayer& m_preview;
    EventPump& m_pump;
    const CopyCutGuide* m_guide = nullptr;
};
