#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "support/LibavOwners.h"
#include "transcoder/StreamDecoder.h"
#include "transcoder/StreamEncoder.h"
#include "transcoder/StreamFilter.h"
#include "transcoder/StreamPlan.h"

class InputFile;
class OutputFile;
class StatusReport;

// The part of the input that is converted: from the output's time zero for the duration (if any).
struct Cut {
    bool fromStart = false; // -ss was given: what lies before time zero is dropped
    std::optional<int64_t> durationMicroseconds;
};

// Where a stream's packets and signs of life go.
struct PathSinks {
    InputFile& input;
    OutputFile& output;
    StatusReport& status;
};

// One output stream and everything between its input stream and the muxer.
class StreamPath {
public:
    StreamPath(StreamPlan plan, const Cut& cut, const PathSinks& sinks);
    StreamPath(const StreamPath&) = delete;
    StreamPath& operator=(const StreamPath&) = delete;

    int InputIndex() const { return m_input->index; }
    AVStream* OutputStream() const { return m_output; }
    // The encoded video's frame rate; no value for audio and for a copied stream.
    std::optional<AVRational> EncodedFrameRate() const;
    // Sets the input time (microseconds) that becomes the output's time zero.
    void Start(int64_t zeroMicroseconds);
    // Converts one packet of the input stream. Throws TranscodeError when the conversion must end.
    void Convert(AVPacket& packet);
    // Takes what the decoder, the filters and the encoder still hold to the output.
    void Flush();
    // True once the cut has ended for this stream.
    bool Ended() const { return m_ended || (m_filter && m_filter->Ended()); }

private:
    void Copy(AVPacket& packet);
    void Write(AVPacket* packet, AVRational timeBase);

    AVStream* m_input;
    AVStream* m_output = nullptr;
    Cut m_cut;
    PathSinks m_sinks;
    int64_t m_zero = 0;
    bool m_ended = false;
    std::unique_ptr<StreamDecoder> m_decoder;
    std::unique_ptr<StreamFilter> m_filter;
    std::unique_ptr<StreamEncoder> m_encoder;
    // Made once: the stages hand their results on through these.
    StreamDecoder::FrameHandler m_toFilter;
    StreamFilter::FrameHandler m_toEncoder;
    StreamEncoder::PacketHandler m_toOutput;
};
