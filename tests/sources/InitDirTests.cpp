#include "sources/InitDir.h"

#include <gtest/gtest.h>

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
    m_initDir.Write("/data/my clips/");
    EXPECT_EQ(m_initDir.Read(), "/data/my clips/");
    const TIniFile32 ini(m_initDir.SettingsPath());
    EXPECT_EQ(ini.ReadString("USRInfo", "InitDir", ""), "/data/my clips/");
    EXPECT_EQ(ini.ReadString("USRInfo", "OutDir", ""), "/srv/out");
}

TEST(Sources_FolderPartTests, FolderPartKeepsTheLastSlash) {
    EXPECT_EQ(FolderPartOf("/data/clips/a b.avi"), "/data/clips/");
    EXPECT_EQ(FolderPartOf("/a.avi"), "/");
    EXPECT_EQ(FolderPartOf("a.avi"), "");
    EXPECT_EQ(FolderPartOf(""), "");
}
