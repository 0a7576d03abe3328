// The Options dialog and the output folder as a user meets them, on the whole program on the X
// display: Ctrl+I, Add with the name prompt, OK with Enter, Cancel with Esc. Ctrl+B is tried with a
// conversion in SourceFlowTests.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include "app/MainWindow.h"
#include "app/ProgramShell.h"
#include "profiles/OptionWindow.h"
#include "tests/app/ModalDialogDriver.h"
#include "tests/app/ProgramTestOptions.h"
#include "tests/common/RecordingMessageBoxes.h"
#include "tests/common/TempDir.h"

namespace fs = std::filesystem;

namespace {

class App_OptionFlowTests : public testing::Test {
protected:
    App_OptionFlowTests() {
        fs::create_directory(folder.Path() / "Config");
        program.Start();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&main));
    }

    void PressKey(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(window.windowHandle(), key, modifiers);
    }
    void OpenOptions() {
        PressKey(main, Qt::Key_I, Qt::ControlModifier);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&options));
    }
    // Moves a list down by the given number of items, with the keyboard.
    static void StepDown(QComboBox* combo, int steps) {
        combo->setFocus();
        for (int i = 0; i < steps; ++i)
            QTest::keyClick(combo, Qt::Key_Down);
    }
    std::string Config(const char* name) const { return TempDir::ReadFile(folder.Path() / "Config" / name); }

    TestProgramFolder folder;
    RecordingMessageBoxes boxes;
    ProgramShell program{folder.Folder(), boxes, [] {}, NoSplashWait()};
    TFrmMainForm& main = program.MainForm();
    TfrmOption& options = program.OptionForm();
};

// Every control is named for screen readers and UI automation; a list, box or check box by the label
// beside it, which is also its label relation (on Linux a list's own accessible name is its value).
void ExpectEveryControlNamed(QWidget& window) {
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QComboBox*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
                             qobject_cast<QLineEdit*>(widget) || qobject_cast<QLabel*>(widget) ||
                             qobject_cast<QGroupBox*>(widget) || qobject_cast<QTreeView*>(widget);
        if (control && widget->isVisibleTo(&window) && !widget->parentWidget()->inherits("QComboBox")) {
            EXPECT_FALSE(widget->accessibleName().isEmpty())
                << widget->metaObject()->className() << " " << widget->objectName().toStdString();
        }
        auto* button = qobject_cast<QAbstractButton*>(widget);
        if (button != nullptr && !button->text().isEmpty()) {
            EXPECT_EQ(button->accessibleName(), button->text());
        }
    }
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->buddy() == nullptr)
            continue;
        EXPECT_EQ(label->buddy()->accessibleName(), label->text());
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(label->buddy());
        ASSERT_NE(accessible, nullptr);
        const auto relations = accessible->relations(QAccessible::Label);
        EXPECT_TRUE(std::any_of(relations.begin(), relations.end(), [label](const auto& relation) {
            return relation.first->object() == label;
        })) << label->text().toStdString();
    }
}

} // namespace

