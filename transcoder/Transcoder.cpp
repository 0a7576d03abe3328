#include "transcoder/Transcoder.h"

#include <memory>
#include <vector>

#include "transcoder/Console.h"
#include "transcoder/CopyPlan.h"
#include "transcoder/EncoderSetup.h"
#include "transcoder/InputFile.h"
#include "transcoder/OutputFile.h"
#include "transcoder/StatusReport.h"
#include "transcoder/StreamCopy.h"
#include "transcoder/StreamPath.h"
#include "transcoder/StreamPlan.h"
#include "transcoder/TargetPreset.h"
#include "transcoder/TranscodeError.h"

volatile std::sig_atomic_t g_stopRequested = 0;

namespace {

constexpr int kExitInterrupted = 255;

using Paths = std::vector<std::unique_ptr<StreamPath>>;

// The preset of -target fills what the command line left open.
std::optional<TargetPreset> ApplyTargetPreset(TranscodeOptions& options, std::optional<Rational> scriptRate,
                                              const InputFile& input) {
    if (!options.target)
        return std::nullopt;
    TargetPreset preset = ResolveTarget(*options.target, scriptRate ? scriptRate : input.FrameRate());
    ApplyTarget(preset, options);
    return preset;
}

// The files the output may never replace: the input and the script it came through.
std::vector<std::string> ProtectedPaths(const TranscodeOptions& options, const std::string& scriptPath) {
    std::vector<std::string> paths{options.input};
    if (!scriptPath.empty())
        paths.push_back(scriptPath);
    return paths;
}

// A cut of no length (-t 0) has ended before it began.
bool CutHasEnded(const TranscodeOptions& options, const Paths& paths) {
    if (!options.durationMicroseconds)
        return false;
    if (*options.durationMicroseconds <= 0)
        return true;
    for (const auto& path : paths)
        if (!path->Ended())
            return false;
    return true;
}

// Reads the input to its end (or the cut's), converts every packet, flushes every stream. Returns the
// reason the conversion failed, empty when it did not.
std::string ConvertAll(InputFile& input, Paths& paths, StatusReport& status,
                       const TranscodeOptions& options) {
    try {
        const int64_t zero = input.SeekToStart(options.startMicroseconds);
        for (const auto& path : paths)
            path->Start(zero);
        AVPacketPtr packet(av_packet_alloc());
        if (!packet)
            return "Out of memory";
        while (!g_stopRequested && !CutHasEnded(options, paths) && input.Read(packet.get()) == 0) {
            for (const auto& path : paths)
                if (packet->stream_index == path->InputIndex())
                    path->Convert(*packet);
            av_packet_unref(packet.get());
            status.Print(false);
        }
        for (const auto& path : paths)
            path->Flush();
        return "";
    } catch (const TranscodeError& error) {
        return error.what();
    }
}

// Finishes the file and tells how the run ended. An output that failed or holds no picture and no
// sample is removed; one stopped by a signal is kept as far as it goes.
int Finish(OutputFile& output, StatusReport& status, std::string failure, const std::string& path) {
    const std::string unfinished = output.Finish();
    if (failure.empty())
        failure = unfinished;
    status.Print(true);
    if (failure.empty() && !g_stopRequested && status.NothingWritten())
        failure = "Output file '" + path + "' is empty: no picture or sound was converted";
    if (!failure.empty() || status.NothingWritten())
        output.Remove();
    if (!failure.empty())
        throw TranscodeError(failure);
    if (g_stopRequested) {
        WriteConsoleLine("Conversion stopped by a signal: the output ends early");
        return kExitInterrupted;
    }
    return 0;
}

// -map 0 copies every stream; decoding any of them is not what it asks for.
void RequireStreamCopy(const TranscodeOptions& options) {
    for (const auto* codec : {&options.videoCodec, &options.audioCodec, &options.subtitleCodec})
        if (!IsCopy(*codec))
            throw OptionError("-map 0 copies the streams: it goes with -c copy");
    if (options.noVideo || options.noAudio || options.target || options.videoFilter)
        throw OptionError("-map 0 copies every stream as it is: -vn, -an, -target and -vf do not apply");
}

// Every stream copied (-map 0 -c copy), cut at a key frame or exactly; see "Copy and cut" in
// transcoder/README.md.
int RunStreamCopy(const TranscodeOptions& options, const std::string& scriptPath) {
    RequireStreamCopy(options);
    InputFile input(options.input);
    const AVOutputFormat& format = ChooseOutputFormat(options);
    Warnings warnings;
    CopyPlan plan = PlanCopy(input, options, format, warnings);
    OutputFile output(options.output, format, ProtectedPaths(options, scriptPath), options.overwrite);
    bool hasVideo = false;
    for (const AVStream* stream : plan.streams)
        hasVideo = hasVideo || stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    StatusReport status(output, hasVideo);
    StreamCopy copy(std::move(plan), PathSinks{input, output, status});
    output.CarryMetadata(input.Context(), nullptr);
    output.Open(std::nullopt, options.movFlags);
    status.PrintHeader(input, std::nullopt, warnings);
    const std::string failure = copy.Run();
    return Finish(output, status, failure, options.output);
}

} // namespace

int RunTranscode(const TranscodeOptions& asked, std::optional<Rational> scriptFrameRate,
                 const std::string& scriptPath) {
    if (asked.mapAll)
        return RunStreamCopy(asked, scriptPath);
    InputFile input(asked.input);
    TranscodeOptions options = asked;
    const std::optional<TargetPreset> target = ApplyTargetPreset(options, scriptFrameRate, input);
    const AVOutputFormat& format = ChooseOutputFormat(options);
    const EncoderRequest request{options, target, scriptFrameRate, input.FrameRate(), format};
    Warnings warnings;
    std::optional<StreamPlan> video = PlanVideo(input, request, warnings);
    std::optional<StreamPlan> audio = PlanAudio(input, request, warnings);
    if (!video && !audio)
        throw TranscodeError("Output file '" + options.output + "' would contain no stream");

    OutputFile output(options.output, format, ProtectedPaths(options, scriptPath), options.overwrite);
    StatusReport status(output, video.has_value());
    const Cut cut{options.startMicroseconds.has_value(), options.durationMicroseconds};
    Paths paths;
    for (std::optional<StreamPlan>* plan : {&video, &audio})
        if (*plan)
            paths.push_back(
                std::make_unique<StreamPath>(std::move(**plan), cut, PathSinks{input, output, status}));
    if (options.videoTag && video)
        output.SetCodecTag(*paths.front()->OutputStream(), *options.videoTag);
    output.CarryMetadata(input.Context(), audio ? input.AudioStream() : nullptr);
    output.Open(target, options.movFlags);
    status.PrintHeader(input, paths.front()->EncodedFrameRate(), warnings);

    const std::string failure = ConvertAll(input, paths, status, options);
    return Finish(output, status, failure, options.output);
}
