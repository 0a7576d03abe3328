#include "profiles/CustomProc.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/common/RecordingMessageBoxes.h"
#include "tests/common/TempDir.h"

namespace {

using Texts = std::vector<std::string>;

const Texts kQualityNames = {"Low Quality", "Acceptable Quality", "Normal Quality", "Excellent Quality",
                             "Superb Quality"};

class Profiles_ProfileApplicationTests : public ::testing::Test {
protected:
    Profiles_ProfileApplicationTests() {
        std::filesystem::create_directory(m_dir.Path() / "Config");
        // The windows' change handlers, as the main window wires them.
        m_options.cbbOutputFiletype.SetChangeHandler([this] { m_proc.ApplySelectedProfile(); });
        m_options.cbbProfile.SetChangeHandler([this] { m_proc.ApplySelectedProfile(); });
    }

    void WriteProfiles(const std::string& content) const {
        m_dir.WriteFile("Config/UserProfileInfo.ini", content);
    }
    void StartUp() {
        m_proc.FillOptionLists();
        m_proc.ApplySelectedProfile();
    }
    // The selected texts of the six lists a profile positions, in the profile's field order.
    Texts ProfileTexts() const {
        return {m_options.cbbVideoSize.SelectedText(),     m_options.cbbFramerate.SelectedText(),
                m_options.cbbVideoBitrate.SelectedText(),  m_options.cbbAudioBitrate.SelectedText(),
                m_options.cbbAudioChannels.SelectedText(), m_options.cbbAudioSample.SelectedText()};
    }

    TempDir m_dir;
    OptionSelection m_options;
    MainChoices m_choices{"/home/user/Rivamo"};
    TCustomProc m_proc{m_dir.Folder(), m_options, m_choices};
};

const Texts kNormalRm = {"320x240", "15", "768", "128", "2 channels, Stereo", "44100"};

} // namespace

TEST_F(Profiles_ProfileApplicationTests, StartUpListsQualitiesThenCustomNamesAndAppliesNormalQuality) {
    WriteProfiles("\r\n[Mine]\r\nMine=2|4|0|1|0|1\r\n\r\n[Yours]\r\nYours=0|0|0|0|0|0\r\n");
    m_dir.WriteFile("Config/UserSettings.ini", "[USRInfo]\r\nOutDir=/srv/out\r\n");
    int profileHandlerRuns = 0;
    m_options.cbbProfile.SetChangeHandler([&] { ++profileHandlerRuns; });

    StartUp();
    Texts expectedProfiles = kQualityNames;
    expectedProfiles.insert(expectedProfiles.end(), {"Mine", "Yours"});
    EXPECT_EQ(m_options.cbbProfile.Items(), expectedProfiles);
    EXPECT_EQ(m_options.cbbProfile.SelectedText(), "Normal Quality");
    EXPECT_EQ(profileHandlerRuns, 0);
    EXPECT_EQ(m_options.cbbCustomProfile.Items(), (Texts{"Mine", "Yours"}));
    EXPECT_EQ(m_options.cbbCustomProfile.ItemIndex(), -1);

    EXPECT_EQ(m_options.cbbOutputFiletype.SelectedText(), "RM Video Files (*.rm)");
    EXPECT_EQ(ProfileTexts(), kNormalRm);
    EXPECT_EQ(m_options.cbbAspectratio.SelectedText(), "4:3");
    EXPECT_EQ(m_options.cbbAudioVolumeGain.SelectedText(), "200");
    EXPECT_EQ(m_options.cbbAudioVolumeGain.Items().size(), 21u);
    EXPECT_EQ(m_choices.edtOutputFolder(), "/srv/out"); // the user settings load last
}

