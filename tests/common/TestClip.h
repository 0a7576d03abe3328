#pragma once

#include <string>
#include <vector>

#include "tests/common/TempDir.h"

// Runs the ffmpeg command with the given arguments after a quiet, non-interactive, overwriting
// preamble (no shell); returns its exit status, -1 when it could not run.
int RunFfmpeg(std::vector<std::string> arguments);

// The picture of a clip: ffmpeg's moving test picture, or a pattern that tells its own time (the left
// half's brightness steps with the second, 16 + 28 × (second mod 8); the right half's with the picture
// within the second, 20 + 8 × index).
enum class ClipPicture { TestSource, TimePattern };

// How to make one clip from ffmpeg's test sources: a picture and a 440 Hz tone.
struct ClipRecipe {
    double seconds;
    std::string size; // "WxH"
    int frameRate;
    int sampleRate; // 0: no audio stream
    std::vector<std::string> codecs;
    ClipPicture picture = ClipPicture::TestSource;
};

// Makes the clip `name` in the folder and returns its path; raises when ffmpeg fails.
std::string MakeClip(const TempDir& folder, const std::string& name, const ClipRecipe& recipe);

// The second and the picture index that the time pattern shows for the given mean luma values.
int SecondShown(double leftLuma);
int PictureShown(double rightLuma);
