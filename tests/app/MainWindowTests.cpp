#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWindow>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/RivamoApplication.h"
#include "sources/SourceGridView.h"
#include "tests/common/RecordingMessageBoxes.h"
#include "widgets/BitmapButton.h"
#include "widgets/SkinPicture.h"
#include "widgets/SkinnedFrame.h"

namespace {

// Counts the key presses that reach a widget, so a test can see that a shortcut key was not consumed.
class KeyCounter : public QObject {
public:
    explicit KeyCounter(int countedKey) : key(countedKey) {}
    const int key;
    int presses = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == key)
            ++presses;
        return QObject::eventFilter(watched, event);
    }
};

class App_MainWindowTests : public testing::Test {
protected:
    App_MainWindowTests() {
        for (const char* item : {"RM", "MP3", "3GP"})
            options.cbbOutputFiletype.Append(item);
        options.cbbOutputFiletype.Select(0);
        for (const char* item : {"Normal", "High", "Low"})
            options.cbbProfile.Append(item);
        options.cbbProfile.Select(1);
        options.cbbOutputFiletype.SetChangeHandler([this] { ++profileApplications; });
        options.cbbProfile.SetChangeHandler([this] { ++profileApplications; });
        window.SetConvertBatch([this] { ++conversions; });
        window.SetSourceListCommands({
            .openFiles = [this] { commands.push_back("open"); },
            .addFolder = [this] { commands.push_back("add folder"); },
            .removeFiles = [this] { commands.push_back("remove"); },
            .clearFiles = [this] { commands.push_back("clear"); },
            .downloadCodec = [this] { commands.push_back("download"); },
        });
    }

    void ShowWindow() {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // A key as the window system delivers it: to the window first, then to the focused control.
    void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(window.windowHandle(), key, modifiers);
    }

    SourceList sources;
    OptionSelection options;
    MainChoices choices{"/home/user/Rivamo"};
    TFrmMainForm window{sources, options, choices};
    int profileApplications = 0;
    int conversions = 0;
    std::vector<std::string> commands;
};

TEST_F(App_MainWindowTests, ShowsTheChoicesAndCaptions) {
    EXPECT_EQ(window.lblOutputFileTypeName->text(), "Output FileType:");
    EXPECT_EQ(window.lblProfileSettings->text(), "Profile Settings:");
    EXPECT_EQ(window.lblOutputFolderInfo->text(), "Output Folder:");
    EXPECT_EQ(window.Label1->text(), "Shutdown computer when job is finished.");
    EXPECT_EQ(window.Label2->text(), "Show output directory when done");
    EXPECT_EQ(window.edtOutputFolder->text(), "/home/user/Rivamo");
    EXPECT_TRUE(window.edtOutputFolder->isReadOnly());
    EXPECT_TRUE(window.chkShowOutputDirectory->isChecked());
    EXPECT_FALSE(window.chkShutdown->isChecked());
    ASSERT_EQ(window.cbbOutputFiletype->count(), 3);
    EXPECT_EQ(window.cbbOutputFiletype->currentText(), "RM");
    EXPECT_EQ(window.cbbProfile->currentText(), "High");

    // The settings load changes the choices from program code: the window follows.
    choices.SetOutputFolder("/media/out");
    choices.SetShutdown(true);
    choices.SetShowOutputDirectory(false);
    EXPECT_EQ(window.edtOutputFolder->text(), "/media/out");
    EXPECT_TRUE(window.chkShutdown->isChecked());
    EXPECT_FALSE(window.chkShowOutputDirectory->isChecked());
}

TEST_F(App_MainWindowTests, UserSelectionRunsTheChangeHandlerAndProgramSelectionDoesNot) {
    ShowWindow();
    window.cbbOutputFiletype->setFocus();
    QTest::keyClick(window.cbbOutputFiletype, Qt::Key_Down);
    EXPECT_EQ(options.cbbOutputFiletype.ItemIndex(), 1);
    EXPECT_EQ(profileApplications, 1);

    window.cbbProfile->setFocus();
    QTest::keyClick(window.cbbProfile, Qt::Key_Down);
    EXPECT_EQ(options.cbbProfile.ItemIndex(), 2);
    EXPECT_EQ(profileApplications, 2);

    // Selecting and refilling from program code shows the new state without running a handler.
    options.cbbOutputFiletype.Select(2);
    EXPECT_EQ(window.cbbOutputFiletype->currentText(), "3GP");
    options.cbbProfile.Clear();
    options.cbbProfile.Append("Mobile");
    options.cbbProfile.Select(0);
    ASSERT_EQ(window.cbbProfile->count(), 1);
    EXPECT_EQ(window.cbbProfile->currentText(), "Mobile");
    options.cbbProfile.Select(-1);
    EXPECT_EQ(window.cbbProfile->currentIndex(), -1);
    EXPECT_EQ(profileApplications, 2);
}