TEST_F(Profiles_ProfileApplicationTests, BuiltInProfilesFollowTheOutputTypeAndLeaveAspectAndVolume) {
    StartUp();
    m_options.cbbAspectratio.Select(1);
    m_options.cbbAudioVolumeGain.Select(3);

    m_options.cbbOutputFiletype.SelectByUser(1); // RM to MP3 re-applies Normal Quality
    EXPECT_EQ(ProfileTexts(), (Texts{"320x240", "15", "768", "128", "1 channel, Mono", "22050"}));
    m_options.cbbProfile.SelectByUser(4);
    EXPECT_EQ(ProfileTexts(), (Texts{"320x240", "15", "1500", "224", "1 channel, Mono", "22050"}));
    m_options.cbbOutputFiletype.SelectByUser(0);
    EXPECT_EQ(ProfileTexts(), (Texts{"320x240", "15", "1500", "224", "2 channels, Stereo", "48000"}));

    EXPECT_EQ(m_options.cbbAspectratio.SelectedText(), "16:9");
    EXPECT_EQ(m_options.cbbAudioVolumeGain.SelectedText(), "75");
    EXPECT_EQ(m_options.cbbOutputFiletype.ItemIndex(), 0);
}

TEST_F(Profiles_ProfileApplicationTests, NoOutputTypeOrNoProfileSelectedChangesNothing) {
    StartUp();
    m_options.cbbOutputFiletype.SelectByUser(-1);
    EXPECT_EQ(ProfileTexts(), kNormalRm);
    m_options.cbbOutputFiletype.Select(1);
    m_options.cbbProfile.SelectByUser(-1);
    EXPECT_EQ(ProfileTexts(), kNormalRm);
}

TEST_F(Profiles_ProfileApplicationTests, CustomProfileInTheProfileListWorksBeforeTheOptionsDialogWasShown) {
    WriteProfiles("\r\n[Mine]\r\nMine=2|4|0|1|0|1\r\n\r\n[Yours]\r\nYours=0|6|4|8|1|3\r\n");
    StartUp();
    m_options.cbbProfile.SelectByUser(5);
    EXPECT_EQ(m_options.cbbCustomProfile.ItemIndex(), 0);
    EXPECT_EQ(ProfileTexts(), (Texts{"368x208", "25", "256", "32", "1 channel, Mono", "32000"}));
    m_options.cbbProfile.SelectByUser(6);
    EXPECT_EQ(m_options.cbbCustomProfile.ItemIndex(), 1);
    EXPECT_EQ(ProfileTexts(), (Texts{"160x112", "30", "1500", "224", "2 channels, Stereo", "48000"}));

    // A built-in choice afterwards deselects the custom profile, so the re-application before a
    // conversion keeps the quality the main window shows.
    m_options.cbbProfile.SelectByUser(4);
    EXPECT_EQ(m_options.cbbCustomProfile.ItemIndex(), -1);
    EXPECT_EQ(m_options.cbbCustomProfile.EditText(), "");
    m_proc.ApplyCustomProfile();
    EXPECT_EQ(ProfileTexts(), (Texts{"320x240", "15", "1500", "224", "2 channels, Stereo", "48000"}));
}

TEST_F(Profiles_ProfileApplicationTests, StoredValuesThatAreIncompleteOrMissingChangeOnlyWhatTheyName) {
    WriteProfiles("[Five]\nFive=0|0|0|0|0\n"
                  "[Gap]\nGap=0||0|0|0|0\n"
                  "[NoValue]\nOther=0|0|0|0|0|0\n"
                  "[Far]\nFar=99|0|0|0|0|0\n"
                  "[Trailing]\nTrailing=0|0|0|0|0|\n");
    StartUp();
    const auto applyCustom = [this](int32_t position) {
        m_options.cbbCustomProfile.Select(position);
        m_proc.ApplyCustomProfile();
    };

    applyCustom(0);
    EXPECT_EQ(ProfileTexts(), kNormalRm);
    applyCustom(2);
    EXPECT_EQ(ProfileTexts(), kNormalRm);
    applyCustom(4); // splits into five pieces
    EXPECT_EQ(ProfileTexts(), kNormalRm);
    applyCustom(-1);
    EXPECT_EQ(ProfileTexts(), kNormalRm);

    applyCustom(1);
    EXPECT_EQ(ProfileTexts(), (Texts{"160x112", "15", "256", "16", "1 channel, Mono", "22050"}));
    applyCustom(3); // a position past the list's items leaves it with nothing selected
    EXPECT_EQ(m_options.cbbVideoSize.ItemIndex(), -1);

    // Each profile that is not applied as stored is named in the log once, with what is wrong.
    for (int32_t position : {0, 1, 2, 3, 4})
        applyCustom(position);
    const std::string log = TempDir::ReadFile(m_dir.Path() / "log.txt");
    for (const std::string expected : {"\"Five\" is not applied as stored: it has 5 of 6 fields;",
                                       "\"Gap\" is not applied as stored: the frame rate is missing;",
                                       "\"NoValue\" is not applied as stored: it has no stored value;",
                                       "\"Far\" is not applied as stored: the video size 99 is out of range;",
                                       "\"Trailing\" is not applied as stored: it has 5 of 6 fields;"}) {
        const std::size_t first = log.find(expected);
        EXPECT_NE(first, std::string::npos) << expected << "\n" << log;
        EXPECT_EQ(log.find(expected, first + 1), std::string::npos) << "logged twice: " << expected;
    }
}

