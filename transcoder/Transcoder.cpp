#include "transcoder/Transcoder.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/channel_layout.h>
#include <libavutil/intreadwrite.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include "transcoder/Console.h"
#include "transcoder/EncoderLimits.h"
#include "transcoder/FilterChain.h"
#include "transcoder/LibavOwners.h"
#include "transcoder/StatusLine.h"
#include "transcoder/TargetPreset.h"
#include "transcoder/TranscodeError.h"

volatile std::sig_atomic_t g_stopRequested = 0;

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kStatusInterval = std::chrono::milliseconds(500);
// A damaged input must end in time proportional to its length: a fixed allowance plus one second for
// every 64 KiB of input.
constexpr auto kBaseTimeAllowance = std::chrono::seconds(120);
constexpr int64_t kBytesPerAllowedSecond = 64 * 1024;
// A stream that yields nothing but errors is not worth reading to its end.
constexpr int kMaxConsecutiveDecodeErrors = 1000;
constexpr int kMaxConsecutiveReadRetries = 1000;
// AV_TIME_BASE_Q is a C compound literal, which C++ does not have.
constexpr AVRational kMicroseconds{1, AV_TIME_BASE};
// Timestamps that jump further than this are a damaged input, not a pause: continue evenly.
constexpr int64_t kMaxTimestampJumpSeconds = 10;
constexpr int kDefaultFrameRate = 25;
constexpr int kMaxTimeBaseDenominator = 65535;
constexpr int kExitInterrupted = 255;

struct InterruptState {
    Clock::time_point deadline;
};

int InterruptCallback(void* opaque) {
    const auto* state = static_cast<const InterruptState*>(opaque);
    return g_stopRequested || Clock::now() > state->deadline;
}

std::string RateText(AVRational rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.5g", av_q2d(rate));
    return text;
}

// Keeps a stream's timestamps moving forward in steady steps across gaps and jumps of a damaged input.
class TimestampCleaner {
public:
    void Reset(AVRational timeBase) {
        m_maxJump = av_rescale_q(kMaxTimestampJumpSeconds, AVRational{1, 1}, timeBase);
        m_last = AV_NOPTS_VALUE;
        m_offset = 0;
    }
    int64_t Clean(int64_t pts, int64_t step) {
        step = std::max<int64_t>(step, 1);
        if (pts == AV_NOPTS_VALUE) {
            pts = m_last == AV_NOPTS_VALUE ? 0 : m_last + step;
        } else {
            pts += m_offset;
            if (m_last != AV_NOPTS_VALUE && (pts > m_last + m_maxJump || pts < m_last - m_maxJump)) {
                m_offset += m_last + step - pts;
                pts = m_last + step;
            }
        }
        m_last = m_last == AV_NOPTS_VALUE ? pts : std::max(m_last, pts);
        return pts;
    }

private:
    int64_t m_maxJump = 0;
    int64_t m_last = AV_NOPTS_VALUE;
    int64_t m_offset = 0;
};

// One output stream and everything between its input stream and the muxer.
struct StreamPath {
    AVStream* input = nullptr;
    AVStream* output = nullptr;
    bool copy = false;
    AVCodecContextPtr decoder;
    AVCodecContextPtr encoder;
    std::unique_ptr<FilterChain> filters;
    std::string filterDescription;
    // The frame properties the current filter graph was built for.
    int width = 0, height = 0, format = -1, sampleRate = 0;
    AVChannelLayout layout{};
    TimestampCleaner timestamps;
    int64_t nextPts = 0;
    int64_t lastEncoderPts = AV_NOPTS_VALUE;
    bool filtersEnded = false;
    int consecutiveErrors = 0;

    StreamPath() = default;
    StreamPath(const StreamPath&) = delete;
    StreamPath& operator=(const StreamPath&) = delete;
    ~StreamPath() { av_channel_layout_uninit(&layout); }
};

const AVCodec* FindEncoder(const std::string& name, AVMediaType type) {
    // Names as FFmpeg resolves them: an encoder's own name, else the best encoder of a codec name.
    // "xvid" is the MPEG-4 encoder of that name when it is present.
    std::string wanted = name;
    if (wanted == "xvid")
        wanted = avcodec_find_encoder_by_name("libxvid") ? "libxvid" : "mpeg4";
    const AVCodec* codec = avcodec_find_encoder_by_name(wanted.c_str());
    if (!codec)
        if (const AVCodecDescriptor* descriptor = avcodec_descriptor_get_by_name(wanted.c_str()))
            codec = avcodec_find_encoder(descriptor->id);
    if (!codec || codec->type != type)
        throw TranscodeError("Unknown encoder '" + name + "'");
    return codec;
}

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

int64_t FileBytes(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
}

class Transcode {
public:
    Transcode(const TranscodeOptions& options, std::optional<Rational> scriptRate)
        : m_options(options), m_scriptRate(scriptRate), m_packet(av_packet_alloc()),
          m_frame(av_frame_alloc()), m_filtered(av_frame_alloc()), m_encoded(av_packet_alloc()) {
        if (!m_packet || !m_frame || !m_filtered || !m_encoded)
            throw TranscodeError("Out of memory");
    }

