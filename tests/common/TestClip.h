#pragma once

#include <string>
#include <vector>

#include "tests/common/TempDir.h"

// Runs the ffmpeg command with the given arguments after a quiet, non-interactive, overwriting
// preamble (no shell); returns its exit status, -1 when it could not run.
int RunFfmpeg(std::vector<std::string> arguments);

// How to make one clip from ffmpeg's test sources: a moving test picture and a 440 Hz tone.
struct ClipRecipe {
    double seconds;
    std::string size; // "WxH"
    int frameRate;
    int sampleRate; // 0: no audio stream
    std::vector<std::string> codecs;
};

// Makes the clip `name` in the folder and returns its path; raises when ffmpeg fails.
std::string MakeClip(const TempDir& folder, const std::string& name, const ClipRecipe& recipe);

// Makes an AVI clip whose audio stream carries a format tag that no decoder knows (the PCM
// clip's tag overwritten): the video decodes, the audio cannot.
std::string MakeClipWithUndecodableAudio(const TempDir& folder, const std::string& name, double seconds);
