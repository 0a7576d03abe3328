// The output folder command on real folders: the dialog is scripted, the folders and the probe are real.
#include "convert/OutputFolderChoice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "convert/CommonLib.h"
#include "tests/common/RecordingMessageBoxes.h"
#include "tests/common/TempDir.h"

namespace fs = std::filesystem;

namespace {

class ScriptedBrowser : public FolderBrowser {
public:
    std::optional<std::string> BrowseForFolder(const std::string& title,
                                               const std::string& startFolder) override {
        titles.push_back(title);
        startFolders.push_back(startFolder);
        return answer;
    }
    std::optional<std::string> answer;
    std::vector<std::string> titles;
    std::vector<std::string> startFolders;
};

std::set<fs::path> Entries(const fs::path& folder) {
    std::set<fs::path> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        entries.insert(entry.path());
    return entries;
}

// The folder refuses new entries although its permission bits allow them, as a read-only file
// system does; even the superuser cannot write there. Undone on destruction.
class ImmutableFolder {
public:
    explicit ImmutableFolder(const fs::path& folder) : m_folder(folder) {
        m_set = std::system(("chattr +i '" + folder.string() + "' 2>/dev/null").c_str()) == 0;
    }
    ~ImmutableFolder() {
        if (m_set)
            (void)std::system(("chattr -i '" + m_folder.string() + "'").c_str());
    }
    bool IsSet() const { return m_set; }

private:
    fs::path m_folder;
    bool m_set = false;
};

class Convert_OutputFolderChoiceTests : public ::testing::Test {
protected:
    std::string Select(const std::optional<std::string>& answer) {
        browser.answer = answer;
        return lib.SelectOutputFolder(current, browser, boxes);
    }

    TempDir dir;
    const std::string current = (dir.Path() / "current").string();
    OptionSelection options;
    MainChoices choices{current};
    TCustomProc customProc{dir.Folder(), options, choices};
    SourceList sources;
    TAppFunc log{dir.Folder()};
    TFileFunc files;
    TCommonLib lib{dir.Folder(), customProc, sources, log, files};
    ScriptedBrowser browser;
    RecordingMessageBoxes boxes;
};

} // namespace

TEST_F(Convert_OutputFolderChoiceTests, WritableFolderIsTakenAndWhatItHoldsIsLeftAlone) {
    // An empty folder of the user's, named as a fixed probe would be.
    const std::string chosen = dir.WriteFile("videos/keep.txt", "mine");
    const fs::path folder = dir.Path() / "videos";
    fs::create_directory(folder / "test");
    const std::set<fs::path> before = Entries(folder);
    EXPECT_EQ(Select(folder.string()), folder.string());
    EXPECT_EQ(browser.titles, (std::vector<std::string>{"Please select output folder:"}));
    EXPECT_EQ(browser.startFolders, std::vector<std::string>{current})
        << "the chooser opens at the output folder";
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(Entries(folder), before);
    EXPECT_EQ(TempDir::ReadFile(chosen), "mine");
}

TEST_F(Convert_OutputFolderChoiceTests, FolderThatCannotTakeFilesOrNoChoiceKeepsTheCurrentOne) {
    const fs::path readOnly = dir.Path() / "read-only";
    fs::create_directory(readOnly);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec);
    const fs::path immutable = dir.Path() / "immutable";
    fs::create_directory(immutable);
    const ImmutableFolder refusing(immutable);
    struct Case {
        std::optional<fs::path> chosen; // none: the dialog is cancelled
        std::vector<std::string> messages;
    };
    for (const Case& c :
         {Case{readOnly, {"This is a read-only path."}}, Case{immutable, {"This is a read-only path."}},
          Case{dir.Path() / "missing", {"The path is invalid."}}, Case{std::nullopt, {}}}) {
        if (c.chosen == immutable && !refusing.IsSet())
            continue; // the file system has no immutable folders
        SCOPED_TRACE(c.chosen.value_or("cancelled"));
        boxes.Clear();
        fs::remove(current);
        EXPECT_EQ(Select(c.chosen ? std::optional(c.chosen->string()) : std::nullopt), current);
        EXPECT_EQ(boxes.Texts(), c.messages);
        for (const auto& box : boxes.Boxes())
            EXPECT_EQ(box.icon, MessageIcon::Warning);
        EXPECT_TRUE(fs::is_directory(current)) << "the kept folder is made when missing";
        EXPECT_FALSE(c.chosen && fs::exists(*c.chosen) && !fs::is_empty(*c.chosen));
    }
    fs::permissions(readOnly, fs::perms::owner_all);
    if (!refusing.IsSet())
        GTEST_SKIP() << "chattr +i is not available here; the read-only file system case did not run";
}
