#include "support/Log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

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

TEST(Support_LogTests, ALogThatCannotBeWrittenIsReportedOnceAndStopsNothing) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "fifo");
    ASSERT_EQ(std::system(("mkfifo '" + dir.Folder() + "fifo/log.txt'").c_str()), 0);
    std::filesystem::create_directory(dir.Path() / "link");
    const std::string target = dir.WriteFile("target.txt", "kept");
    std::filesystem::create_symlink(target, dir.Path() / "link" / "log.txt");
    for (const std::string folder : {"missing/", "fifo/", "link/"}) {
        TAppFunc log(dir.Folder() + folder);
        std::vector<std::string> reports;
        log.SetFailureReporter([&](const std::string& text) { reports.push_back(text); });
        log.WriteLog("x"); // a FIFO would block here if it were opened
        log.WriteLog("y");
        ASSERT_EQ(reports.size(), 1u) << folder;
        EXPECT_NE(reports[0].find("cannot be written"), std::string::npos) << reports[0];
    }
    EXPECT_EQ(TempDir::ReadFile(target), "kept");
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
