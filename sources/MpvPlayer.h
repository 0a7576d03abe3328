#pragma once

#include <functional>
#include <memory>
#include <string>

#include "sources/MediaPlayer.h"
#include "sources/MediaProbe.h"

class QObject;
class QTimer;
struct mpv_handle;
struct mpv_event;

// Where the player's pictures and sound go.
enum class MpvOutput {
    Window, // pictures to a render context made by the video window (vo=libmpv), sound to the desktop
    None,   // nothing shown or heard (vo=null, ao=null): tests of the logic
};

// The preview's media layer on libmpv. One player lives as long as the preview; "active" marks a
// graph in use. Rendering measures the file with the duration probe first, so it fails exactly
// where adding the file would (a decoder missing for any audio or video stream). mpv's callbacks
// only post queued calls; its events are drained on the thread that owns the player.
class MpvPlayer final : public MediaPlayer {
public:
    MpvPlayer(MediaProbe& probe, MpvOutput output);
    ~MpvPlayer() override;
    MpvPlayer(const MpvPlayer&) = delete;
    MpvPlayer& operator=(const MpvPlayer&) = delete;

    mpv_handle* Handle() const { return m_mpv; }
    MpvOutput Output() const { return m_output; }
    // The video window says whether its render context exists (files are loaded only then), and
    // how to free it before the player goes away.
    void SetRenderer(bool ready, std::function<void()> teardown);

    bool IsActive() const override { return m_active; }
    void SetActive(bool active) override;
    void Empty() override;
    int Render(const std::string& path) override;
    void Run() override;
    void Pause() override;
    void Stop() override;
    int64_t DurationMs() const override { return m_durationMs; }
    int64_t Position() const override;
    void SetPosition(int64_t position) override;
    void StepPicture(bool forward) override;
    void SetTickHandler(TickHandler handler) override { m_tick = std::move(handler); }
    void SetPositionHandler(std::function<void()> handler) override { m_positionMoved = std::move(handler); }

private:
    static void Wakeup(void* self);
    void DrainEvents();
    void HandleEvent(const mpv_event& event);
    void WaitUntilLoaded();
    void SetPaused(bool paused);
    void Command(std::initializer_list<const char*> arguments);

    MediaProbe& m_probe;
    const MpvOutput m_output;
    mpv_handle* m_mpv = nullptr;
    std::unique_ptr<QObject> m_events; // target of the queued calls from mpv's threads
    QTimer* m_tickTimer = nullptr;     // owned by m_events
    bool m_active = false;
    bool m_loaded = false;
    bool m_rendererReady = false;
    int64_t m_durationMs = 0;
    TickHandler m_tick;
    std::function<void()> m_positionMoved;
    std::function<void()> m_rendererTeardown;
};
