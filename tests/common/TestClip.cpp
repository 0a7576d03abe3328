#include "tests/common/TestClip.h"

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
