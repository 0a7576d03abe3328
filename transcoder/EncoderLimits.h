#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "transcoder/Options.h"

// What encoders accept beyond what they advertise through the library, by encoder name. Callers
// take the value returned and announce it when it differs from the one asked for.

// The accepted value nearest to the asked one (the lower on a tie); the asked one for an empty list.
int64_t NearestValue(const std::vector<int64_t>& accepted, int64_t asked);

// The bitrates (bit/s) an encoder accepts at a sample rate; empty when any bitrate will do.
std::vector<int64_t> AcceptedAudioBitrates(const std::string& encoder, int sampleRate);

// The frame size nearest to the asked one that the encoder can code.
FrameSize AcceptedFrameSize(const std::string& encoder, FrameSize asked);
