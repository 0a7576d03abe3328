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

} // namespace

std::vector<std::string> CatalogueList(CatalogueTable table) {
    switch (table) {
    case CatalogueTable::cstOutputFileTypes:
        return {"RM Video Files (*.rm)", "MP3 Files (*.mp3)", "0"};
    case CatalogueTable::cstQualityNames:
        return {"Low Quality",       "Acceptable Quality", "Normal Quality",
                "Excellent Quality", "Superb Quality",     "2"};
    case CatalogueTable::cstVideoSizes:
        return {"160x112", "320x240", "368x208", "0"};
    case CatalogueTable::cstFrameRates:
        return {"14.985", "15", "23.967", "24", "25", "29.97", "30", "4"};
    case CatalogueTable::cstVideoBitrates:
        return {"256", "512", "768", "1000", "1500", "3"};
    case CatalogueTable::cstAspectRatios:
        return {"4:3", "16:9", "0"};
    case CatalogueTable::cstAudioBitrates:
        return {"16", "32", "48", "64", "80", "128", "160", "192", "224", "2"};
    case CatalogueTable::cstAudioSampleRates:
        return {"22050", "32000", "44100", "48000", "3"};
    case CatalogueTable::cstAudioChannels:
        return {"1 channel, Mono", "2 channels, Stereo", "1"};
    case CatalogueTable::cstVolumeGains:
        return VolumeGains();
    case CatalogueTable::cstCodecArguments:
        // The MP3 output type passes MP3 audio: AAC audio in an .mp3 file would be a broken file.
        return {"-vcodec rv20", "-acodec mp3 -vn", "-acodec aac -vn", "-acodec mp3 -vn", "0"};
    case CatalogueTable::cstOutputFormats:
        return {"none", "none"};
    case CatalogueTable::cstOutputExtensions:
        return {".rm", ".mp3"};
    case CatalogueTable::cstPSPProfile:
        return {"1|0|0|2|0|0", "1|0|1|4|1|1", "1|1|2|5|1|2", "1|1|3|7|1|2", "1|1|4|8|1|3"};
    case CatalogueTable::cstMP3Profile:
        return {"1|0|0|2|0|0", "1|0|1|4|0|0", "1|1|2|5|0|0", "1|1|3|7|0|0", "1|1|4|8|0|0"};
    }
    throw std::invalid_argument("CatalogueList: unknown table");
}