    int Run() {
        OpenInput();
        ResolveTarget();
        ChooseOutputFormat();
        SetUpVideo();
        SetUpAudio();
        if (!m_video && !m_audio)
            throw TranscodeError("Output file '" + m_options.output + "' would contain no stream");
        CheckOutputPath();
        OpenOutput();
        PrintHeader();
        const bool completed = Convert();
        Finish();
        if (g_stopRequested) {
            WriteConsoleLine("Conversion stopped by a signal: the output ends early");
            return kExitInterrupted;
        }
        if (!completed)
            throw TranscodeError(m_failure);
        return 0;
    }

private:
    // Warnings follow the header, so they are printed once it is.
    void Warn(const std::string& text) { m_warnings.push_back("Warning: " + text + "\n"); }

    // ---- input -------------------------------------------------------------------------------
    void OpenInput() {
        if (!FileExists(m_options.input))
            throw TranscodeError(m_options.input + ": No such file or directory");
        m_interrupt.deadline = Clock::now() + kBaseTimeAllowance +
                               std::chrono::seconds(FileBytes(m_options.input) / kBytesPerAllowedSecond);
        AVFormatContext* context = avformat_alloc_context();
        if (!context)
            throw TranscodeError("Out of memory");
        context->interrupt_callback = {InterruptCallback, &m_interrupt};
        const int opened = avformat_open_input(&context, m_options.input.c_str(), nullptr, nullptr);
        if (opened < 0)
            throw TranscodeError(m_options.input + ": " + AvErrorText(opened));
        m_inputContext.reset(context);
        const int found = avformat_find_stream_info(context, nullptr);
        if (found < 0)
            throw TranscodeError(m_options.input + ": " + AvErrorText(found));
        m_videoIndex = FindStream(AVMEDIA_TYPE_VIDEO);
        m_audioIndex = FindStream(AVMEDIA_TYPE_AUDIO);
        if (m_videoIndex < 0 && m_audioIndex < 0)
            throw TranscodeError(m_options.input + ": no audio or video stream to convert");
    }

    int FindStream(AVMediaType type) {
        const int index = av_find_best_stream(m_inputContext.get(), type, -1, -1, nullptr, 0);
        if (index < 0)
            return -1;
        const AVStream* stream = m_inputContext->streams[index];
        if (stream->disposition & AV_DISPOSITION_ATTACHED_PIC)
            return -1;
        return index;
    }

    std::optional<Rational> InputFrameRate() const {
        if (m_videoIndex < 0)
            return std::nullopt;
        const AVRational rate =
            av_guess_frame_rate(m_inputContext.get(), m_inputContext->streams[m_videoIndex], nullptr);
        if (rate.num <= 0 || rate.den <= 0)
            return std::nullopt;
        return Rational{rate.num, rate.den};
    }

    void ResolveTarget() {
        if (m_options.target) {
            m_target = ::ResolveTarget(*m_options.target, m_scriptRate ? m_scriptRate : InputFrameRate());
            ApplyTarget(*m_target, m_options);
        }
    }

    // ---- output format and streams ---------------------------------------------------------------
    void ChooseOutputFormat() {
        if (!m_options.format.empty()) {
            // av_guess_format would fall back on the file name; a named format must exist.
            void* iterator = nullptr;
            while (const AVOutputFormat* format = av_muxer_iterate(&iterator))
                if (av_match_name(m_options.format.c_str(), format->name)) {
                    m_format = format;
                    return;
                }
            throw TranscodeError("Unknown output format '" + m_options.format + "'");
        }
        m_format = av_guess_format(nullptr, m_options.output.c_str(), nullptr);
        if (!m_format)
            throw TranscodeError("Unable to find a suitable output format for '" + m_options.output + "'");
    }

    // The encoder a stream gets: the one asked for, else the container's default; nullptr for none.
    const AVCodec* ChooseEncoder(const std::optional<std::string>& asked, AVCodecID defaultId,
                                 AVMediaType type, bool& copy) {
        copy = asked && *asked == "copy";
        if (copy)
            return nullptr;
        if (asked)
            return FindEncoder(*asked, type);
        // An audio container's picture default (PNG cover art) is no video stream.
        if (defaultId == AV_CODEC_ID_NONE || (type == AVMEDIA_TYPE_VIDEO && defaultId == AV_CODEC_ID_PNG))
            return nullptr;
        const AVCodec* codec = avcodec_find_encoder(defaultId);
        if (!codec)
            throw TranscodeError(std::string("No encoder for the default codec ") +
                                 avcodec_get_name(defaultId) + " of format " + m_format->name);
        return codec;
    }

