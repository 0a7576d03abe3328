// How close the size estimate from samples comes to the real size: 30-second sources of different
// content, converted by trenc at "Normal Quality" of the constant-quality and lossless types, each
// estimated first (short samples spread over the cut) and then converted whole. Prints a table with
// the time each took. (H.265 and VP9 are left out: their whole conversions take too long for a quick
// run on a small machine; they estimate the same way.)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/RunProgram.h"
#include "convert/CommonLib.h"
#include "convert/OutputProjection.h"
#include "convert/PosixProcessLauncher.h"
#include "convert/SizeEstimator.h"
#include "profiles/Catalogue.h"
#include "profiles/CatalogueLists.h"
#include "support/CommandLine.h"
#include "support/Text.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t SourceSeconds = 30;
constexpr int NormalQuality = 2;

constexpr int H264 = 2;
constexpr int Av1 = 5;
constexpr int Flac = 8;

struct Source {
    const char* name;
    std::string picture; // an ffmpeg lavfi video source, empty for a source with sound only
    std::string sound;   // an ffmpeg lavfi audio source
    std::vector<int> types;
};

// The lists as the type's "Normal Quality" sets them, the volume and channels at their defaults.
OptionSelection NormalSelection(int type) {
    OptionSelection options;
    FillCatalogueLists(options);
    options.cbbOutputFiletype.Select(type);
    options.cbbAspectratio.Select(2);
    const std::vector<std::string> fields = SplitText(OutputTypeAt(type)->profiles[NormalQuality], '|');
    OptionList* lists[] = {&options.cbbVideoSize,    &options.cbbFramerate,     &options.cbbVideoBitrate,
                           &options.cbbAudioBitrate, &options.cbbAudioChannels, &options.cbbAudioSample};
    for (std::size_t i = 0; i < fields.size(); ++i)
        lists[i]->Select(std::stoi(fields[i]));
    return options;
}

std::string ProgramDir() {
    const char* dir = std::getenv("RIVAMO_PROGRAM_DIR");
    return dir != nullptr ? dir : RIVAMO_PROGRAM_DIR_DEFAULT;
}

// A lossless clip of the picture (if any) with its sound.
std::string MakeSource(const fs::path& work, const Source& source) {
    const std::string clip = (work / (std::string(source.name) + ".mkv")).string();
    std::vector<std::string> command = {"ffmpeg", "-nostdin", "-loglevel", "error", "-y"};
    if (!source.picture.empty())
        command.insert(command.end(), {"-f", "lavfi", "-i", source.picture});
    command.insert(command.end(), {"-f", "lavfi", "-i", source.sound, "-t", std::to_string(SourceSeconds)});
    if (!source.picture.empty())
        command.insert(command.end(), {"-c:v", "ffv1"});
    command.insert(command.end(), {"-c:a", "flac", clip});
    if (RunProgram(command) != 0) {
        std::fprintf(stderr, "ffmpeg could not make the source '%s'\n", source.name);
        std::exit(1);
    }
    return clip;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<Source> Sources() {
    const std::string tone = "sine=frequency=330:sample_rate=48000";
    const std::string video = "size=640x360:rate=25";
    return {
        {"static bars", "smptehdbars=" + video, tone, {H264, Av1, Flac}},
        {"high motion", "mandelbrot=" + video, tone, {H264, Av1}},
        {"calm, noisy from halfway",
         "testsrc2=" + video + ",noise=alls=40:allf=t:enable='gt(t,15)'",
         tone,
         {H264, Av1}},
        {"talking head",
         "color=c=0x405870:" + video +
             ",drawbox=x='280+30*sin(t*2)':y='100+10*sin(t*3)':w=90:h=130:color=0xd0a080:t=fill,"
             "noise=alls=6:allf=t",
         "aevalsrc='0.3*sin(2*PI*(220+60*sin(t))*t)*gt(sin(t*5),0)':s=48000",
         {H264, Av1, Flac}},
        {"sound only, tone then noise",
         "",
         "aevalsrc='0.3*sin(2*PI*330*t)+gt(t,15)*0.2*(random(0)-0.5)':s=48000",
         {Flac}},
        {"portrait", "testsrc2=size=360x640:rate=30", tone, {H264, Av1}},
    };
}

// One row of the table: the estimate, then the whole conversion.
void MeasureRow(SizeEstimator& estimator, const std::string& trenc, const fs::path& work, const char* name,
                const std::string& clip, int type) {
    const OptionSelection options = NormalSelection(type);
    const EstimateRequest request{clip,
                                  0,
                                  SourceSeconds,
                                  TCommonLib::SelectionOptions(options),
                                  OutputTypeAt(type)->extension,
                                  ProjectedBytes(SelectedBitrates(options), 1)};
    const auto estimateStart = std::chrono::steady_clock::now();
    std::optional<int64_t> estimate;
    while (!(estimate = estimator.Estimate(request)) && !estimator.Idle())
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const double estimateSeconds = SecondsSince(estimateStart);
    // As the program shows it: never above the ceiling.
    if (estimate)
        estimate = std::min(*estimate, ProjectedBytes(SelectedBitrates(options), SourceSeconds));
    const std::string output = (work / ("whole" + request.extension)).string();
    const std::vector<std::string> command = SplitCommandLine(trenc + " -y -i " + QuoteArgument(clip) +
                                                              request.options + " " + QuoteArgument(output));
    const auto wholeStart = std::chrono::steady_clock::now();
    const int status = RunProgram(command);
    const double wholeSeconds = SecondsSince(wholeStart);
    std::error_code error;
    const auto real = static_cast<int64_t>(fs::file_size(output, error));
    const char* typeName = OutputTypeAt(type)->name.c_str();
    if (status != 0 || error) {
        std::printf("| %s | %s | trenc failed (%d) |\n", name, typeName, status);
        return;
    }
    std::printf("| %s | %s | %s | %s | %.2f | %.1f | %.1f |\n", name, typeName,
                SizeText(estimate.value_or(0)).c_str(), SizeText(real).c_str(),
                static_cast<double>(estimate.value_or(0)) / static_cast<double>(real), estimateSeconds,
                wholeSeconds);
    std::fflush(stdout);
    fs::remove(output);
}

} // namespace

// estimate_bench [part of a source's name]: all sources, or those whose name holds the part.
int main(int argc, char** argv) {
    const std::string only = argc > 1 ? argv[1] : "";
    const fs::path work = fs::temp_directory_path() / ("rivamo-estimate-bench-" + std::to_string(getpid()));
    fs::create_directories(work);
    const std::string trenc = ProgramDir() + "/trenc";
    PosixProcessLauncher launcher;
    SizeEstimator estimator(launcher, trenc, work.string() + "/");
    std::printf("| Source | Output type | Estimate | Real | Estimate / real | Estimate s | Whole s |\n"
                "|---|---|---|---|---|---|---|\n");
    for (const Source& source : Sources()) {
        if (std::string(source.name).find(only) == std::string::npos)
            continue;
        const std::string clip = MakeSource(work, source);
        for (const int type : source.types)
            MeasureRow(estimator, trenc, work, source.name, clip, type);
    }
    fs::remove_all(work);
    return 0;
}