TEST_F(App_MainWindowTests, HandlerThatRefillsTheOtherListKeepsBothBoxesInStep) {
    // Choosing an output type refills the profile list, as applying a profile does.
    options.cbbOutputFiletype.SetChangeHandler([this] {
        options.cbbProfile.Clear();
        options.cbbProfile.Append("Only");
        options.cbbProfile.Select(0);
    });
    ShowWindow();
    window.cbbOutputFiletype->setFocus();
    QTest::keyClick(window.cbbOutputFiletype, Qt::Key_Down);
    EXPECT_EQ(window.cbbOutputFiletype->currentText(), "MP3");
    ASSERT_EQ(window.cbbProfile->count(), 1);
    EXPECT_EQ(window.cbbProfile->currentText(), "Only");
}

TEST_F(App_MainWindowTests, CheckBoxesWriteTheChoicesAndTheirLabelsDoNot) {
    ShowWindow();
    QTest::mouseClick(window.chkShutdown, Qt::LeftButton);
    EXPECT_TRUE(choices.chkShutdown());
    QTest::mouseClick(window.chkShowOutputDirectory, Qt::LeftButton);
    EXPECT_FALSE(choices.chkShowOutputDirectory());

    QTest::mouseClick(window.Label1, Qt::LeftButton);
    QTest::mouseClick(window.Label2, Qt::LeftButton);
    EXPECT_TRUE(choices.chkShutdown());
    EXPECT_FALSE(choices.chkShowOutputDirectory());
}

TEST_F(App_MainWindowTests, ConvertButtonRunsTheBatch) {
    ShowWindow();
    QTest::mouseClick(window.btnConvert, Qt::LeftButton);
    EXPECT_EQ(conversions, 1);
    EXPECT_EQ(window.btnConvert->toolTip(), "Ctrl + S");
}

TEST_F(App_MainWindowTests, ErrorOfAConvertCommandIsReportedAndTheWindowGoesOn) {
    auto* application = qobject_cast<RivamoApplication*>(QApplication::instance());
    ASSERT_NE(application, nullptr);
    RecordingMessageBoxes boxes;
    application->SetErrorPresenter(&boxes);
    window.SetConvertBatch([this] {
        ++conversions;
        throw std::runtime_error("Create convert parameter failure.");
    });
    ShowWindow();
    QTest::mouseClick(window.btnConvert, Qt::LeftButton);
    PressKey(Qt::Key_S, Qt::ControlModifier);
    application->SetErrorPresenter(nullptr);

    EXPECT_EQ(conversions, 2);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, "Create convert parameter failure.");
    EXPECT_EQ(boxes.Boxes()[1].icon, MessageIcon::Error);
    EXPECT_FALSE(window.btnConvert->isDown());
}

