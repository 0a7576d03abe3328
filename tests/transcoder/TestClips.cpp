#include "tests/transcoder/TestClips.h"

#include <map>
#include <vector>

namespace TestClips {

namespace {

// PCM audio: an encoder's priming delay would shift the pictures off their own times.
std::string MakePatternClip(const std::string& name, const std::string& size, int seconds) {
    return MakeClip(Folder(), name,
                    {static_cast<double>(seconds),
                     size,
                     25,
                     44100,
                     {"-ac", "2", "-c:v", "mpeg4", "-q:v", "3", "-g", "12", "-c:a", "pcm_s16le"},
                     ClipPicture::TimePattern});
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
    std::vector<std::string> arguments{"-ac", "2"};
    const auto& extra = codecs.at(extension);
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    const std::string path = MakeClip(Folder(), "container." + extension,
                                      {1.0, "160x112", 25, 44100, arguments, ClipPicture::TimePattern});
    return made.emplace(extension, path).first->second;
}

} // namespace TestClips
