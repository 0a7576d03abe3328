#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The trim bar's state and the selection values of the main window that the source list, the
// preview and the bar share: the widths of the bar's two outer images, whether the bar shows the
// selected row's times (edits then move the preview), and the times last chosen on the bar.
struct TrimBarState {
    static constexpr int CollapsedImageWidth = 2;

    int Panel2Width = CollapsedImageWidth;
    int Panel3Width = CollapsedImageWidth;
    bool TrimBarSynced = false;
    int32_t SelectedDuration = 0;     // seconds, of the row last laid out
    int32_t SelectedStartSeconds = 0; // last start chosen with the start handle
    std::string SelectedEndText;      // last end chosen with the end handle, HH:MM:SS
    // Where the selected row's key frames stand on the bar (x in pixels, the start handle's right edge
    // at a key frame's time), shown while the output type copies the streams; empty otherwise.
    std::vector<int> KeyFrameTicks;

    void Collapse() {
        Panel2Width = CollapsedImageWidth;
        Panel3Width = CollapsedImageWidth;
        KeyFrameTicks.clear();
        Changed();
    }

    void Changed() const {
        if (observer)
            observer();
    }

    std::function<void()> observer;
};
