#include "convert/OutputProjection.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

#include "convert/CommonLib.h"
#include "convert/CopyCut.h"
#include "profiles/Catalogue.h"
#include "support/Text.h"

namespace {

constexpr double BitsPerKilobit = 1000.0;
constexpr double BitsPerByte = 8.0;
// The command line's own fallbacks for a list without a selection.
constexpr double FallbackVideoKbps = 512;
constexpr double FallbackAudioKbps = 64;
// Lossless audio never needs more than its PCM source: 16-bit stereo at 44.1 kHz.
constexpr double LosslessCeilingKbps = 1411.2;
constexpr int64_t MsPerSecond = 1000;
constexpr const char* ProjectedHead = "Projected output: about ";

OptionStyle StyleOf(const OptionSelection& options) {
    const OutputTypeEntry* type = OutputTypeAt(options.cbbOutputFiletype.ItemIndex());
    return type != nullptr ? type->style : OptionStyle::Classic;
}

double Kbps(const OptionList& list, double fallback) {
    const std::string text = list.SelectedText();
    if (text.empty())
        return fallback;
    try {
        return std::max(0.0, ParseNumber(text));
    } catch (const std::invalid_argument&) {
        return fallback;
    }
}

} // namespace

OutputBitrates SelectedBitrates(const OptionSelection& options) {
    const std::string codec = TrimControls(TCommonLib::CodecFragment(options.cbbOutputFiletype.ItemIndex()));
    OutputBitrates bitrates;
    bitrates.audioOnly = codec.starts_with("-acodec");
    bitrates.videoKbps = bitrates.audioOnly ? 0 : Kbps(options.cbbVideoBitrate, FallbackVideoKbps);
    bitrates.audioKbps = StyleOf(options) == OptionStyle::LosslessAudio
                             ? LosslessCeilingKbps
                             : Kbps(options.cbbAudioBitrate, FallbackAudioKbps);
    return bitrates;
}

int64_t ProjectedBytes(const OutputBitrates& bitrates, int64_t seconds) {
    const double kbps = bitrates.videoKbps + bitrates.audioKbps;
    return static_cast<int64_t>(
        std::llround(kbps * BitsPerKilobit / BitsPerByte * static_cast<double>(seconds)));
}

int64_t RowCutSeconds(const SourceList& sources, std::size_t row) {
    const auto start = TryTimeTextToSeconds(sources.Cell(row, colStartTime));
    const auto end = TryTimeTextToSeconds(sources.Cell(row, colEndTime));
    if (!end)
        return 0;
    return std::max<int64_t>(0, *end - start.value_or(0));
}

bool SizeIsEstimated(const OptionSelection& options) {
    const OptionStyle style = StyleOf(options);
    return style == OptionStyle::QualityVideo || style == OptionStyle::LosslessAudio;
}

EstimateRequest RowEstimateRequest(const OptionSelection& options, const SourceList& sources,
                                   std::size_t row) {
    EstimateRequest request;
    request.source = sources.Cell(row, colFileName);
    request.startSeconds = TryTimeTextToSeconds(sources.Cell(row, colStartTime)).value_or(0);
    request.cutSeconds = RowCutSeconds(sources, row);
    request.options = TCommonLib::SelectionOptions(options);
    request.extension = TCommonLib::OutputExtensionOf(options.cbbOutputFiletype.ItemIndex());
    request.ceilingBytesPerSecond = ProjectedBytes(SelectedBitrates(options), 1);
    return request;
}

bool CopiesStreams(const OptionSelection& options) {
    return StyleOf(options) == OptionStyle::StreamCopy;
}

std::optional<int64_t> CopyRowBytes(const SourceList& sources, std::size_t row, const CopyProjection& copy) {
    if (copy.probe == nullptr)
        return std::nullopt;
    const CopySourceFacts facts = copy.probe->Probe(sources.Cell(row, colFileName));
    if (facts.bytes <= 0 || facts.durationMs <= 0)
        return std::nullopt;
    const int64_t startMs = TryTimeTextToSeconds(sources.Cell(row, colStartTime)).value_or(0) * MsPerSecond;
    const auto end = TryTimeTextToSeconds(sources.Cell(row, colEndTime));
    const int64_t endMs = end ? *end * MsPerSecond : facts.durationMs;
    return CopyProjectedBytes(facts, startMs, endMs, copy.mode);
}

std::string ProjectionText(const OptionSelection& options, const SourceList& sources, std::size_t row,
                           SizeEstimator* estimator, const CopyProjection& copy) {
    if (CopiesStreams(options)) {
        const std::optional<int64_t> copied = CopyRowBytes(sources, row, copy);
        return copied ? ProjectedHead + SizeText(*copied) : "Projected output: not known yet";
    }
    const int64_t bytes = ProjectedBytes(SelectedBitrates(options), RowCutSeconds(sources, row));
    if (!SizeIsEstimated(options))
        return ProjectedHead + SizeText(bytes);
    const std::optional<int64_t> estimate =
        estimator != nullptr ? estimator->Estimate(RowEstimateRequest(options, sources, row)) : std::nullopt;
    // Short samples start with an empty rate buffer and may run past the ceiling; the whole file
    // cannot.
    if (estimate)
        return "Estimated output: about " + SizeText(std::min(*estimate, bytes));
    return "Output: at most " + SizeText(bytes) + (estimator != nullptr ? " (estimating...)" : "");
}
