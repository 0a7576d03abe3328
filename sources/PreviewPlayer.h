#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "sources/MediaPlayer.h"
#include "sources/SourceList.h"
#include "sources/TrimBarState.h"

// The preview player on the main window: loads the selected file into the media layer, plays,
// pauses and stops it, keeps the clock pnlCurTime and says when the logo panel shows. The video
// window and the buttons are views over this state.
//
// Loading never holds up the window: OpenPreview starts it and the media layer says when it has
// ended. Meanwhile the file counts as the preview's (PreviewPath) and playing or pausing only
// records what the user wants; a seek waits too. All of it is applied once the file is loaded.
// Every error the preview catches is logged with its reason.
class PreviewPlayer {
public:
    using LogWriter = std::function<void(const std::string&)>;

    PreviewPlayer(MediaPlayer& media, SourceList& rows, const TrimBarState& selection, LogWriter writeLog);
    ~PreviewPlayer();
    PreviewPlayer(const PreviewPlayer&) = delete;
    PreviewPlayer& operator=(const PreviewPlayer&) = delete;

    void OpenPreview(const std::string& path);
    void PlayPreview();
    void PausePreview();
    // Stops and unloads; does nothing at all when the graph is not active.
    void StopPreview();
    void SeekPreview(int64_t milliseconds);

    void btnPlayClick();
    void btnPauseClick();
    void btnStopClick();
    // The clock tick, every second while playing: positions in milliseconds.
    void dstrckbrMainformTimer(uint64_t current, uint64_t duration);

    // Moving while paused: one picture forward or back, or a number of seconds either way (kept
    // within the file). Nothing happens unless a file is loaded and paused.
    void StepPicture(bool forward);
    void StepSeconds(int seconds);

    // The main window minimized pauses playback; restored, it plays on if it was playing.
    void WindowMinimized(bool minimized);

    bool IsActive() const { return m_media.IsActive(); }
    bool IsLoading() const { return m_loading; }
    bool IsPaused() const { return !m_previewPath.empty() && !m_loading && !m_previewPlaying && IsActive(); }
    // Whole seconds and milliseconds of the current position.
    int64_t CurrentSeconds() const;
    int64_t CurrentMs() const;

    const std::string& PreviewPath() const { return m_previewPath; }
    bool PreviewPlaying() const { return m_previewPlaying; }
    const std::string& pnlCurTime() const { return m_clockText; }
    bool LogoShown() const { return m_logoShown; }
    // What the panel says over the video window: why the last file opened shows nothing; empty
    // while the file plays or nothing was opened.
    const std::string& PanelMessage() const { return m_panelMessage; }

    // Told after every change of the state above.
    void SetObserver(std::function<void()> observer) { m_observer = std::move(observer); }

private:
    void Loaded(const std::string& failure);
    void LoadFailed(const std::string& path, const std::string& reason);
    void StartPlaying();
    void LogError(const std::string& reason) const;
    void ShowLogo(bool shown);
    void ShowPausedClock();
    void Changed() const;
    bool ReachedEndTime(uint64_t current) const;

    MediaPlayer& m_media;
    SourceList& m_rows;
    const TrimBarState& m_selection;
    LogWriter m_writeLog;

    std::string m_previewPath;
    bool m_previewPlaying = false;
    bool m_loading = false;
    std::optional<int64_t> m_pendingSeekMs; // asked for while loading
    bool m_resumeOnRestore = false;
    std::string m_clockText = "00:00:00";
    bool m_logoShown = true;
    std::string m_panelMessage;
    // Where playback last stood (a tick, a seek, the start of playing), in milliseconds: the end
    // time counts as reached when playback moves from before it to it or past it.
    int64_t m_lastPositionMs = 0;
    std::function<void()> m_observer;
};
