#include "settings/UserSettings.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/IniFiles32.h"
#include "settings/MainWindowPlacement.h"
#include "tests/common/TempDir.h"

namespace {

constexpr char kStartFolder[] = "/home/user/Rivamo";

class Settings_UserSettingsTests : public ::testing::Test {
protected:
    Settings_UserSettingsTests() { std::filesystem::create_directory(m_dir.Path() / "Config"); }

    std::string SettingsPath() const { return m_dir.Folder() + "Config/UserSettings.ini"; }
    std::string WriteSettings(const std::string& content) const {
        return m_dir.WriteFile("Config/UserSettings.ini", content);
    }

    TempDir m_dir;
    MainChoices m_choices{kStartFolder};
};

} // namespace

TEST_F(Settings_UserSettingsTests, FirstRunUnchecksBothBoxesAndCloseWritesFiveLines) {
    ASSERT_TRUE(m_choices.chkShowOutputDirectory()); // as the window layout starts it
    LoadUserSettings(m_dir.Folder(), m_choices);
    EXPECT_FALSE(m_choices.chkShowOutputDirectory());
    EXPECT_FALSE(m_choices.chkShutdown());
    EXPECT_EQ(m_choices.edtOutputFolder(), kStartFolder);
    EXPECT_FALSE(std::filesystem::exists(SettingsPath()));

    SaveUserSettings(m_dir.Folder(), m_choices);
    EXPECT_EQ(TempDir::ReadFile(SettingsPath()),
              "\r\n[USRInfo]\r\nSHWDDir=0\r\nSHUTDOWN=0\r\nOutDir=/home/user/Rivamo\r\n");
}

TEST_F(Settings_UserSettingsTests, SavedChoicesAreLoadedByTheNextRun) {
    m_choices.SetShowOutputDirectory(true);
    m_choices.SetShutdown(true);
    m_choices.SetOutputFolder("/data/vids ä");
    SaveUserSettings(m_dir.Folder(), m_choices);

    MainChoices next("/home/other/Rivamo");
    next.SetShowOutputDirectory(false);
    LoadUserSettings(m_dir.Folder(), next);
    EXPECT_TRUE(next.chkShowOutputDirectory());
    EXPECT_TRUE(next.chkShutdown());
    EXPECT_EQ(next.edtOutputFolder(), "/data/vids ä");
}

TEST_F(Settings_UserSettingsTests, OnlyTheTextOneChecksABoxAndAnEmptyFolderKeepsTheShownOne) {
    WriteSettings("[usrinfo]\nSHWDDir=true\nSHUTDOWN = 1 \nOutDir=\n");
    LoadUserSettings(m_dir.Folder(), m_choices);
    EXPECT_FALSE(m_choices.chkShowOutputDirectory());
    EXPECT_TRUE(m_choices.chkShutdown());
    EXPECT_EQ(m_choices.edtOutputFolder(), kStartFolder);

    WriteSettings("[USRInfo]\r\nSHWDDir=\r\nSHUTDOWN=01\r\nOutDir=/srv/out\r\n");
    LoadUserSettings(m_dir.Folder(), m_choices);
    EXPECT_FALSE(m_choices.chkShowOutputDirectory());
    EXPECT_FALSE(m_choices.chkShutdown());
    EXPECT_EQ(m_choices.edtOutputFolder(), "/srv/out");
}

TEST_F(Settings_UserSettingsTests, CloseKeepsUnknownKeysAndInitDirInPlace) {
    WriteSettings(
        "; mine\r\n[usrinfo]\r\nInitDir=/home/user/\r\nSHUTDOWN=0\r\nColor=blue\r\n\r\n[Other]\r\na=1\r\n");
    m_choices.SetShowOutputDirectory(true);
    m_choices.SetShutdown(true);
    m_choices.SetOutputFolder("/out");
    SaveUserSettings(m_dir.Folder(), m_choices);
    EXPECT_EQ(TempDir::ReadFile(SettingsPath()),
              "; mine\r\n[usrinfo]\r\nInitDir=/home/user/\r\nSHUTDOWN=1\r\n"
              "Color=blue\r\n\r\nSHWDDir=1\r\nOutDir=/out\r\n[Other]\r\na=1\r\n");
}

TEST_F(Settings_UserSettingsTests, CloseWithoutConfigFolderRaisesTheCreateError) {
    std::filesystem::remove(m_dir.Path() / "Config");
    try {
        SaveUserSettings(m_dir.Folder(), m_choices);
        FAIL() << "the save must fail";
    } catch (const TIniFileCreateError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot create file \"" + SettingsPath() + "\". No such file or directory");
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "Config"));
}