// Either settings file made unreadable (too large, or a FIFO): its error is returned for the box,
// the rest of the start-up still happens, and neither save writes over the file.
TEST(Profiles_UnreadableSettingsTests, StartUpGoesOnAndTheFileIsNeverWrittenOver) {
    struct Case {
        std::string file;
        bool fifo;
    };
    for (const Case& c : {Case{"UserProfileInfo.ini", false}, Case{"UserProfileInfo.ini", true},
                          Case{"UserSettings.ini", false}, Case{"UserSettings.ini", true}}) {
        TempDir dir;
        dir.WriteFile("Config/UserSettings.ini", "[USRInfo]\r\nSHWDDir=0\r\nOutDir=/srv/out\r\n");
        dir.WriteFile("Config/UserProfileInfo.ini", "[Mine]\r\nMine=0|0|0|0|0|0\r\n");
        const std::filesystem::path path = dir.Path() / "Config" / c.file;
        std::filesystem::remove(path);
        if (c.fifo) {
            ASSERT_EQ(std::system(("mkfifo '" + path.string() + "'").c_str()), 0);
        } else {
            dir.WriteFile("Config/" + c.file, std::string(1024 * 1024 + 1, ';'));
        }
        OptionSelection options;
        MainChoices choices{"/home/user/Rivamo"};
        TCustomProc proc{dir.Folder(), options, choices};

        const std::vector<std::string> problems = proc.FillOptionLists();
        ASSERT_EQ(problems.size(), 1u) << c.file;
        EXPECT_EQ(problems[0].rfind("Cannot open file \"" + path.string() + "\"", 0), 0u) << problems[0];
        EXPECT_EQ(options.cbbProfile.Items().size(), c.file == "UserSettings.ini" ? 6u : 5u);
        EXPECT_EQ(choices.edtOutputFolder(), c.file == "UserSettings.ini" ? "/home/user/Rivamo" : "/srv/out");

        proc.SaveUserSettings();
        options.cbbCustomProfile.SetEditText("New");
        RecordingMessageBoxes boxes;
        proc.SaveCustomProfile(boxes);
        EXPECT_EQ(std::filesystem::is_fifo(path), c.fifo);
        if (!c.fifo) {
            EXPECT_EQ(std::filesystem::file_size(path), 1024u * 1024 + 1) << c.file;
        }
        EXPECT_NE(TempDir::ReadFile(dir.Path() / "log.txt").find("Config/" + c.file + " is not written"),
                  std::string::npos);
    }
}

TEST_F(Profiles_ProfileApplicationTests, FieldThatIsNoIntegerRaisesAfterTheEarlierFieldsAreApplied) {
    WriteProfiles("[Bad]\r\nBad=2|4|fast|0|0|0\r\n");
    StartUp();
    m_options.cbbCustomProfile.Select(0);
    try {
        m_proc.ApplyCustomProfile();
        FAIL() << "the field must raise a conversion error";
    } catch (const std::invalid_argument& error) {
        EXPECT_EQ(std::string(error.what()), "'fast' is not a valid integer value");
    }
    EXPECT_EQ(ProfileTexts(), (Texts{"368x208", "25", "768", "128", "2 channels, Stereo", "44100"}));
}