TEST_F(App_MainWindowTests, CtrlSAndCtrlNConvertAndTheKeyStillReachesTheFocusedControl) {
    ShowWindow();
    KeyCounter sPresses(Qt::Key_S);
    KeyCounter nPresses(Qt::Key_N);
    window.dxTreeSourceFileInfo->setFocus();
    window.dxTreeSourceFileInfo->installEventFilter(&sPresses);
    window.dxTreeSourceFileInfo->installEventFilter(&nPresses);

    PressKey(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(conversions, 1);
    EXPECT_EQ(sPresses.presses, 1);

    PressKey(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(conversions, 2);
    EXPECT_EQ(nPresses.presses, 1);
}

TEST_F(App_MainWindowTests, OtherModifiersAndOtherKeysDoNotConvert) {
    ShowWindow();
    window.dxTreeSourceFileInfo->setFocus();
    PressKey(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    PressKey(Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    PressKey(Qt::Key_N, Qt::AltModifier);
    PressKey(Qt::Key_S, Qt::NoModifier);
    PressKey(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(conversions, 0);
}

TEST_F(App_MainWindowTests, CtrlORAndLReachTheListCommandsAndTheKeyStillReachesTheGrid) {
    ShowWindow();
    KeyCounter lPresses(Qt::Key_L);
    window.dxTreeSourceFileInfo->setFocus();
    window.dxTreeSourceFileInfo->installEventFilter(&lPresses);
    PressKey(Qt::Key_O, Qt::ControlModifier);
    PressKey(Qt::Key_R, Qt::ControlModifier);
    PressKey(Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(commands, (std::vector<std::string>{"open", "remove", "clear"}));
    EXPECT_EQ(lPresses.presses, 1);

    // Only Ctrl alone makes them shortcuts.
    commands.clear();
    PressKey(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    PressKey(Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
    PressKey(Qt::Key_L, Qt::NoModifier);
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(conversions, 0);
}

TEST_F(App_MainWindowTests, ListButtonsAndTheDownloadLabelRunTheirCommands) {
    ShowWindow();
    EXPECT_EQ(window.btnOpenFile->toolTip(), "Ctrl + O");
    EXPECT_EQ(window.btnRemoveFile->toolTip(), "Ctrl + R");
    EXPECT_EQ(window.btnClearFile->toolTip(), "Ctrl + L");
    EXPECT_EQ(window.btnAddFolder->toolTip(), "Ctrl + D");
    EXPECT_EQ(window.btnAddFolder->accessibleName(), "Add Folder...");
    QTest::mouseClick(window.btnOpenFile, Qt::LeftButton);
    QTest::mouseClick(window.btnRemoveFile, Qt::LeftButton);
    QTest::mouseClick(window.btnClearFile, Qt::LeftButton);
    QTest::mouseClick(window.Label3, Qt::LeftButton);
    QTest::mouseClick(window.btnAddFolder, Qt::LeftButton);
    PressKey(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(commands,
              (std::vector<std::string>{"open", "remove", "clear", "download", "add folder", "add folder"}));

    EXPECT_EQ(window.Label3->text(), "Click here to download the coder");
    EXPECT_TRUE(window.Label3->font().underline());
    EXPECT_EQ(window.Label3->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(App_MainWindowTests, MemoryTrimRunsEverySecondFromTheWindowsCreation) {
    int trims = 0;
    window.SetMemoryTrim([&] { ++trims; });
    EXPECT_TRUE(window.tmrClearMemory->isActive());
    EXPECT_EQ(window.tmrClearMemory->interval(), 1000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return trims > 0; }));
}

TEST_F(App_MainWindowTests, DisabledWindowTakesNoShortcut) {
    ShowWindow();
    window.setEnabled(false);
    PressKey(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(conversions, 0);
    window.setEnabled(true);
    PressKey(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(conversions, 1);
}

TEST_F(App_MainWindowTests, GridShowsTheRowsAndTheCheckBoxWritesTheCell) {
    const std::size_t row = sources.AppendRow();
    sources.SetCell(row, colCheck, CheckedText);
    sources.SetCell(row, colFileName, "/videos/clip.avi");
    ShowWindow();
    QAbstractItemModel* model = window.dxTreeSourceFileInfo->model();
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->headerData(colFileName, Qt::Horizontal).toString(), "File Name");

    // A click on the check box of the row, where the grid draws it.
    const QModelIndex check = model->index(0, colCheck);
    QTreeView* grid = window.dxTreeSourceFileInfo;
    const QRect cell = grid->visualRect(check);
    QStyleOptionViewItem option;
    option.initFrom(grid);
    option.rect = cell;
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = grid->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, grid);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_EQ(sources.Cell(0, colCheck), "False");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_EQ(sources.Cell(0, colCheck), "True");
}

TEST_F(App_MainWindowTests, GridSelectionAndTheListSelectionFollowEachOther) {
    for (const char* path : {"/v/a.avi", "/v/b.avi", "/v/c.avi"})
        sources.SetCell(sources.AppendRow(), colFileName, path);
    ShowWindow();
    QTreeView* grid = window.dxTreeSourceFileInfo;

    grid->selectionModel()->select(grid->model()->index(1, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_EQ(sources.SelectedRows(), std::vector<std::size_t>{1});

    sources.SelectOnly(2);
    EXPECT_FALSE(grid->selectionModel()->isRowSelected(1, {}));
    EXPECT_TRUE(grid->selectionModel()->isRowSelected(2, {}));
    EXPECT_EQ(grid->selectionModel()->currentIndex().row(), 2);
    EXPECT_EQ(sources.FocusedRow(), std::optional<std::size_t>{2});
}

TEST_F(App_MainWindowTests, FirstShowHandlerRunsOnceAndCloseRunsTheCloseHandler) {
    int firstShows = 0;
    int closes = 0;
    window.SetFirstShowHandler([&] { ++firstShows; });
    bool mayClose = false;
    window.SetCloseHandler([&] {
        ++closes;
        return mayClose;
    });
    ShowWindow();
    window.hide();
    window.show();
    EXPECT_EQ(firstShows, 1);
    EXPECT_FALSE(window.close()) << "the handler keeps the window open";
    EXPECT_TRUE(window.isVisible());
    mayClose = true;
    EXPECT_TRUE(window.close());
    EXPECT_EQ(closes, 2);
}

TEST_F(App_MainWindowTests, FrameIsTheBackgroundPictureCutToItsOutlineWithEveryControlInside) {
    ShowWindow();
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window.size(), QSize(686, 519));
    const QRegion outline = OutlineRegion(SkinImage("main-background"));
    EXPECT_EQ(window.mask(), outline);

    // No control is cut by the outline or hidden under the title band's edge.
    for (QWidget* control : window.rzfrmshpfrmConverter->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect place(control->mapTo(&window, QPoint(0, 0)), control->size());
        EXPECT_EQ(outline.intersected(place), QRegion(place)) << control->objectName().toStdString();
    }
    EXPECT_EQ(QRect(window.lblTitle->mapTo(&window, QPoint(0, 0)), window.lblTitle->size()),
              QRect(63, 32, 503, 27));
    EXPECT_EQ(QRect(window.btnConvert->mapTo(&window, QPoint(0, 0)), window.btnConvert->size()),
              QRect(555, 391, 110, 40));

    window.resize(400, 300);
    EXPECT_EQ(window.size(), QSize(686, 519));
    window.setWindowTitle("Rivamo 1.0");
    EXPECT_EQ(window.lblTitle->text(), "Rivamo 1.0");
}

TEST_F(App_MainWindowTests, PressOnThePictureOrTheTitleStartsTheWindowMoveAndAMereMouseMoveDoesNot) {
    int moves = 0;
    window.rzfrmshpfrmConverter->SetMoveStarter([&](QWindow& handle) {
        EXPECT_EQ(&handle, window.windowHandle());
        ++moves;
        return true;
    });
    ShowWindow();
    QTest::mouseMove(window.lblTitle, QPoint(20, 10));
    QTest::mouseMove(window.rzfrmshpfrmConverter, QPoint(300, 100));
    EXPECT_EQ(moves, 0);

    QTest::mousePress(window.rzfrmshpfrmConverter, Qt::LeftButton, {}, QPoint(300, 100));
    QTest::mouseRelease(window.rzfrmshpfrmConverter, Qt::LeftButton, {}, QPoint(300, 100));
    QTest::mousePress(window.rzfrmshpfrmConverter, Qt::RightButton, {}, QPoint(670, 500));
    QTest::mouseRelease(window.rzfrmshpfrmConverter, Qt::RightButton, {}, QPoint(670, 500));
    QTest::mousePress(window.lblTitle, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseRelease(window.lblTitle, Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(moves, 3);

    // Controls keep their presses.
    QTest::mouseClick(window.btnConvert, Qt::LeftButton);
    QTest::mouseClick(window.cbbProfile, Qt::LeftButton);
    EXPECT_EQ(moves, 3);
}

TEST_F(App_MainWindowTests, FrameButtonsMinimizeAndCloseTheWindow) {
    int closes = 0;
    window.SetCloseHandler([&] {
        ++closes;
        return true;
    });
    ShowWindow();
    EXPECT_EQ(window.btnWindowMinimize->accessibleName(), "Minimize");
    QTest::mouseClick(window.btnWindowMinimize, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isMinimized(); }));

    window.showNormal();
    QTest::mouseClick(window.btnWindowClose, Qt::LeftButton);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(App_MainWindowTests, EveryShortcutOfTheTableRunsItsCommandAndF1TakesAnyModifier) {
    for (auto [command, name] : {std::pair{ShortcutCommand::Options, "options"},
                                 {ShortcutCommand::Play, "play"},
                                 {ShortcutCommand::Pause, "pause"},
                                 {ShortcutCommand::Stop, "stop"},
                                 {ShortcutCommand::Help, "help"},
                                 {ShortcutCommand::SelectOutputFolder, "folder"}}) {
        window.SetShortcutCommand(command, [this, name = std::string(name)] { commands.push_back(name); });
    }
    ShowWindow();
    KeyCounter f1Presses(Qt::Key_F1);
    window.dxTreeSourceFileInfo->setFocus();
    window.dxTreeSourceFileInfo->installEventFilter(&f1Presses);
    for (Qt::Key key : {Qt::Key_O, Qt::Key_R, Qt::Key_L, Qt::Key_I, Qt::Key_P, Qt::Key_U, Qt::Key_T,
                        Qt::Key_S, Qt::Key_N, Qt::Key_B})
        PressKey(key, Qt::ControlModifier);
    PressKey(Qt::Key_F1, Qt::NoModifier);
    PressKey(Qt::Key_F1, Qt::ShiftModifier);
    PressKey(Qt::Key_F1, Qt::ControlModifier);
    PressKey(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    PressKey(Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier);
    PressKey(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);

    EXPECT_EQ(commands, (std::vector<std::string>{"open", "remove", "clear", "options", "play", "pause",
                                                  "stop", "folder", "help", "help", "help", "help"}));
    EXPECT_EQ(conversions, 2); // Ctrl+S and Ctrl+N
    EXPECT_EQ(f1Presses.presses, 4);
}

} // namespace

namespace {

QRect PlaceIn(const QWidget& window, const QWidget& control) {
    return {control.mapTo(&window, QPoint(0, 0)), control.size()};
}

// Every control of the frame lies inside the window's outline.
void ExpectControlsInsideTheOutline(TFrmMainForm& window) {
    const QRegion outline = window.mask();
    for (QWidget* control : window.rzfrmshpfrmConverter->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!control->isVisible())
            continue;
        const QRect place = PlaceIn(window, *control);
        EXPECT_EQ(outline.intersected(place), QRegion(place)) << control->objectName().toStdString();
    }
}

} // namespace

TEST_F(App_MainWindowTests,
       GrownWindowGivesTheRoomToThePreviewAndTheGridAndKeepsTheOtherControlsAtTheirCorners) {
    QWidget preview;
    window.SetPreview(&preview, {});
    ShowWindow();
    const auto distanceFromRight = [&](const QWidget& control) {
        return window.width() - PlaceIn(window, control).right();
    };
    const int closeFromRight = distanceFromRight(*window.btnWindowClose);
    const int helpFromRight = distanceFromRight(*window.btnHelp);
    const int gridFromBottom = window.height() - PlaceIn(window, *window.dxTreeSourceFileInfo).bottom();
    const auto fromGrid = [&](const QWidget& control) {
        return PlaceIn(window, control).topLeft() - PlaceIn(window, *window.dxTreeSourceFileInfo).topRight();
    };
    const QPoint convertFromGrid = fromGrid(*window.btnConvert);
    const QPoint addFolderFromGrid = fromGrid(*window.btnAddFolder);
    const QSize smallPreview = window.pnlPreviewHost->size();
    const QSize smallGrid = window.dxTreeSourceFileInfo->size();
    const QHeaderView& columns = *window.dxTreeSourceFileInfo->header();
    const auto columnWidths = [&] {
        std::vector<int> widths;
        for (int column = 0; column < columns.count(); ++column)
            widths.push_back(columns.sectionSize(column));
        return widths;
    };
    const std::vector<int> smallColumns = columnWidths();

    for (const QSize size : {QSize(1100, 850), QSize(1400, 600), QSize(700, 1000)}) {
        window.resize(size);
        ASSERT_EQ(window.size(), size);
        EXPECT_EQ(distanceFromRight(*window.btnWindowClose), closeFromRight);
        EXPECT_EQ(distanceFromRight(*window.btnHelp), helpFromRight);
        EXPECT_EQ(window.height() - PlaceIn(window, *window.dxTreeSourceFileInfo).bottom(), gridFromBottom);
        EXPECT_EQ(fromGrid(*window.btnConvert), convertFromGrid);
        EXPECT_EQ(fromGrid(*window.btnAddFolder), addFolderFromGrid);
        // The preview keeps the picture's shape (to a pixel) and fills its place; the grid takes the rest.
        const QSize video = window.pnlPreviewHost->size() - QSize(0, smallPreview.height() - 146);
        EXPECT_LE(std::abs(video.width() * 146 - video.height() * 260), 260)
            << size.width() << "x" << size.height();
        EXPECT_EQ(preview.size(), window.pnlPreviewHost->size());
        EXPECT_GE(window.dxTreeSourceFileInfo->width(), smallGrid.width() + size.width() - 686);
        EXPECT_GT(window.dxTreeSourceFileInfo->height(), smallGrid.height());
        // The file name column takes the grid's extra width; the other columns keep theirs.
        std::vector<int> grownColumns = smallColumns;
        grownColumns[colFileName] += window.dxTreeSourceFileInfo->width() - smallGrid.width();
        EXPECT_EQ(columnWidths(), grownColumns);
        // The outline follows the size: only the rounded corners are cut.
        EXPECT_EQ(window.mask().boundingRect(), window.rect());
        EXPECT_FALSE(window.mask().contains(window.rect().bottomRight()));
        ExpectControlsInsideTheOutline(window);
    }
}

TEST_F(App_MainWindowTests, DoubleClickOnTheTitleOrTheButtonMaximizesAndRestores) {
    window.rzfrmshpfrmConverter->SetMoveStarter([](QWindow&) { return false; });
    ShowWindow();
    const QRect normal = window.geometry();
    QTest::mouseDClick(window.lblTitle, Qt::LeftButton);
    QTRY_VERIFY(window.isMaximized());
    QTRY_COMPARE(window.size(), window.screen()->availableGeometry().size());
    EXPECT_EQ(window.btnWindowMaximize->Art(), ButtonArt::WindowRestore);
    EXPECT_EQ(window.btnWindowMaximize->accessibleName(), "Restore");
    ExpectControlsInsideTheOutline(window);

    QTest::mouseClick(window.btnWindowMaximize, Qt::LeftButton);
    QTRY_VERIFY(!window.isMaximized());
    QTRY_COMPARE(window.geometry(), normal);
    EXPECT_EQ(window.btnWindowMaximize->Art(), ButtonArt::WindowMaximize);
    QTest::mouseClick(window.btnWindowMaximize, Qt::LeftButton);
    QTRY_VERIFY(window.isMaximized());
}

// A drag of rows released on the grid puts them where they were released; the list, which the batch
// converts from the top, has the order the grid shows.
TEST_F(App_MainWindowTests, RowsDraggedWithinTheGridMoveThereAndTheListHasTheShownOrder) {
    for (const char* path : {"/v/a.avi", "/v/b.avi", "/v/c.avi", "/v/d.avi"})
        sources.SetCell(sources.AppendRow(), colFileName, path);
    ShowWindow();
    SourceGridView& grid = *window.dxTreeSourceFileInfo;
    // The grid names each row's file; its tooltip gives the full path.
    const auto shown = [&] {
        std::vector<std::string> paths;
        for (int row = 0; row < grid.model()->rowCount(); ++row)
            paths.push_back(
                grid.model()->index(row, colFileName).data(Qt::ToolTipRole).toString().toStdString());
        return paths;
    };
    const auto listed = [&] {
        std::vector<std::string> paths;
        for (std::size_t row = 0; row < sources.RowCount(); ++row)
            paths.push_back(sources.Cell(row, colFileName));
        return paths;
    };
    const auto dropOn = [&](int row, bool lowerHalf) {
        const QRect cell = grid.visualRect(grid.model()->index(row, colFileName));
        const QPoint at(cell.center().x(), lowerHalf ? cell.bottom() : cell.top() + 1);
        QMimeData rows;
        rows.setData(SourceGridView::RowDragMimeType, QByteArray());
        QDragEnterEvent enter(at, Qt::MoveAction, &rows, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid.viewport(), &enter);
        QDropEvent drop(at, Qt::MoveAction, &rows, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid.viewport(), &drop);
        ASSERT_TRUE(drop.isAccepted());
        ASSERT_EQ(grid.indexAt(at).row(), row) << at.x() << "," << at.y();
    };

    sources.SelectOnly(3);
    sources.SetFocusedRow(3);
    dropOn(0, false);
    EXPECT_EQ(listed(), (std::vector<std::string>{"/v/d.avi", "/v/a.avi", "/v/b.avi", "/v/c.avi"}));
    EXPECT_EQ(shown(), listed());
    EXPECT_EQ(sources.SelectedRows(), std::vector<std::size_t>{0});
    EXPECT_EQ(sources.FocusedRow(), std::optional<std::size_t>(0));

    // Two rows apart, dropped on the lower half of the last row: both go to the end, in their order.
    sources.SelectOnly(0);
    sources.SetSelected(2, true);
    dropOn(3, true);
    EXPECT_EQ(listed(), (std::vector<std::string>{"/v/a.avi", "/v/c.avi", "/v/d.avi", "/v/b.avi"}));
    EXPECT_EQ(shown(), listed());
    EXPECT_EQ(sources.SelectedRows(), (std::vector<std::size_t>{2, 3}));
}
