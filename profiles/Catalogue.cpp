#include "profiles/Catalogue.h"

#include <stdexcept>

namespace {

std::vector<std::string> VolumeGains() {
    std::vector<std::string> gains;
    for (int percent = 0; percent <= 500; percent += 25)
        gains.push_back(std::to_string(percent));
    gains.push_back("8"); // "200"
    return gains;
}

// The profiles of the modern types leave size and frame rate as the source has them (positions of
// "Same as source"), keep stereo, leave the sample rate as the source has it, and rise in video
// bitrate ceiling (1500, 3000, 6000, 12000, 20000 kbps) and audio bitrate.
constexpr std::array<const char*, QualityCount> AacProfiles = {
    "10|9|4|3|1|4", "10|9|6|5|1|4", "10|9|8|6|1|4", "10|9|10|7|1|4", "10|9|12|9|1|4"}; // AAC 64 to 256
constexpr std::array<const char*, QualityCount> OpusProfiles = {
    "10|9|4|2|1|4", "10|9|6|3|1|4", "10|9|8|5|1|4", "10|9|10|6|1|4", "10|9|12|7|1|4"}; // Opus 48 to 192

constexpr const char* UntouchedProfile = "none|none|none|none|none|none";
constexpr std::array<const char*, QualityCount> UntouchedProfiles = {
    UntouchedProfile, UntouchedProfile, UntouchedProfile, UntouchedProfile, UntouchedProfile};

std::array<std::string, QualityCount> Profiles(const std::array<const char*, QualityCount>& texts) {
    std::array<std::string, QualityCount> profiles;
    for (std::size_t i = 0; i < QualityCount; ++i)
        profiles[i] = texts[i];
    return profiles;
}

// Constant-quality levels per encoder, from "Low Quality" to "Superb Quality". "Normal Quality"
// sits a little above each encoder's own default, where a picture is hard to tell from its source;
// the steps are about 3 levels (H.264), which roughly halves or doubles the size per step. H.265,
// VP9 and AV1 reach the same look at higher numbers on their own scales.
constexpr std::array<int, QualityCount> H264Levels = {28, 25, 22, 20, 18};
constexpr std::array<int, QualityCount> H265Levels = {33, 30, 27, 25, 23};
constexpr std::array<int, QualityCount> Vp9Levels = {40, 36, 32, 28, 24};
constexpr std::array<int, QualityCount> Av1Levels = {44, 40, 35, 30, 26};

std::vector<OutputTypeEntry> MakeOutputTypes() {
    const std::array<std::string, QualityCount> psp = {"1|0|0|2|0|0", "1|0|1|4|1|1", "1|1|2|5|1|2",
                                                       "1|1|3|7|1|2", "1|1|4|8|1|3"};
    const std::array<std::string, QualityCount> mp3 = {"1|0|0|2|0|0", "1|0|1|4|0|0", "1|1|2|5|0|0",
                                                       "1|1|3|7|0|0", "1|1|4|8|0|0"};
    const auto aac = Profiles(AacProfiles);
    const auto opus = Profiles(OpusProfiles);
    const auto untouched = Profiles(UntouchedProfiles);
    using S = OptionStyle;
    // x265's "fast" preset keeps H.265 within a few times H.264's encoding time at a small cost in
    // size. Video in MP4 is 8-bit 4:2:0 so every player decodes it, with the index at the front so it
    // plays while it downloads; H.265 is tagged hvc1, the tag Apple's players ask for.
    return {
        {"RM Video Files (*.rm)", "-vcodec rv20", "none", ".rm", psp, S::Classic, {}},
        // MP3 audio in an .mp3 file: AAC audio there would be a broken file.
        {"MP3 Files (*.mp3)", "-acodec mp3 -vn", "none", ".mp3", mp3, S::Classic, {}},
        {"MP4 Video, H.264 + AAC (*.mp4)",
         "-vcodec libx264 -pix_fmt yuv420p -acodec aac -movflags +faststart", "mp4", ".mp4", aac,
         S::QualityVideo, H264Levels},
        {"MP4 Video, H.265 + AAC (*.mp4)",
         "-vcodec libx265 -preset fast -pix_fmt yuv420p -tag:v hvc1 -acodec aac -movflags +faststart", "mp4",
         ".mp4", aac, S::QualityVideo, H265Levels},
        {"WebM Video, VP9 + Opus (*.webm)", "-vcodec libvpx-vp9 -pix_fmt yuv420p -acodec libopus", "webm",
         ".webm", opus, S::QualityVideo, Vp9Levels, true},
        // SVT-AV1's preset 8 encodes in a few times the source's length on a small machine; the
        // slower presets gain little at these quality levels.
        {"WebM Video, AV1 + Opus (*.webm)", "-vcodec libsvtav1 -preset 8 -pix_fmt yuv420p -acodec libopus",
         "webm", ".webm", opus, S::QualityVideo, Av1Levels},
        {"M4A Audio, AAC (*.m4a)",
         "-acodec aac -vn -movflags +faststart",
         "ipod",
         ".m4a",
         aac,
         S::ModernAudio,
         {}},
        {"Opus Audio (*.opus)", "-acodec libopus -vn", "ogg", ".opus", opus, S::ModernAudio, {}},
        {"FLAC Audio, Lossless (*.flac)", "-acodec flac -vn", "flac", ".flac", aac, S::LosslessAudio, {}},
        // Cuts without re-encoding: the extension comes from the source's container, and the quality
        // names leave every list alone.
        {"Same as source, no re-encoding", "-map 0 -c copy", "none", "", untouched, S::StreamCopy, {}},
    };
}

std::vector<std::string> Column(std::string OutputTypeEntry::*field) {
    std::vector<std::string> column;
    for (const OutputTypeEntry& type : OutputTypes())
        column.push_back(type.*field);
    return column;
}

std::vector<std::string> ProfileColumn(int outputType) {
    const auto& profiles = OutputTypes()[static_cast<std::size_t>(outputType)].profiles;
    return {profiles.begin(), profiles.end()};
}

} // namespace

