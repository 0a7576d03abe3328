// trenc / rtrenc: converts one media file with FFmpeg's option syntax and prints a status line the
// converter's progress window reads. See Options.h for the accepted options.
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>

extern "C" {
#include <libavutil/log.h>
}

#include "transcoder/AvsScript.h"
#include "transcoder/Console.h"
#include "transcoder/Options.h"
#include "transcoder/TranscodeError.h"
#include "transcoder/Transcoder.h"

namespace {

constexpr int kExitFailure = 1;
// A script is one short line; anything longer is not one.
constexpr std::streamsize kMaxScriptBytes = 64 * 1024;

void RequestStop(int) {
    g_stopRequested = 1;
}

void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

std::string ReadScript(const std::string& path) {
    // A FIFO or a device would keep the reader waiting for ever.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        throw TranscodeError(path + ": not a regular file");
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw TranscodeError(path + ": cannot read the script");
    std::string text(static_cast<size_t>(kMaxScriptBytes) + 1, '\0');
    file.read(text.data(), kMaxScriptBytes + 1);
    text.resize(static_cast<size_t>(file.gcount()));
    if (static_cast<std::streamsize>(text.size()) > kMaxScriptBytes)
        throw ScriptError(path + ": not a one-line script");
    return text;
}

int Main(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        WriteConsoleLine("usage: trenc [-y] -i INPUT [options] OUTPUT");
        return kExitFailure;
    }
    TranscodeOptions options = ParseOptions(arguments);
    std::optional<Rational> scriptRate;
    std::string scriptPath;
    if (IsAvsPath(options.input)) {
        const AvsScript script = ParseAvsScript(ReadScript(options.input));
        scriptPath = options.input;
        options.input = script.sourcePath;
        scriptRate = script.frameRate;
    }
    return RunTranscode(options, scriptRate, scriptPath);
}

} // namespace

int main(int argc, char** argv) {
    InstallSignalHandlers();
    // The AV1 library prints its settings to standard error unless told to report errors only; a
    // level the user set is kept.
    setenv("SVT_LOG", "1", 0);
    av_log_set_level(AV_LOG_ERROR);
    av_log_set_flags(AV_LOG_SKIP_REPEATED);
    try {
        return Main(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        WriteConsoleLine(std::string("Error: ") + error.what());
        return kExitFailure;
    }
}
