#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "app/FlashForm.h"
#include "app/MainWindow.h"
#include "app/ProgramShell.h"
#include "convert/ConvertingWindow.h"
#include "sources/SourceGridView.h"
#include "tests/app/ProgramTestOptions.h"
#include "tests/common/RecordingMessageBoxes.h"
#include "tests/common/TempDir.h"

namespace {

// The options of these tests: the recording desktop, the built program's version, a short splash.
ProgramOptions ShellOptions(Shell& shell, int splashTicks = 0) {
    ProgramOptions options;
    options.shell = &shell;
    options.executablePath = (BuiltProgramFolder() / "rivamo").string();
    options.splashTicks = splashTicks;
    return options;
}

// Runs `check` once on the top-level window of that object name as soon as it is visible; the
// program's own modal loops (splash, About) keep serving the timer.
void WhenWindowShows(const QString& objectName, const std::function<void(QWidget&)>& check) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, objectName, check] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == objectName && window->isVisible()) {
                poll->stop();
                poll->deleteLater();
                check(*window);
                return;
            }
        }
    });
    poll->start(20);
}

class App_ProgramShellTests : public testing::Test {
protected:
    App_ProgramShellTests() { std::filesystem::create_directory(folder.Path() / "Config"); }

    std::string SettingsPath() const { return (folder.Path() / "Config" / "UserSettings.ini").string(); }

    void StartAndWait() {
        program.Start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&program.MainForm()));
    }

    TestProgramFolder folder;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    int endings = 0;
    ProgramShell program{folder.Folder(), boxes, [this] { ++endings; }, ShellOptions(shell)};
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

// The main window comes back at the next start where and as large as it was, with the grid's columns
// as wide, maximized when it was (the file name column wider then), and restored then to the size
// it had before.
TEST_F(App_ProgramShellTests, MainWindowPlaceSizeColumnsAndMaximizedStateSurviveARestart) {
    const QRect place(24, 16, 760, 560);
    StartAndWait();
    program.MainForm().setGeometry(place);
    program.MainForm().dxTreeSourceFileInfo->header()->resizeSection(colFileName, 300);
    program.MainForm().close();
    ASSERT_EQ(endings, 1);

    const auto restart = [&](const std::function<void(TFrmMainForm&)>& check) {
        int laterEndings = 0;
        ProgramShell later{folder.Folder(), boxes, [&] { ++laterEndings; }, ShellOptions(shell)};
        later.Start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&later.MainForm()));
        check(later.MainForm());
        later.MainForm().close();
        EXPECT_EQ(laterEndings, 1);
    };
    restart([&](TFrmMainForm& main) {
        EXPECT_FALSE(main.isMaximized());
        EXPECT_EQ(main.geometry(), place);
        EXPECT_EQ(main.dxTreeSourceFileInfo->header()->sectionSize(colFileName), 300);
        main.showMaximized();
        QTRY_VERIFY(main.isMaximized());
    });
    restart([&](TFrmMainForm& main) {
        QTRY_VERIFY(main.isMaximized());
        QTRY_VERIFY(main.dxTreeSourceFileInfo->header()->sectionSize(colFileName) > 300);
        main.showNormal();
        QTRY_COMPARE(main.geometry(), place);
        QTRY_COMPARE(main.dxTreeSourceFileInfo->header()->sectionSize(colFileName), 300);
    });
    // The keys of their own, beside the old ones, which keep their meaning.
    const std::string written = TempDir::ReadFile(SettingsPath());
    EXPECT_NE(written.find("[MainWindow]"), std::string::npos) << written;
    EXPECT_NE(written.find("Width=760"), std::string::npos) << written;
    EXPECT_NE(written.find("[USRInfo]"), std::string::npos) << written;
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

std::string ExpectedCaption() {
    return "Rivamo " + VersionFromFileVersion(RIVAMO_PROJECT_VERSION);
}

