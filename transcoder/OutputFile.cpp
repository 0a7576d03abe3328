#include "transcoder/OutputFile.h"

#include <algorithm>
#include <cstdio>

#include <sys/stat.h>

extern "C" {
#include <libavutil/avstring.h>
}

#include "transcoder/InputFile.h"
#include "transcoder/TranscodeError.h"

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

void CheckWritten(int result, const std::string& what) {
    if (result < 0)
        throw TranscodeError(what + AvErrorText(result));
}

} // namespace

const AVOutputFormat& ChooseOutputFormat(const TranscodeOptions& options) {
    if (!options.format.empty()) {
        // av_guess_format would fall back on the file name; a named format must exist.
        void* iterator = nullptr;
        while (const AVOutputFormat* format = av_muxer_iterate(&iterator))
            if (av_match_name(options.format.c_str(), format->name))
                return *format;
        throw TranscodeError("Unknown output format '" + options.format + "'");
    }
    const AVOutputFormat* format = av_guess_format(nullptr, options.output.c_str(), nullptr);
    if (!format)
        throw TranscodeError("Unable to find a suitable output format for '" + options.output + "'");
    return *format;
}

OutputFile::OutputFile(const std::string& path, const AVOutputFormat& format,
                       const std::vector<std::string>& protectedPaths, bool overwrite)
    : m_path(path) {
    RequireLocalFileName(path);
    for (const std::string& source : protectedPaths)
        if (SameFile(source, path))
            throw TranscodeError("Output file '" + path + "' is the input file; it is never overwritten");
    if (!overwrite && FileExists(path))
        throw TranscodeError("File '" + path + "' already exists (use -y to overwrite)");
    AVFormatContext* context = nullptr;
    const int allocated = avformat_alloc_output_context2(&context, &format, nullptr, path.c_str());
    if (allocated < 0 || !context)
        throw TranscodeError("Cannot create the output: " + AvErrorText(allocated));
    m_context.reset(context);
}

AVStream* OutputFile::AddStream(const AVCodecContext& encoder) {
    AVStream* stream = avformat_new_stream(m_context.get(), nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, &encoder) < 0)
        throw TranscodeError("Out of memory");
    stream->time_base = encoder.time_base;
    stream->sample_aspect_ratio = encoder.sample_aspect_ratio;
    stream->avg_frame_rate = encoder.framerate;
    return stream;
}

AVStream* OutputFile::AddCopiedStream(const AVStream& input) {
    AVStream* stream = avformat_new_stream(m_context.get(), nullptr);
    if (!stream || avcodec_parameters_copy(stream->codecpar, input.codecpar) < 0)
        throw TranscodeError("Out of memory");
    stream->codecpar->codec_tag = 0;
    stream->time_base = input.time_base;
    return stream;
}

void OutputFile::SetCodecTag(AVStream& stream, const std::string& tag) {
    const uint32_t code = MKTAG(tag[0], tag[1], tag[2], tag[3]);
    const AVOutputFormat& format = *m_context->oformat;
    if (format.codec_tag && av_codec_get_id(format.codec_tag, code) != stream.codecpar->codec_id)
        throw TranscodeError("Tag '" + tag + "' does not name " +
                             avcodec_get_name(stream.codecpar->codec_id) + " in format " + format.name);
    stream.codecpar->codec_tag = code;
}

void OutputFile::CarryMetadata(const AVFormatContext& input, const AVStream* inputAudio) {
    if (const AVDictionaryEntry* created = av_dict_get(input.metadata, "creation_time", nullptr, 0))
        av_dict_set(&m_context->metadata, "creation_time", created->value, 0);
    const AVDictionaryEntry* language =
        inputAudio ? av_dict_get(inputAudio->metadata, "language", nullptr, 0) : nullptr;
    if (!language)
        return;
    for (unsigned i = 0; i < m_context->nb_streams; ++i)
        if (m_context->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            av_dict_set(&m_context->streams[i]->metadata, "language", language->value, 0);
    // Some sound-only files (FLAC, MP3) keep tags for the whole file only.
    if (m_context->nb_streams == 1 && m_context->streams[0]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
        av_dict_set(&m_context->metadata, "language", language->value, 0);
}

void OutputFile::Open(const std::optional<TargetPreset>& target, const std::string& movFlags) {
    try {
        OpenFileAndHeader(target, movFlags);
    } catch (const TranscodeError&) {
        Remove();
        throw;
    }
}

void OutputFile::OpenFileAndHeader(const std::optional<TargetPreset>& target, const std::string& movFlags) {
    if (!(m_context->oformat->flags & AVFMT_NOFILE)) {
        DictionaryOwner options;
        av_dict_set(options.Address(), "protocol_whitelist", "file", 0);
        // The "file:" prefix keeps a name holding ":" a file name.
        const int opened = avio_open2(&m_context->pb, ("file:" + m_path).c_str(), AVIO_FLAG_WRITE, nullptr,
                                      options.Address());
        CheckWritten(opened, m_path + ": ");
    }
    DictionaryOwner muxerOptions;
    if (target && target->packetSize > 0)
        av_dict_set_int(muxerOptions.Address(), "packetsize", target->packetSize, 0);
    if (target && target->muxRate > 0)
        av_dict_set_int(muxerOptions.Address(), "muxrate", target->muxRate, 0);
    if (!movFlags.empty())
        av_dict_set(muxerOptions.Address(), "movflags", movFlags.c_str(), 0);
    CheckWritten(avformat_write_header(m_context.get(), muxerOptions.Address()),
                 "Cannot write the header of '" + m_path + "': ");
    // A muxer without the option (-movflags for a WebM) leaves it: say so rather than ignore it.
    if (av_dict_get(*muxerOptions.Address(), "movflags", nullptr, 0))
        throw TranscodeError(std::string("-movflags is not used by format ") + m_context->oformat->name);
    m_headerWritten = true;
}

void OutputFile::Write(AVPacket* packet, const AVStream& stream) {
    packet->stream_index = stream.index;
    if (packet->pts != AV_NOPTS_VALUE) {
        const double end = static_cast<double>(packet->pts + std::max<int64_t>(packet->duration, 0)) *
                           av_q2d(stream.time_base);
        m_seconds = std::max(m_seconds.value_or(0.0), end);
    }
    // The muxer refuses one packet of a damaged stream (out-of-order timestamps): it is lost. A failing
    // file write ends the conversion.
    if (av_interleaved_write_frame(m_context.get(), packet) < 0 && m_context->pb && m_context->pb->error < 0)
        throw TranscodeError("Cannot write '" + m_path + "': " + AvErrorText(m_context->pb->error));
}

std::string OutputFile::Finish() {
    if (!m_headerWritten)
        return "";
    m_headerWritten = false;
    int result = av_write_trailer(m_context.get());
    if (result >= 0 && m_context->pb) {
        avio_flush(m_context->pb);
        result = m_context->pb->error;
    }
    return result < 0 ? "Cannot finish '" + m_path + "': " + AvErrorText(result) : "";
}

void OutputFile::Remove() {
    const bool created = m_context->pb != nullptr;
    m_context.reset();
    if (created)
        std::remove(m_path.c_str());
}

int64_t OutputFile::Bytes(bool final) {
    // Muxers that rewrite their header at the end move the write position back; the size only grows.
    if (m_context && m_context->pb)
        m_bytes = std::max({m_bytes, avio_tell(m_context->pb), final ? avio_size(m_context->pb) : 0});
    return m_bytes;
}
