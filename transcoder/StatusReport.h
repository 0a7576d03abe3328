#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/LibavOwners.h"

class InputFile;
class OutputFile;

// What the console shows: the header (input, output, warnings), then a status line every half
// second and a final one.
class StatusReport {
public:
    StatusReport(OutputFile& output, bool hasVideo) : m_output(output), m_hasVideo(hasVideo) {}

    // outputRate, when set, is the frame rate of the encoded video stream.
    void PrintHeader(const InputFile& input, std::optional<AVRational> outputRate,
                     const std::vector<std::string>& warnings) const;
    // A video packet left the encoder (or was copied).
    void NotePicture(const AVPacket& packet);
    // An audio packet was written.
    void NoteSound() { ++m_soundPackets; }
    bool NothingWritten() const { return m_pictures == 0 && m_soundPackets == 0; }
    // The status line, at most every half second unless final.
    void Print(bool final);

private:
    OutputFile& m_output;
    bool m_hasVideo;
    int64_t m_pictures = 0;
    int64_t m_soundPackets = 0;
    double m_quality = 0.0;
    std::chrono::steady_clock::time_point m_lastPrint = std::chrono::steady_clock::now();
};