TEST_F(Profiles_ProfileApplicationTests, RefillingTheProfileListKeepsBothListsFreeOfDuplicates) {
    WriteProfiles("[Mine]\r\nMine=2|4|0|1|0|1\r\n");
    StartUp();
    m_options.cbbProfile.SelectByUser(5);
    ASSERT_EQ(m_options.cbbCustomProfile.ItemIndex(), 0);

    // The Options dialog's OK: clear the profile list and fill it again.
    m_options.cbbProfile.Clear();
    m_proc.FillProfileList(m_options.cbbProfile);
    EXPECT_EQ(m_options.cbbProfile.Items().size(), 6u);
    EXPECT_EQ(m_options.cbbProfile.SelectedText(), "Normal Quality");
    EXPECT_EQ(m_options.cbbCustomProfile.Items(), (Texts{"Mine"}));
    EXPECT_EQ(m_options.cbbCustomProfile.ItemIndex(), 0) << "an unchanged box keeps its selection";
    EXPECT_EQ(ProfileTexts()[0], "368x208") << "refilling applies no profile";

    WriteProfiles("[Mine]\r\nMine=2|4|0|1|0|1\r\n[New]\r\nNew=0|0|0|0|0|0\r\n");
    m_options.cbbProfile.Clear();
    m_proc.FillProfileList(m_options.cbbProfile);
    EXPECT_EQ(m_options.cbbCustomProfile.Items(), (Texts{"Mine", "New"}));
    EXPECT_EQ(m_options.cbbCustomProfile.ItemIndex(), -1);
    EXPECT_EQ(m_options.cbbCustomProfile.EditText(), "Mine");
}

TEST_F(Profiles_ProfileApplicationTests, MissingConfigFileReadsAsEmptyAndIsNotCreated) {
    EXPECT_TRUE(m_proc.ReadConfigSections("UserProfileInfo.ini").empty());
    EXPECT_EQ(m_proc.ReadConfigValue("UserProfileInfo.ini", "Mine"), "");
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "Config" / "UserProfileInfo.ini"));

    WriteProfiles("[A]\r\nA=1\r\nB=2\r\n[ B ]\r\nB=3\r\n");
    EXPECT_EQ(m_proc.ReadConfigSections("UserProfileInfo.ini"), (Texts{"A", "B"}));
    EXPECT_EQ(m_proc.ReadConfigValue("UserProfileInfo.ini", "a"), "");
    EXPECT_EQ(m_proc.ReadConfigValue("UserProfileInfo.ini", "A"), "1");
    EXPECT_EQ(m_proc.ReadConfigValue("UserProfileInfo.ini", "B"), "");
}

// The modern types keep the source's size, frame rate, aspect and sample rate; going back to a
// classic type gives its own defaults back. A custom profile stores the new positions as it
// always did.
TEST_F(Profiles_ProfileApplicationTests, ModernTypesKeepTheSourcesShapeAndClassicTypesTheirDefaults) {
    StartUp();
    const std::string same = SameAsSourceItem;
    struct Case {
        int type, quality;
        Texts lists;
        std::string aspect;
    };
    const Case cases[] = {
        {2, 2, {same, same, "6000", "160", "2 channels, Stereo", same}, same},
        {5, 4, {same, same, "20000", "192", "2 channels, Stereo", same}, same},
        {8, 0, {same, same, "1500", "64", "2 channels, Stereo", same}, same},
        {0, 2, kNormalRm, "4:3"},
    };
    for (const Case& c : cases) {
        m_options.cbbOutputFiletype.SelectByUser(c.type);
        m_options.cbbProfile.SelectByUser(c.quality);
        EXPECT_EQ(ProfileTexts(), c.lists) << c.type;
        EXPECT_EQ(m_options.cbbAspectratio.SelectedText(), c.aspect) << c.type;
    }
    m_options.cbbOutputFiletype.SelectByUser(3);
    EXPECT_EQ(m_proc.CurrentProfileString(), "10|9|8|6|1|4");
}
