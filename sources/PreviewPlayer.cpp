#include "sources/PreviewPlayer.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

#include "support/Text.h"

namespace {

// Every error the preview catches is logged as this line followed by its reason.
constexpr const char* RenderFailedLine = "Playing Video error.";
constexpr const char* CannotPlayMessage = "The preview cannot play this file.";
constexpr int64_t UnitsPerMillisecond = 10000; // 100-ns units
constexpr int64_t UnitsPerSecond = 10000000;
constexpr int64_t UnitsPerTenth = 1000000;
constexpr int64_t MillisecondsPerSecond = 1000;

} // namespace

PreviewPlayer::PreviewPlayer(MediaPlayer& media, SourceList& rows, const TrimBarState& selection,
                             LogWriter writeLog)
    : m_media(media), m_rows(rows), m_selection(selection), m_writeLog(std::move(writeLog)) {
    m_media.SetTickHandler(
        [this](uint64_t current, uint64_t duration) { dstrckbrMainformTimer(current, duration); });
    m_media.SetPositionHandler([this] {
        if (IsPaused()) {
            ShowPausedClock();
            Changed();
        }
    });
    m_media.SetLoadHandler([this](const std::string& failure) { Loaded(failure); });
}

PreviewPlayer::~PreviewPlayer() {
    m_media.SetTickHandler(nullptr);
    m_media.SetPositionHandler(nullptr);
    m_media.SetLoadHandler(nullptr);
}

void PreviewPlayer::Changed() const {
    if (m_observer)
        m_observer();
}

void PreviewPlayer::ShowLogo(bool shown) {
    m_logoShown = shown;
    Changed();
}

void PreviewPlayer::LogError(const std::string& reason) const {
    m_writeLog(std::string(RenderFailedLine) + " " + reason);
}

// Starts loading; the rest happens when the media layer says the load has ended, which may be
// before Render returns. Playing is what the user asked for, so the preview counts as playing
// from here on.
void PreviewPlayer::OpenPreview(const std::string& path) {
    m_resumeOnRestore = false;
    m_pendingSeekMs.reset();
    try {
        m_media.SetActive(false);
        m_media.Empty();
        m_media.SetActive(true);
        m_previewPath = path;
        m_previewPlaying = true;
        m_loading = true;
        m_panelMessage.clear();
        Changed();
        if (m_media.Render(path) != 0)
            Loaded("only part of it can be played");
    } catch (const std::exception& error) {
        m_loading = false;
        LoadFailed(path, error.what());
    }
}

void PreviewPlayer::Loaded(const std::string& failure) {
    if (!std::exchange(m_loading, false))
        return;
    if (failure.empty())
        StartPlaying();
    else
        LoadFailed(m_previewPath, failure);
}

// Nothing plays: the panel says so, and the line in the log says why.
void PreviewPlayer::LoadFailed(const std::string& path, const std::string& reason) {
    LogError(path + ": " + reason);
    m_panelMessage = CannotPlayMessage;
    m_previewPath.clear();
    m_previewPlaying = false;
    m_pendingSeekMs.reset();
    try {
        m_media.Empty();
    } catch (const std::exception& error) {
        LogError(error.what());
    }
    Changed();
}

// The file stands paused at its start: the seek asked for while loading (or else the bar's start),
// then playing if the user still wants it.
void PreviewPlayer::StartPlaying() {
    try {
        m_media.Pause();
        std::optional<int64_t> seekMs = m_pendingSeekMs;
        if (!seekMs && m_selection.TrimBarSynced)
            seekMs = int64_t{m_selection.SelectedStartSeconds} * MillisecondsPerSecond;
        m_pendingSeekMs.reset();
        m_lastPositionMs = 0;
        if (seekMs)
            SeekPreview(*seekMs);
        if (m_previewPlaying)
            m_media.Run();
        else
            ShowPausedClock();
        ShowLogo(false);
    } catch (const std::exception& error) {
        LogError(error.what());
        ShowLogo(true);
    }
}

void PreviewPlayer::PlayPreview() {
    if (!m_media.IsActive())
        return;
    if (m_loading) {
        m_previewPlaying = true;
        return Changed();
    }
    try {
        m_lastPositionMs = m_media.Position() / UnitsPerMillisecond;
        m_media.Run();
        m_previewPlaying = true;
        ShowLogo(false);
    } catch (const std::exception& error) {
        LogError(error.what());
        ShowLogo(true);
    }
}

