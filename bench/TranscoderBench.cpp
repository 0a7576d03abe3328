// Compares trenc with the ffmpeg command on the same work: a generated 60-second 640x480 25 fps clip
// with stereo audio, converted with the RealMedia and the MP3 "Normal Quality" options ("classic"),
// and a generated 1080p H.264 clip turned into each modern video type in a 1280x720 box ("modern"),
// where HandBrakeCLI (bench/setup-bench installs it) does the same H.264 1080p -> 720p job at the same
// constant quality. Runs alternate, so a machine loaded by others weighs on both alike; prints the
// median wall-time ratio and the peak-memory ratio (trenc / reference) of each case.
//
//     transcoder_bench [classic|modern]   (both when no argument is given)
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
constexpr int kModernRunsEach = 3;

struct Measure {
    double seconds = 0.0;
    long peakKilobytes = 0;
    double cpuSeconds = 0.0; // user and system time of all its threads
};

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// Runs a program to its end with its output discarded; wall time, its own peak resident size and
// the processor time it took (which others' load on a shared machine changes little).
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
    return {elapsed.count(), usage.ru_maxrss, Seconds(usage.ru_utime) + Seconds(usage.ru_stime)};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long FileKilobytes(const std::string& path) {
    return static_cast<long>(std::filesystem::file_size(path) / 1024);
}

void Compare(const char* name, const std::vector<std::string>& trenc, const std::vector<std::string>& ffmpeg,
             int runs = kRunsEach) {
    std::vector<double> trencSeconds, ffmpegSeconds, trencMemory, ffmpegMemory, trencCpu, ffmpegCpu;
    for (int i = 0; i < runs; ++i) {
        const Measure a = Run(trenc);
        const Measure b = Run(ffmpeg);
        trencSeconds.push_back(a.seconds);
        ffmpegSeconds.push_back(b.seconds);
        trencMemory.push_back(static_cast<double>(a.peakKilobytes));
        ffmpegMemory.push_back(static_cast<double>(b.peakKilobytes));
        trencCpu.push_back(a.cpuSeconds);
        ffmpegCpu.push_back(b.cpuSeconds);
    }
    std::printf("%s: trenc %.2f s %.0f MB, %s %.2f s %.0f MB; wall ratio %.3f, memory ratio %.3f, "
                "processor time ratio %.3f (%.2f s / %.2f s)\n",
                name, Median(trencSeconds), Median(trencMemory) / 1024,
                std::filesystem::path(ffmpeg.front()).filename().c_str(), Median(ffmpegSeconds),
                Median(ffmpegMemory) / 1024, Median(trencSeconds) / Median(ffmpegSeconds),
                Median(trencMemory) / Median(ffmpegMemory), Median(trencCpu) / Median(ffmpegCpu),
                Median(trencCpu), Median(ffmpegCpu));
    std::fflush(stdout);
}

