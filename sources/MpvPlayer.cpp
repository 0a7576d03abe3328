#include "sources/MpvPlayer.h"

#include <chrono>
#include <clocale>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include <QObject>
#include <QTimer>

#include <mpv/client.h>

namespace {

constexpr int TickIntervalMs = 1000;
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

// The playlist entry that a load command answers with; -1 when the answer names none.
int64_t EntryOf(const mpv_node& result) {
    if (result.format != MPV_FORMAT_NODE_MAP)
        return -1;
    const mpv_node_list& map = *result.u.list;
    for (int i = 0; i < map.num; ++i)
        if (std::string_view(map.keys[i]) == "playlist_entry_id" && map.values[i].format == MPV_FORMAT_INT64)
            return map.values[i].u.int64;
    return -1;
}

std::string MpvReason(const char* what, int error) {
    return std::string(what) + " (" + mpv_error_string(error) + ")";
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

// The render context goes first, then the callbacks, then the probes still running (their answers
// then go nowhere), then the player.
MpvPlayer::~MpvPlayer() {
    if (m_rendererTeardown)
        m_rendererTeardown();
    mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
    m_probes.clear();
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
    switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY:
        LoadCommandDone(event);
        break;
    case MPV_EVENT_START_FILE:
        m_startedEntry = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
        break;
    case MPV_EVENT_FILE_LOADED:
        if (m_loading && m_loading->entry == m_startedEntry) {
            m_loading->opened = true;
            FinishLoading();
        }
        break;
    case MPV_EVENT_END_FILE:
        FileEnded(*static_cast<const mpv_event_end_file*>(event.data));
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        m_seeking = false;
        m_seekTarget.reset();
        [[fallthrough]];
    case MPV_EVENT_PROPERTY_CHANGE:
        if (m_loaded && m_positionMoved)
            m_positionMoved();
        break;
    default:
        break;
    }
}

// mpv answers the load command before it starts the file, with the playlist entry that its later
// events name.
void MpvPlayer::LoadCommandDone(const mpv_event& event) {
    if (!m_loading || event.reply_userdata != m_loading->number)
        return;
    if (event.error < 0)
        return FailLoading(MpvReason("the player refused to load it", event.error));
    m_loading->entry = EntryOf(static_cast<const mpv_event_command*>(event.data)->result);
    if (m_loading->entry < 0)
        FailLoading("the player named no playlist entry for it");
}

// A file that ends before it was loaded could not be opened, or holds nothing to play.
void MpvPlayer::FileEnded(const mpv_event_end_file& ended) {
    m_seekTarget.reset();
    if (!m_loading || ended.playlist_entry_id != m_loading->entry)
        return;
    FailLoading(ended.reason == MPV_END_FILE_REASON_ERROR
                    ? MpvReason("the player could not open it", ended.error)
                    : std::string("the player found nothing to play in it"));
}

void MpvPlayer::StartProbe(uint64_t number, const std::string& path) {
    std::erase_if(m_probes, [](const std::future<void>& probe) {
        return probe.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    m_probes.push_back(std::async(std::launch::async, [this, number, path] {
        int64_t durationMs = 0;
        std::string failure = "no decoder for one of its audio or video streams, or no media file";
        try {
            durationMs = m_probe.NewGraph()->RenderDurationMs(path);
        } catch (const std::exception& error) {
            failure = std::string("measuring it failed: ") + error.what();
        }
        QMetaObject::invokeMethod(
            m_events.get(), [this, number, durationMs, failure] { ProbeDone(number, durationMs, failure); },
            Qt::QueuedConnection);
    }));
}

void MpvPlayer::ProbeDone(uint64_t number, int64_t durationMs, const std::string& failure) {
    if (!m_loading || m_loading->number != number)
        return;
    if (durationMs <= 0)
        return FailLoading(failure);
    m_loading->probedMs = durationMs;
    FinishLoading();
}

void MpvPlayer::FinishLoading() {
    if (!m_loading || !m_loading->opened || !m_loading->probedMs)
        return;
    m_durationMs = *m_loading->probedMs;
    m_loading.reset();
    m_loaded = true;
    if (m_running)
        m_tickTimer->start();
    if (m_loadEnded)
        m_loadEnded({});
}

void MpvPlayer::FailLoading(const std::string& reason) {
    m_loading.reset();
    Command({"stop"});
    if (m_loadEnded)
        m_loadEnded(reason);
}

void MpvPlayer::Command(std::initializer_list<const char*> arguments) {
    std::vector<const char*> command(arguments);
    command.push_back(nullptr);
    Check(mpv_command(m_mpv, command.data()), command.front());
}

void MpvPlayer::SetActive(bool active) {
    if (!active && (m_loaded || m_loading))
        Empty();
    m_active = active;
}

void MpvPlayer::Empty() {
    m_tickTimer->stop();
    if (m_loaded || m_loading)
        Command({"stop"});
    m_loading.reset();
    m_loaded = false;
    m_seeking = false;
    m_seekTarget.reset();
    m_durationMs = 0;
}

int MpvPlayer::Render(const std::string& path) {
    if (!m_active)
        throw std::logic_error("The preview graph is not active.");
    if (m_output == MpvOutput::Window && !m_rendererReady)
        throw std::runtime_error("The video window cannot show pictures.");
    // A full path, so that no file name is taken for one of mpv's protocols or options.
    const std::string fullPath = std::filesystem::absolute(path).string();
    m_tickTimer->stop();
    m_loaded = false;
    m_seeking = false;
    m_seekTarget.reset();
    m_durationMs = 0;
    m_running = false;
    SetPaused(true);
    const uint64_t number = ++m_loads;
    std::vector<const char*> command = {"loadfile", fullPath.c_str(), "replace", nullptr};
    const int status = mpv_command_async(m_mpv, number, command.data());
    if (status < 0) {
        m_loading.reset();
        Check(status, "loadfile");
    }
    m_loading.emplace().number = number;
    StartProbe(number, path);
    return 0;
}

void MpvPlayer::SetPaused(bool paused) {
    int flag = paused ? 1 : 0;
    Check(mpv_set_property(m_mpv, "pause", MPV_FORMAT_FLAG, &flag), "pause");
}

void MpvPlayer::Run() {
    SetPaused(false);
    m_running = true;
    if (m_loaded)
        m_tickTimer->start();
}

void MpvPlayer::Pause() {
    SetPaused(true);
    m_running = false;
    m_tickTimer->stop();
}

void MpvPlayer::Stop() {
    Pause();
}
// At the end of the file mpv keeps the last picture; the position then counts as the duration.
int64_t MpvPlayer::Position() const {
    if (!m_loaded)
        return 0;
    if (m_seekTarget)
        return *m_seekTarget;
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
    m_seeking = true;
    m_seekTarget = position;
}

void MpvPlayer::StepPicture(bool forward) {
    if (!m_loaded)
        return;
    Command({forward ? "frame-step" : "frame-back-step"});
    m_seekTarget.reset();
    if (!forward)
        m_seeking = true; // a step back is a seek; a step forward plays one picture
}
