#include "tests/common/TestClip.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

int RunFfmpeg(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"});
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "ffmpeg", nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::string MakeClip(const TempDir& folder, const std::string& name, const ClipRecipe& recipe) {
    const std::string path = (folder.Path() / name).string();
    std::vector<std::string> arguments = {
        "-f", "lavfi", "-i", "testsrc=size=" + recipe.size + ":rate=" + std::to_string(recipe.frameRate)};
    if (recipe.sampleRate > 0)
        arguments.insert(
            arguments.end(),
            {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=" + std::to_string(recipe.sampleRate)});
    arguments.insert(arguments.end(), recipe.codecs.begin(), recipe.codecs.end());
    arguments.insert(arguments.end(), {"-t", std::to_string(recipe.seconds), path});
    if (RunFfmpeg(arguments) != 0)
        throw std::runtime_error("ffmpeg could not make " + name);
    return path;
}

std::string MakeClipWithUndecodableAudio(const TempDir& folder, const std::string& name, double seconds) {
    const std::string path =
        MakeClip(folder, name, {seconds, "64x48", 10, 8000, {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}});
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The audio stream's header "strh" of type "auds" is followed by "strf": size, then the tag.
    const std::size_t audio = bytes.find("auds");
    const std::size_t format = audio == std::string::npos ? audio : bytes.find("strf", audio);
    if (format == std::string::npos)
        throw std::runtime_error("no audio format in " + name);
    file.clear();
    file.seekp(static_cast<std::streamoff>(format + 8));
    file.write("\x77\x77", 2);
    if (!file)
        throw std::runtime_error("could not change " + name);
    return path;
}
