#pragma once

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
