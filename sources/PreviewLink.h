#pragma once

#include <cstdint>

// What the source list asks of the preview player and the trim bar.
class PreviewLink {
public:
    virtual ~PreviewLink() = default;
    virtual void StopPreview() = 0;
    virtual void SeekPreview(int64_t milliseconds) = 0;
    // Whether the preview's media graph is active (a file is loaded and running or paused).
    virtual bool IsPreviewActive() const = 0;
    // Lays the trim bar out for the selected row.
    virtual void ShowRowOnTrimBar() = 0;
};

// The link while no preview player and no trim bar exist: every request has no effect.
class NoPreview final : public PreviewLink {
public:
    void StopPreview() override {}
    void SeekPreview(int64_t) override {}
    bool IsPreviewActive() const override { return false; }
    void ShowRowOnTrimBar() override {}
};
