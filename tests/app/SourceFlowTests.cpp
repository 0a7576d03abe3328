// The main job as a user does it, on the whole program: files dropped on the main window, a start
// time typed into the grid, Ctrl+S, and the program's own transcoder writing the output files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include "app/MainWindow.h"
#include "app/ProgramShell.h"
#include "sources/CodeErrorForm.h"
#include "sources/CodecDownload.h"
#include "sources/SourceGridView.h"
#include "support/Text.h"
#include "tests/app/ModalDialogDriver.h"
#include "tests/app/ProgramTestOptions.h"
#include "tests/common/DropFiles.h"
#include "tests/common/MediaCheck.h"
#include "tests/common/RecordingMessageBoxes.h"
#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"

namespace fs = std::filesystem;

namespace {

// A clip with a test picture and a tone, made by the ffmpeg command (arguments passed as they
// are, no shell).
std::string MakeClip(const TempDir& folder, const std::string& name, double seconds,
                     const std::vector<std::string>& codecs) {
    return ::MakeClip(folder, name, {seconds, "160x120", 25, 44100, codecs});
}

// The whole program in a temporary program folder that holds the real trenc and rtrenc and an
// empty Config folder, with a short timing profile and the desktop and the power left alone.
class App_SourceFlowTests : public testing::Test {
protected:
    App_SourceFlowTests() {
        folder.AddTranscoders();
        program.Start();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&program.MainForm()));
        program.Choices().SetOutputFolder(OutputFolder());
    }

    std::string OutputFolder() const { return (folder.Path() / "out").string(); }

    std::vector<std::string> Column(std::size_t column) {
        std::vector<std::string> cells;
        for (std::size_t row = 0; row < program.Sources().RowCount(); ++row)
            cells.push_back(program.Sources().Cell(row, column));
        return cells;
    }

    void AddPlainRows(int count) {
        SourceList& sources = program.Sources();
        for (int i = 0; i < count; ++i) {
            const std::size_t row = sources.AppendRow();
            sources.SetCell(row, colCheck, CheckedText);
            sources.SetCell(row, colFileName, "/videos/clip" + std::to_string(i) + ".avi");
        }
    }

    void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(program.MainForm().windowHandle(), key, modifiers);
    }

    TestProgramFolder folder;
    TempDir clips;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    RecordingPower power;
    ProgramShell program{folder.Folder(), boxes, [] {}, ShortPauses(shell, power)};
};

TEST_F(App_SourceFlowTests, DroppedClipsWithATypedStartTimeBecomeThreeValidFiles) {
    const std::vector<std::string> aviCodecs = {"-c:v", "mpeg4", "-c:a", "pcm_s16le"};
    const std::vector<std::string> paths = {
        MakeClip(clips, "-lead clip.avi", 5.5, aviCodecs),
        MakeClip(clips, "say \"cheese\".mov", 3.5, {"-c:v", "mpeg4", "-c:a", "aac"}),
        MakeClip(clips, "caf\xc3\xa9 \xc3\xbc.flv", 4.5, {"-c:v", "flv", "-c:a", "libmp3lame"}),
    };

    TFrmMainForm& window = program.MainForm();
    DropFiles(window, paths);
    program.SourceController().WaitForMeasurements();
    ASSERT_EQ(Column(colFileName), paths);
    std::vector<std::string> sizes;
    for (const auto& path : paths)
        sizes.push_back(SizeText(static_cast<int64_t>(fs::file_size(path))));
    EXPECT_EQ(Column(colFileSize), sizes);
    const std::vector<std::string> durations = {"00:00:05", "00:00:03", "00:00:04"};
    EXPECT_EQ(Column(colDuration), durations);
    EXPECT_EQ(Column(colCutTime), durations);
    EXPECT_EQ(window.dxTreeSourceFileInfo->model()->rowCount(), 3);
    EXPECT_TRUE(boxes.Boxes().empty());

    // The start time typed into the first row's editor: the row's times are checked at the change.
    SourceGridView& grid = *window.dxTreeSourceFileInfo;
    const QPoint startCell = grid.visualRect(grid.model()->index(0, colStartTime)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, startCell);
    auto* editor = grid.viewport()->findChild<QTimeEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setTime(QTime(0, 0, 2));
    EXPECT_EQ(program.Sources().Cell(0, colStartTime), "00:00:02");
    EXPECT_EQ(program.Sources().Cell(0, colEndTime), "00:00:05");
    EXPECT_EQ(program.Sources().Cell(0, colCutTime), "00:00:03");

    PressKey(Qt::Key_S, Qt::ControlModifier);

    EXPECT_EQ(program.Batch().State().FilesDone, 3);
    EXPECT_TRUE(window.isEnabled());
    EXPECT_TRUE(boxes.Boxes().empty());
    std::map<std::string, std::string> outputs; // by base name
    for (const auto& entry : fs::directory_iterator(OutputFolder()))
        outputs[entry.path().stem().string()] = entry.path().string();
    ASSERT_EQ(outputs.size(), 3u);
    const std::vector<double> seconds = {3.0, 3.0, 4.0}; // end minus start of each row
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string base = fs::path(paths[i]).stem().string();
        ASSERT_EQ(outputs.count(base), 1u) << base;
        const MediaReport report = CheckMedia(outputs[base]);
        EXPECT_TRUE(report.opened) << base << ": " << report.openError;
        EXPECT_EQ(report.errors, 0) << base;
        EXPECT_TRUE(report.hasVideo && report.hasAudio) << base;
        EXPECT_NEAR(report.videoSeconds, seconds[i], 0.5) << base;
        EXPECT_NEAR(report.AudioSeconds(), seconds[i], 0.5) << base;
    }
    // The sources are read, never changed.
    for (std::size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(SizeText(static_cast<int64_t>(fs::file_size(paths[i]))), sizes[i]);
}

