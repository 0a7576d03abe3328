#include "tests/common/TestClip.h"

#include <cmath>
#include <stdexcept>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr double kPatternSecondBase = 16.0;
constexpr double kPatternSecondStep = 28.0;
constexpr double kPatternPictureBase = 20.0;
constexpr double kPatternPictureStep = 8.0;

std::string PictureSource(const ClipRecipe& recipe) {
    const std::string rate = std::to_string(recipe.frameRate);
    if (recipe.picture == ClipPicture::TestSource)
        return "testsrc=size=" + recipe.size + ":rate=" + rate;
    return "color=c=black:s=" + recipe.size + ":r=" + rate + ",geq=lum='if(lt(X,W/2),mod(floor(N/" + rate +
           "),8)*28+16,mod(N," + rate + ")*8+20)':cb=128:cr=128";
}

} // namespace

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
    std::vector<std::string> arguments = {"-f", "lavfi", "-i", PictureSource(recipe)};
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

int SecondShown(double leftLuma) {
    return static_cast<int>(std::lround((leftLuma - kPatternSecondBase) / kPatternSecondStep));
}

int PictureShown(double rightLuma) {
    return static_cast<int>(std::lround((rightLuma - kPatternPictureBase) / kPatternPictureStep));
}
