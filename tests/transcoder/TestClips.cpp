#include "tests/transcoder/TestClips.h"

#include <cmath>
#include <map>

#include "tests/transcoder/ChildRun.h"

namespace TestClips {

namespace {

std::string Pattern(const std::string& size, int seconds) {
    return "color=c=black:s=" + size + ":r=25:d=" + std::to_string(seconds) +
           ",geq=lum='if(lt(X,W/2),mod(floor(N/25),8)*28+16,mod(N,25)*8+20)':cb=128:cr=128";
}

std::string Tone(int seconds) {
    return "sine=frequency=440:sample_rate=44100:duration=" + std::to_string(seconds);
}

// PCM audio: an encoder's priming delay would shift the pictures off their own times.
std::string MakePatternClip(const std::string& name, const std::string& size, int seconds) {
    const std::string path = Folder().Path() / name;
    MakeClip({"-f", "lavfi", "-i", Pattern(size, seconds), "-f", "lavfi", "-i", Tone(seconds), "-ac", "2",
              "-c:v", "mpeg4", "-q:v", "3", "-g", "12", "-c:a", "pcm_s16le", path});
    return path;
}

} // namespace

const TempDir& Folder() {
    static const TempDir folder;
    return folder;
}

const std::string& Short() {
    static const std::string path = MakePatternClip("short.avi", "160x120", 2);
    return path;
}

const std::string& FourSeconds() {
    static const std::string path = MakePatternClip("four.avi", "320x240", 4);
    return path;
}

const std::string& FourMinutes() {
    static const std::string path = MakePatternClip("fourminutes.avi", "64x48", 240);
    return path;
}

const std::string& InContainer(const std::string& extension) {
    static std::map<std::string, std::string> made;
    if (const auto found = made.find(extension); found != made.end())
        return found->second;
    // Codecs each container carries in everyday files.
    const std::map<std::string, std::vector<std::string>> codecs{
        {"avi", {"-c:v", "mpeg4", "-c:a", "libmp3lame"}},
        {"mov", {"-c:v", "mpeg4", "-c:a", "aac"}},
        {"3gp", {"-s", "176x144", "-c:v", "h263", "-c:a", "aac", "-ar", "16000", "-ac", "1"}},
        {"flv", {"-c:v", "flv", "-c:a", "libmp3lame", "-ar", "44100"}},
        {"mpg", {"-c:v", "mpeg1video", "-c:a", "mp2"}},
        {"asf", {"-c:v", "wmv2", "-c:a", "wmav2"}},
        {"rm", {"-c:v", "rv10", "-c:a", "ac3"}},
        {"mp4", {"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac"}},
        {"mkv", {"-c:v", "mpeg4", "-c:a", "libmp3lame"}},
    };
    const std::string path = Folder().Path() / ("container." + extension);
    std::vector<std::string> arguments{"-f",    "lavfi", "-i", Pattern("160x112", 1), "-f", "lavfi", "-i",
                                       Tone(1), "-ac",   "2"};
    const auto& extra = codecs.at(extension);
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    arguments.push_back(path);
    MakeClip(arguments);
    return made.emplace(extension, path).first->second;
}

int SecondShown(double leftLuma) {
    return static_cast<int>(std::lround((leftLuma - 16.0) / 28.0));
}
int PictureShown(double rightLuma) {
    return static_cast<int>(std::lround((rightLuma - 20.0) / 8.0));
}

} // namespace TestClips
