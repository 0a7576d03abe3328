#include "settings/IniFiles32.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "tests/common/TempDir.h"

namespace fs = std::filesystem;

namespace {

class Settings_IniFiles32Tests : public ::testing::Test {
protected:
    // Writes the text as the file "test.ini" and returns its path.
    std::string Ini(const std::string& content) { return m_dir.WriteFile("test.ini", content); }
    std::string Path(const std::string& name) const { return (m_dir.Path() / name).string(); }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir.Path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    TempDir m_dir;
};

void MakeReadOnly(const fs::path& path) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

} // namespace

TEST_F(Settings_IniFiles32Tests, MissingFileOrFolderReadsAsEmptyAndIsNotCreated) {
    const std::string missing = Path("none.ini");
    TIniFile32 ini(missing);
    EXPECT_EQ(ini.ReadString("USRInfo", "OutDir", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadInteger("USRInfo", "OutDir", 7), 7);
    EXPECT_FALSE(fs::exists(missing));

    fs::create_directory(Path("folder.ini"));
    TIniFile32 folder(Path("folder.ini"));
    EXPECT_TRUE(folder.Lines().empty());
    EXPECT_EQ(folder.ReadString("a", "b", "d"), "d");
}

TEST_F(Settings_IniFiles32Tests, SectionNamesIgnoreAsciiCaseButKeysDoNot) {
    TIniFile32 ini(Ini("[usrinfo]\r\nshwddir=1\r\nSHUTDOWN=1\r\n"));
    EXPECT_EQ(ini.ReadString("USRInfo", "SHUTDOWN", "0"), "1");
    EXPECT_EQ(ini.ReadString("USRInfo", "SHWDDir", "0"), "0");
}

TEST_F(Settings_IniFiles32Tests, HeaderWithBlanksEndsASectionButIsNeverFoundByName) {
    const std::string path = Ini("[A]\r\nk=1\r\n   [USRInfo]\r\nk=2\r\n[ Name ]\r\nk=3\r\n");
    TIniFile32 ini(path);
    std::vector<std::string> sections{"stale"};
    ini.ReadSections(sections);
    EXPECT_EQ(sections, (std::vector<std::string>{"A", "USRInfo", "Name"}));
    EXPECT_EQ(ini.ReadString("A", "k", "d"), "1"); // the indented header closes [A]
    EXPECT_EQ(ini.ReadString("USRInfo", "k", "d"), "d");
    EXPECT_EQ(ini.ReadString("Name", "k", "d"), "d");

    ini.WriteString("USRInfo", "k", "9");
    EXPECT_EQ(TempDir::ReadFile(path),
              "[A]\r\nk=1\r\n   [USRInfo]\r\nk=2\r\n[ Name ]\r\nk=3\r\n\r\n[USRInfo]\r\nk=9\r\n");
}

TEST_F(Settings_IniFiles32Tests, KeyLinesAreTrimmedAndTheFirstOccurrenceWins) {
    TIniFile32 ini(Ini("k=before any section\r\n"
                       "[S]\r\n"
                       "\tSHWDDir =  1 \x01\r\n"
                       "empty=\r\n"
                       "blanks=   \r\n"
                       "url=a=b\r\n"
                       "k=1\r\n"
                       "k=2\r\n"
                       ";note=3\r\n"
                       "high=\xE9\xA0\r\n"));
    EXPECT_EQ(ini.ReadString("S", "SHWDDir", "d"), "1");
    EXPECT_EQ(ini.ReadString("S", "empty", "d"), "d");
    EXPECT_EQ(ini.ReadString("S", "blanks", "d"), "d");
    EXPECT_EQ(ini.ReadString("S", "url", "d"), "a=b");
    EXPECT_EQ(ini.ReadString("S", "k", "d"), "1");
    EXPECT_EQ(ini.ReadString("S", ";note", "d"), "3");
    EXPECT_EQ(ini.ReadString("S", "high", "d"), "\xE9\xA0"); // bytes above 127 are not blanks
    EXPECT_EQ(ini.ReadString("S", "", "d"), "d");
    EXPECT_EQ(ini.ReadString("S", "SHWDDir ", "d"), "d"); // arguments are not trimmed
}

TEST_F(Settings_IniFiles32Tests, WriteReplacesTheFirstKeyLineOrInsertsInFrontOfTheNextHeader) {
    const std::string path = Ini("; head\r\n[S]\r\nk = 1\r\nk=2\r\n\r\n;closing\r\n[T]\r\nx=1\r\n");
    TIniFile32 ini(path);
    ini.WriteString("S", "k", "new");
    ini.WriteString("S", "n", "v");
    ini.WriteString("T", "y", "2");
    ini.WriteString("S", "", "ignored");
    EXPECT_EQ(TempDir::ReadFile(path),
              "; head\r\n[S]\r\nk=new\r\nk=2\r\n\r\n;closing\r\nn=v\r\n[T]\r\nx=1\r\ny=2\r\n");
    EXPECT_EQ(TIniFile32(path).ReadString("S", "k", "d"), "new");
}

TEST_F(Settings_IniFiles32Tests, NewSectionOfAnEmptyOrMissingFileIsThreeCrLfLines) {
    const std::string missing = Path("new.ini");
    TIniFile32(missing).WriteString("USRInfo", "SHWDDir", "1");
    EXPECT_EQ(TempDir::ReadFile(missing), "\r\n[USRInfo]\r\nSHWDDir=1\r\n");

    const std::string empty = Ini("");
    TIniFile32 ini(empty);
    ini.WriteInteger("Sec", "n", -42);
    ini.WriteString("Other", "", "v"); // a header without a key line
    EXPECT_EQ(TempDir::ReadFile(empty), "\r\n[Sec]\r\nn=-42\r\n\r\n[Other]\r\n");
    EXPECT_EQ(FolderEntries().size(), 2u) << "no temporary file is left behind";
}

TEST_F(Settings_IniFiles32Tests, EraseSectionLeavesOneEmptyLineUnlessItWasFirst) {
    const std::string path = Ini("[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n;c\r\n[C]\r\nc=1\r\n");
    TIniFile32 ini(path);
    ini.EraseSection("b");
    EXPECT_EQ(TempDir::ReadFile(path), "[A]\r\na=1\r\n\r\n\r\n[C]\r\nc=1\r\n");
    ini.EraseSection("A");
    EXPECT_EQ(TempDir::ReadFile(path), "[C]\r\nc=1\r\n");
    ini.EraseSection("C");
    EXPECT_EQ(TempDir::ReadFile(path), "");
    EXPECT_TRUE(ini.Lines().empty());
}

TEST_F(Settings_IniFiles32Tests, EraseOfAMissingSectionDoesNotWriteTheFile) {
    const std::string path = Ini("[A]\na=1");
    MakeReadOnly(path); // a write would fail
    TIniFile32 ini(path);
    EXPECT_NO_THROW(ini.EraseSection("Missing"));
    EXPECT_EQ(TempDir::ReadFile(path), "[A]\na=1");
}

TEST_F(Settings_IniFiles32Tests, LineEndsOfEveryKindAreReadAndWrittenBackAsCrLf) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"[S]\nk=1\n", {"[S]", "k=1"}},
        {"[S]\rk=1\r", {"[S]", "k=1"}},
        {"[S]\r\nk=1", {"[S]", "k=1"}},
        {"[S]\r\n\r\n\n\rk=1\n\n", {"[S]", "", "", "", "k=1", ""}},
        {std::string("[S]\nk=1\n\0k=2\n", 13), {"[S]", "k=1"}},
        {"", {}},
        {"\r\n", {""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IniText::SplitLines(c.text), c.lines) << "text: " << c.text;
    }

    const std::string path = Ini("[S]\nk=1\rj=2\r\n");
    TIniFile32 ini(path);
    EXPECT_EQ(ini.ReadString("S", "j", "d"), "2");
    ini.WriteString("S", "k", "3");
    EXPECT_EQ(TempDir::ReadFile(path), "[S]\r\nk=3\r\nj=2\r\n");
}

