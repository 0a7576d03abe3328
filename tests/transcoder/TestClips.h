#pragma once

#include <string>

#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"

// The transcoder tests' clips, made once per test run in one temporary folder. Their pictures tell
// their own time (ClipPicture::TimePattern).
namespace TestClips {

const TempDir& Folder();

// 2 s, 160x120, 25 fps, MPEG-4 video and stereo PCM audio at 44100 Hz in AVI.
const std::string& Short();
// 4 s of the same kind, 320x240.
const std::string& FourSeconds();
// 4 minutes, 64x48, 25 fps, key frame every 12 pictures, stereo 44100 Hz.
const std::string& FourMinutes();
// 1 s clips of several containers (avi, mov, 3gp, flv, mpg, asf, rm, mp4, mkv), for damaging.
const std::string& InContainer(const std::string& extension);

} // namespace TestClips
