// Compares trenc with the ffmpeg command on the same work: a generated 60-second 640x480 25 fps clip
// with stereo audio, converted with the RealMedia and the MP3 "Normal Quality" options. Runs alternate;
// prints the median wall-time ratio and the peak-memory ratio (trenc / ffmpeg) of each case.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kRunsEach = 5;

struct Measure {
    double seconds = 0.0;
    long peakKilobytes = 0;
};

// Runs a program to its end with its output discarded; wall time and its own peak resident size.
Measure Run(const std::vector<std::string>& command) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const auto& argument : command)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + command[0]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(command[0] + " failed");
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return {elapsed.count(), usage.ru_maxrss};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Compare(const char* name, const std::vector<std::string>& trenc,
             const std::vector<std::string>& ffmpeg) {
    std::vector<double> trencSeconds, ffmpegSeconds, trencMemory, ffmpegMemory;
    for (int i = 0; i < kRunsEach; ++i) {
        const Measure a = Run(trenc);
        const Measure b = Run(ffmpeg);
        trencSeconds.push_back(a.seconds);
        ffmpegSeconds.push_back(b.seconds);
        trencMemory.push_back(static_cast<double>(a.peakKilobytes));
        ffmpegMemory.push_back(static_cast<double>(b.peakKilobytes));
    }
    std::printf("%s: trenc %.2f s %.0f MB, ffmpeg %.2f s %.0f MB; wall ratio %.3f, memory ratio %.3f\n", name,
                Median(trencSeconds), Median(trencMemory) / 1024, Median(ffmpegSeconds),
                Median(ffmpegMemory) / 1024, Median(trencSeconds) / Median(ffmpegSeconds),
                Median(trencMemory) / Median(ffmpegMemory));
}

} // namespace

int main() {
    const char* folderVariable = std::getenv("RIVAMO_PROGRAM_DIR");
    const std::string trenc =
        std::string(folderVariable ? folderVariable : RIVAMO_PROGRAM_DIR_DEFAULT) + "/trenc";
    const std::string ffmpeg = "/usr/bin/ffmpeg";
    const auto dir = std::filesystem::temp_directory_path() / "rivamo-transcoder-bench";
    std::filesystem::create_directories(dir);
    const std::string clip = dir / "clip.avi";
    const std::string rm = dir / "out.rm";
    const std::string mp3 = dir / "out.mp3";
    try {
        if (!std::filesystem::exists(clip))
            Run({ffmpeg, "-y",
                 "-f",   "lavfi",
                 "-i",   "testsrc=size=640x480:rate=25",
                 "-f",   "lavfi",
                 "-i",   "sine=frequency=440:sample_rate=44100",
                 "-ac",  "2",
                 "-t",   "60",
                 "-c:v", "mpeg4",
                 "-q:v", "4",
                 "-c:a", "libmp3lame",
                 "-b:a", "128k",
                 clip});
        // RealMedia "Normal Quality": AC-3 is RealMedia's audio; 44100 Hz needs no adjustment.
        Compare("RM Normal Quality", {trenc,  "-y",      "-i",  clip, "-vcodec", "rv20",  "-b",  "768",
                                      "-s",   "320x240", "-r",  "15", "-aspect", "4:3",   "-ab", "128",
                                      "-vol", "200",     "-ac", "2",  "-ar",     "44100", rm},
                {ffmpeg, "-y", "-i",      clip,    "-c:v", "rv20", "-b:v", "768k", "-s",  "320x240",
                 "-r",   "15", "-aspect", "4:3",   "-c:a", "ac3",  "-b:a", "128k", "-af", "volume=200/256",
                 "-ac",  "2",  "-ar",     "44100", rm});
        Compare("MP3 Normal Quality",
                {trenc, "-y", "-i", clip, "-acodec", "mp3", "-vn", "-ab", "128", "-vol", "200", "-ac", "1",
                 "-ar", "22050", mp3},
                {ffmpeg, "-y", "-i", clip, "-vn", "-c:a", "libmp3lame", "-b:a", "128k", "-af",
                 "volume=200/256", "-ac", "1", "-ar", "22050", mp3});
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 1;
    }
    return 0;
}