std::vector<std::string> Joined(std::vector<std::string> first, const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

void CompareClassic(const std::string& trenc, const std::string& ffmpeg, const std::filesystem::path& dir) {
    const std::string clip = dir / "clip.avi";
    const std::string rm = dir / "out.rm";
    const std::string mp3 = dir / "out.mp3";
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
    Compare("RM Normal Quality",
            {trenc,     "-y",  "-i",  clip,  "-vcodec", "rv20", "-b",  "768", "-s",  "320x240", "-r", "15",
             "-aspect", "4:3", "-ab", "128", "-vol",    "200",  "-ac", "2",   "-ar", "44100",   rm},
            {ffmpeg, "-y", "-i",      clip,    "-c:v", "rv20", "-b:v", "768k", "-s",  "320x240",
             "-r",   "15", "-aspect", "4:3",   "-c:a", "ac3",  "-b:a", "128k", "-af", "volume=200/256",
             "-ac",  "2",  "-ar",     "44100", rm});
    Compare("MP3 Normal Quality",
            {trenc, "-y", "-i", clip, "-acodec", "mp3", "-vn", "-ab", "128", "-vol", "200", "-ac", "1", "-ar",
             "22050", mp3},
            {ffmpeg, "-y", "-i", clip, "-vn", "-c:a", "libmp3lame", "-b:a", "128k", "-af", "volume=200/256",
             "-ac", "1", "-ar", "22050", mp3});
}

struct ModernCase {
    const char* name;
    std::vector<std::string> video;
    bool opus;
    const char* output;
};

const std::vector<std::string> kBox{
    "-vf", "scale=1280:720:force_original_aspect_ratio=decrease:force_divisible_by=2", "-pix_fmt", "yuv420p"};
const std::vector<std::string> kAac{"-acodec", "aac", "-ab", "128k", "-movflags", "+faststart"};
const std::vector<std::string> kOpus{"-acodec", "libopus", "-ab", "128k"};

// The same H.264 1080p -> 720p job at the same x264 constant quality (RF 23, preset medium), no crop,
// square pixels, constant frame rate.
void CompareHandBrake(const std::string& trenc, const std::string& clip, const std::filesystem::path& dir) {
    const std::string handbrake = "/usr/bin/HandBrakeCLI";
    if (!std::filesystem::exists(handbrake)) {
        std::printf("HandBrakeCLI: not installed (run bench/setup-bench)\n");
        return;
    }
    const std::string ours = dir / "ours.mp4";
    const std::string theirs = dir / "handbrake.mp4";
    Compare("H.264 1080p->720p vs HandBrakeCLI",
            Joined(Joined({trenc, "-y", "-i", clip, "-vcodec", "libx264", "-preset", "medium", "-crf", "23"},
                          kBox),
                   Joined(kAac, {ours})),
            {handbrake,
             "-i",
             clip,
             "-o",
             theirs,
             "-f",
             "av_mp4",
             "-O",
             "-e",
             "x264",
             "--encoder-preset",
             "medium",
             "-q",
             "23",
             "--maxWidth",
             "1280",
             "--maxHeight",
             "720",
             "--crop",
             "0:0:0:0",
             "--non-anamorphic",
             "--cfr",
             "-E",
             "av_aac",
             "-B",
             "128"},
            kModernRunsEach);
    std::printf("  sizes: trenc %ld kB, HandBrakeCLI %ld kB\n", FileKilobytes(ours), FileKilobytes(theirs));
}

// The modern types take the same command line in trenc and in ffmpeg (transcoder/README.md).
void CompareModern(const std::string& trenc, const std::string& ffmpeg, const std::filesystem::path& dir) {
    const std::string clip = dir / "clip1080.mp4";
    if (!std::filesystem::exists(clip))
        Run({ffmpeg,     "-y",
             "-f",       "lavfi",
             "-i",       "testsrc2=size=1920x1080:rate=25",
             "-f",       "lavfi",
             "-i",       "sine=frequency=440:sample_rate=48000",
             "-ac",      "2",
             "-t",       "5",
             "-vf",      "noise=alls=6:allf=t",
             "-c:v",     "libx264",
             "-preset",  "fast",
             "-crf",     "20",
             "-pix_fmt", "yuv420p",
             "-c:a",     "aac",
             "-b:a",     "160k",
             clip});
    const ModernCase cases[] = {
        {"MP4 H.264 720p",
         {"-vcodec", "libx264", "-preset", "medium", "-crf", "23", "-maxrate", "5000k", "-bufsize", "10000k"},
         false,
         "out.mp4"},
        {"MP4 H.265 720p",
         {"-vcodec", "libx265", "-preset", "fast", "-crf", "28", "-maxrate", "5000k", "-bufsize", "10000k",
          "-tag:v", "hvc1"},
         false,
         "out265.mp4"},
        {"WebM VP9 720p",
         {"-vcodec", "libvpx-vp9", "-cpu-used", "4", "-crf", "33", "-b:v", "5000k"},
         true,
         "out.webm"},
        {"WebM AV1 720p",
         {"-vcodec", "libsvtav1", "-preset", "8", "-crf", "35", "-maxrate", "5000k"},
         true,
         "outav1.webm"},
    };
    for (const ModernCase& c : cases) {
        const std::vector<std::string> line = Joined(Joined(Joined({"-y", "-i", clip}, c.video), kBox),
                                                     Joined(c.opus ? kOpus : kAac, {dir / c.output}));
        Compare(c.name, Joined({trenc}, line), Joined({ffmpeg}, line), kModernRunsEach);
    }
    CompareHandBrake(trenc, clip, dir);
}

} // namespace

int main(int argc, char** argv) {
    const char* folderVariable = std::getenv("RIVAMO_PROGRAM_DIR");
    const std::string trenc =
        std::string(folderVariable ? folderVariable : RIVAMO_PROGRAM_DIR_DEFAULT) + "/trenc";
    const std::string ffmpeg = "/usr/bin/ffmpeg";
    const auto dir = std::filesystem::temp_directory_path() / "rivamo-transcoder-bench";
    std::filesystem::create_directories(dir);
    const std::string which = argc > 1 ? argv[1] : "";
    try {
        if (which.empty() || which == "classic")
            CompareClassic(trenc, ffmpeg, dir);
        if (which.empty() || which == "modern")
            CompareModern(trenc, ffmpeg, dir);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 1;
    }
    return 0;
}
