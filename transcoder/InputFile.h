#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "support/LibavOwners.h"
#include "transcoder/Rational.h"
#include "transcoder/StallWatch.h"

// The input: a local regular file (no other protocol, no FIFO or device), its video and audio stream
// chosen, positioned at the start of the cut and read packet by packet.
class InputFile {
public:
    // Throws TranscodeError when the file is no local regular file or cannot be opened.
    explicit InputFile(const std::string& path);
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& Path() const { return m_path; }
    const AVFormatContext& Context() const { return *m_context; }
    // The streams to convert; nullptr for none.
    AVStream* VideoStream() const { return m_video; }
    AVStream* AudioStream() const { return m_audio; }
    std::optional<Rational> FrameRate() const;

    // Moves to the key frame at or before the start; returns the input time (microseconds) that
    // becomes the output's time zero.
    int64_t SeekToStart(std::optional<int64_t> startMicroseconds);
    // Moves to the key frame of the stream at or before the timestamp (in the stream's time base), or
    // to the beginning of the file when there is none. A file that cannot seek is read from where it
    // stands, and says so.
    void SeekBefore(const AVStream& stream, std::optional<int64_t> timestamp);
    // The next packet (0) or the end of what can be read (AVERROR_EOF). Throws TranscodeError when
    // the input has stalled.
    int Read(AVPacket* packet);
    // A picture or sample was made: the conversion is alive.
    void NoteProgress() { m_watch.Touch(); }

private:
    static int Interrupt(void* opaque);
    void Open();
    AVStream* BestStream(AVMediaType type) const;
    [[noreturn]] void ThrowStalled() const;

    std::string m_path;
    StallWatch m_watch;
    InputContextPtr m_context;
    AVStream* m_video = nullptr;
    AVStream* m_audio = nullptr;
};

// Refuses a name that libavformat would read as an address (tcp:, http:, pipe: ...): Rivamo's
// transcoder reads and writes local files only. Throws TranscodeError.
void RequireLocalFileName(const std::string& path);