// Quick batches have a key of their own, written only once the user has turned them on, so the
// file of a user who never did stays as it always was.
TEST_F(Settings_UserSettingsTests, QuickBatchesAreKeptUnderTheirOwnKeyOnceTurnedOn) {
    LoadUserSettings(m_dir.Folder(), m_choices);
    EXPECT_FALSE(m_choices.QuickBatch());
    m_choices.SetQuickBatch(true);
    SaveUserSettings(m_dir.Folder(), m_choices);
    EXPECT_EQ(TempDir::ReadFile(SettingsPath()),
              "\r\n[USRInfo]\r\nSHWDDir=0\r\nSHUTDOWN=0\r\nOutDir=/home/user/Rivamo\r\nQuickBatch=1\r\n");

    MainChoices next("/home/other/Rivamo");
    LoadUserSettings(m_dir.Folder(), next);
    EXPECT_TRUE(next.QuickBatch());
    m_choices.SetQuickBatch(false);
    SaveUserSettings(m_dir.Folder(), m_choices);
    EXPECT_NE(TempDir::ReadFile(SettingsPath()).find("QuickBatch=0\r\n"), std::string::npos);
    WriteSettings("[USRInfo]\r\nQuickBatch=yes\r\n");
    LoadUserSettings(m_dir.Folder(), next);
    EXPECT_FALSE(next.QuickBatch());
}

// The cut without re-encoding is exact unless the user chose key frames; the key is written once
// the choice was made, and only its exact text picks key frames.
TEST_F(Settings_UserSettingsTests, TheCutModeIsKeptUnderItsOwnKeyOnceChosen) {
    LoadUserSettings(m_dir.Folder(), m_choices);
    EXPECT_EQ(m_choices.Cut(), CutMode::Exact);
    m_choices.SetCut(CutMode::KeyFrames);
    SaveUserSettings(m_dir.Folder(), m_choices);
    EXPECT_EQ(
        TempDir::ReadFile(SettingsPath()),
        "\r\n[USRInfo]\r\nSHWDDir=0\r\nSHUTDOWN=0\r\nOutDir=/home/user/Rivamo\r\nCutMode=keyframes\r\n");
    const struct {
        const char* stored;
        CutMode loaded;
    } cases[] = {{"keyframes", CutMode::KeyFrames}, {"exact", CutMode::Exact}, {"KeyFrames", CutMode::Exact}};
    for (const auto& c : cases) {
        WriteSettings(std::string("[USRInfo]\r\nCutMode=") + c.stored + "\r\n");
        MainChoices next("/home/other/Rivamo");
        LoadUserSettings(m_dir.Folder(), next);
        EXPECT_EQ(next.Cut(), c.loaded) << c.stored;
    }
}

// Output goes to local files only: an address, a relative path or "~" in the settings is replaced by
// the default folder, with a warning in the log.
TEST_F(Settings_UserSettingsTests, AnOutputFolderThatIsNoAbsoluteLocalPathIsReplacedByTheDefault) {
    for (const std::string folder :
         {"tcp://127.0.0.1:45999", "file:///tmp/out", "videos/out", "~", "~/out"}) {
        WriteSettings("[USRInfo]\r\nOutDir=" + folder + "\r\n");
        LoadUserSettings(m_dir.Folder(), m_choices);
        EXPECT_EQ(m_choices.edtOutputFolder(), kStartFolder) << folder;
        const std::string log = TempDir::ReadFile(m_dir.Path() / "log.txt");
        EXPECT_NE(
            log.find("|Output directory in the settings is no absolute local folder, the default is used "
                     "instead: " +
                     folder + "\r\n"),
            std::string::npos)
            << log;
    }
    WriteSettings("[USRInfo]\r\nOutDir=/data/out\r\n");
    LoadUserSettings(m_dir.Folder(), m_choices);
    EXPECT_EQ(m_choices.edtOutputFolder(), "/data/out");
}

// The main window's placement is read only as far as it can be trusted: no size, no placement; column
// widths that are no positive numbers are dropped as a whole; only "1" means maximized.
TEST_F(Settings_UserSettingsTests, MainWindowPlacementReadsOnlyWhatItCanTrust) {
    struct Case {
        const char* section;
        std::optional<MainWindowPlacement> expected;
    };
    const std::vector<Case> cases = {
        {"", std::nullopt},
        {"Left=5\r\nTop=6\r\n", std::nullopt},
        {"Width=abc\r\nHeight=600\r\n", std::nullopt},
        {"Left=-20\r\nTop=6\r\nWidth=900\r\nHeight=600\r\nMaximized=1\r\nColumns=26,146,68\r\n",
         MainWindowPlacement{-20, 6, 900, 600, true, {26, 146, 68}}},
        {"Width=900\r\nHeight=600\r\nMaximized=true\r\nColumns=26,x,68\r\n",
         MainWindowPlacement{0, 0, 900, 600, false, {}}},
        {"Width=900\r\nHeight=600\r\nColumns=26,0\r\n", MainWindowPlacement{0, 0, 900, 600, false, {}}},
    };
    for (const Case& test : cases) {
        WriteSettings(std::string("[USRInfo]\r\nOutDir=/srv\r\n[MainWindow]\r\n") + test.section);
        EXPECT_EQ(LoadMainWindowPlacement(m_dir.Folder()), test.expected) << test.section;
    }

    const MainWindowPlacement kept{40, 30, 800, 560, true, {26, 300}};
    SaveMainWindowPlacement(m_dir.Folder(), kept);
    EXPECT_EQ(LoadMainWindowPlacement(m_dir.Folder()), kept);
    // The settings of the other section keep their place and meaning.
    LoadUserSettings(m_dir.Folder(), m_choices);
    EXPECT_EQ(m_choices.edtOutputFolder(), "/srv");
}
