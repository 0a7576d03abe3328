#include "sources/MpvPlayer.h"

#include <chrono>
#include <clocale>
#include <filesystem>
#include <stdexcept>
#include <utility>
#include <vector>

#include <QObject>
#include <QTimer>

#include <mpv/client.h>

namespace {

constexpr int TickIntervalMs = 1000;
constexpr double LoadTimeLimitSeconds = 10.0;
constexpr double UnitsPerSecond = 1e7; // 100-ns units
constexpr const char* TimePosition = "time-pos";
constexpr const char* EndReached = "eof-reached";

constexpr std::pair<const char*, const char*> FixedOptions[] = {
    {"config", "no"},
    {"load-scripts", "no"},
    {"terminal", "no"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"osc", "no"},
    {"ytdl", "no"},
    {"idle", "yes"},
    {"keep-open", "yes"},
    {"audio-display", "no"},
    {"hwdec", "no"},
    {"gpu-hwdec-interop", "no"},
};

void Check(int status, const char* what) {
    if (status < 0)
        throw std::runtime_error(std::string(what) + ": " + mpv_error_string(status));
}

void SetOption(mpv_handle* mpv, const char* name, const char* value) {
    Check(mpv_set_option_string(mpv, name, value), name);
}

} // namespace

MpvPlayer::MpvPlayer(MediaProbe& probe, MpvOutput output)
    : m_probe(probe), m_output(output), m_events(std::make_unique<QObject>()) {
    // libmpv reads and writes numbers with "." and refuses to start under another numeric locale.
    std::setlocale(LC_NUMERIC, "C");
    m_mpv = mpv_create();
    if (m_mpv == nullptr)
        throw std::runtime_error("The media player could not be created.");
    const bool window = m_output == MpvOutput::Window;
    // Only what the program sets counts: no user configuration, scripts, key bindings or terminal.
    for (const auto& [name, value] : FixedOptions)
        SetOption(m_mpv, name, value);
    SetOption(m_mpv, "vo", window ? "libmpv" : "null");
    // Sound goes to the desktop's sound server or the sound card, and nowhere when neither is there
    // (mpv's own longer list would load further audio libraries only to find nothing).
    SetOption(m_mpv, "ao", window ? "pulse,alsa,null" : "null");
    Check(mpv_initialize(m_mpv), "mpv_initialize");
    mpv_observe_property(m_mpv, 0, TimePosition, MPV_FORMAT_DOUBLE);
    mpv_set_wakeup_callback(m_mpv, &MpvPlayer::Wakeup, this);

    m_tickTimer = new QTimer(m_events.get());
    m_tickTimer->setInterval(TickIntervalMs);
    QObject::connect(m_tickTimer, &QTimer::timeout, m_events.get(), [this] {
        if (m_tick)
            m_tick(static_cast<uint64_t>(Position() / 10000), static_cast<uint64_t>(m_durationMs));
    });
}

// The render context goes first, then the callbacks, then the player.
MpvPlayer::~MpvPlayer() {
    if (m_rendererTeardown)
        m_rendererTeardown();
    mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
    m_events.reset();
    mpv_terminate_destroy(m_mpv);
}

void MpvPlayer::SetRenderer(bool ready, std::function<void()> teardown) {
    m_rendererReady = ready;
    m_rendererTeardown = std::move(teardown);
}

// Called on one of mpv's threads: only a queued call to the owning thread.
void MpvPlayer::Wakeup(void* self) {
    auto* player = static_cast<MpvPlayer*>(self);
    QMetaObject::invokeMethod(
        player->m_events.get(), [player] { player->DrainEvents(); }, Qt::QueuedConnection);
}

void MpvPlayer::DrainEvents() {
    for (;;) {
        const mpv_event* event = mpv_wait_event(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        HandleEvent(*event);
    }
}

void MpvPlayer::HandleEvent(const mpv_event& event) {
    if (event.event_id != MPV_EVENT_PROPERTY_CHANGE || !m_loaded)
        return;
    if (m_positionMoved)
        m_positionMoved();
}

void MpvPlayer::Command(std::initializer_list<const char*> arguments) {
    std::vector<const char*> command(arguments);
    command.push_back(nullptr);
    Check(mpv_command(m_mpv, command.data()), command.front());
}

void MpvPlayer::SetActive(bool active) {
    if (!active && m_loaded)
        Empty();
    m_active = active;
}

void MpvPlayer::Empty() {
    m_tickTimer->stop();
    if (m_loaded)
        Command({"stop"});
    m_loaded = false;
    m_durationMs = 0;
}

int MpvPlayer::Render(const std::string& path) {
    if (!m_active)
        throw std::logic_error("The preview graph is not active.");
    if (m_output == MpvOutput::Window && !m_rendererReady)
        throw std::runtime_error("The video window cannot show pictures.");
    const int64_t durationMs = m_probe.NewGraph()->RenderDurationMs(path);
    if (durationMs <= 0)
        throw std::runtime_error("The file cannot be played: " + path);
    // A full path, so that no file name is taken for one of mpv's protocols or options.
    const std::string fullPath = std::filesystem::absolute(path).string();
    SetPaused(true);
    Command({"loadfile", fullPath.c_str(), "replace"});
    WaitUntilLoaded();
    m_loaded = true;
    m_durationMs = durationMs;
    return 0;
}

// Loading is asynchronous in mpv; rendering is not in the preview's terms, so wait for the file.
void MpvPlayer::WaitUntilLoaded() {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(LoadTimeLimitSeconds);
    for (;;) {
        const double left =
            std::chrono::duration<double>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            throw std::runtime_error("The file did not load in time.");
        const mpv_event* event = mpv_wait_event(m_mpv, left);
        if (event->event_id == MPV_EVENT_FILE_LOADED)
            return;
        if (event->event_id == MPV_EVENT_END_FILE &&
            static_cast<const mpv_event_end_file*>(event->data)->reason == MPV_END_FILE_REASON_ERROR)
            throw std::runtime_error("The file cannot be played.");
    }
}

void MpvPlayer::SetPaused(bool paused) {
    int flag = paused ? 1 : 0;
    Check(mpv_set_property(m_mpv, "pause", MPV_FORMAT_FLAG, &flag), "pause");
}

void MpvPlayer::Run() {
    SetPaused(false);
    m_tickTimer->start();
}

void MpvPlayer::Pause() {
    SetPaused(true);
    m_tickTimer->stop();
}

void MpvPlayer::Stop() {
    SetPaused(true);
    m_tickTimer->stop();
}

// At the end of the file mpv keeps the last picture; the position then counts as the duration.
int64_t MpvPlayer::Position() const {
    if (!m_loaded)
        return 0;
    int endReached = 0;
    if (mpv_get_property(m_mpv, EndReached, MPV_FORMAT_FLAG, &endReached) >= 0 && endReached)
        return m_durationMs * 10000;
    double seconds = 0;
    if (mpv_get_property(m_mpv, TimePosition, MPV_FORMAT_DOUBLE, &seconds) < 0)
        return 0;
    return static_cast<int64_t>(seconds * UnitsPerSecond);
}

// An active graph whose file could not be loaded has nowhere to go: the seek changes nothing.
void MpvPlayer::SetPosition(int64_t position) {
    if (!m_loaded)
        return;
    double seconds = static_cast<double>(position) / UnitsPerSecond;
    Check(mpv_set_property(m_mpv, TimePosition, MPV_FORMAT_DOUBLE, &seconds), TimePosition);
}

void MpvPlayer::StepPicture(bool forward) {
    if (m_loaded)
        Command({forward ? "frame-step" : "frame-back-step"});
}
