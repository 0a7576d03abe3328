#include "sources/FfmpegMediaProbe.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
}

#include "support/FileDescriptor.h"
#include "support/LibavOwners.h"

namespace {

using Clock = std::chrono::steady_clock;

// FFmpeg's own defaults, fixed here so that a changed default cannot make the probe slower or blinder:
// enough to find every stream of ordinary files, small enough that a huge file is never read whole.
constexpr int64_t FormatProbeSizeBytes = 1 << 20;
constexpr int64_t StreamProbeSizeBytes = 5'000'000;
constexpr int64_t AnalyzeDurationUs = 5 * int64_t{AV_TIME_BASE};
constexpr int IoBufferSize = 64 * 1024;
constexpr AVRational Milliseconds{1, 1000};

// Opening never blocks (O_NONBLOCK): a FIFO or a device named like a video opens at once and is then
// refused, since only regular files are probed. The flag changes nothing for reading regular files.
FileDescriptor OpenRegularFile(const std::string& path) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};
    if (!file.IsOpen() || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return FileDescriptor(-1);
    return file;
}

// What libavformat's callbacks see while one file is probed.
struct ProbeInput {
    int fd;
    Clock::time_point deadline;

    bool TimeIsUp() const { return Clock::now() >= deadline; }
};

int ReadInput(void* opaque, uint8_t* buffer, int size) {
    const auto& input = *static_cast<const ProbeInput*>(opaque);
    if (input.TimeIsUp())
        return AVERROR_EXIT;
    for (;;) {
        const ssize_t got = ::read(input.fd, buffer, static_cast<size_t>(size));
        if (got > 0)
            return static_cast<int>(got);
        if (got == 0)
            return AVERROR_EOF;
        if (errno != EINTR)
            return AVERROR(errno);
    }
}

int64_t SeekInput(void* opaque, int64_t offset, int whence) {
    const auto& input = *static_cast<const ProbeInput*>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat info {};
        return ::fstat(input.fd, &info) == 0 ? info.st_size : AVERROR(errno);
    }
    const off_t position = ::lseek(input.fd, offset, whence & ~AVSEEK_FORCE);
    return position < 0 ? AVERROR(errno) : position;
}

// Polled by the demuxers and by the stream analysis between packets.
int InterruptAtDeadline(void* opaque) {
    return static_cast<const ProbeInput*>(opaque)->TimeIsUp() ? 1 : 0;
}

// Playlists, reference movies and image sequences would make libavformat open further files or
// addresses named inside the file; the probe reads the one file it was given and nothing else.
int RefuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
    return AVERROR(EPERM);
}

IoContextPtr NewIoContext(ProbeInput& input) {
    AVMemoryPtr buffer(static_cast<unsigned char*>(av_malloc(IoBufferSize)));
    if (!buffer)
        return nullptr;
    IoContextPtr io(avio_alloc_context(buffer.get(), IoBufferSize, 0, &input, ReadInput, nullptr, SeekInput));
    if (io)
        static_cast<void>(buffer.release()); // the context owns (and may replace) its buffer now
    return io;
}

InputContextPtr OpenInput(const std::string& path, AVIOContext& io, ProbeInput& input) {
    AVFormatContext* format = avformat_alloc_context();
    if (!format)
        return nullptr;
    format->pb = &io;
    format->interrupt_callback = {InterruptAtDeadline, &input};
    format->io_open = RefuseNestedOpen;
    format->format_probesize = FormatProbeSizeBytes;
    format->probesize = StreamProbeSizeBytes;
    format->max_analyze_duration = AnalyzeDurationUs;
    // The path serves only as the name (its extension helps to guess the format); the bytes come
    // from io. On failure avformat_open_input frees the context itself, but never a custom io.
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return nullptr;
    return InputContextPtr(format);
}

std::span<AVStream* const> StreamsOf(const AVFormatContext& format) {
    return {format.streams, format.nb_streams};
}

bool IsPlayed(const AVStream& stream) {
    const AVMediaType type = stream.codecpar->codec_type;
    return type == AVMEDIA_TYPE_AUDIO || type == AVMEDIA_TYPE_VIDEO;
}

// "Rendered": at least one audio or video stream, and a decoder for each of them.
bool EveryPlayedStreamDecodes(const AVFormatContext& format) {
    bool anyPlayed = false;
    for (const AVStream* stream : StreamsOf(format)) {
        if (!IsPlayed(*stream))
            continue;
        if (!avcodec_find_decoder(stream->codecpar->codec_id))
            return false;
        anyPlayed = true;
    }
    return anyPlayed;
}

// The container's duration; when it has none, the longest played stream's.
int64_t DurationMs(const AVFormatContext& format) {
    if (format.duration != AV_NOPTS_VALUE && format.duration > 0)
        return av_rescale_q_rnd(format.duration, MicrosecondTimeBase, Milliseconds, AV_ROUND_DOWN);
    int64_t longest = 0;
    for (const AVStream* stream : StreamsOf(format)) {
        if (IsPlayed(*stream) && stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
            longest = std::max(
                longest, av_rescale_q_rnd(stream->duration, stream->time_base, Milliseconds, AV_ROUND_DOWN));
    }
    return longest;
}

class FfmpegProbeGraph final : public ProbeGraph {
public:
    explicit FfmpegProbeGraph(std::chrono::milliseconds timeLimit) : m_timeLimit(timeLimit) {}

    int64_t RenderDurationMs(const std::string& path) override {
        const FileDescriptor file = OpenRegularFile(path);
        if (!file.IsOpen())
            return 0;
        ProbeInput input{file.Get(), Clock::now() + m_timeLimit};
        const IoContextPtr io = NewIoContext(input);
        if (!io)
            return 0;
        // Declared after io: the demuxer is closed before its input goes away.
        const InputContextPtr format = OpenInput(path, *io, input);
        if (!format || avformat_find_stream_info(format.get(), nullptr) < 0 ||
            !EveryPlayedStreamDecodes(*format))
            return 0;
        return DurationMs(*format);
    }

private:
    std::chrono::milliseconds m_timeLimit;
};

} // namespace

FfmpegMediaProbe::FfmpegMediaProbe(std::chrono::milliseconds timeLimit) : m_timeLimit(timeLimit) {
    // Damaged files are an expected input here; their complaints would only flood the terminal.
    static std::once_flag quietLog;
    std::call_once(quietLog, [] { av_log_set_level(AV_LOG_QUIET); });
}

std::unique_ptr<ProbeGraph> FfmpegMediaProbe::NewGraph() {
    return std::make_unique<FfmpegProbeGraph>(m_timeLimit);
}
