#include "sources/SourceListBinding.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTimeEdit>
#include <QUrl>

#include "sources/FfmpegMediaProbe.h"
#include "sources/InitDir.h"
#include "sources/InitFileForm.h"
#include "sources/SourceGridView.h"
#include "sources/SourceListController.h"
#include "sources/SourceListModel.h"
#include "sources/SourceThumbnails.h"
#include "support/QtEventPump.h"
#include "tests/common/TempDir.h"
#include "tests/common/TestClip.h"
#include "tests/sources/GridTestModel.h"

namespace {

using Paths = std::vector<std::string>;

// A real clip of the given length in seconds, pictures only.
std::string MakeClip(const TempDir& folder, const std::string& name, int seconds) {
    return ::MakeClip(folder, name, {static_cast<double>(seconds), "64x48", 5, 0, {"-c:v", "mpeg4"}});
}

struct ScriptedPicker final : SourceFilePicker {
    Paths answer;
    Paths folders;
    std::optional<std::string> chosenFolder;
    Paths Pick(const std::string& folder) override {
        folders.push_back(folder);
        return answer;
    }
    std::optional<std::string> PickFolder(const std::string& folder) override {
        folders.push_back(folder);
        return chosenFolder;
    }
};

class Sources_SourceListBindingTests : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_clips = new TempDir;
        s_first = MakeClip(*s_clips, "-first \"clip\" \xc3\xa9.avi", 3);
        s_second = MakeClip(*s_clips, "second clip.avi", 2);
    }
    static void TearDownTestSuite() {
        delete s_clips;
        s_clips = nullptr;
    }

    void SetUp() override {
        m_settings.WriteFile("Config/UserSettings.ini", "[USRInfo]\r\n");
        m_grid = new SourceGridView(&m_mainWindow);
        m_grid->SetSourceList(&m_list);
        m_grid->setModel(&m_model);
        m_grid->resize(900, 300);
        auto picker = std::make_unique<ScriptedPicker>();
        m_picker = picker.get();
        m_binding = std::make_unique<TSourceListBinding>(m_mainWindow, *m_grid, m_controller, m_initDir,
                                                         m_pump, nullptr, std::move(picker));
        m_mainWindow.resize(1000, 400);
        m_mainWindow.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_mainWindow));
    }

    void Drop(QWidget& target, const Paths& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const auto& path : paths)
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &drop);
    }

    Paths Column(std::size_t column) const {
        Paths cells;
        for (std::size_t row = 0; row < m_list.RowCount(); ++row)
            cells.push_back(m_list.Cell(row, column));
        return cells;
    }

    // The time editor now open, if any (closed ones are deleted later).
    QTimeEdit* OpenEditor() const {
        for (QTimeEdit* editor : m_grid->viewport()->findChildren<QTimeEdit*>())
            if (editor->isVisible())
                return editor;
        return nullptr;
    }

    static TempDir* s_clips;
    static std::string s_first;
    static std::string s_second;

    TempDir m_settings;
    TInitDir m_initDir{m_settings.Folder(), "/home/u/"};
    SourceList m_list;
    GridTestModel m_model{m_list};
    FfmpegMediaProbe m_probe;
    NoPreview m_preview;
    TrimBarState m_trimBar;
    QtEventPump m_pump;
    int m_codecErrors = 0;
    SourceListController m_controller{m_list,    m_probe, m_preview,
                                      m_trimBar, m_pump,  [this](const std::string&) { ++m_codecErrors; }};
    QWidget m_mainWindow;
    SourceGridView* m_grid = nullptr;
    ScriptedPicker* m_picker = nullptr;
    std::unique_ptr<TSourceListBinding> m_binding;
};

TempDir* Sources_SourceListBindingTests::s_clips = nullptr;
std::string Sources_SourceListBindingTests::s_first;
std::string Sources_SourceListBindingTests::s_second;

} // namespace

TEST_F(Sources_SourceListBindingTests, FilesDroppedOnTheWindowOrTheGridAreAddedInDropOrder) {
    Drop(m_mainWindow, {s_second, s_first, s_second, s_clips->Folder() + "notes.txt"});
    EXPECT_EQ(Column(colFileName), (Paths{s_second, s_first}));
    EXPECT_EQ(Column(colDuration), (Paths{"00:00:02", "00:00:03"}));
    EXPECT_EQ(Column(colEndTime), (Paths{"00:00:02", "00:00:03"}));
    EXPECT_EQ(m_codecErrors, 0);
    EXPECT_EQ(m_list.SelectedRows(), std::vector<std::size_t>{0});
    // Drops leave the remembered folder alone and show no popup.
    EXPECT_EQ(m_initDir.Read(), "/home/u/");

    m_list.Clear();
    Drop(*m_grid->viewport(), {s_first});
    EXPECT_EQ(Column(colFileName), Paths{s_first});
}

TEST_F(Sources_SourceListBindingTests, OpenCommandAddsTheChosenFilesBehindThePopupAndRemembersTheirFolder) {
    m_picker->answer = {s_first, s_second, s_first};
    m_binding->btnOpenFileClick();
    EXPECT_EQ(m_picker->folders, Paths{"/home/u/"});
    EXPECT_EQ(Column(colFileName), (Paths{s_first, s_second}));
    EXPECT_FALSE(m_binding->FrmInitFileForm().isVisible());
    EXPECT_EQ(m_initDir.Read(), s_clips->Folder());
}

