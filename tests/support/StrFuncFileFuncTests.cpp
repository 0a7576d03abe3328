#include <gtest/gtest.h>

#include <filesystem>

#include "support/FileFunc.h"
#include "support/StrFunc.h"
#include "tests/common/TempDir.h"

namespace fs = std::filesystem;

TEST(Support_StrFuncTests, TextAfterLastSeparator) {
    const TStrFunc str;
    EXPECT_EQ(str.TextAfterLast("a_b_c", "_"), "c");
    EXPECT_EQ(str.TextAfterLast("abc", "_"), "abc");
    EXPECT_EQ(str.TextAfterLast("abc_", "_"), "");
    EXPECT_EQ(str.TextAfterLast("", "."), "");
    EXPECT_EQ(str.TextAfterLast("clip.part1.avi", "."), "avi");
    // Dropping up to each first occurrence in turn, not cutting at the last one.
    EXPECT_EQ(str.TextAfterLast("xaaa", "aa"), "a");
    EXPECT_EQ(str.TextAfterLast("abc", ""), "abc");
}

TEST(Support_FileFuncTests, BaseNameIsTheFileNameWithoutItsLastExtension) {
    const TFileFunc files;
    EXPECT_EQ(files.BaseNameOf("/v/movie.avi"), "movie");
    EXPECT_EQ(files.BaseNameOf("/v/clip.part1.avi"), "clip.part1");
    EXPECT_EQ(files.BaseNameOf("/v/clip."), "clip");
    EXPECT_EQ(files.BaseNameOf("/v/README"), "");
    EXPECT_EQ(files.BaseNameOf("/v.d/README"), "") << "a dot in the folder is no extension";
    EXPECT_EQ(files.BaseNameOf("/v/.hidden"), "");
    EXPECT_EQ(files.BaseNameOf("/v/.clip.x"), ".clip");
    EXPECT_EQ(files.BaseNameOf("movie.avi"), "movie");
    // ":" and "\" are ordinary file-name characters on Linux.
    EXPECT_EQ(files.BaseNameOf("/v/a:b.avi"), "a:b");
    EXPECT_EQ(files.BaseNameOf("/v/a\\b.avi"), "a\\b");
}

class Support_FileFuncUniqueTests : public ::testing::Test {
protected:
    void Touch(const std::string& name) { dir.WriteFile(name, "x"); }
    std::string Wanted(const std::string& name) const { return dir.Folder() + name; }

    TempDir dir;
    TFileFunc files;
};

TEST_F(Support_FileFuncUniqueTests, EmptyOrMissingFolderGivesTheWantedPath) {
    EXPECT_EQ(files.UniqueOutputPath(Wanted("clip.rm")), Wanted("clip.rm"));
    EXPECT_EQ(files.UniqueOutputPath(Wanted("missing/clip.rm")), Wanted("missing/clip.rm"));
}

TEST_F(Support_FileFuncUniqueTests, NumbersPastEveryTakenBaseNameWhateverItsExtension) {
    Touch("clip.rm");
    Touch("clip_1.rm");
    Touch("clip_2.mp3");
    EXPECT_EQ(files.UniqueOutputPath(Wanted("clip.rm")), Wanted("clip_3.rm"));

    Touch("party.avi");
    EXPECT_EQ(files.UniqueOutputPath(Wanted("party.rm")), Wanted("party_1.rm"));
}

TEST_F(Support_FileFuncUniqueTests, NumberCarriesIntoANewDigit) {
    Touch("clip.rm");
    for (int n = 1; n <= 9; ++n)
        Touch("clip_" + std::to_string(n) + ".rm");
    EXPECT_EQ(files.UniqueOutputPath(Wanted("clip.rm")), Wanted("clip_10.rm"));
}

TEST_F(Support_FileFuncUniqueTests, AStartingNameEndingInANumberIsExtendedNotCountedOn) {
    Touch("take_1.avi");
    EXPECT_EQ(files.UniqueOutputPath(Wanted("take_1.rm")), Wanted("take_1_1.rm"));
    Touch("take_1_1.mp3");
    EXPECT_EQ(files.UniqueOutputPath(Wanted("take_1.rm")), Wanted("take_1_2.rm"));
}

TEST_F(Support_FileFuncUniqueTests, BaseNamesClashWhateverTheirLetterCase) {
    Touch("CLIP.avi");
    Touch("Clip_1.RM");
    EXPECT_EQ(files.UniqueOutputPath(Wanted("clip.rm")), Wanted("clip_2.rm"));
}

TEST_F(Support_FileFuncUniqueTests, NamesWithoutADotNeverClash) {
    Touch("clip");
    EXPECT_EQ(files.UniqueOutputPath(Wanted("clip.rm")), Wanted("clip.rm"));
}

TEST_F(Support_FileFuncUniqueTests, PlainFoldersAreLeftOutButReadOnlyAndHiddenOnesClash) {
    fs::create_directory(dir.Path() / "clip.x");
    EXPECT_EQ(files.UniqueOutputPath(Wanted("clip.rm")), Wanted("clip.rm"));

    fs::permissions(dir.Path() / "clip.x", fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EQ(files.UniqueOutputPath(Wanted("clip.rm")), Wanted("clip_1.rm"));

    // A hidden folder's base name begins with "." like its name.
    fs::create_directory(dir.Path() / ".show.x");
    EXPECT_EQ(files.UniqueOutputPath(Wanted(".show.rm")), Wanted(".show_1.rm"));
}

TEST_F(Support_FileFuncUniqueTests, SymbolicLinksCountAsWhatTheyPointTo) {
    fs::create_directory(dir.Path() / "target");
    fs::create_directory_symlink(dir.Path() / "target", dir.Path() / "folder.lnk");
    EXPECT_EQ(files.UniqueOutputPath(Wanted("folder.rm")), Wanted("folder.rm"));

    fs::create_symlink(dir.Path() / "nowhere", dir.Path() / "dangling.lnk");
    EXPECT_EQ(files.UniqueOutputPath(Wanted("dangling.rm")), Wanted("dangling_1.rm"));
}