void PreviewPlayer::PausePreview() {
    if (!m_media.IsActive())
        return;
    if (m_loading) {
        m_previewPlaying = false;
        return Changed();
    }
    try {
        m_media.Pause();
        m_previewPlaying = false;
        ShowPausedClock();
        ShowLogo(false);
    } catch (const std::exception& error) {
        LogError(error.what());
        ShowLogo(true);
    }
}

void PreviewPlayer::StopPreview() {
    if (!m_media.IsActive())
        return;
    m_loading = false;
    m_pendingSeekMs.reset();
    m_resumeOnRestore = false;
    try {
        m_media.Stop();
        m_media.SetActive(false);
        m_media.Empty();
        m_previewPath.clear();
        m_clockText = SecondsToTimeText(0);
        m_previewPlaying = false;
        ShowLogo(true);
    } catch (const std::exception& error) {
        LogError(error.what());
        ShowLogo(true);
    }
}

void PreviewPlayer::SeekPreview(int64_t milliseconds) {
    if (m_loading)
        m_pendingSeekMs = milliseconds;
    else
        m_media.SetPosition(milliseconds * UnitsPerMillisecond);
    m_lastPositionMs = milliseconds;
}

void PreviewPlayer::btnPlayClick() {
    if (!m_previewPath.empty()) {
        if (!m_previewPlaying)
            PlayPreview();
        return;
    }
    for (const std::size_t row : m_rows.SelectedRows())
        OpenPreview(m_rows.Cell(row, colFileName));
}

void PreviewPlayer::btnPauseClick() {
    if (!m_previewPath.empty() && m_previewPlaying)
        PausePreview();
}

void PreviewPlayer::btnStopClick() {
    StopPreview();
}

bool PreviewPlayer::ReachedEndTime(uint64_t current) const {
    if (m_selection.SelectedEndText.empty())
        return false;
    const std::optional<int64_t> endSeconds = TimeTextToSeconds(m_selection.SelectedEndText);
    if (!endSeconds)
        return false;
    const int64_t endMs = *endSeconds * MillisecondsPerSecond;
    return m_lastPositionMs < endMs && static_cast<int64_t>(current) >= endMs;
}

void PreviewPlayer::dstrckbrMainformTimer(uint64_t current, uint64_t duration) {
    m_clockText = SecondsToTimeText(m_media.Position() / UnitsPerSecond);
    Changed();
    // Playback that reaches or passes the chosen end goes back to the start of the file and waits
    // there, also when no tick fell inside the end's second.
    if (ReachedEndTime(current)) {
        SeekPreview(0);
        PausePreview();
    } else {
        m_lastPositionMs = static_cast<int64_t>(current);
    }
    if (current >= duration) {
        SeekPreview(0);
        StopPreview();
    }
}

int64_t PreviewPlayer::CurrentSeconds() const {
    return m_media.IsActive() ? m_media.Position() / UnitsPerSecond : 0;
}

int64_t PreviewPlayer::CurrentMs() const {
    return m_media.IsActive() ? m_media.Position() / UnitsPerMillisecond : 0;
}

// While paused the clock shows tenths too: the user is looking for a picture, not watching.
void PreviewPlayer::ShowPausedClock() {
    const int64_t position = std::max<int64_t>(m_media.Position(), 0);
    m_clockText = SecondsToTimeText(position / UnitsPerSecond) + "." +
                  std::to_string(position % UnitsPerSecond / UnitsPerTenth);
}

void PreviewPlayer::StepPicture(bool forward) {
    if (!IsPaused())
        return;
    m_media.StepPicture(forward);
}

void PreviewPlayer::WindowMinimized(bool minimized) {
    if (!minimized) {
        if (std::exchange(m_resumeOnRestore, false))
            PlayPreview();
        return;
    }
    if (m_previewPath.empty() || !m_previewPlaying)
        return;
    PausePreview();
    m_resumeOnRestore = !m_previewPlaying;
}

void PreviewPlayer::StepSeconds(int seconds) {
    if (!IsPaused())
        return;
    const int64_t durationMs = m_media.DurationMs();
    const int64_t target =
        m_media.Position() / UnitsPerMillisecond + int64_t{seconds} * MillisecondsPerSecond;
    SeekPreview(std::clamp<int64_t>(target, 0, std::max<int64_t>(durationMs, 0)));
}
