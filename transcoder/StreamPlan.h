#pragma once

#include <memory>
#include <optional>
#include <string>

#include "support/LibavOwners.h"
#include "transcoder/EncoderSetup.h"
#include "transcoder/StreamDecoder.h"

class InputFile;

// What an output stream is made from: the input stream copied as it is, or decoded, filtered by the
// description and encoded by an opened encoder.
struct StreamPlan {
    AVStream* input = nullptr;
    bool copy = false;
    std::unique_ptr<StreamDecoder> decoder;
    AVCodecContextPtr encoder;
    std::string filters;
};

// The plans for the input's video and audio stream; no value where the output has no such stream.
// An input stream that cannot be decoded is left out with a warning. Throws TranscodeError for an
// encoder that is unknown (also when the input has no stream for it) or does not open.
std::optional<StreamPlan> PlanVideo(const InputFile& input, const EncoderRequest& request,
                                    Warnings& warnings);
std::optional<StreamPlan> PlanAudio(const InputFile& input, const EncoderRequest& request,
                                    Warnings& warnings);
