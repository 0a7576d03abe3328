#pragma once

#include <cstdint>
#include <string>

// What decoding a whole file with FFmpeg's own decoders found.
struct MediaReport {
    bool opened = false;
    std::string openError;
    int errors = 0; // decoder and demuxer errors, reported or logged
    std::string format;

    bool hasVideo = false;
    std::string videoCodec;
    int width = 0;
    int height = 0;
    int sarNum = 0, sarDen = 1; // as stored; 0 means unknown (square)
    int64_t videoFrames = 0;
    double videoSeconds = 0.0; // from the first picture's start to the last picture's end
    // Mean luma of the first picture in its left and right halves (the test pattern's clocks).
    double firstLeftLuma = -1.0;
    double firstRightLuma = -1.0;
    int64_t videoBytes = 0;   // the video packets' sizes added up
    bool hasRotation = false; // the video stream carries a display matrix
    std::string creationTime; // the file's creation_time, "" for none

    bool hasAudio = false;
    std::string audioCodec;
    int sampleRate = 0;
    int channels = 0;
    int64_t audioSamples = 0;
    double audioPeak = 0.0;    // largest sample magnitude, 1.0 is full scale
    std::string audioLanguage; // the audio stream's language tag, "" for none

    double AudioSeconds() const {
        return sampleRate > 0 ? static_cast<double>(audioSamples) / sampleRate : 0.0;
    }
    double DisplayAspect() const {
        const double sar = sarNum > 0 ? static_cast<double>(sarNum) / sarDen : 1.0;
        return height > 0 ? sar * width / height : 0.0;
    }
};

// Opens the file with libavformat and decodes every packet of its first video and audio stream.
MediaReport CheckMedia(const std::string& path);