TEST_F(App_OptionFlowTests, AddAcceptedAndOkStoreTheProfileAndListItInTheMainWindow) {
    OpenOptions();
    EXPECT_EQ(options.windowTitle(), "Options");
    EXPECT_EQ(options.size(), QSize(476, 260));
    EXPECT_FALSE(options.isModal());
    EXPECT_TRUE(main.isEnabled());
    ExpectEveryControlNamed(options);
    ExpectEveryControlNamed(main);
    // Seven labels name controls or are links; lblTitle is the window's title; the preview's clock
    // pnlCurTime, logo panLogo and message lblPreviewMessage label nothing.
    EXPECT_EQ(main.findChildren<QLabel*>().size(), 11) << "a new label needs a buddy here or a reason not to";

    StepDown(options.cbbVideoSize, 1); // 368x208
    StepDown(options.cbbFramerate, 3); // 25
    QString caption, prompt, proposal;
    ModalDialogDriver<QInputDialog> accept([&](QInputDialog& dialog) {
        caption = dialog.windowTitle();
        prompt = dialog.labelText();
        proposal = dialog.textValue();
        QTest::keyClick(&dialog, Qt::Key_Return);
    });
    QTest::mouseClick(options.btnAdd, Qt::LeftButton);
    EXPECT_EQ(caption, "Rivamo");
    EXPECT_EQ(prompt, "Plese input a name");
    EXPECT_EQ(proposal, "UserProfileInfo1");
    EXPECT_EQ(options.cbbCustomProfile->currentText(), "UserProfileInfo1");
    EXPECT_EQ(main.cbbProfile->count(), 5) << "the main list changes only on OK";

    PressKey(options, Qt::Key_Return); // from the list last stepped: Enter is OK
    EXPECT_FALSE(options.isVisible());
    EXPECT_EQ(Config("UserProfileInfo.ini"), "\r\n[UserProfileInfo1]\r\nUserProfileInfo1=2|4|2|5|1|2\r\n");
    EXPECT_EQ(Config("UserProfileCount.ini"), "\r\n[count]\r\ncount=1\r\n");
    ASSERT_EQ(main.cbbProfile->count(), 6);
    EXPECT_EQ(main.cbbProfile->itemText(5), "UserProfileInfo1");
    EXPECT_EQ(main.cbbProfile->currentText(), "Normal Quality");
    EXPECT_EQ(options.cbbVideoSize->currentText(), "368x208") << "OK applies no profile";
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(App_OptionFlowTests, EscRestoresTheListsAndTheCloseButtonKeepsThem) {
    OpenOptions();
    QTest::mouseClick(options.chkQuickBatch, Qt::LeftButton);
    StepDown(options.cbbFramerate, 2);
    StepDown(options.cbbAudioBitrate, 1);
    options.cbbCustomProfile->setFocus();
    QTest::keyClicks(options.cbbCustomProfile->lineEdit(), "typed");
    EXPECT_EQ(program.Options().cbbCustomProfile.EditText(), "typed");
    PressKey(options, Qt::Key_Escape); // from the box the user typed in
    EXPECT_FALSE(options.isVisible());
    EXPECT_EQ(options.cbbFramerate->currentText(), "15");
    EXPECT_EQ(options.cbbAudioBitrate->currentText(), "128");
    EXPECT_FALSE(program.Choices().QuickBatch());

    OpenOptions();
    EXPECT_FALSE(options.chkQuickBatch->isChecked());
    QTest::mouseClick(options.chkQuickBatch, Qt::LeftButton);
    StepDown(options.cbbFramerate, 2);
    options.cbbCustomProfile->setFocus();
    QTest::keyClicks(options.cbbCustomProfile->lineEdit(), "typed");
    PressKey(options, Qt::Key_Return);
    EXPECT_FALSE(options.isVisible()) << "Enter in the box is OK";
    EXPECT_EQ(options.cbbCustomProfile->count(), 0) << "and adds no item";
    EXPECT_TRUE(program.Choices().QuickBatch());
    OpenOptions();
    EXPECT_TRUE(options.chkQuickBatch->isChecked());
    StepDown(options.cbbFramerate, 1);
    options.close();
    EXPECT_FALSE(options.isVisible());
    EXPECT_EQ(program.Options().cbbFramerate.SelectedText(), "25");
    EXPECT_EQ(main.cbbProfile->count(), 5) << "closing does not refill the main profile list";
}

// The buttons are no default buttons: the dialog itself makes Enter OK, except on a button the user
// tabbed to, which Enter presses. OK keeps the checked quick-batch choice, Cancel drops it.
TEST_F(App_OptionFlowTests, EnterIsOkExceptOnAButtonReachedWithTab) {
    struct Case {
        const char* focus;
        int tabs;
        bool ok;
    };
    for (const Case& row : {Case{"cbbAudioChannels", 0, true}, Case{"chkQuickBatch", 0, true},
                            Case{"chkQuickBatch", 1, true}, Case{"chkQuickBatch", 2, false}}) {
        program.Choices().SetQuickBatch(false);
        OpenOptions();
        options.chkQuickBatch->setChecked(true);
        options.findChild<QWidget*>(QString::fromLatin1(row.focus))->setFocus();
        for (int i = 0; i < row.tabs; ++i)
            PressKey(options, Qt::Key_Tab);
        PressKey(options, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_FALSE(options.isVisible()) << row.focus << " " << row.tabs;
        EXPECT_EQ(program.Choices().QuickBatch(), row.ok) << row.focus << " " << row.tabs;
    }
}
