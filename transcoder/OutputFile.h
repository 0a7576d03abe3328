#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/LibavOwners.h"
#include "transcoder/Options.h"
#include "transcoder/TargetPreset.h"

// The container asked for with -f, else the one the output name's extension names. Throws
// TranscodeError when there is none.
const AVOutputFormat& ChooseOutputFormat(const TranscodeOptions& options);

// The output: a local file that is none of the protected inputs, its streams, the header, the packets
// and the trailer. An output that fails is removed.
class OutputFile {
public:
    // Throws TranscodeError when the path is no local file name, names one of the protected files,
    // or names an existing file and overwrite is not set.
    OutputFile(const std::string& path, const AVOutputFormat& format,
               const std::vector<std::string>& protectedPaths, bool overwrite);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const AVOutputFormat& Format() const { return *m_context->oformat; }
    const AVFormatContext& Context() const { return *m_context; }
    AVStream* AddStream(const AVCodecContext& encoder);
    AVStream* AddCopiedStream(const AVStream& input);
    // Stores the four-letter code for the stream (an MP4's "hvc1" for H.265). Throws TranscodeError
    // when the container has no such code for the stream's codec.
    void SetCodecTag(AVStream& stream, const std::string& tag);
    // Carries over what users keep from the input: its creation time, and the language of the audio
    // stream converted.
    void CarryMetadata(const AVFormatContext& input, const AVStream* inputAudio);
    // Creates the file and writes the header, with the preset's muxer settings and the -movflags;
    // removes the file when that fails.
    void Open(const std::optional<TargetPreset>& target, const std::string& movFlags);
    // Writes a packet whose timestamps are in the stream's time base. A packet the muxer refuses is
    // lost; a failing file write throws TranscodeError.
    void Write(AVPacket* packet, const AVStream& stream);
    // Writes the trailer; the error text, empty when the file was finished.
    std::string Finish();
    // Removes the file, once its writer is closed.
    void Remove();

    int64_t Bytes(bool final);
    // The end of the latest packet written, in seconds; no value before the first.
    std::optional<double> Seconds() const { return m_seconds; }

private:
    void OpenFileAndHeader(const std::optional<TargetPreset>& target, const std::string& movFlags);

    std::string m_path;
    OutputContextPtr m_context;
    bool m_headerWritten = false;
    int64_t m_bytes = 0;
    std::optional<double> m_seconds;
};
