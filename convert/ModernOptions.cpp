#include "convert/ModernOptions.h"

#include <charconv>

#include "support/Text.h"

namespace {

constexpr std::size_t NormalQuality = 2;
constexpr std::size_t ProfileBitrateField = 2;
constexpr int BufferSeconds = 2; // the rate control may run over the ceiling for this long
constexpr const char* ScaleFilterTail = ":force_original_aspect_ratio=decrease:force_divisible_by=2";

// The selected text, or empty for none and for "Same as source".
std::string ChosenValue(const OptionList& list) {
    const std::string text = list.SelectedText();
    return text == SameAsSourceItem ? std::string() : text;
}

std::string Option(const std::string& value, const char* option, const char* suffix = "") {
    return value.empty() ? std::string() : option + value + suffix;
}

int32_t ProfileBitratePosition(const OutputTypeEntry& type, std::size_t quality) {
    const std::vector<std::string> fields = SplitText(type.profiles[quality], '|');
    int32_t position = -1;
    const std::string& field = fields.at(ProfileBitrateField);
    std::from_chars(field.data(), field.data() + field.size(), position);
    return position;
}

// A size box "WxH" as a scale filter that fits the picture inside it with its own shape and even
// dimensions. A text that is no box passes no size.
std::string BoxFilter(const std::string& box) {
    const std::size_t x = box.find('x');
    if (x == std::string::npos || x == 0 || x + 1 == box.size())
        return {};
    return " -vf scale=" + box.substr(0, x) + ":" + box.substr(x + 1) + ScaleFilterTail;
}

} // namespace

std::size_t QualityForCeiling(const OutputTypeEntry& type, int32_t bitratePosition) {
    if (bitratePosition < 0)
        return NormalQuality;
    std::size_t quality = 0;
    for (std::size_t q = 0; q < QualityCount; ++q)
        if (ProfileBitratePosition(type, q) <= bitratePosition)
            quality = q;
    return quality;
}

std::string ConstantQualityFragment(const OutputTypeEntry& type, const OptionList& videoBitrate) {
    std::string ceiling = videoBitrate.SelectedText();
    if (ceiling.empty()) {
        const std::vector<std::string> rates = CatalogueList(CatalogueTable::cstVideoBitrates);
        ceiling = rates.at(static_cast<std::size_t>(ProfileBitratePosition(type, NormalQuality)));
    }
    const std::size_t quality = QualityForCeiling(type, videoBitrate.ItemIndex());
    const auto kbps = static_cast<int64_t>(ParseNumber(ceiling));
    const std::string rate = std::to_string(kbps) + "k";
    return " -crf " + std::to_string(type.qualityLevels[quality]) +
           (type.ceilingAsBitrate ? " -b:v " + rate : "") + " -maxrate " + rate + " -bufsize " +
           std::to_string(kbps * BufferSeconds) + "k";
}

ModernFragments ModernOptionFragments(const OutputTypeEntry& type, const OptionSelection& options) {
    ModernFragments fragments;
    if (type.style == OptionStyle::QualityVideo) {
        fragments.videoBitrate = ConstantQualityFragment(type, options.cbbVideoBitrate);
        fragments.videoSize = BoxFilter(ChosenValue(options.cbbVideoSize));
        fragments.frameRate = Option(ChosenValue(options.cbbFramerate), " -r ");
        fragments.aspect = Option(ChosenValue(options.cbbAspectratio), " -aspect ");
    }
    if (type.style != OptionStyle::LosslessAudio)
        fragments.audioBitrate = Option(options.cbbAudioBitrate.SelectedText(), " -b:a ", "k");
    fragments.sampleRate = Option(ChosenValue(options.cbbAudioSample), " -ar ");
    return fragments;
}
