#include "transcoder/InputFile.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

#include "transcoder/Console.h"
#include "transcoder/TranscodeError.h"
#include "transcoder/Transcoder.h"

namespace {

// libavformat's answer for a read to try again; a file that only ever answers so delivers nothing.
constexpr int kMaxConsecutiveReadRetries = 1000;
constexpr const char* kLocalProtocol = "file";

} // namespace

void RequireLocalFileName(const std::string& path) {
    const char* protocol = avio_find_protocol_name(path.c_str());
    if (protocol && std::strcmp(protocol, kLocalProtocol) != 0)
        throw TranscodeError("'" + path + "' is not a local file: only local files are read and written");
}

InputFile::InputFile(const std::string& path) : m_path(path) {
    RequireLocalFileName(path);
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        throw TranscodeError(path + ": " + std::strerror(errno));
    // A FIFO or a device would keep the conversion waiting for ever.
    if (!S_ISREG(info.st_mode))
        throw TranscodeError(path + ": not a regular file");
    Open();
    m_video = BestStream(AVMEDIA_TYPE_VIDEO);
    m_audio = BestStream(AVMEDIA_TYPE_AUDIO);
    if (!m_video && !m_audio)
        throw TranscodeError(path + ": no audio or video stream to convert");
}

void InputFile::Open() {
    AVFormatContext* context = avformat_alloc_context();
    if (!context)
        throw TranscodeError("Out of memory");
    context->interrupt_callback = {Interrupt, this};
    DictionaryOwner options;
    // Also the files a playlist or reference inside the input names: local files only.
    av_dict_set(options.Address(), "protocol_whitelist", kLocalProtocol, 0);
    // The "file:" prefix keeps a name holding ":" a file name.
    const std::string url = std::string(kLocalProtocol) + ":" + m_path;
    const int opened = avformat_open_input(&context, url.c_str(), nullptr, options.Address());
    if (opened < 0) {
        if (m_watch.Stalled())
            ThrowStalled();
        throw TranscodeError(m_path + ": " + AvErrorText(opened));
    }
    m_context.reset(context);
    const int found = avformat_find_stream_info(context, nullptr);
    if (found < 0)
        throw TranscodeError(m_path + ": " + AvErrorText(found));
}

int InputFile::Interrupt(void* opaque) {
    auto& input = *static_cast<InputFile*>(opaque);
    if (input.m_context && input.m_context->pb)
        input.m_watch.NoteInputPosition(avio_tell(input.m_context->pb));
    return g_stopRequested || input.m_watch.Stalled();
}

AVStream* InputFile::BestStream(AVMediaType type) const {
    const int index = av_find_best_stream(m_context.get(), type, -1, -1, nullptr, 0);
    if (index < 0)
        return nullptr;
    AVStream* stream = m_context->streams[index];
    // A cover picture is no video.
    return stream->disposition & AV_DISPOSITION_ATTACHED_PIC ? nullptr : stream;
}

std::optional<Rational> InputFile::FrameRate() const {
    if (!m_video)
        return std::nullopt;
    const AVRational rate = av_guess_frame_rate(m_context.get(), m_video, nullptr);
    if (rate.num <= 0 || rate.den <= 0)
        return std::nullopt;
    return Rational{rate.num, rate.den};
}

int64_t InputFile::SeekToStart(std::optional<int64_t> startMicroseconds) {
    const int64_t inputStart = m_context->start_time == AV_NOPTS_VALUE ? 0 : m_context->start_time;
    const int64_t zero = inputStart + startMicroseconds.value_or(0);
    // What lies between the key frame and the start is decoded and dropped by the trim.
    if (startMicroseconds && *startMicroseconds > 0 &&
        avformat_seek_file(m_context.get(), -1, INT64_MIN, zero, zero, 0) < 0)
        WriteConsoleLine("Cannot seek in the input; reading it from the beginning");
    return zero;
}

void InputFile::SeekBefore(const AVStream& stream, std::optional<int64_t> timestamp) {
    int sought = -1;
    if (timestamp)
        sought = avformat_seek_file(m_context.get(), stream.index, INT64_MIN, *timestamp, *timestamp, 0);
    if (sought < 0) {
        const int64_t begin = m_context->start_time == AV_NOPTS_VALUE ? 0 : m_context->start_time;
        sought = avformat_seek_file(m_context.get(), -1, INT64_MIN, begin, begin, 0);
    }
    if (sought < 0)
        WriteConsoleLine("Cannot seek in the input; reading it from where it stands");
}

int InputFile::Read(AVPacket* packet) {
    for (int retries = 0; retries <= kMaxConsecutiveReadRetries; ++retries) {
        if (m_watch.Stalled())
            ThrowStalled();
        const int read = av_read_frame(m_context.get(), packet);
        if (read == AVERROR(EAGAIN))
            continue;
        if (read >= 0) {
            m_watch.Touch();
            return 0;
        }
        if (read == AVERROR_EXIT && !g_stopRequested)
            ThrowStalled();
        if (read != AVERROR_EOF && read != AVERROR_EXIT)
            WriteConsoleLine(m_path + ": " + AvErrorText(read) + "; converting what was read");
        return AVERROR_EOF;
    }
    throw TranscodeError("The input stops delivering data");
}

void InputFile::ThrowStalled() const {
    throw TranscodeError("The input has stalled: nothing was read or converted for " +
                         std::to_string(m_watch.Limit().count()) + " s; it is probably damaged");
}