TEST_F(Sources_SourceListBindingTests, TypedStartPastTheEndIsCorrectedWhenTheEditEnds) {
    Drop(m_mainWindow, {s_first});
    ASSERT_EQ(m_list.RowCount(), 1u);
    const QPoint cell = m_grid->visualRect(m_model.index(0, colStartTime)).center();
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
    QTimeEdit* editor = m_grid->viewport()->findChild<QTimeEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setTime(QTime(0, 10, 0));
    EXPECT_EQ(m_list.Cell(0, colStartTime), "00:00:03");
    EXPECT_EQ(m_list.Cell(0, colEndTime), "00:00:03");
    EXPECT_EQ(m_list.Cell(0, colCutTime), "00:00:00");
}

TEST_F(Sources_SourceListBindingTests, ATimeTypedIntoTheGridIsTheTimeStoredWhicheverWayTheEditEnds) {
    enum class End { Enter, Tab, ClickElsewhere };
    const struct {
        std::size_t column;
        const char* typed;
        End end;
        const char* stored;
    } cases[] = {
        {colStartTime, "00:01:02", End::Enter, "00:01:02"},
        {colStartTime, "01:30:00", End::Tab, "01:30:00"},
        {colStartTime, "00:00:07", End::ClickElsewhere, "00:00:07"},
        {colStartTime, "000102", End::Enter, "00:01:02"},
        {colEndTime, "01:30:00", End::Enter, "01:30:00"},
        {colEndTime, "000107", End::ClickElsewhere, "00:01:07"},
    };
    for (const auto& c : cases) {
        m_list.Clear();
        for (int rows = 0; rows < 2; ++rows) {
            const std::size_t row = m_list.AppendRow();
            for (const std::size_t column : {colDuration, colEndTime, colCutTime})
                m_list.SetCell(row, column, "02:00:00");
            m_list.SetCell(row, colStartTime, "00:00:00");
        }
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                          m_grid->visualRect(m_model.index(0, static_cast<int>(c.column))).center());
        QTimeEdit* editor = OpenEditor();
        ASSERT_NE(editor, nullptr) << c.typed;
        QTest::keyClicks(editor, c.typed);
        EXPECT_EQ(OpenEditor(), editor) << "the edit stays open: " << c.typed;
        if (c.end == End::ClickElsewhere)
            QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                              m_grid->visualRect(m_model.index(1, colFileName)).center());
        else
            QTest::keyClick(editor, c.end == End::Enter ? Qt::Key_Return : Qt::Key_Tab);
        QApplication::processEvents();
        EXPECT_EQ(m_list.Cell(0, c.column), c.stored) << c.typed;
    }
}

TEST_F(Sources_SourceListBindingTests, AFolderDroppedOrChosenWithAddFolderAddsTheClipsBelowItInNameOrder) {
    Drop(m_mainWindow, {s_clips->Path().string()});
    EXPECT_EQ(Column(colFileName), (Paths{s_first, s_second}));
    m_list.Clear();
    m_picker->chosenFolder = s_clips->Path().string();
    m_binding->btnAddFolderClick();
    EXPECT_EQ(m_picker->folders, Paths{"/home/u/"});
    EXPECT_EQ(Column(colFileName), (Paths{s_first, s_second}));
    EXPECT_EQ(m_initDir.Read(), s_clips->Folder());
}

TEST_F(Sources_SourceListBindingTests, PicturesOfTheRowsAreMadeInTheBackgroundOnceEachAndShownByName) {
    SourceThumbnails thumbnails;
    QSignalSpy ready(&thumbnails, &SourceThumbnails::Ready);
    const TempDir other;
    const std::string text = other.WriteFile("readme.avi", "no video");
    EXPECT_TRUE(thumbnails.Thumbnail(s_first, 1).isNull());
    EXPECT_TRUE(thumbnails.Thumbnail(text, 0).isNull());
    EXPECT_TRUE(thumbnails.Thumbnail(s_first, 1).isNull()) << "asked twice, made once";
    QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 2, 30000);
    const QImage picture = thumbnails.Thumbnail(s_first, 1);
    ASSERT_FALSE(picture.isNull());
    // A 64x48 clip scaled into 48x27, in the middle of a clear 48x27 box.
    EXPECT_EQ(picture.size(), QSize(48, 27));
    EXPECT_EQ(qAlpha(picture.pixel(5, 13)), 0);
    EXPECT_EQ(qAlpha(picture.pixel(24, 13)), 255);
    EXPECT_TRUE(thumbnails.Thumbnail(text, 0).isNull());

    SourceList list;
    SourceListModel model(list);
    model.SetThumbnails(&thumbnails);
    const std::size_t row = list.AppendRow();
    list.SetCell(row, colFileName, s_first);
    list.SetCell(row, colStartTime, "00:00:01");
    EXPECT_EQ(model.data(model.index(0, colFileName), Qt::DecorationRole).value<QImage>(), picture);
}

TEST_F(Sources_SourceListBindingTests, DeleteKeyAndRowsDraggedOffTheGridRemoveTheSelectedRows) {
    Drop(m_mainWindow, {s_first, s_second});
    ASSERT_EQ(m_list.RowCount(), 2u);
    m_list.SelectOnly(1);
    m_grid->setFocus();
    QTest::keyClick(m_grid, Qt::Key_Delete);
    EXPECT_EQ(Column(colFileName), Paths{s_first});

    m_list.SelectOnly(0);
    m_grid->EndDrag(m_grid->viewport());
    EXPECT_EQ(m_list.RowCount(), 1u);
    m_grid->EndDrag(nullptr);
    EXPECT_TRUE(m_list.IsEmpty());
    EXPECT_EQ(m_trimBar.Panel2Width, TrimBarState::CollapsedImageWidth);
}
