// Measures reading the facts of a cut without re-encoding from a 10-minute 1080p H.264 source with a
// key frame every 5 s: as MP4 (key frames found through the index) and as MPEG-TS (read through).
// The sources are a 10-second clip repeated by stream copy, so making them takes seconds, not minutes.
// Usage: copy_probe_bench [FILE...]

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/RunProgram.h"
#include "sources/FfmpegCopySourceProbe.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int Rounds = 3;

void Ffmpeg(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"ffmpeg", "-nostdin", "-loglevel", "error", "-y"});
    if (RunProgram(arguments) != 0)
        throw std::runtime_error("ffmpeg failed");
}

void Measure(FfmpegCopySourceProbe& probe, const std::string& path) {
    double best = 1e9;
    CopySourceFacts facts;
    for (int round = 0; round < Rounds; ++round) {
        const auto start = Clock::now();
        facts = probe.Probe(path);
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::printf("%-28s %6.1f MB  %4zu key frames  best of %d: %.3f s\n", fs::path(path).filename().c_str(),
                static_cast<double>(facts.bytes) / 1e6, facts.keyFramesMs.size(), Rounds, best);
}

} // namespace

// With file names, measures those files instead.
int main(int argc, char** argv) {
    FfmpegCopySourceProbe probe;
    if (argc > 1) {
        for (int i = 1; i < argc; ++i)
            Measure(probe, argv[i]);
        return 0;
    }
    const fs::path folder = fs::temp_directory_path() / "rivamo-copy-probe-bench";
    fs::create_directories(folder);
    const std::string clip = (folder / "10s.mp4").string();
    const std::string mp4 = (folder / "10min-1080p.mp4").string();
    const std::string ts = (folder / "10min-1080p.ts").string();
    Ffmpeg({"-f",       "lavfi",     "-i",   "testsrc2=size=1920x1080:rate=25",
            "-f",       "lavfi",     "-i",   "sine=sample_rate=48000",
            "-pix_fmt", "yuv420p",   "-c:v", "libx264",
            "-preset",  "ultrafast", "-b:v", "8M",
            "-g",       "125",       "-c:a", "aac",
            "-t",       "10",        clip});
    Ffmpeg({"-stream_loop", "59", "-i", clip, "-c", "copy", mp4});
    Ffmpeg({"-i", mp4, "-c", "copy", ts});
    Measure(probe, mp4);
    Measure(probe, ts);
    fs::remove_all(folder);
    return 0;
}
