#include "support/Log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "tests/common/TempDir.h"

TEST(Support_LogTests, EachCallAppendsOneStampedCrLfLine) {
    TempDir dir;
    const TAppFunc log(dir.Folder());
    log.WriteLog("parameter: a|b");
    log.WriteLog("");
    const std::string content = TempDir::ReadFile(log.LogPath());
    const std::regex line(
        R"(Quarnel Soft [^|\r\n]+ [^|\r\n]+\|parameter: a\|b\r\nQuarnel Soft [^|\r\n]+ [^|\r\n]+\|\r\n)");
    EXPECT_TRUE(std::regex_match(content, line)) << content;
}

TEST(Support_LogTests, UnwritableLogRaises) {
    TempDir dir;
    const TAppFunc log(dir.Folder() + "missing/");
    EXPECT_THROW(log.WriteLog("x"), std::runtime_error);
}

TEST(Support_LogTests, ExeFolderEndsWithSlashAndHoldsTheRunningProgram) {
    const std::string folder = ExeFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(folder + "support_core_tests"));
}

TEST(Support_LogTests, ControlCharactersInAMessageAreEscapedSoNoLineCanBeForged) {
    TempDir dir;
    const TAppFunc log(dir.Folder());
    log.WriteLog("parameter: /v/a\r\nQuarnel Soft 01/01/70 00:00:00|forged\t\x01\x7F ä.avi");
    const std::string content = TempDir::ReadFile(log.LogPath());
    EXPECT_EQ(content.substr(content.find('|') + 1),
              "parameter: /v/a\\r\\nQuarnel Soft 01/01/70 00:00:00|forged\\t\\x01\\x7F ä.avi\r\n");
}
