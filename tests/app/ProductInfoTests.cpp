#include <gtest/gtest.h>

#include <map>

#include "app/ProductInfo.h"

namespace {

TEST(App_ProductInfoTests, VersionTextIsTheFirstTwoNonEmptyPieces) {
    const std::pair<const char*, const char*> cases[] = {
        {"1.0.0.1", "1.0"}, {"2.0.0.0", "2.0"}, {"1.2.0.15", "1.2"}, {"3.10", "3.10"},
        {"1..2.3", "1.2"},  {".4.5", "4.5"},    {"7", "7"},          {"", ""},
    };
    for (const auto& [fileVersion, version] : cases)
        EXPECT_EQ(VersionFromFileVersion(fileVersion), version) << fileVersion;
}

TEST(App_ProductInfoTests, StringTableTextsAreCutTo253BytesWithoutSplittingACharacter) {
    const std::string ascii(300, 'a');
    const std::string twoByte = "\xC3\xA9";       // é
    const std::string threeByte = "\xE2\x82\xAC"; // €
    const std::pair<std::string, std::string> cases[] = {
        {"Rivamo", "Rivamo"},
        {ascii.substr(0, 253), ascii.substr(0, 253)},
        {ascii, ascii.substr(0, 253)},
        // A character that ends exactly at the limit stays; one that crosses it goes whole.
        {std::string(251, 'a') + twoByte + "b", std::string(251, 'a') + twoByte},
        {std::string(252, 'a') + twoByte, std::string(252, 'a')},
        {std::string(251, 'a') + threeByte, std::string(251, 'a')},
        {std::string(250, 'a') + threeByte + "z", std::string(250, 'a') + threeByte},
    };
    for (const auto& [text, cut] : cases)
        EXPECT_EQ(CutResourceString(text), cut) << text.size();
}

TEST(App_ProductInfoTests, FillsTheFieldsFromTheirIdsAndMissingIdsReadEmpty) {
    const std::map<int, std::string> table = {
        {0, "zero"},          {2, "two"},     {3, "three"},
        {4, "https://home/"}, {5, "me@mail"}, {7, std::string(260, 's')},
    };
    RecSoftInfo info;
    info.AppPath = "/opt/rivamo/";
    FillProductInfo(
        info,
        [&table](int id) {
            const auto found = table.find(id);
            return found != table.end() ? found->second : std::string();
        },
        "1.0");
    EXPECT_EQ(info.Text0, "zero");
    EXPECT_EQ(info.ProductName, "");
    EXPECT_EQ(info.Text2, "two");
    EXPECT_EQ(info.Version, "1.0");
    EXPECT_EQ(info.HomePage, "https://home/");
    EXPECT_EQ(info.EMail, "me@mail");
    EXPECT_EQ(info.Text7, std::string(253, 's'));
    EXPECT_EQ(info.AppPath, "/opt/rivamo/");
    // Without string 1 the caption is a space and the version; without a version, name and space.
    EXPECT_EQ(CaptionOf(info), " 1.0");
    RecSoftInfo unversioned;
    unversioned.ProductName = "Rivamo";
    EXPECT_EQ(CaptionOf(unversioned), "Rivamo ");
}

} // namespace
