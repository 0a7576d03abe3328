#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "profiles/Catalogue.h"
#include "profiles/OptionSelection.h"

// The option fragments of the output types after the first two, in FFmpeg's own spelling. Each
// begins with a blank, or is empty where the option is not passed ("Same as source", nothing
// selected, or an option the type has no use for).
struct ModernFragments {
    std::string videoBitrate; // " -crf 22 -maxrate 6000k -bufsize 12000k"
    std::string videoSize;    // " -vf scale=1280:720:force_original_aspect_ratio=decrease:..."
    std::string frameRate;    // " -r 50"
    std::string aspect;       // " -aspect 16:9"
    std::string audioBitrate; // " -b:a 128k"
    std::string sampleRate;   // " -ar 48000"
};

ModernFragments ModernOptionFragments(const OutputTypeEntry& type, const OptionSelection& options);

// The quality name whose built-in ceiling the chosen video bitrate reaches: the highest one whose
// profile's bitrate position is at or below the chosen position, "Low Quality" below them all, and
// "Normal Quality" when no bitrate is chosen. A custom profile or a hand-picked ceiling thus gets
// the constant quality that belongs to it.
std::size_t QualityForCeiling(const OutputTypeEntry& type, int32_t bitratePosition);

// The constant-quality option and the ceiling for the chosen video bitrate (QualityVideo types).
std::string ConstantQualityFragment(const OutputTypeEntry& type, const OptionList& videoBitrate);
