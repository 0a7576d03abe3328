#include "convert/SizeEstimator.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <limits>
#include <system_error>

#include "support/CommandLine.h"

namespace {

// Points spread over the whole cut see content that changes along it; the pieces are short, so
// that the work stays near that of a few longer ones.
constexpr int64_t PointCount = 7;
constexpr int64_t PieceMs = 1000;
// A head of about one picture: mostly what the file pays once, so that what its content costs
// (taken from the first piece, which may differ from the head's moment) weighs little in it.
constexpr int64_t HeadMs = 40;
// Up to this length the whole cut costs little more than its samples and is encoded as it is.
constexpr int64_t WholeCutMs = (PointCount * PieceMs + HeadMs) * 2;
constexpr int64_t MsPerSecond = 1000;
constexpr std::size_t ReadChunk = 4096;
// The transcoder's output is drained while it works; it tells nothing the estimate needs.
constexpr auto DrainPause = std::chrono::milliseconds(20);
constexpr const char* SampleName = "size-sample-";

// Milliseconds as the transcoder's seconds with a fraction ("12.345"), the same in every locale.
std::string SecondsText(int64_t ms) {
    const std::string fraction = std::to_string(MsPerSecond + ms % MsPerSecond);
    return std::to_string(ms / MsPerSecond) + "." + fraction.substr(1);
}

} // namespace

std::string EstimateRequest::Key() const {
    return source + '\n' + std::to_string(startSeconds) + '\n' + std::to_string(cutSeconds) + '\n' + options +
           '\n' + extension;
}

SamplePlan PlanSamples(int64_t startSeconds, int64_t cutSeconds) {
    SamplePlan plan;
    const int64_t startMs = startSeconds * MsPerSecond;
    const int64_t cutMs = cutSeconds * MsPerSecond;
    if (cutMs <= 0)
        return plan;
    if (cutMs <= WholeCutMs) {
        plan.points = {{startMs, cutMs}};
        plan.pieceMs = cutMs;
        return plan;
    }
    plan.pieceMs = PieceMs;
    plan.headMs = HeadMs;
    // Each point stands for the cut from halfway to its previous neighbour to halfway to its next;
    // the first from the cut's start, the last to its end.
    const int64_t span = cutMs - PieceMs;
    int64_t from = startMs;
    for (int64_t i = 0; i < PointCount; ++i) {
        const int64_t start = startMs + span * i / (PointCount - 1);
        const int64_t next = startMs + span * (i + 1) / (PointCount - 1);
        const int64_t to = i + 1 == PointCount ? startMs + cutMs : (start + next + PieceMs) / 2;
        plan.points.push_back({start, to - from});
        from = to;
    }
    return plan;
}

int64_t EstimateFromSamples(const SamplePlan& plan, const std::vector<int64_t>& pieces, int64_t head,
                            int64_t ceilingBytesPerSecond) {
    if (plan.pieceMs <= plan.headMs || pieces.size() != plan.points.size() || pieces.empty())
        return 0;
    const auto piece = static_cast<double>(plan.pieceMs);
    // The first piece and the head start together: their difference is content alone.
    const double firstRate = static_cast<double>(std::max<int64_t>(0, pieces.front() - head)) /
                             (piece - static_cast<double>(plan.headMs));
    const double once =
        std::max(0.0, static_cast<double>(head) - firstRate * static_cast<double>(plan.headMs));
    const double ceiling = ceilingBytesPerSecond > 0
                               ? static_cast<double>(ceilingBytesPerSecond) / MsPerSecond
                               : std::numeric_limits<double>::infinity();
    double total = once;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const double rate = std::max(0.0, static_cast<double>(pieces[i]) - once) / piece;
        total += std::min(ceiling, rate) * static_cast<double>(plan.points[i].weightMs);
    }
    return static_cast<int64_t>(total);
}

SizeEstimator::SizeEstimator(ProcessLauncher& launcher, std::string transcoder, std::string scratchFolder,
                             std::function<void()> answered)
    : m_launcher(launcher), m_transcoder(std::move(transcoder)), m_scratchFolder(std::move(scratchFolder)),
      m_answered(std::move(answered)), m_worker([this] { Work(); }) {}

SizeEstimator::~SizeEstimator() {
    Stop();
}

void SizeEstimator::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
        if (m_child)
            m_child->Kill();
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

std::optional<int64_t> SizeEstimator::Estimate(const EstimateRequest& request) {
    std::lock_guard lock(m_mutex);
    const auto [entry, added] = m_entries.try_emplace(request.Key());
    if (added && !m_stopping) {
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
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping)
                return;
            Entry& entry = m_entries[request.Key()];
            entry.state = bytes ? State::Ready : State::Failed;
            entry.bytes = bytes.value_or(0);
        }
        // Stop() joins this thread before it returns, so no answer follows it.
        if (m_answered)
            m_answered();
    }
}

std::optional<int64_t> SizeEstimator::EncodeSamples(const EstimateRequest& request) {
    const SamplePlan plan = PlanSamples(request.startSeconds, request.cutSeconds);
    if (plan.points.empty())
        return std::nullopt;
    std::vector<int64_t> pieces;
    for (const SamplePoint& point : plan.points) {
        const std::optional<int64_t> piece = EncodeOne(request, point.startMs, plan.pieceMs);
        if (!piece)
            return std::nullopt;
        pieces.push_back(*piece);
    }
    const std::optional<int64_t> head =
        plan.headMs > 0 ? EncodeOne(request, plan.points.front().startMs, plan.headMs) : 0;
    if (!head)
        return std::nullopt;
    return EstimateFromSamples(plan, pieces, *head, request.ceilingBytesPerSecond);
}

std::optional<int64_t> SizeEstimator::EncodeOne(const EstimateRequest& request, int64_t startMs,
                                                int64_t lengthMs) {
    const std::string output = m_scratchFolder + SampleName + std::to_string(startMs) + "-" +
                               std::to_string(lengthMs) + request.extension;
    const std::string arguments = "-y -i " + QuoteArgument(request.source) + request.options + " -ss " +
                                  SecondsText(startMs) + " -t " + SecondsText(lengthMs) + " " +
                                  QuoteArgument(output);
    if (!StartChild(arguments))
        return std::nullopt;
    DrainChild();
    std::error_code error;
    const auto bytes = std::filesystem::file_size(output, error);
    const bool failed = error || bytes == 0;
    std::filesystem::remove(output, error);
    if (failed)
        return std::nullopt;
    return static_cast<int64_t>(bytes);
}

bool SizeEstimator::StartChild(const std::string& arguments) {
    std::lock_guard lock(m_mutex);
    if (m_stopping)
        return false;
    m_child = m_launcher.Start(m_transcoder, arguments, m_scratchFolder);
    return m_child != nullptr;
}

// Until the child has ended and its output is read; Stop() kills it meanwhile.
void SizeEstimator::DrainChild() {
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
}
