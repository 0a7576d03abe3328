#pragma once

#include <functional>

// The trim bar's state that the source list touches: the widths of its two outer images, and
// whether the bar shows the selected row's times (edits then move the preview).
struct TrimBarState {
    static constexpr int CollapsedImageWidth = 2;

    int Panel2Width = CollapsedImageWidth;
    int Panel3Width = CollapsedImageWidth;
    bool TrimBarSynced = false;

    void Collapse() {
        Panel2Width = CollapsedImageWidth;
        Panel3Width = CollapsedImageWidth;
        if (observer)
            observer();
    }

    std::function<void()> observer;
};