const std::vector<OutputTypeEntry>& OutputTypes() {
    static const std::vector<OutputTypeEntry> types = MakeOutputTypes();
    return types;
}

const OutputTypeEntry* OutputTypeAt(int position) {
    const auto& types = OutputTypes();
    if (position < 0 || static_cast<std::size_t>(position) >= types.size())
        return nullptr;
    return &types[static_cast<std::size_t>(position)];
}

std::vector<std::string> CatalogueList(CatalogueTable table) {
    switch (table) {
    case CatalogueTable::cstOutputFileTypes: {
        std::vector<std::string> names = Column(&OutputTypeEntry::name);
        names.push_back("0");
        return names;
    }
    case CatalogueTable::cstQualityNames:
        return {"Low Quality",       "Acceptable Quality", "Normal Quality",
                "Excellent Quality", "Superb Quality",     "2"};
    case CatalogueTable::cstVideoSizes:
        return {"160x112",  "320x240",   "368x208",   "640x360",   "640x480",        "854x480",
                "1280x720", "1920x1080", "2560x1440", "3840x2160", SameAsSourceItem, "0"};
    case CatalogueTable::cstFrameRates:
        return {"14.985", "15", "23.967", "24", "25", "29.97", "30", "50", "60", SameAsSourceItem, "4"};
    case CatalogueTable::cstVideoBitrates:
        return {"256",  "512",  "768",  "1000",  "1500",  "2000",  "3000",
                "4000", "6000", "8000", "12000", "16000", "20000", "3"};
    case CatalogueTable::cstAspectRatios:
        return {"4:3", "16:9", SameAsSourceItem, "0"};
    case CatalogueTable::cstAudioBitrates:
        return {"16", "32", "48", "64", "80", "128", "160", "192", "224", "256", "320", "2"};
    case CatalogueTable::cstAudioSampleRates:
        return {"22050", "32000", "44100", "48000", SameAsSourceItem, "3"};
    case CatalogueTable::cstAudioChannels:
        return {"1 channel, Mono", "2 channels, Stereo", "1"};
    case CatalogueTable::cstVolumeGains:
        return VolumeGains();
    case CatalogueTable::cstCodecArguments:
        return Column(&OutputTypeEntry::codecArgument);
    case CatalogueTable::cstOutputFormats:
        return Column(&OutputTypeEntry::format);
    case CatalogueTable::cstOutputExtensions:
        return Column(&OutputTypeEntry::extension);
    case CatalogueTable::cstPSPProfile:
        return ProfileColumn(0);
    case CatalogueTable::cstMP3Profile:
        return ProfileColumn(1);
    }
    throw std::invalid_argument("CatalogueList: unknown table");
}