TEST_F(Settings_IniFiles32Tests, ReadIntegerTakesDecimalAndEveryHexadecimalPrefix) {
    TIniFile32 ini(Ini("[N]\r\n"
                       "a=0x1F\r\nb=$1F\r\nc=31\r\nd=x1f\r\ne=X1F\r\nf=0X1f\r\ng=-0x1F\r\nh=+31\r\n"
                       "min=-2147483648\r\nmax=2147483647\r\nall=$FFFFFFFF\r\nneg=-$1\r\nlead=$000000001\r\n"
                       "frac=1.5\r\nword=abc\r\nover=2147483648\r\nunder=-2147483649\r\nwide=$100000000\r\n"
                       "bare=$\r\nhalf=0x\r\nsign=-\r\ninner=1 2\r\ntail=12a\r\n"));
    for (const char* key : {"a", "b", "c", "d", "e", "f", "h"})
        EXPECT_EQ(ini.ReadInteger("N", key, 0), 31) << key;
    EXPECT_EQ(ini.ReadInteger("N", "g", 0), -31);
    EXPECT_EQ(ini.ReadInteger("N", "min", 0), INT32_MIN);
    EXPECT_EQ(ini.ReadInteger("N", "max", 0), INT32_MAX);
    EXPECT_EQ(ini.ReadInteger("N", "all", 0), -1);
    EXPECT_EQ(ini.ReadInteger("N", "neg", 0), -1);
    EXPECT_EQ(ini.ReadInteger("N", "lead", 0), 1);
    for (const char* key :
         {"frac", "word", "over", "under", "wide", "bare", "half", "sign", "inner", "tail", "none"})
        EXPECT_EQ(ini.ReadInteger("N", key, 77), 77) << key;
    EXPECT_EQ(IniText::ParseInteger("  -12"), -12);
    EXPECT_EQ(IniText::ParseInteger(""), std::nullopt);
}

