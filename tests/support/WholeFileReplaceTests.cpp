#include "support/WholeFileReplace.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "tests/common/TempDir.h"

namespace {

namespace fs = std::filesystem;

enum class Occupant { Nothing, File, LinkToFile, Folder };

std::size_t EntriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Records what it is asked to flush, with what the target held at that moment, and fails when told.
class RecordingSync final : public DiskSync {
public:
    explicit RecordingSync(fs::path target) : m_target(std::move(target)) {}
    int SyncFile(const std::string& path) override {
        calls.push_back("file " + TempDir::ReadFile(path) + ", target " + TempDir::ReadFile(m_target));
        return fileError;
    }
    int SyncFolder(const std::string& folder) override {
        calls.push_back("folder " + fs::path(folder).filename().string() + ", target " +
                        TempDir::ReadFile(m_target));
        return folderError;
    }
    std::vector<std::string> calls;
    int fileError = 0;
    int folderError = 0;

private:
    fs::path m_target;
};

} // namespace

TEST(Support_WholeFileReplaceTests, ReplacesRegularFilesAndFollowsOrRefusesLinks) {
    struct Case {
        Occupant occupant;
        LinkPolicy links;
        bool replaced;
    };
    const Case cases[] = {
        {Occupant::Nothing, LinkPolicy::Refuse, true},     {Occupant::File, LinkPolicy::Refuse, true},
        {Occupant::LinkToFile, LinkPolicy::Refuse, false}, {Occupant::Folder, LinkPolicy::Refuse, false},
        {Occupant::LinkToFile, LinkPolicy::Follow, true},  {Occupant::Folder, LinkPolicy::Follow, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.occupant) * 10 + static_cast<int>(c.links));
        TempDir dir;
        const fs::path path = dir.Path() / "kept.txt";
        const fs::path linked = dir.WriteFile("elsewhere/linked.txt", "old");
        if (c.occupant == Occupant::File)
            dir.WriteFile("kept.txt", "old");
        else if (c.occupant == Occupant::LinkToFile)
            fs::create_symlink(linked, path);
        else if (c.occupant == Occupant::Folder)
            fs::create_directory(path);

        const auto failure = ReplaceWholeFileContent(
            path.string(), "new", {c.links, fs::perms::owner_read | fs::perms::owner_write, nullptr});
        EXPECT_EQ(!failure, c.replaced);
        EXPECT_TRUE(!failure || failure->notRegularFile);
        const bool throughLink = c.occupant == Occupant::LinkToFile;
        EXPECT_EQ(fs::is_symlink(path), throughLink) << "a link stays a link";
        if (c.occupant != Occupant::Folder) {
            EXPECT_EQ(TempDir::ReadFile(path), c.replaced ? "new" : "old");
        }
        EXPECT_EQ(TempDir::ReadFile(linked), throughLink && c.replaced ? "new" : "old");
        if (c.occupant == Occupant::Nothing) {
            EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
        }
        EXPECT_EQ(EntriesIn(dir.Path()), 2u) << "no temporary file is left behind";
    }
}

// The content reaches the disk under its new name before it takes the old file's place, and the
// folder after; a failure of either is reported, the first with the old content kept.
TEST(Support_WholeFileReplaceTests, FlushesTheFileBeforeTheRenameAndTheFolderAfter) {
    TempDir dir;
    const std::string path = dir.WriteFile("settings/s.ini", "old");
    RecordingSync sync(path);
    const WholeFileRules rules{LinkPolicy::Follow, std::nullopt, &sync};

    EXPECT_FALSE(ReplaceWholeFileContent(path, "new", rules));
    EXPECT_EQ(sync.calls, (std::vector<std::string>{"file new, target old", "folder settings, target new"}));

    sync.fileError = EIO;
    const auto fileFailure = ReplaceWholeFileContent(path, "newer", rules);
    ASSERT_TRUE(fileFailure);
    EXPECT_EQ(fileFailure->reason, "Input/output error");
    EXPECT_EQ(TempDir::ReadFile(path), "new");
    EXPECT_EQ(EntriesIn(dir.Path() / "settings"), 1u);

    sync.fileError = 0;
    sync.folderError = EIO;
    const auto folderFailure = ReplaceWholeFileContent(path, "newest", rules);
    ASSERT_TRUE(folderFailure);
    EXPECT_EQ(folderFailure->reason, "Input/output error");
    EXPECT_EQ(TempDir::ReadFile(path), "newest");
}
