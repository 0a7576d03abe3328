#pragma once

#include <array>
#include <string>
#include <vector>

// The built-in vocabulary of the converter: output types, quality profiles, the texts of the eight
// option lists, and per output type the codec argument, container format and file extension.
//
// A list table feeds one list control: its last entry is not an item but the decimal position of
// the item selected when the list is first filled. A position table is indexed by the selected
// output type. Profile strings are six list positions joined by "|", "none" leaving a list alone,
// in the order video size, frame rate, video bitrate, audio bitrate, channels, sample rate.
enum class CatalogueTable {
    cstOutputFileTypes,
    cstQualityNames,
    cstVideoSizes,
    cstFrameRates,
    cstVideoBitrates,
    cstAspectRatios,
    cstAudioBitrates,
    cstAudioSampleRates,
    cstAudioChannels,
    cstVolumeGains,
    cstCodecArguments,
    cstOutputFormats,
    cstOutputExtensions,
    cstPSPProfile,
    cstMP3Profile,
};

// A new list holding the table's texts in stored order, default entry included.
std::vector<std::string> CatalogueList(CatalogueTable table);

// The option-list item that leaves a property as the source has it: the option is not passed.
inline constexpr const char* SameAsSourceItem = "Same as source";

// How the command line spells the options of an output type.
enum class OptionStyle {
    Classic,       // "-b 512 -s 320x240 -ab 64": the first two output types, byte for byte
    QualityVideo,  // constant quality under a bitrate ceiling, the size a box the picture fits in
    ModernAudio,   // "-b:a 128k"
    LosslessAudio, // no bitrate at all
    StreamCopy,    // every stream copied as it is: no option lists apply, the container follows the source
};

inline constexpr std::size_t QualityCount = 5;

// One output type: its row in every position table, and how its options are written.
struct OutputTypeEntry {
    std::string name;          // the item of the output-type list
    std::string codecArgument; // the codec, pixel format and container flags of the command line
    std::string format;        // the container's format name, "none" for none
    std::string extension;
    std::array<std::string, QualityCount> profiles; // by quality name
    OptionStyle style = OptionStyle::Classic;
    // Constant-quality levels by quality name, lowest quality first (QualityVideo only).
    std::array<int, QualityCount> qualityLevels{};
    // The encoder takes the ceiling as the bitrate of its constrained-quality mode as well (libvpx
    // refuses a ceiling without one).
    bool ceilingAsBitrate = false;
};

// Every output type in list order. New types are appended, so stored positions keep their meaning.
const std::vector<OutputTypeEntry>& OutputTypes();

// The output type at the position, or nullptr for a position outside the list.
const OutputTypeEntry* OutputTypeAt(int position);