TEST_F(App_SourceFlowTests, FolderChosenWithCtrlBTakesTheNextConversionAndIsKeptAtClose) {
    const fs::path chosen = folder.Path() / "chosen folder";
    fs::create_directory(chosen);
    const QString chosenPath = QFile::decodeName(QByteArray::fromStdString(chosen.string()));
    // The full path typed into the name box, as a user would, and accepted once the dialog says it
    // stands for the chosen folder. selectFile is not used: while the name box has the focus (which a
    // window manager gives the dialog whenever it likes) it leaves the box alone, and the dialog then
    // answers with the folder it shows, the parent.
    ModalDialogDriver<QFileDialog> choose([&](QFileDialog& dialog) {
        auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
        if (name != nullptr)
            name->setText(chosenPath);
        const bool named = name != nullptr &&
                           QTest::qWaitFor([&] { return dialog.selectedFiles() == QStringList{chosenPath}; });
        EXPECT_TRUE(named) << dialog.selectedFiles().join(", ").toStdString();
        if (named)
            static_cast<QDialog&>(dialog).accept();
        else
            dialog.reject();
    });
    PressKey(Qt::Key_B, Qt::ControlModifier);
    ASSERT_EQ(choose.Answered(), 1);
    EXPECT_EQ(program.MainForm().edtOutputFolder->text().toStdString(), chosen.string());

    DropFiles(program.MainForm(),
              {MakeClip(clips, "short.avi", 1.5, {"-c:v", "mpeg4", "-c:a", "pcm_s16le"})});
    PressKey(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(program.Batch().State().FilesDone, 1);
    EXPECT_TRUE(fs::exists(chosen / "short.rm"));
    EXPECT_TRUE(boxes.Boxes().empty());

    program.MainForm().close();
    const std::string settings = TempDir::ReadFile(folder.Path() / "Config" / "UserSettings.ini");
    EXPECT_NE(settings.find("\r\nOutDir=" + chosen.string() + "\r\n"), std::string::npos) << settings;
}

TEST_F(App_SourceFlowTests, FileThatCannotBeMeasuredShowsTheCodecErrorWindowOnceAndAddsNoRow) {
    const std::string empty = clips.WriteFile("empty.avi", "");
    std::vector<QString> captions;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* form = qobject_cast<TFrmCodeErrorForm*>(QApplication::activeModalWidget())) {
            captions.push_back(form->windowTitle());
            QTest::mouseClick(form->btnOK, Qt::LeftButton);
        }
    });
    closer.start();
    DropFiles(program.MainForm(), {empty, clips.Folder() + "notes.txt"});
    program.SourceController().WaitForMeasurements();
    closer.stop();

    EXPECT_EQ(captions, std::vector<QString>{"Error Info"});
    EXPECT_TRUE(program.Sources().IsEmpty());
}

TEST_F(App_SourceFlowTests, ListShortcutsAndTheDeleteKeyRemoveRowsAndTheLabelOpensTheDownloadPage) {
    TFrmMainForm& window = program.MainForm();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.dxTreeSourceFileInfo->setFocus();
    AddPlainRows(4);

    program.Sources().SelectOnly(1);
    PressKey(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(Column(colFileName),
              (std::vector<std::string>{"/videos/clip0.avi", "/videos/clip2.avi", "/videos/clip3.avi"}));
    // Ctrl+Shift+R and R alone are no shortcuts.
    program.Sources().SelectOnly(0);
    PressKey(Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    PressKey(Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(program.Sources().RowCount(), 3u);

    program.Sources().SelectOnly(2);
    PressKey(Qt::Key_Delete, Qt::NoModifier);
    EXPECT_EQ(Column(colFileName), (std::vector<std::string>{"/videos/clip0.avi", "/videos/clip2.avi"}));

    PressKey(Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(program.Sources().IsEmpty());
    EXPECT_EQ(window.dxTreeSourceFileInfo->model()->rowCount(), 0);

    AddPlainRows(2);
    program.Sources().SelectOnly(0);
    QTest::mouseClick(window.btnRemoveFile, Qt::LeftButton);
    EXPECT_EQ(Column(colFileName), std::vector<std::string>{"/videos/clip1.avi"});
    QTest::mouseClick(window.btnClearFile, Qt::LeftButton);
    EXPECT_TRUE(program.Sources().IsEmpty());

    QTest::mouseClick(window.Label3, Qt::LeftButton);
    EXPECT_EQ(shell.addresses, std::vector<std::string>{CodecDownloadAddress});
    EXPECT_TRUE(boxes.Boxes().empty());
}

} // namespace
