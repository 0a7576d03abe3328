#include "convert/SizeEstimator.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "support/CommandLine.h"
#include "support/Text.h"

namespace {

constexpr int64_t SampleCount = 3;
constexpr int64_t SampleSeconds = 2;
constexpr std::size_t ReadChunk = 4096;
// The transcoder's output is drained while it works; it tells nothing the estimate needs.
constexpr auto DrainPause = std::chrono::milliseconds(20);
constexpr const char* SampleName = "size-sample-";

} // namespace

std::string EstimateRequest::Key() const {
    return source + '\n' + std::to_string(startSeconds) + '\n' + std::to_string(cutSeconds) + '\n' + options +
           '\n' + extension;
}

SamplePlan PlanSamples(int64_t startSeconds, int64_t cutSeconds) {
    SamplePlan plan;
    if (cutSeconds <= 0)
        return plan;
    if (cutSeconds <= SampleCount * SampleSeconds * 2) {
        plan.starts = {startSeconds};
        plan.seconds = cutSeconds;
        return plan;
    }
    // The middle of each of SampleCount equal parts of the cut.
    plan.seconds = SampleSeconds;
    for (int64_t i = 0; i < SampleCount; ++i)
        plan.starts.push_back(startSeconds + cutSeconds * (2 * i + 1) / (2 * SampleCount) -
                              SampleSeconds / 2);
    return plan;
}

int64_t ScaleSampleBytes(int64_t sampleBytes, int64_t sampledSeconds, int64_t cutSeconds) {
    if (sampledSeconds <= 0)
        return 0;
    return static_cast<int64_t>(static_cast<double>(sampleBytes) * static_cast<double>(cutSeconds) /
                                static_cast<double>(sampledSeconds));
}

SizeEstimator::SizeEstimator(ProcessLauncher& launcher, std::string transcoder, std::string scratchFolder)
    : m_launcher(launcher), m_transcoder(std::move(transcoder)), m_scratchFolder(std::move(scratchFolder)),
      m_worker([this] { Work(); }) {}

SizeEstimator::~SizeEstimator() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        if (m_child)
            m_child->Kill();
    }
    m_wake.notify_all();
    m_worker.join();
}

std::optional<int64_t> SizeEstimator::Estimate(const EstimateRequest& request) {
    std::lock_guard lock(m_mutex);
    const auto [entry, added] = m_entries.try_emplace(request.Key());
    if (added) {
        m_queue.push_back(request);
        m_wake.notify_all();
    }
    if (entry->second.state == State::Ready)
        return entry->second.bytes;
    return std::nullopt;
}

std::optional<int64_t> SizeEstimator::Ready(const EstimateRequest& request) {
    std::lock_guard lock(m_mutex);
    const auto entry = m_entries.find(request.Key());
    if (entry == m_entries.end() || entry->second.state != State::Ready)
        return std::nullopt;
    return entry->second.bytes;
}

bool SizeEstimator::Idle() {
    std::lock_guard lock(m_mutex);
    return std::none_of(m_entries.begin(), m_entries.end(),
                        [](const auto& entry) { return entry.second.state == State::Pending; });
}

void SizeEstimator::Work() {
    for (;;) {
        EstimateRequest request;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            request = std::move(m_queue.front());
            m_queue.pop_front();
        }
        const std::optional<int64_t> bytes = EncodeSamples(request);
        std::lock_guard lock(m_mutex);
        Entry& entry = m_entries[request.Key()];
        entry.state = bytes ? State::Ready : State::Failed;
        entry.bytes = bytes.value_or(0);
    }
}

std::optional<int64_t> SizeEstimator::EncodeSamples(const EstimateRequest& request) {
    const SamplePlan plan = PlanSamples(request.startSeconds, request.cutSeconds);
    int64_t total = 0;
    for (const int64_t start : plan.starts) {
        const std::optional<int64_t> bytes = EncodeOne(request, start, plan.seconds);
        if (!bytes)
            return std::nullopt;
        total += *bytes;
    }
    return ScaleSampleBytes(total, plan.seconds * static_cast<int64_t>(plan.starts.size()),
                            request.cutSeconds);
}

std::optional<int64_t> SizeEstimator::EncodeOne(const EstimateRequest& request, int64_t start,
                                                int64_t seconds) {
    const std::string output = m_scratchFolder + SampleName + std::to_string(start) + request.extension;
    const std::string arguments = "-y -i " + QuoteArgument(request.source) + request.options + " -ss " +
                                  SecondsToTimeText(start) + " -t " + std::to_string(seconds) + " " +
                                  QuoteArgument(output);
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return std::nullopt;
        m_child = m_launcher.Start(m_transcoder, arguments, m_scratchFolder);
        if (!m_child)
            return std::nullopt;
    }
    for (bool running = true; running;) {
        {
            std::lock_guard lock(m_mutex);
            m_child->Read(ReadChunk);
            running = m_child->IsRunning() || m_child->BytesWaiting() > 0;
            if (!running)
                m_child.reset();
        }
        if (running)
            std::this_thread::sleep_for(DrainPause);
    }
    std::error_code error;
    const auto bytes = std::filesystem::file_size(output, error);
    const bool failed = error || bytes == 0;
    std::filesystem::remove(output, error);
    if (failed)
        return std::nullopt;
    return static_cast<int64_t>(bytes);
}
