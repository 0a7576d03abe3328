#include "sources/PreviewPlayer.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "support/Text.h"

namespace {

constexpr const char* RenderFailedLine = "Playing Video error.";
constexpr const char* CannotPlayMessage = "The preview cannot play this file.";
constexpr int64_t UnitsPerMillisecond = 10000; // 100-ns units
constexpr int64_t UnitsPerSecond = 10000000;
constexpr int64_t UnitsPerTenth = 1000000;
constexpr int64_t MillisecondsPerSecond = 1000;
constexpr int64_t SettleAfterPlayMs = 10;

} // namespace

PreviewPlayer::PreviewPlayer(MediaPlayer& media, SourceList& rows, const TrimBarState& selection,
                             EventPump& pump, Clock& clock, LogWriter writeLog)
    : m_media(media), m_rows(rows), m_selection(selection), m_pump(pump), m_clock(clock),
      m_writeLog(std::move(writeLog)) {
    m_media.SetTickHandler(
        [this](uint64_t current, uint64_t duration) { dstrckbrMainformTimer(current, duration); });
    m_media.SetPositionHandler([this] {
        if (IsPaused()) {
            ShowPausedClock();
            Changed();
        }
    });
}

PreviewPlayer::~PreviewPlayer() {
    m_media.SetTickHandler(nullptr);
    m_media.SetPositionHandler(nullptr);
}

void PreviewPlayer::Changed() const {
    if (m_observer)
        m_observer();
}

void PreviewPlayer::ShowLogo(bool shown) {
    m_logoShown = shown;
    Changed();
}

// Every error on the way is the preview's own business: a file that cannot be played is logged,
// any other failure leaves the preview as it stands.
void PreviewPlayer::OpenPreview(const std::string& path) {
    try {
        m_media.SetActive(false);
        m_media.Empty();
        m_media.SetActive(true);
        std::optional<int> code;
        try {
            code = m_media.Render(path);
            m_previewPath = path;
        } catch (const std::exception&) {
            m_previewPath.clear();
        }
        m_panelMessage = !code || *code != 0 ? CannotPlayMessage : "";
        if (!code || *code != 0) {
            m_writeLog(RenderFailedLine);
            m_media.Empty();
            Changed();
            return;
        }
        try {
            PausePreview();
            PlayPreview();
            m_clock.SleepMs(SettleAfterPlayMs);
            m_pump.Pump();
            m_lastPositionMs = 0;
            if (m_selection.TrimBarSynced)
                SeekPreview(int64_t{m_selection.SelectedStartSeconds} * MillisecondsPerSecond);
            m_previewPlaying = true;
            ShowLogo(false);
        } catch (const std::exception&) {
            ShowLogo(true);
        }
    } catch (const std::exception&) {
        Changed();
    }
}

void PreviewPlayer::PlayPreview() {
    if (!m_media.IsActive())
        return;
    try {
        m_lastPositionMs = m_media.Position() / UnitsPerMillisecond;
        m_media.Run();
        m_previewPlaying = true;
        ShowLogo(false);
    } catch (const std::exception&) {
        ShowLogo(true);
    }
}

void PreviewPlayer::PausePreview() {
    if (!m_media.IsActive())
        return;
    try {
        m_media.Pause();
        m_previewPlaying = false;
        ShowPausedClock();
        ShowLogo(false);
    } catch (const std::exception&) {
        ShowLogo(true);
    }
}

void PreviewPlayer::StopPreview() {
    if (!m_media.IsActive())
        return;
    try {
        m_media.Stop();
        m_media.SetActive(false);
        m_media.Empty();
        m_previewPath.clear();
        m_clockText = SecondsToTimeText(0);
        m_previewPlaying = false;
        ShowLogo(true);
    } catch (const std::exception&) {
        ShowLogo(true);
    }
}

void PreviewPlayer::SeekPreview(int64_t milliseconds) {
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

void PreviewPlayer::StepSeconds(int seconds) {
    if (!IsPaused())
        return;
    const int64_t durationMs = m_media.DurationMs();
    const int64_t target =
        m_media.Position() / UnitsPerMillisecond + int64_t{seconds} * MillisecondsPerSecond;
    SeekPreview(std::clamp<int64_t>(target, 0, std::max<int64_t>(durationMs, 0)));
}
