#include "sources/OpenFilesCommand.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/common/TempDir.h"

namespace {

using Paths = std::vector<std::string>;

struct ScriptedPicker final : SourceFilePicker {
    std::vector<Paths> answers; // one per showing; an empty answer is a cancel
    Paths folders;
    Paths Pick(const std::string& folder) override {
        folders.push_back(folder);
        Paths answer = answers.at(folders.size() - 1);
        return answer;
    }
    std::optional<std::string> PickFolder(const std::string&) override { return std::nullopt; }
};

struct RecordingPopup final : BusyPopup {
    int shown = 0;
    bool open = false;
    void ShowWhile(std::function<void()> work) override {
        ++shown;
        open = true;
        try {
            work();
        } catch (...) {
            open = false;
            throw;
        }
        open = false;
    }
};

class Sources_OpenFilesCommandTests : public testing::Test {
protected:
    void SetUp() override { m_dir.WriteFile("Config/UserSettings.ini", "[USRInfo]\r\n"); }

    TOpenFilesCommand MakeCommand() {
        return TOpenFilesCommand(m_initDir, m_picker, m_popup, [this](const Paths& paths) {
            EXPECT_TRUE(m_popup.open);
            m_added.push_back(paths);
            if (m_failAdd)
                throw std::runtime_error("Cannot open file");
        });
    }

    TempDir m_dir;
    TInitDir m_initDir{m_dir.Folder(), "/home/u/"};
    ScriptedPicker m_picker;
    RecordingPopup m_popup;
    std::vector<Paths> m_added;
    bool m_failAdd = false;
};

} // namespace

TEST_F(Sources_OpenFilesCommandTests, ChosenFilesAreAddedOnceEachBehindThePopupAndTheirFolderIsRemembered) {
    m_picker.answers = {{"/d/x/b.avi", "/d/x/a.avi", "/d/x/b.avi", "/d/x/B.avi"}, {"/e/c.avi"}};
    TOpenFilesCommand command = MakeCommand();

    command.btnOpenFileClick();
    EXPECT_EQ(m_picker.folders, Paths{"/home/u/"});
    EXPECT_EQ(m_popup.shown, 1);
    ASSERT_EQ(m_added.size(), 1u);
    EXPECT_EQ(m_added[0], (Paths{"/d/x/b.avi", "/d/x/a.avi", "/d/x/B.avi"}));
    EXPECT_EQ(m_initDir.Read(), "/d/x/");

    command.btnOpenFileClick();
    EXPECT_EQ(m_picker.folders, (Paths{"/home/u/", "/d/x/"}));
    EXPECT_EQ(m_initDir.Read(), "/e/");
}

TEST_F(Sources_OpenFilesCommandTests, CancelledDialogStillShowsThePopupAndKeepsTheRememberedFolder) {
    m_picker.answers = {{}, {"/d/x/a.avi"}, {}};
    TOpenFilesCommand command = MakeCommand();

    command.btnOpenFileClick();
    EXPECT_EQ(m_popup.shown, 1);
    EXPECT_EQ(m_added, std::vector<Paths>{Paths{}});
    EXPECT_EQ(m_initDir.Read(), "/home/u/");

    command.btnOpenFileClick();
    m_initDir.Write("/elsewhere/");
    // A cancel keeps the dialog's last file name, whose folder is stored again.
    command.btnOpenFileClick();
    EXPECT_EQ(m_popup.shown, 3);
    EXPECT_EQ(command.DialogFileName(), "/d/x/a.avi");
    EXPECT_EQ(m_initDir.Read(), "/d/x/");
}

TEST_F(Sources_OpenFilesCommandTests, AnErrorWhileAddingEndsTheCommandWithoutStoringTheFolder) {
    m_picker.answers = {{"/d/x/a.avi"}};
    m_failAdd = true;
    TOpenFilesCommand command = MakeCommand();
    EXPECT_THROW(command.btnOpenFileClick(), std::runtime_error);
    EXPECT_FALSE(m_popup.open);
    EXPECT_EQ(m_initDir.Read(), "/home/u/");
}
