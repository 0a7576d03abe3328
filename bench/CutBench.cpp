// Cutting 30 seconds out of a 10-minute 1080p H.264/AAC MP4 (a key frame every 5 s, its picture
// showing its own second and picture number): the copy at key frames, the exact cut, and re-encoding
// the same cut with the program's "MP4 Video, H.264 + AAC" Normal Quality line at the source's size.
// Prints the wall times and their ratios to the re-encoding (goals: copy under 3 %, exact under
// 10 %), and what each output shows: its first picture (against the prediction), its length in
// pictures, the start of its sound against its pictures, and its decoding errors.
//
//     cut_bench   (the source is made once, with ffmpeg, and kept in the temporary folder)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/RunProgram.h"
#include "tests/common/MediaCheck.h"
#include "tests/common/StreamStarts.h"
#include "tests/common/TestClip.h"

namespace {

constexpr int kRate = 25;
constexpr int kStartSecond = 302; // 5:02
constexpr int kKeyInterval = 5;
constexpr int kCutSeconds = 30;
constexpr int kRunsEach = 3;

// Runs a program to its end with its output discarded; its wall time in seconds.
double Run(const std::vector<std::string>& command) {
    const auto start = std::chrono::steady_clock::now();
    if (RunProgram(command, true) != 0)
        throw std::runtime_error(command[0] + " failed: " + command.back());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double MedianRun(const std::vector<std::string>& command, int runs) {
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i)
        seconds.push_back(Run(command));
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

// The pattern is drawn small and scaled up (drawing it at 1080p would take longer than encoding); a
// moving test picture fills the top quarter, above the band the pattern is read from.
std::string MakeSource(const std::filesystem::path& dir) {
    const std::string path = dir / "source-10min-1080p.mp4";
    if (std::filesystem::exists(path))
        return path;
    const std::string rate = std::to_string(kRate);
    const std::string pattern = "color=c=black:s=64x36:r=" + rate + ",geq=lum='if(lt(X,W/2),mod(floor(N/" +
                                rate + "),8)*28+16,mod(N," + rate + ")*8+20)':cb=128:cr=128";
    const std::string keys = std::to_string(kKeyInterval * kRate);
    const std::string partial = dir / "making.mp4";
    Run({"ffmpeg",
         "-nostdin",
         "-y",
         "-f",
         "lavfi",
         "-i",
         pattern,
         "-f",
         "lavfi",
         "-i",
         "testsrc2=s=1920x270:r=" + rate,
         "-f",
         "lavfi",
         "-i",
         "sine=frequency=440:sample_rate=48000",
         "-filter_complex",
         "[0:v]scale=1920:1080:flags=neighbor[p];[p][1:v]overlay=0:0[v]",
         "-map",
         "[v]",
         "-map",
         "2:a",
         "-ac",
         "2",
         "-c:v",
         "libx264",
         "-preset",
         "ultrafast",
         "-g",
         keys,
         "-keyint_min",
         keys,
         "-sc_threshold",
         "0",
         "-pix_fmt",
         "yuv420p",
         "-c:a",
         "aac",
         "-t",
         "600",
         partial});
    std::filesystem::rename(partial, path);
    return path;
}

void Report(const char* name, const std::string& path, int predictedPicture) {
    const MediaReport media = CheckMedia(path);
    const StreamStarts starts = ReadStreamStarts(path);
    const int first = SecondShown(media.firstLeftLuma) * kRate + PictureShown(media.firstRightLuma);
    const int predicted = predictedPicture % (8 * kRate);
    const bool clean = RunFfmpeg({"-xerror", "-i", path, "-f", "null", "-"}) == 0 && media.errors == 0;
    std::printf(
        "  %s: first picture shows second %d (mod 8), picture %d (predicted %d, %d); %lld pictures; sound "
        "starts %+.1f ms from the pictures (one audio frame %.1f ms); decoding %s\n",
        name, first / kRate, first % kRate, predicted / kRate, predicted % kRate,
        static_cast<long long>(media.videoFrames), (starts.audioStart - starts.videoStart) * 1000.0,
        starts.audioFrameSeconds * 1000.0, clean ? "without errors" : "WITH ERRORS");
}

} // namespace

int main() {
    const char* folderVariable = std::getenv("RIVAMO_PROGRAM_DIR");
    const std::string trenc =
        std::string(folderVariable ? folderVariable : RIVAMO_PROGRAM_DIR_DEFAULT) + "/trenc";
    const auto dir = std::filesystem::temp_directory_path() / "rivamo-cut-bench";
    std::filesystem::create_directories(dir);
    try {
        const std::string source = MakeSource(dir);
        const std::vector<std::string> cut{"-ss", "00:05:02", "-t", std::to_string(kCutSeconds)};
        auto line = [&](std::vector<std::string> options, const std::string& output) {
            std::vector<std::string> command{trenc, "-y", "-i", source};
            command.insert(command.end(), options.begin(), options.end());
            command.insert(command.end(), cut.begin(), cut.end());
            command.push_back((dir / output).string());
            return command;
        };
        const double copy = MedianRun(line({"-map", "0", "-c", "copy"}, "copy.mp4"), kRunsEach);
        const double exact =
            MedianRun(line({"-map", "0", "-c", "copy", "-cut", "exact"}, "exact.mp4"), kRunsEach);
        // "MP4 Video, H.264 + AAC", Normal Quality, every list at "Same as source".
        const double encode = Run(
            line({"-vcodec", "libx264", "-pix_fmt", "yuv420p", "-acodec", "aac", "-movflags", "+faststart",
                  "-crf", "22", "-maxrate", "6000k", "-bufsize", "12000k", "-b:a", "160k", "-ac", "2"},
                 "encoded.mp4"));
        std::printf("Cut 5:02-5:32 of a 10-minute 1080p H.264/AAC MP4, key frame every %d s\n", kKeyInterval);
        std::printf("  copy at key frames: %.2f s (%.1f %% of re-encoding; goal < 3 %%)\n", copy,
                    100.0 * copy / encode);
        std::printf("  exact cut: %.2f s (%.1f %% of re-encoding; goal < 10 %%)\n", exact,
                    100.0 * exact / encode);
        std::printf("  re-encoding (H.264 + AAC, Normal Quality): %.2f s\n", encode);
        const int keyBefore = kStartSecond / kKeyInterval * kKeyInterval;
        Report("copy", (dir / "copy.mp4").string(), keyBefore * kRate);
        Report("exact", (dir / "exact.mp4").string(), kStartSecond * kRate);
        Report("re-encoded", (dir / "encoded.mp4").string(), kStartSecond * kRate);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 1;
    }
    return 0;
}