TEST_F(Settings_IniFiles32Tests, WriteIntoAMissingFolderFailsAndKeepsTheChangeInTheInstance) {
    const std::string path = (m_dir.Path() / "gone" / ".." / "nofolder" / "x.ini").string();
    TIniFile32 ini(path);
    try {
        ini.WriteString("S", "k", "v");
        FAIL() << "the write must fail";
    } catch (const TIniFileCreateError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot create file \"" + Path("nofolder/x.ini") + "\". No such file or directory");
    }
    EXPECT_EQ(ini.ReadString("S", "k", "d"), "v");
    EXPECT_FALSE(fs::exists(m_dir.Path() / "nofolder"));
}

TEST_F(Settings_IniFiles32Tests, FailedWriteLeavesTheOldFileByteForByte) {
    const std::string old = "[S]\nk=old\r\n;keep\rx";
    const std::string expectedError = "\". Permission denied";

    // A read-only file refuses the write, even for the superuser.
    const std::string readOnlyFile = Ini(old);
    MakeReadOnly(readOnlyFile);
    TIniFile32 first(readOnlyFile);
    try {
        first.WriteString("S", "k", "new");
        FAIL() << "the write must fail";
    } catch (const TIniFileCreateError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + readOnlyFile + expectedError);
    }
    EXPECT_EQ(TempDir::ReadFile(readOnlyFile), old);
    EXPECT_EQ(first.ReadString("S", "k", "d"), "new");

    // So does a read-only folder: the new content could not be put beside the old file.
    const std::string inLockedFolder = m_dir.WriteFile("locked/x.ini", old);
    MakeReadOnly(m_dir.Path() / "locked");
    TIniFile32 second(inLockedFolder);
    try {
        second.EraseSection("S");
        FAIL() << "the write must fail";
    } catch (const TIniFileCreateError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + inLockedFolder + expectedError);
    }
    EXPECT_EQ(TempDir::ReadFile(inLockedFolder), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.Path() / "locked"), fs::directory_iterator()), 1);
}

TEST_F(Settings_IniFiles32Tests, UnreadableFileFailsAtCreation) {
    const std::string loop = Path("loop.ini");
    fs::create_symlink(loop, loop);
    try {
        TIniFile32 ini(loop);
        FAIL() << "reading must fail";
    } catch (const TIniFileOpenError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open file \"" + loop + "\". Too many levels of symbolic links");
    }
}

TEST_F(Settings_IniFiles32Tests, ReplacedFileKeepsItsPermissionsAndItsLink) {
    const std::string target = Ini("[S]\r\nk=1\r\n");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
    const std::string link = Path("link.ini");
    fs::create_symlink(target, link);

    TIniFile32(link).WriteString("S", "k", "2");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(TempDir::ReadFile(target), "[S]\r\nk=2\r\n");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

// A FIFO would block the program, a device may never end, and a huge file is no settings file:
// each is reported with its file error at once, on reading and on writing.
TEST_F(Settings_IniFiles32Tests, OnlyRegularFilesUpToOneMebibyteAreReadOrReplaced) {
    const std::string fifo = Path("fifo.ini");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string zero = Path("zero.ini");
    fs::create_symlink("/dev/zero", zero);
    const std::string large = m_dir.WriteFile("large.ini", std::string(1024 * 1024 + 1, 'x'));
    m_dir.WriteFile("limit.ini", "[s]\r\nk=v\r\n" + std::string(1024 * 1024 - 11, ';'));
    const std::vector<std::pair<std::string, std::string>> refused = {
        {fifo, "Not a regular file."}, {zero, "Not a regular file."}, {large, "File too large"}};
    for (const auto& [path, reason] : refused) {
        try {
            TIniFile32 ini(path);
            ADD_FAILURE() << path << " was read";
        } catch (const TIniFileOpenError& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot open file \"" + path + "\". " + reason);
        }
    }
    EXPECT_EQ(TIniFile32(Path("limit.ini")).ReadString("s", "k", ""), "v");

    // A FIFO that appears after the read is not written either.
    TIniFile32 later(Path("later.ini"));
    ASSERT_EQ(mkfifo(Path("later.ini").c_str(), 0600), 0);
    try {
        later.WriteString("s", "k", "v");
        ADD_FAILURE() << "a FIFO was written";
    } catch (const TIniFileCreateError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot create file \"" + Path("later.ini") + "\". Not a regular file.");
    }
}
