#include <gtest/gtest.h>

#include <filesystem>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "app/MainWindow.h"
#include "app/ProgramShell.h"
#include "convert/ConvertingWindow.h"
#include "tests/common/RecordingMessageBoxes.h"
#include "tests/common/TempDir.h"

namespace {

class App_ProgramShellTests : public testing::Test {
protected:
    App_ProgramShellTests() { std::filesystem::create_directory(folder.Path() / "Config"); }

    std::string SettingsPath() const { return (folder.Path() / "Config" / "UserSettings.ini").string(); }

    void StartAndWait() {
        program.Start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&program.MainForm()));
    }

    TempDir folder;
    RecordingMessageBoxes boxes;
    int endings = 0;
    ProgramShell program{folder.Folder(), boxes, [this] { ++endings; }};
};

TEST_F(App_ProgramShellTests, StartsWithTheMainWindowShownAndTheProgressWindowHidden) {
    StartAndWait();
    EXPECT_TRUE(program.MainForm().isVisible());
    EXPECT_FALSE(program.ProgressForm().isVisible());
    // The first show filled the lists from the catalogue and selected a profile.
    EXPECT_GT(program.MainForm().cbbOutputFiletype->count(), 0);
    EXPECT_GT(program.MainForm().cbbProfile->count(), 0);
    EXPECT_EQ(program.MainForm().cbbOutputFiletype->currentIndex(),
              program.Options().cbbOutputFiletype.ItemIndex());
    // No settings file: both boxes unchecked, the folder below the home folder.
    EXPECT_FALSE(program.Choices().chkShowOutputDirectory());
    EXPECT_FALSE(program.Choices().chkShutdown());
    EXPECT_TRUE(program.MainForm().edtOutputFolder->text().endsWith("/Rivamo"));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(App_ProgramShellTests, LoadsTheSettingsAtStartAndWritesThemWhenTheMainWindowCloses) {
    folder.WriteFile("Config/UserSettings.ini",
                     "[USRInfo]\r\nInitDir=/media/\r\nSHWDDir=1\r\nOutDir=/srv/out\r\n");
    StartAndWait();
    EXPECT_TRUE(program.Choices().chkShowOutputDirectory());
    EXPECT_EQ(program.MainForm().edtOutputFolder->text(), "/srv/out");

    QTest::mouseClick(program.MainForm().chkShutdown, Qt::LeftButton);
    program.MainForm().close();
    EXPECT_EQ(endings, 1);
    const std::string written = TempDir::ReadFile(SettingsPath());
    EXPECT_NE(written.find("SHWDDir=1"), std::string::npos) << written;
    EXPECT_NE(written.find("SHUTDOWN=1"), std::string::npos) << written;
    EXPECT_NE(written.find("OutDir=/srv/out"), std::string::npos) << written;
    EXPECT_NE(written.find("InitDir=/media/"), std::string::npos) << written;
}

TEST_F(App_ProgramShellTests, FailedSaveIsReportedAndTheProgramStillEnds) {
    std::filesystem::remove(folder.Path() / "Config");
    StartAndWait();
    program.MainForm().close();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].icon, MessageIcon::Error);
    EXPECT_NE(boxes.Boxes()[0].text.find("UserSettings.ini"), std::string::npos) << boxes.Boxes()[0].text;
    EXPECT_EQ(endings, 1);
}

TEST_F(App_ProgramShellTests, UserSelectionAppliesTheProfileAndProgramSelectionDoesNot) {
    StartAndWait();
    OptionSelection& options = program.Options();
    OptionList* optionLists[] = {&options.cbbVideoSize,     &options.cbbVideoBitrate,
                                 &options.cbbFramerate,     &options.cbbAspectratio,
                                 &options.cbbAudioBitrate,  &options.cbbAudioSample,
                                 &options.cbbAudioChannels, &options.cbbAudioVolumeGain};
    const auto clearOptions = [&] {
        for (OptionList* list : optionLists)
            list->Select(-1);
    };
    const auto anyOptionSelected = [&] {
        for (const OptionList* list : optionLists)
            if (list->ItemIndex() >= 0)
                return true;
        return false;
    };

    QComboBox* types = program.MainForm().cbbOutputFiletype;
    ASSERT_GT(types->count(), 1);
    clearOptions();
    options.cbbOutputFiletype.Select(0);
    EXPECT_EQ(types->currentIndex(), 0);
    EXPECT_FALSE(anyOptionSelected());

    types->setFocus();
    QTest::keyClick(types, Qt::Key_Down);
    EXPECT_EQ(options.cbbOutputFiletype.ItemIndex(), 1);
    EXPECT_TRUE(anyOptionSelected());

    clearOptions();
    QComboBox* profiles = program.MainForm().cbbProfile;
    profiles->setFocus();
    QTest::keyClick(profiles, options.cbbProfile.ItemIndex() > 0 ? Qt::Key_Up : Qt::Key_Down);
    EXPECT_TRUE(anyOptionSelected());
}

} // namespace