TEST_F(App_ProgramShellTests, ProductCommandsOpenTheAddressesTheManualAndTheAboutDialog) {
    StartAndWait();
    const RecSoftInfo& info = program.SoftInfo();
    EXPECT_EQ(info.ProductName, "Rivamo");
    EXPECT_EQ(info.AppPath, folder.Folder());
    ASSERT_FALSE(info.HomePage.empty());
    ASSERT_FALSE(info.EMail.empty());

    TFrmMainForm& form = program.MainForm();
    QTest::mouseClick(form.btnHomePage, Qt::LeftButton);
    QTest::mouseClick(form.btnEMail, Qt::LeftButton);
    EXPECT_EQ(shell.addresses, (std::vector<std::string>{info.HomePage, "mailto:" + info.EMail}));

    // Help, F1 and F1 with modifiers open the manual of the program folder wherever the process is.
    const QString current = QDir::currentPath();
    QDir::setCurrent(QDir::rootPath());
    QTest::mouseClick(form.btnHelp, Qt::LeftButton);
    for (Qt::KeyboardModifiers modifiers : {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier})
        QTest::keyClick(form.windowHandle(), Qt::Key_F1, modifiers);
    QDir::setCurrent(current);
    EXPECT_EQ(shell.folders, std::vector<std::string>(4, folder.Folder() + "Manual.html"));

    // Uiface.so's dialog shows what it is given.
    QStringList shown;
    WhenWindowShows(QStringLiteral("frmAbout"), [&shown](QWidget& about) {
        for (const QLabel* label : about.findChildren<QLabel*>())
            shown << label->text();
        about.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
    });
    QTest::mouseClick(form.btnAbout, Qt::LeftButton);
    const QString all = shown.join('\n');
    EXPECT_TRUE(all.contains(QString::fromStdString(ExpectedCaption()))) << all.toStdString();
    EXPECT_TRUE(all.contains(QString::fromStdString(info.HomePage))) << all.toStdString();
    EXPECT_TRUE(all.contains(QString::fromStdString(info.EMail))) << all.toStdString();
    EXPECT_TRUE(all.contains(QString::fromStdString(info.Text2))) << all.toStdString();
}

// Each missing companion gets one box during the start-up, which runs to its end; the program ends
// after it without running the close handler (no settings are written).
TEST_F(App_ProgramShellTests, MissingCompanionsAreReportedOnceEachAndTheProgramEndsAfterStartUp) {
    const struct {
        std::vector<std::string> missing;
        std::string caption;
    } cases[] = {
        {{"Uiface.so"}, ExpectedCaption()},
        {{"Branding.so"}, " " + VersionFromFileVersion(RIVAMO_PROJECT_VERSION)},
        {{"Uiface.so", "Branding.so"}, " " + VersionFromFileVersion(RIVAMO_PROJECT_VERSION)},
    };
    for (const auto& c : cases) {
        TestProgramFolder programFolder;
        std::filesystem::create_directory(programFolder.Path() / "Config");
        for (const std::string& name : c.missing)
            std::filesystem::remove(programFolder.Path() / name);
        RecordingMessageBoxes startBoxes;
        int ended = 0;
        ProgramShell started{programFolder.Folder(), startBoxes, [&ended] { ++ended; }, ShellOptions(shell)};
        started.Start();
        std::vector<std::string> expected;
        for (const std::string& name : c.missing)
            expected.push_back("'" + name + "' is not found. Please reinstall this program.");
        EXPECT_EQ(startBoxes.Texts(), expected);
        ASSERT_FALSE(startBoxes.Boxes().empty());
        EXPECT_EQ(startBoxes.Boxes()[0].icon, MessageIcon::Information);
        EXPECT_EQ(started.MainForm().windowTitle().toStdString(), c.caption);
        EXPECT_EQ(ended, 0); // not before control is back in the main loop
        QTRY_COMPARE(ended, 1);
        QCoreApplication::processEvents(); // whatever was queued meanwhile has run: no second end
        EXPECT_EQ(ended, 1);
        EXPECT_FALSE(std::filesystem::exists(programFolder.Path() / "Config" / "UserSettings.ini"));
    }
}

TEST(App_ProgramStartTests, SplashShowsItsPictureCentredForTwoSecondsThenTheCaptionedMainWindow) {
    TestProgramFolder folder;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    ProgramShell program{folder.Folder(), boxes, [] {}, ShellOptions(shell, 2)};

    QSize pictureSize;
    QRect splashFrame;
    bool frameless = false;
    bool mainVisibleDuringSplash = true;
    int ticksAtClose = -1;
    WhenWindowShows(QStringLiteral("FrmFlashForm"), [&](QWidget& window) {
        auto& splash = static_cast<TFrmFlashForm&>(window);
        pictureSize = splash.ImgFlash->pixmap().size();
        splashFrame = splash.geometry();
        frameless = splash.windowFlags().testFlag(Qt::FramelessWindowHint);
        mainVisibleDuringSplash =
            program.MainForm().windowHandle() != nullptr && program.MainForm().windowHandle()->isExposed();
        QObject::connect(&splash, &QDialog::finished, [&] { ticksAtClose = splash.TickCount; });
    });
    program.Start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&program.MainForm()));

    EXPECT_EQ(pictureSize, QSize(480, 300));
    EXPECT_EQ(splashFrame.size(), pictureSize);
    EXPECT_EQ(splashFrame.center(), QGuiApplication::primaryScreen()->geometry().center());
    EXPECT_TRUE(frameless);
    EXPECT_FALSE(mainVisibleDuringSplash);
    EXPECT_EQ(ticksAtClose, 2) << "the splash stays for two ticks of its one-second timer";
    EXPECT_EQ(program.MainForm().windowTitle().toStdString(), ExpectedCaption());
    EXPECT_EQ(program.MainForm().lblTitle->text().toStdString(), ExpectedCaption());
    EXPECT_TRUE(boxes.Boxes().empty());
}

} // namespace