    AVCodecContextPtr OpenDecoder(AVStream* stream) {
        const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
        if (!codec)
            return nullptr;
        AVCodecContextPtr decoder(avcodec_alloc_context3(codec));
        if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0)
            return nullptr;
        decoder->pkt_timebase = stream->time_base;
        decoder->thread_count = 0;
        if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
            return nullptr;
        return decoder;
    }

    void SetUpVideo() {
        bool copy = false;
        // Any unknown encoder name is an error, also when the input has no stream for it.
        const AVCodec* codec = m_options.noVideo ? nullptr
                                                 : ChooseEncoder(m_options.videoCodec, m_format->video_codec,
                                                                 AVMEDIA_TYPE_VIDEO, copy);
        if (m_options.noVideo || m_videoIndex < 0 || (!codec && !copy))
            return;
        auto path = std::make_unique<StreamPath>();
        path->input = m_inputContext->streams[m_videoIndex];
        path->copy = copy;
        if (copy) {
            m_video = std::move(path);
            return;
        }
        const AVCodecParameters* source = path->input->codecpar;
        path->decoder = OpenDecoder(path->input);
        if (!path->decoder || source->width <= 0 || source->height <= 0) {
            Warn("the input's video stream cannot be decoded and is left out");
            return;
        }
        path->timestamps.Reset(path->input->time_base);
        path->encoder.reset(avcodec_alloc_context3(codec));
        if (!path->encoder)
            throw TranscodeError("Out of memory");
        AVCodecContext* encoder = path->encoder.get();

        const FrameSize asked = m_options.frameSize.value_or(FrameSize{source->width, source->height});
        const FrameSize size = AcceptedFrameSize(codec->name, asked);
        if (!(size == asked))
            Warn("frame size " + std::to_string(asked.width) + "x" + std::to_string(asked.height) +
                 " is not accepted by " + codec->name + "; using " + std::to_string(size.width) + "x" +
                 std::to_string(size.height));
        encoder->width = size.width;
        encoder->height = size.height;
        encoder->pix_fmt = ChoosePixelFormat(codec, static_cast<AVPixelFormat>(source->format));
        const AVRational rate = ChooseFrameRate(codec);
        encoder->framerate = rate;
        encoder->time_base = av_inv_q(rate);
        encoder->sample_aspect_ratio = ChooseSampleAspect(size, source);
        if (m_options.videoBitrate)
            encoder->bit_rate = *m_options.videoBitrate;
        if (m_target && m_target->gopSize > 0) {
            encoder->gop_size = m_target->gopSize;
            encoder->rc_max_rate = m_target->maxRate;
            encoder->rc_min_rate = m_target->minRate;
            encoder->rc_buffer_size = static_cast<int>(m_target->bufferSize);
            if (m_target->scanOffset)
                av_opt_set_int(encoder->priv_data, "scan_offset", 1, 0);
        }
        encoder->thread_count = 0;
        if (m_format->flags & AVFMT_GLOBALHEADER)
            encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        const int opened = avcodec_open2(encoder, codec, nullptr);
        if (opened < 0)
            throw TranscodeError(std::string("Cannot open the video encoder ") + codec->name + ": " +
                                 AvErrorText(opened));
        if (m_options.videoBitrate && encoder->bit_rate != *m_options.videoBitrate)
            Warn("video bitrate " + std::to_string(*m_options.videoBitrate / 1000) +
                 " kbit/s is not accepted by " + codec->name + "; using " +
                 std::to_string(encoder->bit_rate / 1000) + " kbit/s");
        path->filterDescription = VideoFilterDescription(*encoder);
        m_video = std::move(path);
    }

    AVPixelFormat ChoosePixelFormat(const AVCodec* codec, AVPixelFormat source) {
        if (m_target && !m_target->pixelFormat.empty())
            return av_get_pix_fmt(m_target->pixelFormat.c_str());
        if (!codec->pix_fmts)
            return source == AV_PIX_FMT_NONE ? AV_PIX_FMT_YUV420P : source;
        for (const AVPixelFormat* format = codec->pix_fmts; *format != AV_PIX_FMT_NONE; ++format)
            if (*format == source)
                return source;
        if (source == AV_PIX_FMT_NONE)
            return codec->pix_fmts[0];
        return avcodec_find_best_pix_fmt_of_list(codec->pix_fmts, source, 0, nullptr);
    }

    AVRational ChooseFrameRate(const AVCodec* codec) {
        AVRational rate{kDefaultFrameRate, 1};
        if (m_options.frameRate)
            rate = {static_cast<int>(m_options.frameRate->num), static_cast<int>(m_options.frameRate->den)};
        else if (m_scriptRate)
            rate = {static_cast<int>(m_scriptRate->num), static_cast<int>(m_scriptRate->den)};
        else if (const auto input = InputFrameRate())
            rate = {static_cast<int>(input->num), static_cast<int>(input->den)};
        AVRational used = rate;
        if (codec->supported_framerates)
            used = codec->supported_framerates[av_find_nearest_q_idx(rate, codec->supported_framerates)];
        if (used.den > kMaxTimeBaseDenominator)
            av_reduce(&used.num, &used.den, used.num, used.den, kMaxTimeBaseDenominator);
        if (av_cmp_q(used, rate) != 0 && m_options.frameRate)
            Warn("frame rate " + RateText(rate) + " is not accepted by " + codec->name + "; using " +
                 RateText(used));
        return used;
    }

    AVRational ChooseSampleAspect(FrameSize size, const AVCodecParameters* source) {
        AVRational sar{1, 1};
        if (m_options.displayAspect) {
            av_reduce(&sar.num, &sar.den, m_options.displayAspect->num * size.height,
                      m_options.displayAspect->den * size.width, 255);
        } else if (source->sample_aspect_ratio.num > 0 && source->sample_aspect_ratio.den > 0) {
            // Keep the picture's shape: the source's display aspect on the new frame size.
            av_reduce(&sar.num, &sar.den,
                      static_cast<int64_t>(source->sample_aspect_ratio.num) * source->width * size.height,
                      static_cast<int64_t>(source->sample_aspect_ratio.den) * source->height * size.width,
                      255);
        }
        // RealMedia has no field for the aspect: players show square pixels.
        if (std::string(m_format->name) == "rm" && av_cmp_q(sar, AVRational{1, 1}) != 0 &&
            m_options.displayAspect) {
            AVRational shown{};
            av_reduce(&shown.num, &shown.den, size.width, size.height, 1000);
            Warn("display aspect " + std::to_string(m_options.displayAspect->num) + ":" +
                 std::to_string(m_options.displayAspect->den) +
                 " cannot be stored in RealMedia; the picture shows at " + std::to_string(shown.num) + ":" +
                 std::to_string(shown.den));
            return AVRational{1, 1};
        }
        return sar;
    }

    // Timestamps reach the graph relative to the start, so the trim keeps [0, duration).
    std::string TrimFilter(const char* name) const {
        std::vector<std::string> settings;
        if (m_options.startMicroseconds)
            settings.push_back("start=0");
        if (m_options.durationMicroseconds)
            settings.push_back("duration=" + std::to_string(*m_options.durationMicroseconds) + "us");
        if (settings.empty())
            return "";
        std::string filter = std::string(name) + "=" + settings.front();
        for (size_t i = 1; i < settings.size(); ++i)
            filter += ":" + settings[i];
        return filter + ",";
    }

    std::string VideoFilterDescription(const AVCodecContext& encoder) const {
        std::ostringstream text;
        text << TrimFilter("trim");
        // The script's constant rate comes first; the output rate then applies to that stream.
        if (m_scriptRate)
            text << "fps=" << m_scriptRate->num << "/" << m_scriptRate->den << ",";
        // Dropping frames before scaling spares the scaler the work on frames that are not kept.
        text << "fps=" << encoder.framerate.num << "/" << encoder.framerate.den << ",";
        text << "scale=" << encoder.width << ":" << encoder.height << ":flags=bicubic,";
        text << "format=" << av_get_pix_fmt_name(encoder.pix_fmt);
        return text.str();
    }

    void SetUpAudio() {
        bool copy = false;
        const AVCodec* codec = m_options.noAudio ? nullptr
                                                 : ChooseEncoder(m_options.audioCodec, m_format->audio_codec,
                                                                 AVMEDIA_TYPE_AUDIO, copy);
        if (m_options.noAudio || m_audioIndex < 0 || (!codec && !copy))
            return;
        auto path = std::make_unique<StreamPath>();
        path->input = m_inputContext->streams[m_audioIndex];
        path->copy = copy;
        if (copy) {
            m_audio = std::move(path);
            return;
        }
        const AVCodecParameters* source = path->input->codecpar;
        path->decoder = OpenDecoder(path->input);
        if (!path->decoder || source->sample_rate <= 0 || source->ch_layout.nb_channels <= 0) {
            Warn("the input's audio stream cannot be decoded and is left out");
            return;
        }
        path->timestamps.Reset(path->input->time_base);
        path->encoder.reset(avcodec_alloc_context3(codec));
        if (!path->encoder)
            throw TranscodeError("Out of memory");
        AVCodecContext* encoder = path->encoder.get();

        encoder->sample_rate = ChooseSampleRate(codec, m_options.sampleRate.value_or(source->sample_rate));
        ChooseChannelLayout(codec, m_options.channels.value_or(source->ch_layout.nb_channels),
                            encoder->ch_layout);
        encoder->sample_fmt = ChooseSampleFormat(codec, static_cast<AVSampleFormat>(source->format));
        encoder->time_base = AVRational{1, encoder->sample_rate};
        if (m_options.audioBitrate)
            encoder->bit_rate = ChooseAudioBitrate(codec, encoder->sample_rate, *m_options.audioBitrate);
        encoder->thread_count = 0;
        if (m_format->flags & AVFMT_GLOBALHEADER)
            encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        const int64_t askedBitrate = encoder->bit_rate;
        const int opened = avcodec_open2(encoder, codec, nullptr);
        if (opened < 0)
            throw TranscodeError(std::string("Cannot open the audio encoder ") + codec->name + ": " +
                                 AvErrorText(opened));
        if (m_options.audioBitrate && encoder->bit_rate != askedBitrate && encoder->bit_rate > 0)
            Warn("audio bitrate " + std::to_string(askedBitrate / 1000) + " kbit/s is not accepted by " +
                 codec->name + "; using " + std::to_string(encoder->bit_rate / 1000) + " kbit/s");
        path->filterDescription = AudioFilterDescription(*encoder);
        m_audio = std::move(path);
    }

    int ChooseSampleRate(const AVCodec* codec, int asked) {
        if (!codec->supported_samplerates)
            return asked;
        std::vector<int64_t> accepted;
        for (const int* rate = codec->supported_samplerates; *rate != 0; ++rate)
            accepted.push_back(*rate);
        std::sort(accepted.begin(), accepted.end());
        const auto used = static_cast<int>(NearestValue(accepted, asked));
        if (used != asked)
            Warn("sample rate " + std::to_string(asked) + " Hz is not accepted by " + codec->name +
                 "; using " + std::to_string(used) + " Hz");
        return used;
    }

    void ChooseChannelLayout(const AVCodec* codec, int asked, AVChannelLayout& layout) {
        int used = asked;
        if (codec->ch_layouts) {
            std::vector<int64_t> counts;
            for (const AVChannelLayout* each = codec->ch_layouts; each->nb_channels != 0; ++each)
                counts.push_back(each->nb_channels);
            std::sort(counts.begin(), counts.end());
            used = static_cast<int>(NearestValue(counts, asked));
            for (const AVChannelLayout* each = codec->ch_layouts; each->nb_channels != 0; ++each)
                if (each->nb_channels == used) {
                    av_channel_layout_copy(&layout, each);
                    break;
                }
        } else {
            av_channel_layout_default(&layout, used);
        }
        if (used != asked)
            Warn(std::to_string(asked) + " audio channels are not accepted by " + std::string(codec->name) +
                 "; using " + std::to_string(used));
    }

    static AVSampleFormat ChooseSampleFormat(const AVCodec* codec, AVSampleFormat source) {
        if (!codec->sample_fmts)
            return source == AV_SAMPLE_FMT_NONE ? AV_SAMPLE_FMT_S16 : source;
        for (const AVSampleFormat* format = codec->sample_fmts; *format != AV_SAMPLE_FMT_NONE; ++format)
            if (*format == source)
                return source;
        return codec->sample_fmts[0];
    }

    int64_t ChooseAudioBitrate(const AVCodec* codec, int sampleRate, int64_t asked) {
        const int64_t used = NearestValue(AcceptedAudioBitrates(codec->name, sampleRate), asked);
        if (used != asked)
            Warn("audio bitrate " + std::to_string(asked / 1000) + " kbit/s is not accepted by " +
                 codec->name + " at " + std::to_string(sampleRate) + " Hz; using " +
                 std::to_string(used / 1000) + " kbit/s");
        return used;
    }

    std::string AudioFilterDescription(const AVCodecContext& encoder) const {
        std::ostringstream text;
        text << TrimFilter("atrim");
        if (m_options.volume && *m_options.volume != 256)
            text << "volume=" << *m_options.volume << "/256,";
        char layout[128] = {};
        av_channel_layout_describe(&encoder.ch_layout, layout, sizeof layout);
        text << "aformat=sample_fmts=" << av_get_sample_fmt_name(encoder.sample_fmt)
             << ":sample_rates=" << encoder.sample_rate << ":channel_layouts=" << layout;
        return text.str();
    }

    // ---- output file -------------------------------------------------------------------------
    void CheckOutputPath() {
        for (const std::string& source : ProtectedPaths())
            if (SameFile(source, m_options.output))
                throw TranscodeError("Output file '" + m_options.output +
                                     "' is the input file; it is never overwritten");
        if (!m_options.overwrite && FileExists(m_options.output))
            throw TranscodeError("File '" + m_options.output + "' already exists (use -y to overwrite)");
    }

    std::vector<std::string> ProtectedPaths() const {
        std::vector<std::string> paths{m_options.input};
        if (!m_scriptPath.empty())
            paths.push_back(m_scriptPath);
        return paths;
    }

