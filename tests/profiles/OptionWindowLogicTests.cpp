// The Options dialog's logic and the custom profile files, through the real INI engine in a
// temporary program folder.
#include "profiles/OptionWindowLogic.h"

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/common/RecordingMessageBoxes.h"
#include "tests/common/TempDir.h"

namespace {

using Texts = std::vector<std::string>;

// The name prompt answering from a script: a name, or no value for Cancel.
class ScriptedPrompt : public ProfileNamePrompt {
public:
    std::optional<std::string> AskName(const std::string& proposal) override {
        proposals.push_back(proposal);
        if (answers.empty())
            return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::optional<std::string>> answers;
    Texts proposals;
};

class Profiles_OptionWindowLogicTests : public ::testing::Test {
protected:
    Profiles_OptionWindowLogicTests() {
        std::filesystem::create_directory(m_dir.Path() / "Config");
        m_proc.FillOptionLists();
        m_proc.ApplySelectedProfile();
    }

    std::string ReadConfig(const std::string& name) const {
        return TempDir::ReadFile(m_dir.Path() / "Config" / name);
    }
    void Add(std::optional<std::string> answer) {
        m_prompt.answers.push_back(std::move(answer));
        m_logic.btnAddClick();
    }

    TempDir m_dir;
    OptionSelection m_options;
    MainChoices m_choices{"/home/user/Rivamo"};
    TCustomProc m_proc{m_dir.Folder(), m_options, m_choices};
    ScriptedPrompt m_prompt;
    RecordingMessageBoxes m_boxes;
    OptionWindowLogic m_logic{m_proc, m_prompt, m_boxes};
};

} // namespace

TEST_F(Profiles_OptionWindowLogicTests, CountOnlyGrowsAndNamesTheFileCouldNotGiveBackAreAskedAgain) {
    Add(std::nullopt);
    for (const char* refused : {"", "a=b", " lead", "trail\t", "[x", "a]b", "tab\there"})
        m_prompt.answers.push_back(std::string(refused));
    Add("Fine");
    EXPECT_EQ(m_prompt.proposals, (Texts{"UserProfileInfo1", "UserProfileInfo2", "UserProfileInfo2", "a=b",
                                         " lead", "trail\t", "[x", "a]b", "tab\there"}))
        << "a refused name is offered again for correction, an empty one gives the proposal back";
    ASSERT_EQ(m_boxes.Boxes().size(), 7u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, "Please enter a name for the profile.");
    EXPECT_EQ(m_boxes.Boxes()[1].text, "\"a=b\" cannot be used as a profile name: it contains \"=\".");
    EXPECT_EQ(m_boxes.Boxes()[1].icon, MessageIcon::Warning);
    EXPECT_EQ(ReadConfig("UserProfileInfo.ini"), "\r\n[Fine]\r\nFine=1|1|2|5|1|2\r\n")
        << "nothing is ever written for a refused name";

    // Deleting every profile does not give a number back.
    m_logic.btnDelClick();
    EXPECT_TRUE(m_options.cbbCustomProfile.Items().empty());
    EXPECT_EQ(m_options.cbbCustomProfile.EditText(), "");
    Add(std::nullopt);
    EXPECT_EQ(m_prompt.proposals.back(), "UserProfileInfo3");
    EXPECT_EQ(ReadConfig("UserProfileCount.ini"), "\r\n[count]\r\ncount=3\r\n");
}

TEST_F(Profiles_OptionWindowLogicTests, SaveAndDeleteWorkOnTheNameTheBoxShows) {
    Add("Fast");
    Add("Small");
    m_options.cbbVideoSize.SelectByUser(0);
    m_options.cbbAudioSample.SelectByUser(-1);     // nothing selected: stored as -1
    m_options.cbbCustomProfile.TypeByUser("fast"); // another spelling of an existing profile
    m_logic.btnSaveClick();
    EXPECT_EQ(m_proc.ReadConfigValue("UserProfileInfo.ini", "Fast"), "0|1|2|5|1|-1");
    EXPECT_EQ(m_options.cbbCustomProfile.SelectedText(), "Small") << "the last profile is selected";
    EXPECT_EQ(m_options.cbbVideoSize.SelectedText(), "160x112") << "selecting it applied nothing";

    m_options.cbbCustomProfile.TypeByUser("x=y");
    m_logic.btnSaveClick();
    EXPECT_EQ(m_boxes.Texts().back(), "\"x=y\" cannot be used as a profile name: it contains \"=\".");

    m_options.cbbCustomProfile.TypeByUser("Fast");
    m_logic.btnDelClick();
    EXPECT_EQ(m_options.cbbCustomProfile.Items(), (Texts{"Small"}));
    EXPECT_EQ(ReadConfig("UserProfileInfo.ini"), "\r\n\r\n[Small]\r\nSmall=1|1|2|5|1|2\r\n");
}

TEST_F(Profiles_OptionWindowLogicTests, CancelPutsBackThePositionsOfTheMomentTheDialogWasShown) {
    Add("Mine");
    m_options.cbbProfile.Clear();
    m_proc.FillProfileList(m_options.cbbProfile);
    m_options.cbbProfile.SelectByUser(5); // Mine, chosen in the main window
    m_options.cbbCustomProfile.SetEditText("");
    m_logic.FormShow();
    EXPECT_EQ(m_options.cbbCustomProfile.SelectedText(), "Mine") << "the main window's custom profile";

    m_options.cbbFramerate.SelectByUser(6);
    m_options.cbbVideoSize.SelectByUser(0);
    m_options.cbbCustomProfile.TypeByUser("other");
    m_logic.btnCancelClick();
    EXPECT_EQ(m_options.cbbFramerate.SelectedText(), "15");
    EXPECT_EQ(m_options.cbbVideoSize.SelectedText(), "320x240");
    EXPECT_EQ(m_options.cbbCustomProfile.SelectedText(), "Mine");

    // Shown again, a box with text keeps it but selects nothing, so nothing is re-applied.
    m_logic.FormShow();
    EXPECT_EQ(m_options.cbbCustomProfile.ItemIndex(), -1);
    EXPECT_EQ(m_options.cbbCustomProfile.EditText(), "Mine");
}

// The copy type offers the cut choice instead of the lists: OK keeps the choice, Cancel and a
// close leave the kept one. A profile saved meanwhile is stored as every other one.
TEST_F(Profiles_OptionWindowLogicTests, CopyTypeOffersTheCutChoiceWhichOnlyOkKeeps) {
    const int32_t copyType = static_cast<int32_t>(OutputTypes().size()) - 1;
    ASSERT_EQ(OutputTypeAt(copyType)->style, OptionStyle::StreamCopy);
    EXPECT_FALSE(m_logic.CopiesStreams());
    m_options.cbbOutputFiletype.SelectByUser(copyType);
    m_proc.ApplySelectedProfile();
    EXPECT_TRUE(m_logic.CopiesStreams());

    struct Case {
        CutMode kept, chosen;
        void (OptionWindowLogic::*button)();
        CutMode after;
    };
    const Case cases[] = {
        {CutMode::Exact, CutMode::KeyFrames, &OptionWindowLogic::btnApplyClick, CutMode::KeyFrames},
        {CutMode::KeyFrames, CutMode::Exact, &OptionWindowLogic::btnApplyClick, CutMode::Exact},
        {CutMode::Exact, CutMode::KeyFrames, &OptionWindowLogic::btnCancelClick, CutMode::Exact},
        {CutMode::KeyFrames, CutMode::KeyFrames, &OptionWindowLogic::btnCancelClick, CutMode::KeyFrames},
    };
    for (const Case& c : cases) {
        m_choices.SetCut(c.kept);
        m_logic.FormShow();
        EXPECT_EQ(m_logic.Cut(), c.kept);
        m_logic.SelectCut(c.chosen);
        (m_logic.*c.button)();
        EXPECT_EQ(m_choices.Cut(), c.after);
    }
    Add("Copy");
    EXPECT_EQ(ReadConfig("UserProfileInfo.ini"), "\r\n[Copy]\r\nCopy=1|1|2|5|1|2\r\n");
}
