#include "profiles/CatalogueLists.h"

#include <string>
#include <utility>
#include <vector>

#include "support/Text.h"

void FillListFromCatalogue(OptionList& list, CatalogueTable table) {
    const std::vector<std::string> entries = CatalogueList(table);
    if (entries.empty())
        return;
    for (std::size_t i = 0; i + 1 < entries.size(); ++i)
        list.Append(entries[i]);
    list.Select(static_cast<int32_t>(ParseNumber(entries.back())));
}

void FillCatalogueLists(OptionSelection& options) {
    const std::pair<OptionList*, CatalogueTable> lists[] = {
        {&options.cbbOutputFiletype, CatalogueTable::cstOutputFileTypes},
        {&options.cbbAspectratio, CatalogueTable::cstAspectRatios},
        {&options.cbbVideoBitrate, CatalogueTable::cstVideoBitrates},
        {&options.cbbAudioBitrate, CatalogueTable::cstAudioBitrates},
        {&options.cbbAudioChannels, CatalogueTable::cstAudioChannels},
        {&options.cbbFramerate, CatalogueTable::cstFrameRates},
        {&options.cbbAudioSample, CatalogueTable::cstAudioSampleRates},
        {&options.cbbAudioVolumeGain, CatalogueTable::cstVolumeGains},
        {&options.cbbVideoSize, CatalogueTable::cstVideoSizes},
    };
    for (const auto& [list, table] : lists)
        FillListFromCatalogue(*list, table);
}
