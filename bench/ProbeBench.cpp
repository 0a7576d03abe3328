// Measures the duration probe the way adding files uses it (one graph for the whole list) against
// running ffprobe once per file, on the same generated clips.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include "bench/RunProgram.h"
#include "sources/DurationProbe.h"
#include "sources/FfmpegMediaProbe.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int ClipsPerContainer = 30;
constexpr int LongestClipSeconds = 5;

struct Container {
    const char* extension;
    const char* size;
    int frameRate;
    int sampleRate;
    std::vector<std::string> codecs;
};

const std::vector<Container> Containers = {
    {"avi", "64x48", 10, 8000, {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}},
    {"mov", "64x48", 10, 8000, {"-c:v", "mpeg4", "-c:a", "aac"}},
    {"3gp", "128x96", 10, 8000, {"-c:v", "h263", "-c:a", "aac"}},
    {"mpg", "64x48", 25, 32000, {"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"}},
    {"flv", "64x48", 10, 22050, {"-c:v", "flv", "-c:a", "libmp3lame"}},
    {"wmv", "64x48", 10, 8000, {"-c:v", "wmv2", "-c:a", "wmav2"}},
    {"asf", "64x48", 10, 8000, {"-c:v", "wmv2", "-c:a", "wmav2"}},
    {"vob", "64x48", 25, 48000, {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "vob"}},
    {"rm", "64x48", 10, 8000, {"-c:v", "rv10", "-c:a", "real_144"}},
    {"m4v", "64x48", 10, 8000, {"-c:v", "mpeg4", "-c:a", "aac", "-f", "mp4"}},
};

// One ffmpeg run per container writes all its clips, 1 to 5 seconds long.
struct Clip {
    std::string path;
    std::string extension;
    int64_t seconds;
};

std::vector<Clip> MakeClips(const fs::path& folder) {
    std::vector<Clip> clips;
    for (const auto& container : Containers) {
        std::vector<std::string> arguments = {"ffmpeg",
                                              "-nostdin",
                                              "-hide_banner",
                                              "-loglevel",
                                              "error",
                                              "-y",
                                              "-f",
                                              "lavfi",
                                              "-i",
                                              std::string("testsrc=size=") + container.size +
                                                  ":rate=" + std::to_string(container.frameRate),
                                              "-f",
                                              "lavfi",
                                              "-i",
                                              "sine=sample_rate=" + std::to_string(container.sampleRate)};
        for (int i = 0; i < ClipsPerContainer; ++i) {
            const std::string path =
                (folder / ("clip " + std::to_string(i) + "." + container.extension)).string();
            arguments.insert(arguments.end(), container.codecs.begin(), container.codecs.end());
            const int seconds = 1 + i % LongestClipSeconds;
            arguments.insert(arguments.end(), {"-t", std::to_string(seconds), path});
            clips.push_back({path, container.extension, seconds});
        }
        if (RunProgram(arguments) != 0)
            throw std::runtime_error(std::string("ffmpeg could not make the .") + container.extension +
                                     " clips");
    }
    return clips;
}

double MillisecondsSince(Clock::time_point start, std::size_t files) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() /
           static_cast<double>(files);
}

long PeakMemoryKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main() {
    const fs::path folder = fs::temp_directory_path() / ("rivamo-probe-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    try {
        const std::vector<Clip> clips = MakeClips(folder);
        std::printf("%zu clips of %zu containers in %s\n", clips.size(), Containers.size(), folder.c_str());
        std::printf("peak memory before probing: %ld KiB\n", PeakMemoryKiB());

        FfmpegMediaProbe probe;
        auto start = Clock::now();
        std::vector<int64_t> measured;
        {
            const auto graph = probe.NewGraph(); // one graph for the list, as one adding of files has
            for (const auto& clip : clips)
                measured.push_back(ProbeDuration(clip.path, *graph));
        }
        const double probeMs = MillisecondsSince(start, clips.size());
        const long peakKiB = PeakMemoryKiB();

        start = Clock::now();
        std::size_t ffprobeFailures = 0;
        for (const auto& clip : clips) {
            if (RunProgram({"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0",
                            clip.path}) != 0)
                ++ffprobeFailures;
        }
        const double ffprobeMs = MillisecondsSince(start, clips.size());

        std::size_t failed = 0;
        std::map<std::string, int> otherLength; // clips whose whole seconds differ from the asked length
        for (std::size_t i = 0; i < clips.size(); ++i) {
            failed += measured[i] == 0 ? 1 : 0;
            if (measured[i] != clips[i].seconds)
                ++otherLength[clips[i].extension];
        }
        std::printf("probe:   %8.3f ms per file (%zu of %zu gave 0)\n", probeMs, failed, clips.size());
        for (const auto& [extension, count] : otherLength)
            std::printf("         .%s: %d clips read another whole-second length than asked\n",
                        extension.c_str(), count);
        std::printf("ffprobe: %8.3f ms per file (%zu failures)\n", ffprobeMs, ffprobeFailures);
        std::printf("ratio:   %8.1f x faster\n", ffprobeMs / probeMs);
        std::printf("peak memory after probing: %ld KiB\n", peakKiB);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        fs::remove_all(folder);
        return EXIT_FAILURE;
    }
    fs::remove_all(folder);
    return EXIT_SUCCESS;
}