public:
    void SetScriptPath(const std::string& path) { m_scriptPath = path; }

private:
    void OpenOutput() {
        AVFormatContext* context = nullptr;
        const int allocated =
            avformat_alloc_output_context2(&context, m_format, nullptr, m_options.output.c_str());
        if (allocated < 0 || !context)
            throw TranscodeError("Cannot create the output: " + AvErrorText(allocated));
        m_outputContext.reset(context);
        for (StreamPath* path : Paths())
            AddOutputStream(*path);
        if (!(m_format->flags & AVFMT_NOFILE)) {
            const int opened = avio_open(&context->pb, m_options.output.c_str(), AVIO_FLAG_WRITE);
            if (opened < 0)
                throw TranscodeError(m_options.output + ": " + AvErrorText(opened));
        }
        DictionaryOwner muxerOptions;
        if (m_target && m_target->packetSize > 0)
            av_dict_set_int(muxerOptions.Address(), "packetsize", m_target->packetSize, 0);
        if (m_target && m_target->muxRate > 0)
            av_dict_set_int(muxerOptions.Address(), "muxrate", m_target->muxRate, 0);
        const int written = avformat_write_header(context, muxerOptions.Address());
        if (written < 0)
            throw TranscodeError("Cannot write the header of '" + m_options.output +
                                 "': " + AvErrorText(written));
        m_headerWritten = true;
    }

    void AddOutputStream(StreamPath& path) {
        path.output = avformat_new_stream(m_outputContext.get(), nullptr);
        if (!path.output)
            throw TranscodeError("Out of memory");
        if (path.copy) {
            if (avcodec_parameters_copy(path.output->codecpar, path.input->codecpar) < 0)
                throw TranscodeError("Out of memory");
            path.output->codecpar->codec_tag = 0;
            path.output->time_base = path.input->time_base;
            return;
        }
        if (avcodec_parameters_from_context(path.output->codecpar, path.encoder.get()) < 0)
            throw TranscodeError("Out of memory");
        path.output->time_base = path.encoder->time_base;
        path.output->sample_aspect_ratio = path.encoder->sample_aspect_ratio;
        path.output->avg_frame_rate = path.encoder->framerate;
    }

    std::vector<StreamPath*> Paths() const {
        std::vector<StreamPath*> paths;
        if (m_video)
            paths.push_back(m_video.get());
        if (m_audio)
            paths.push_back(m_audio.get());
        return paths;
    }

    void PrintHeader() {
        std::ostringstream text;
        text << "Input #0, " << m_inputContext->iformat->name << ", from '" << m_options.input << "':\n";
        if (m_inputContext->duration > 0)
            text << "  Duration: " << DurationText(m_inputContext->duration) << "\n";
        for (unsigned i = 0; i < m_inputContext->nb_streams; ++i)
            text << "  Stream #0:" << i << ": " << StreamText(m_inputContext->streams[i]->codecpar) << "\n";
        text << "Output #0, " << m_format->name << ", to '" << m_options.output << "':\n";
        for (unsigned i = 0; i < m_outputContext->nb_streams; ++i)
            text << "  Stream #0:" << i << ": " << StreamText(m_outputContext->streams[i]->codecpar)
                 << (m_outputContext->streams[i]->codecpar->bit_rate > 0
                         ? ", " + std::to_string(m_outputContext->streams[i]->codecpar->bit_rate / 1000) +
                               " kb/s"
                         : std::string())
                 << "\n";
        for (const std::string& warning : m_warnings)
            text << warning;
        WriteToConsole(text.str());
    }

    static std::string DurationText(int64_t microseconds) {
        const int64_t centi = microseconds / 10000;
        char text[64];
        std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%02lld",
                      static_cast<long long>(centi / 360000), static_cast<long long>(centi / 6000 % 60),
                      static_cast<long long>(centi / 100 % 60), static_cast<long long>(centi % 100));
        return text;
    }

    std::string StreamText(const AVCodecParameters* parameters) const {
        std::ostringstream text;
        if (parameters->codec_type == AVMEDIA_TYPE_VIDEO) {
            text << "Video: " << avcodec_get_name(parameters->codec_id);
            if (const char* format = av_get_pix_fmt_name(static_cast<AVPixelFormat>(parameters->format)))
                text << ", " << format;
            text << ", " << parameters->width << "x" << parameters->height;
            if (m_video && parameters == m_video->output->codecpar && !m_video->copy)
                text << ", " << RateText(m_video->encoder->framerate) << " fps";
        } else if (parameters->codec_type == AVMEDIA_TYPE_AUDIO) {
            text << "Audio: " << avcodec_get_name(parameters->codec_id) << ", " << parameters->sample_rate
                 << " Hz, " << parameters->ch_layout.nb_channels << " channels";
        } else {
            text << av_get_media_type_string(parameters->codec_type) << ": "
                 << avcodec_get_name(parameters->codec_id);
        }
        return text.str();
    }

    // ---- the conversion loop -----------------------------------------------------------------
    bool Convert() {
        SeekToStart();
        int retries = 0;
        while (!g_stopRequested && !AllTrimsEnded()) {
            if (Clock::now() > m_interrupt.deadline)
                return Fail("The input takes too long to read; it is probably damaged");
            const int read = av_read_frame(m_inputContext.get(), m_packet.get());
            if (read == AVERROR(EAGAIN)) {
                if (++retries > kMaxConsecutiveReadRetries)
                    return Fail("The input stops delivering data");
                continue;
            }
            retries = 0;
            if (read == AVERROR_EXIT && !g_stopRequested)
                return Fail("The input takes too long to read; it is probably damaged");
            if (read < 0) {
                if (read != AVERROR_EOF && read != AVERROR_EXIT)
                    WriteConsoleLine(m_options.input + ": " + AvErrorText(read) +
                                     "; converting what was read");
                break;
            }
            const bool ok = Route(*m_packet);
            av_packet_unref(m_packet.get());
            if (!ok)
                return false;
            ReportStatus(false);
        }
        return FlushAll();
    }

    bool Fail(const std::string& why) {
        m_failure = why;
        return false;
    }

    void SeekToStart() {
        const int64_t inputStart =
            m_inputContext->start_time == AV_NOPTS_VALUE ? 0 : m_inputContext->start_time;
        m_timeOffset = inputStart + m_options.startMicroseconds.value_or(0);
        if (m_options.startMicroseconds && *m_options.startMicroseconds > 0) {
            // The key frame at or before the start; what lies before it is decoded and dropped.
            const int64_t target = m_timeOffset;
            if (avformat_seek_file(m_inputContext.get(), -1, INT64_MIN, target, target, 0) < 0)
                WriteConsoleLine("Cannot seek in the input; reading it from the beginning");
        }
    }

    bool AllTrimsEnded() const {
        if (!m_options.durationMicroseconds)
            return false;
        for (StreamPath* path : Paths())
            if (!path->filtersEnded)
                return false;
        return true;
    }

    bool Route(AVPacket& packet) {
        StreamPath* path = nullptr;
        if (m_video && packet.stream_index == m_video->input->index)
            path = m_video.get();
        else if (m_audio && packet.stream_index == m_audio->input->index)
            path = m_audio.get();
        if (!path || path->filtersEnded)
            return true;
        if (path->copy)
            return CopyPacket(*path, packet);
        return Decode(*path, &packet);
    }

    bool Decode(StreamPath& path, const AVPacket* packet) {
        int sent = avcodec_send_packet(path.decoder.get(), packet);
        if (sent < 0 && sent != AVERROR_EOF) {
            if (++path.consecutiveErrors > kMaxConsecutiveDecodeErrors)
                return Fail("Too many decoding errors; the input is damaged");
            return true;
        }
        while (true) {
            const int received = avcodec_receive_frame(path.decoder.get(), m_frame.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return true;
            if (received < 0) {
                if (++path.consecutiveErrors > kMaxConsecutiveDecodeErrors)
                    return Fail("Too many decoding errors; the input is damaged");
                continue;
            }
            path.consecutiveErrors = 0;
            const bool ok = Filter(path, m_frame.get());
            av_frame_unref(m_frame.get());
            if (!ok)
                return false;
        }
    }

    int64_t FrameStep(const StreamPath& path, const AVFrame& frame) const {
        const AVRational timeBase = path.input->time_base;
        if (path.input->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            return av_rescale_q(frame.nb_samples, AVRational{1, std::max(frame.sample_rate, 1)}, timeBase);
        if (frame.pkt_duration > 0)
            return frame.pkt_duration;
        return av_rescale_q(1, av_inv_q(m_video->encoder->framerate), timeBase);
    }

    bool Filter(StreamPath& path, AVFrame* frame) {
        const int64_t pts = path.timestamps.Clean(frame->best_effort_timestamp, FrameStep(path, *frame));
        frame->pts = pts - av_rescale_q(m_timeOffset, kMicroseconds, path.input->time_base);
        if (!FiltersFit(path, *frame)) {
            if (path.filters && !DrainFilters(path, true))
                return false;
            if (!BuildFilters(path, *frame))
                return false;
        }
        if (path.filtersEnded)
            return true;
        if (path.filters->Push(frame) < 0)
            return true; // A frame the graph refuses is lost, the stream goes on.
        return DrainFilters(path, false);
    }

    static bool FiltersFit(const StreamPath& path, const AVFrame& frame) {
        if (!path.filters)
            return false;
        if (path.input->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            return frame.width == path.width && frame.height == path.height && frame.format == path.format;
        return frame.sample_rate == path.sampleRate && frame.format == path.format &&
               av_channel_layout_compare(&frame.ch_layout, &path.layout) == 0;
    }

    bool BuildFilters(StreamPath& path, const AVFrame& frame) {
        const AVRational timeBase = path.input->time_base;
        std::ostringstream args;
        path.format = frame.format;
        if (path.input->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            if (frame.width <= 0 || frame.height <= 0 || frame.format < 0)
                return true;
            path.width = frame.width;
            path.height = frame.height;
            const AVRational sar =
                frame.sample_aspect_ratio.num > 0 ? frame.sample_aspect_ratio : AVRational{1, 1};
            args << "video_size=" << frame.width << "x" << frame.height << ":pix_fmt=" << frame.format
                 << ":time_base=" << timeBase.num << "/" << timeBase.den << ":pixel_aspect=" << sar.num << "/"
                 << sar.den;
            path.filters = std::make_unique<FilterChain>("buffer", args.str(), path.filterDescription);
        } else {
            if (frame.sample_rate <= 0 || frame.format < 0 || frame.ch_layout.nb_channels <= 0)
                return true;
            path.sampleRate = frame.sample_rate;
            av_channel_layout_uninit(&path.layout);
            av_channel_layout_copy(&path.layout, &frame.ch_layout);
            AVChannelLayout described{};
            if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
                av_channel_layout_default(&described, frame.ch_layout.nb_channels);
            else
                av_channel_layout_copy(&described, &frame.ch_layout);
            char layout[128] = {};
            av_channel_layout_describe(&described, layout, sizeof layout);
            av_channel_layout_uninit(&described);
            args << "time_base=" << timeBase.num << "/" << timeBase.den
                 << ":sample_rate=" << frame.sample_rate
                 << ":sample_fmt=" << av_get_sample_fmt_name(static_cast<AVSampleFormat>(frame.format))
                 << ":channel_layout=" << layout;
            path.filters = std::make_unique<FilterChain>("abuffer", args.str(), path.filterDescription);
            if (!(path.encoder->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE))
                path.filters->SetFrameSize(path.encoder->frame_size);
        }
        return true;
    }

    // Takes every frame the graph has ready to the encoder; with ending set, closes the graph first.
    bool DrainFilters(StreamPath& path, bool ending) {
        if (!path.filters)
            return true;
        if (ending)
            path.filters->Push(nullptr);
        while (true) {
            const int pulled = path.filters->Pull(m_filtered.get());
            if (pulled == AVERROR(EAGAIN))
                return true;
            if (pulled == AVERROR_EOF) {
                // A trim that has reached its end closes the stream for good.
                if (!ending)
                    path.filtersEnded = true;
                return true;
            }
            if (pulled < 0)
                return Fail("Filtering failed: " + AvErrorText(pulled));
            const bool ok = Encode(path, m_filtered.get());
            av_frame_unref(m_filtered.get());
            if (!ok)
                return false;
        }
    }

    bool Encode(StreamPath& path, AVFrame* frame) {
        AVCodecContext* encoder = path.encoder.get();
        if (frame) {
            if (encoder->codec_type == AVMEDIA_TYPE_AUDIO) {
                frame->pts = path.nextPts;
                path.nextPts += frame->nb_samples;
            } else {
                frame->pts = av_rescale_q(frame->pts, path.filters->OutputTimeBase(), encoder->time_base);
                frame->pict_type = AV_PICTURE_TYPE_NONE;
                // The encoder takes strictly increasing timestamps only.
                if (path.lastEncoderPts != AV_NOPTS_VALUE && frame->pts <= path.lastEncoderPts)
                    return true;
                path.lastEncoderPts = frame->pts;
            }
        }
        const int sent = avcodec_send_frame(encoder, frame);
        if (sent < 0 && sent != AVERROR_EOF)
            return Fail(std::string("Encoding failed (") + encoder->codec->name + "): " + AvErrorText(sent));
        while (true) {
            const int received = avcodec_receive_packet(encoder, m_encoded.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return true;
            if (received < 0)
                return Fail(std::string("Encoding failed (") + encoder->codec->name +
                            "): " + AvErrorText(received));
            if (encoder->codec_type == AVMEDIA_TYPE_VIDEO)
                NoteVideoPacket(*m_encoded);
            av_packet_rescale_ts(m_encoded.get(), encoder->time_base, path.output->time_base);
            if (!Write(path, m_encoded.get()))
                return false;
        }
    }

    void NoteVideoPacket(const AVPacket& packet) {
        ++m_framesWritten;
        size_t size = 0;
        const uint8_t* stats = av_packet_get_side_data(&packet, AV_PKT_DATA_QUALITY_STATS, &size);
        if (stats && size >= 4)
            m_quality = static_cast<double>(AV_RL32(stats)) / FF_QP2LAMBDA;
    }

    bool CopyPacket(StreamPath& path, AVPacket& packet) {
        const int64_t offset = av_rescale_q(m_timeOffset, kMicroseconds, path.input->time_base);
        if (packet.pts != AV_NOPTS_VALUE)
            packet.pts -= offset;
        if (packet.dts != AV_NOPTS_VALUE)
            packet.dts -= offset;
        const int64_t when = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
        if (m_options.startMicroseconds && when != AV_NOPTS_VALUE && when < 0)
            return true;
        if (m_options.durationMicroseconds && when != AV_NOPTS_VALUE &&
            av_rescale_q(when, path.input->time_base, kMicroseconds) >= *m_options.durationMicroseconds) {
            path.filtersEnded = true;
            return true;
        }
        av_packet_rescale_ts(&packet, path.input->time_base, path.output->time_base);
        packet.pos = -1;
        if (path.input->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            ++m_framesWritten;
        return Write(path, &packet);
    }

    bool Write(StreamPath& path, AVPacket* packet) {
        packet->stream_index = path.output->index;
        if (packet->pts != AV_NOPTS_VALUE) {
            const double end = static_cast<double>(packet->pts + std::max<int64_t>(packet->duration, 0)) *
                               av_q2d(path.output->time_base);
            m_outputSeconds = std::max(m_outputSeconds.value_or(0.0), end);
        }
        const int written = av_interleaved_write_frame(m_outputContext.get(), packet);
        if (written < 0) {
            // The muxer refuses one packet of a damaged stream (out-of-order timestamps); a failing
            // file write ends the conversion.
            if (m_outputContext->pb && m_outputContext->pb->error < 0)
                return Fail("Cannot write '" + m_options.output +
                            "': " + AvErrorText(m_outputContext->pb->error));
        }
        return true;
    }

    bool FlushAll() {
        for (StreamPath* path : Paths()) {
            if (path->copy)
                continue;
            if (!path->filtersEnded && !g_stopRequested && !Decode(*path, nullptr))
                return false;
            if (!DrainFilters(*path, true))
                return false;
            if (!Encode(*path, nullptr))
                return false;
        }
        return true;
    }

    void Finish() {
        if (m_headerWritten) {
            const int written = av_write_trailer(m_outputContext.get());
            m_headerWritten = false;
            if (written < 0 && m_failure.empty())
                m_failure = "Cannot finish '" + m_options.output + "': " + AvErrorText(written);
        }
        ReportStatus(true);
        if (!m_failure.empty())
            throw TranscodeError(m_failure);
    }

    void ReportStatus(bool final) {
        const auto now = Clock::now();
        if (!final && now - m_lastStatus < kStatusInterval)
            return;
        m_lastStatus = now;
        StatusInfo info;
        info.hasVideo = m_video != nullptr;
        info.frames = m_framesWritten;
        info.quality = m_quality;
        // Muxers that rewrite their header at the end move the write position back; the size only grows.
        if (m_outputContext && m_outputContext->pb)
            m_bytesWritten = std::max(
                {m_bytesWritten, avio_tell(m_outputContext->pb), final ? avio_size(m_outputContext->pb) : 0});
        info.bytes = m_bytesWritten;
        info.seconds = m_outputSeconds;
        WriteToConsole(FormatStatusLine(info, final));
    }

    TranscodeOptions m_options;
    std::optional<Rational> m_scriptRate;
    std::string m_scriptPath;
    std::optional<TargetPreset> m_target;
    InterruptState m_interrupt;
    InputContextPtr m_inputContext;
    OutputContextPtr m_outputContext;
    const AVOutputFormat* m_format = nullptr;
    int m_videoIndex = -1;
    int m_audioIndex = -1;
    std::unique_ptr<StreamPath> m_video;
    std::unique_ptr<StreamPath> m_audio;
    AVPacketPtr m_packet;
    AVFramePtr m_frame;
    AVFramePtr m_filtered;
    AVPacketPtr m_encoded;
    int64_t m_timeOffset = 0;
    bool m_headerWritten = false;
    int64_t m_framesWritten = 0;
    double m_quality = 0.0;
    std::optional<double> m_outputSeconds;
    Clock::time_point m_lastStatus = Clock::now();
    std::string m_failure;
    std::vector<std::string> m_warnings;
    int64_t m_bytesWritten = 0;
};

} // namespace

int RunTranscode(const TranscodeOptions& options, std::optional<Rational> scriptFrameRate,
                 const std::string& scriptPath) {
    Transcode transcode(options, scriptFrameRate);
    transcode.SetScriptPath(scriptPath);
    return transcode.Run();
}
