#pragma once

#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sources/MediaPlayer.h"
#include "sources/MediaProbe.h"

class QObject;
class QTimer;
struct mpv_handle;
struct mpv_event;
struct mpv_event_end_file;

// Where the player's pictures and sound go.
enum class MpvOutput {
    Window, // pictures to a render context made by the video window (vo=libmpv), sound to the desktop
    None,   // nothing shown or heard (vo=null, ao=null): tests of the logic
};

// The preview's media layer on libmpv. One player lives as long as the preview; "active" marks a
// graph in use. Loading runs in the background: mpv opens the file while the duration probe
// measures it on a thread of its own, so a file fails exactly where adding it would (a decoder
// missing for any audio or video stream). The file counts as loaded when both are done. mpv's
// callbacks and the probe only post queued calls; everything else runs on the thread that owns the
// player.
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
    bool IsLoaded() const override { return m_loaded; }
    // From a seek or a picture step until mpv shows the picture there.
    bool IsSeeking() const { return m_seeking; }
    void Run() override;
    void Pause() override;
    void Stop() override;
    int64_t DurationMs() const override { return m_durationMs; }
    int64_t Position() const override;
    void SetPosition(int64_t position) override;
    void StepPicture(bool forward) override;
    void SetTickHandler(TickHandler handler) override { m_tick = std::move(handler); }
    void SetLoadHandler(LoadHandler handler) override { m_loadEnded = std::move(handler); }
    void SetPositionHandler(std::function<void()> handler) override { m_positionMoved = std::move(handler); }

private:
    // The file being loaded: what mpv and the probe have said of it so far.
    struct Loading {
        uint64_t number = 0;
        int64_t entry = -1; // mpv's playlist entry, once the load command has answered
        bool opened = false;
        std::optional<int64_t> probedMs;
    };

    static void Wakeup(void* self);
    void DrainEvents();
    void HandleEvent(const mpv_event& event);
    void LoadCommandDone(const mpv_event& event);
    void FileEnded(const mpv_event_end_file& ended);
    void ProbeDone(uint64_t number, int64_t durationMs, const std::string& failure);
    void FinishLoading();
    void FailLoading(const std::string& reason);
    void StartProbe(uint64_t number, const std::string& path);
    void SetPaused(bool paused);
    void Command(std::initializer_list<const char*> arguments);

    MediaProbe& m_probe;
    const MpvOutput m_output;
    mpv_handle* m_mpv = nullptr;
    std::unique_ptr<QObject> m_events; // target of the queued calls from mpv's threads
    QTimer* m_tickTimer = nullptr;     // owned by m_events
    bool m_active = false;
    bool m_loaded = false;
    bool m_running = false;
    bool m_seeking = false;
    // Where the seek under way goes: mpv reports the old position until the seek is done, and a
    // clock read in the meantime must show where the picture will be.
    std::optional<int64_t> m_seekTarget;
    bool m_rendererReady = false;
    int64_t m_durationMs = 0;
    uint64_t m_loads = 0;        // numbers each load, so that late answers to older ones are known
    int64_t m_startedEntry = -1; // the playlist entry mpv started last
    std::optional<Loading> m_loading;
    std::vector<std::future<void>> m_probes; // waited for before the player goes
    TickHandler m_tick;
    LoadHandler m_loadEnded;
    std::function<void()> m_positionMoved;
    std::function<void()> m_rendererTeardown;
};
