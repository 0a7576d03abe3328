#include "convert/OutputProjection.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

#include "convert/CommonLib.h"
#include "support/Text.h"

namespace {

constexpr double BitsPerKilobit = 1000.0;
constexpr double BitsPerByte = 8.0;
// The command line's own fallbacks for a list without a selection.
constexpr double FallbackVideoKbps = 512;
constexpr double FallbackAudioKbps = 64;

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
    bitrates.audioKbps = Kbps(options.cbbAudioBitrate, FallbackAudioKbps);
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

std::string ProjectionText(const OptionSelection& options, const SourceList& sources, std::size_t row) {
    const int64_t bytes = ProjectedBytes(SelectedBitrates(options), RowCutSeconds(sources, row));
    return "Projected output: about " + SizeText(bytes);
}
