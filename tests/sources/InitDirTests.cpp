#include "sources/InitDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "settings/IniFiles32.h"
#include "tests/common/TempDir.h"

namespace {

class Sources_InitDirTests : public testing::Test {
protected:
    TempDir m_dir;
    TInitDir m_initDir{m_dir.Folder(), "/home/someone/"};
};

} // namespace

TEST_F(Sources_InitDirTests, HomeFolderWhileNothingIsStored) {
    EXPECT_EQ(m_initDir.SettingsPath(), m_dir.Folder() + "Config/UserSettings.ini");
    EXPECT_EQ(m_initDir.Read(), "/home/someone/");
    // An empty value counts as none.
    m_dir.WriteFile("Config/UserSettings.ini", "[USRInfo]\r\nInitDir=\r\n");
    EXPECT_EQ(m_initDir.Read(), "/home/someone/");
}

TEST_F(Sources_InitDirTests, StoredFolderIsReadBackWithItsTrailingSlashAndOtherKeysStay) {
    m_dir.WriteFile("Config/UserSettings.ini", "[USRInfo]\r\nOutDir=/srv/out\r\n");
    const std::string folder = m_dir.Folder() + "my clips/";
    std::filesystem::create_directory(folder);
    m_initDir.Write(folder);
    EXPECT_EQ(m_initDir.Read(), folder);
    const TIniFile32 ini(m_initDir.SettingsPath());
    EXPECT_EQ(ini.ReadString("USRInfo", "InitDir", ""), folder);
    EXPECT_EQ(ini.ReadString("USRInfo", "OutDir", ""), "/srv/out");
}

TEST_F(Sources_InitDirTests, AStoredFolderThatCannotBeUsedGivesTheHomeFolderAndIsLogged) {
    std::filesystem::create_directory(m_dir.Path() / "Config");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {m_dir.WriteFile("clip.avi", "x"), "no folder"},
        {m_dir.Folder() + "bad\xC3(/", "not valid text"},
    };
    for (const auto& [stored, problem] : cases) {
        m_initDir.Write(stored);
        EXPECT_EQ(m_initDir.Read(), "/home/someone/") << stored;
        EXPECT_NE(TempDir::ReadFile(m_dir.Folder() + "log.txt").find("InitDir in the settings is " + problem),
                  std::string::npos)
            << problem;
    }
}

TEST(Sources_FolderPartTests, FolderPartKeepsTheLastSlash) {
    EXPECT_EQ(FolderPartOf("/data/clips/a b.avi"), "/data/clips/");
    EXPECT_EQ(FolderPartOf("/a.avi"), "/");
    EXPECT_EQ(FolderPartOf("a.avi"), "");
    EXPECT_EQ(FolderPartOf(""), "");
}
