#include "profiles/Catalogue.h"

#include <gtest/gtest.h>

#include "support/Text.h"

namespace {

// The items of a list table: every entry but the last.
std::vector<std::string> Items(CatalogueTable table) {
    auto list = CatalogueList(table);
    list.pop_back();
    return list;
}

} // namespace

TEST(Profiles_CatalogueTests, ListTablesEndInADefaultInsideTheirItems) {
    for (auto table :
         {CatalogueTable::cstOutputFileTypes, CatalogueTable::cstQualityNames, CatalogueTable::cstVideoSizes,
          CatalogueTable::cstFrameRates, CatalogueTable::cstVideoBitrates, CatalogueTable::cstAspectRatios,
          CatalogueTable::cstAudioBitrates, CatalogueTable::cstAudioSampleRates,
          CatalogueTable::cstAudioChannels, CatalogueTable::cstVolumeGains}) {
        const auto list = CatalogueList(table);
        const int position = std::stoi(list.back());
        EXPECT_GE(position, 0);
        EXPECT_LT(position, static_cast<int>(list.size()) - 1);
    }
}

TEST(Profiles_CatalogueTests, EveryBuiltInProfilePositionLiesInsideItsList) {
    const CatalogueTable fields[] = {CatalogueTable::cstVideoSizes,    CatalogueTable::cstFrameRates,
                                     CatalogueTable::cstVideoBitrates, CatalogueTable::cstAudioBitrates,
                                     CatalogueTable::cstAudioChannels, CatalogueTable::cstAudioSampleRates};
    for (auto profiles : {CatalogueTable::cstPSPProfile, CatalogueTable::cstMP3Profile}) {
        const auto strings = CatalogueList(profiles);
        ASSERT_EQ(strings.size(), Items(CatalogueTable::cstQualityNames).size());
        for (const auto& profile : strings) {
            const auto pieces = SplitText(profile, '|');
            ASSERT_EQ(pieces.size(), 6u) << profile;
            for (int i = 0; i < 6; ++i)
                EXPECT_LT(std::stoul(pieces[i]), Items(fields[i]).size()) << profile;
        }
    }
}

TEST(Profiles_CatalogueTests, OutputTypeRowsAreParallel) {
    const auto types = Items(CatalogueTable::cstOutputFileTypes);
    const auto codecs = CatalogueList(CatalogueTable::cstCodecArguments);
    const auto extensions = CatalogueList(CatalogueTable::cstOutputExtensions);
    ASSERT_GE(codecs.size(), types.size());
    ASSERT_EQ(extensions.size(), types.size());
    EXPECT_EQ(CatalogueList(CatalogueTable::cstOutputFormats).size(), types.size());
}
