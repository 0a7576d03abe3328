// How close the size estimate from samples comes to the real size: five generated 30-second sources
// of different content, converted by trenc at "Normal Quality" of the constant-quality types, each
// estimated first (three 2-second samples, scaled) and then converted whole. Prints a table.
// (VP9 is left out: its whole conversions take too long for a quick run on a small machine.)
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
#include "support/CommandLine.h"
#include "support/Text.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t SourceSeconds = 30;
constexpr int NormalQuality = 2;

struct Source {
    const char* name;
    std::string picture; // an ffmpeg lavfi source
};

void Fill(OptionList& list, CatalogueTable table) {
    const std::vector<std::string> entries = CatalogueList(table);
    for (std::size_t i = 0; i + 1 < entries.size(); ++i)
        list.Append(entries[i]);
    list.Select(std::stoi(entries.back()));
}

// The lists as the type's "Normal Quality" sets them, the volume and channels at their defaults.
OptionSelection NormalSelection(int type) {
    OptionSelection options;
    Fill(options.cbbOutputFiletype, CatalogueTable::cstOutputFileTypes);
    Fill(options.cbbVideoSize, CatalogueTable::cstVideoSizes);
    Fill(options.cbbFramerate, CatalogueTable::cstFrameRates);
    Fill(options.cbbVideoBitrate, CatalogueTable::cstVideoBitrates);
    Fill(options.cbbAspectratio, CatalogueTable::cstAspectRatios);
    Fill(options.cbbAudioBitrate, CatalogueTable::cstAudioBitrates);
    Fill(options.cbbAudioSample, CatalogueTable::cstAudioSampleRates);
    Fill(options.cbbAudioChannels, CatalogueTable::cstAudioChannels);
    Fill(options.cbbAudioVolumeGain, CatalogueTable::cstVolumeGains);
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

// A lossless clip of the picture with a tone.
std::string MakeSource(const fs::path& work, const Source& source) {
    const std::string clip = (work / (std::string(source.name) + ".mkv")).string();
    RunProgram({"ffmpeg",
                "-nostdin",
                "-loglevel",
                "error",
                "-y",
                "-f",
                "lavfi",
                "-i",
                source.picture,
                "-f",
                "lavfi",
                "-i",
                "sine=frequency=330:sample_rate=48000",
                "-t",
                std::to_string(SourceSeconds),
                "-c:v",
                "ffv1",
                "-c:a",
                "flac",
                clip});
    return clip;
}

} // namespace

int main() {
    const fs::path work = fs::temp_directory_path() / ("rivamo-estimate-bench-" + std::to_string(getpid()));
    fs::create_directories(work);
    const std::string trenc = ProgramDir() + "/trenc";
    const std::vector<Source> sources = {
        {"test pattern", "testsrc2=size=640x360:rate=25"},
        {"fractal zoom", "mandelbrot=size=640x360:rate=25"},
        {"cell life", "life=size=640x360:rate=25:mold=10:ratio=0.1:death_color=#c83232:life_color=#00ff00"},
        {"noisy bars", "smptehdbars=size=640x360:rate=25,noise=alls=30:allf=t"},
        {"cellular scroll", "cellauto=size=640x360:rate=25:rule=110:scroll=1"},
        {"calm then noisy", "testsrc2=size=640x360:rate=25,noise=alls=40:allf=t:enable='gt(t,20)'"},
    };
    const int types[] = {2, 5, 8};
    PosixProcessLauncher launcher;
    SizeEstimator estimator(launcher, trenc, work.string() + "/");

    std::printf("| Source | Output type | Estimate | Real | Estimate / real |\n|---|---|---|---|---|\n");
    for (const Source& source : sources) {
        const std::string clip = MakeSource(work, source);
        for (const int type : types) {
            const OptionSelection options = NormalSelection(type);
            const EstimateRequest request{clip, 0, SourceSeconds, TCommonLib::SelectionOptions(options),
                                          OutputTypeAt(type)->extension};
            std::optional<int64_t> estimate;
            while (!(estimate = estimator.Estimate(request)) && !estimator.Idle())
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            // As the program shows it: never above the ceiling.
            if (estimate)
                estimate = std::min(*estimate, ProjectedBytes(SelectedBitrates(options), SourceSeconds));
            const std::string output = (work / ("whole" + request.extension)).string();
            const std::vector<std::string> command = SplitCommandLine(
                trenc + " -y -i " + QuoteArgument(clip) + request.options + " " + QuoteArgument(output));
            RunProgram(command);
            const auto real = static_cast<int64_t>(fs::file_size(output));
            std::printf("| %s | %s | %s | %s | %.2f |\n", source.name, OutputTypeAt(type)->name.c_str(),
                        SizeText(estimate.value_or(0)).c_str(), SizeText(real).c_str(),
                        static_cast<double>(estimate.value_or(0)) / static_cast<double>(real));
            std::fflush(stdout);
            fs::remove(output);
        }
    }
    fs::remove_all(work);
    return 0;
}
