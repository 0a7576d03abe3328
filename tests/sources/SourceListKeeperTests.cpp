#include "sources/SourceListKeeper.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <QTest>

#include <sys/stat.h>

#include "tests/common/TempDir.h"

namespace {

namespace fs = std::filesystem;

void AddRow(SourceList& list, const std::string& path) {
    const std::size_t row = list.AppendRow();
    list.SetCell(row, colCheck, CheckedText);
    list.SetCell(row, colFileName, path);
    list.SetCell(row, colDuration, "00:01:00");
    list.SetCell(row, colStartTime, "00:00:05");
    list.SetCell(row, colEndTime, "00:01:00");
}

} // namespace

TEST(Sources_SourceListKeeperTests, ChangesReachTheFileSoonAfterAndAtOnceWhenAsked) {
    TempDir folder;
    SourceList list;
    std::vector<std::string> reports;
    SourceListKeeper keeper(list, folder.Folder(), [&](const std::string& r) { reports.push_back(r); });
    const fs::path file = folder.Path() / SourceListKeeper::FileName;
    EXPECT_TRUE(keeper.Load().empty());

    AddRow(list, "/v/a.avi");
    AddRow(list, "/v/b.avi");
    QTRY_COMPARE_WITH_TIMEOUT(fs::exists(file) ? TempDir::ReadFile(file) : "", SavedSourceListText(list),
                              10000);
    list.SetCell(1, colCheck, UncheckedText);
    keeper.SaveNow();
    EXPECT_EQ(TempDir::ReadFile(file), SavedSourceListText(list));
    EXPECT_EQ(keeper.Load(), ParseSavedSourceList(SavedSourceListText(list)));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1)
        << "no temporary file is left behind";
    EXPECT_TRUE(reports.empty());
}

TEST(Sources_SourceListKeeperTests, ANonRegularFileIsNeitherReadNorReplacedAndIsNamedOnce) {
    enum class Kind { Folder, Link, Fifo };
    for (const Kind kind : {Kind::Folder, Kind::Link, Kind::Fifo}) {
        TempDir folder;
        const fs::path file = folder.Path() / SourceListKeeper::FileName;
        const std::string target = folder.WriteFile("elsewhere.txt", "Rivamo source list 1\n");
        if (kind == Kind::Folder)
            fs::create_directory(file);
        else if (kind == Kind::Link)
            fs::create_symlink(target, file);
        else
            ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
        SourceList list;
        std::vector<std::string> reports;
        SourceListKeeper keeper(list, folder.Folder(), [&](const std::string& r) { reports.push_back(r); });
        EXPECT_TRUE(keeper.Load().empty());
        AddRow(list, "/v/a.avi");
        keeper.SaveNow();
        keeper.SaveNow();
        QTRY_COMPARE_WITH_TIMEOUT(reports.size(), std::size_t{2}, 10000); // the read and the writes
        EXPECT_EQ(fs::symlink_status(file).type(), kind == Kind::Folder ? fs::file_type::directory
                                                   : kind == Kind::Link ? fs::file_type::symlink
                                                                        : fs::file_type::fifo);
        EXPECT_EQ(TempDir::ReadFile(target), "Rivamo source list 1\n");
    }
}
