#include "sources/SourceGridView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTimeEdit>

#include "tests/sources/GridTestModel.h"

namespace {

class Sources_SourceGridViewTests : public testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 3; ++i) {
            const std::size_t row = m_list.AppendRow();
            const std::array<std::string, SourceColumnCount> cells = {
                CheckedText, "/v/clip" + std::to_string(i) + ".avi",
                "1 MB",      "00:05:00",
                "00:00:00",  "00:05:00",
                "00:05:00"};
            for (std::size_t column = 0; column < SourceColumnCount; ++column)
                m_list.SetCell(row, column, cells[column]);
        }
        m_grid.SetSourceList(&m_list);
        m_grid.setModel(&m_model);
        m_grid.resize(900, 300);
        m_grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_grid));
    }

    void Click(int row, int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPoint centre = m_grid.visualRect(m_model.index(row, column)).center();
        QTest::mouseClick(m_grid.viewport(), Qt::LeftButton, modifiers, centre);
        QApplication::processEvents();
    }

    // The time editor now open, if any.
    QTimeEdit* OpenEditor() const {
        for (QTimeEdit* editor : m_grid.viewport()->findChildren<QTimeEdit*>())
            if (editor->isVisible())
                return editor;
        return nullptr;
    }

    std::vector<std::size_t> GridSelection() const {
        std::vector<std::size_t> rows;
        for (const QModelIndex& index : m_grid.selectionModel()->selectedRows())
            rows.push_back(static_cast<std::size_t>(index.row()));
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    SourceList m_list;
    GridTestModel m_model{m_list};
    SourceGridView m_grid;
};

using Rows = std::vector<std::size_t>;

} // namespace

TEST_F(Sources_SourceGridViewTests, SingleClickOpensTheEditorOfTimeCellsOnlyAndEndingAnEditReportsIt) {
    QSignalSpy clicked(&m_grid, &SourceGridView::Clicked);
    QSignalSpy edited(&m_grid, &SourceGridView::Edited);

    Click(1, colStartTime);
    QTimeEdit* editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->time(), QTime(0, 0, 0));
    EXPECT_EQ(editor->displayFormat(), "HH:mm:ss");
    EXPECT_EQ(m_list.SelectedRows(), Rows{1});
    EXPECT_EQ(m_list.FocusedRow(), 1u);

    // Clicking another row ends the edit without a change; the file name cell opens nothing.
    Click(2, colFileName);
    EXPECT_EQ(OpenEditor(), nullptr);
    EXPECT_EQ(edited.count(), 1);
    EXPECT_EQ(m_list.Cell(1, colStartTime), "00:00:00");
    EXPECT_EQ(m_list.SelectedRows(), Rows{2});
    EXPECT_EQ(clicked.count(), 2);

    Click(2, colDuration);
    EXPECT_EQ(OpenEditor(), nullptr);
}

TEST_F(Sources_SourceGridViewTests, TimeEditorHandsBackTwoDigitFields) {
    QSignalSpy edited(&m_grid, &SourceGridView::Edited);
    Click(0, colEndTime);
    QTimeEdit* editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->maximumTime(), QTime(23, 59, 59));
    editor->setTime(QTime(1, 2, 3));
    // The end time's edit stays open while its value changes.
    EXPECT_EQ(OpenEditor(), editor);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(OpenEditor(), nullptr);
    EXPECT_EQ(m_list.Cell(0, colEndTime), "01:02:03");
    EXPECT_EQ(edited.count(), 1);
}

TEST_F(Sources_SourceGridViewTests, ChangingTheStartTimeWritesItAndKeepsTheEditOpen) {
    QSignalSpy edited(&m_grid, &SourceGridView::Edited);
    Click(2, colStartTime);
    QTimeEdit* editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    editor->setTime(QTime(0, 0, 7));
    EXPECT_EQ(OpenEditor(), editor);
    EXPECT_EQ(m_list.Cell(2, colStartTime), "00:00:07");
    EXPECT_EQ(edited.count(), 1);
}

TEST_F(Sources_SourceGridViewTests, AVisitToACellTheEditorCannotShowLeavesItAsItWas) {
    m_list.SetCell(0, colEndTime, "25:00:00");
    Click(0, colEndTime);
    QTimeEdit* editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(OpenEditor(), nullptr);
    EXPECT_EQ(m_list.Cell(0, colEndTime), "25:00:00");
}

TEST_F(Sources_SourceGridViewTests, SelectionGoesBothWaysBetweenGridAndList) {
    m_list.SelectOnly(2);
    EXPECT_EQ(GridSelection(), Rows{2});
    EXPECT_EQ(m_grid.currentIndex().row(), 2);

    Click(0, colFileName);
    Click(2, colFileName, Qt::ShiftModifier);
    EXPECT_EQ(m_list.SelectedRows(), (Rows{0, 1, 2}));
    Click(1, colFileSize, Qt::ControlModifier);
    EXPECT_EQ(m_list.SelectedRows(), (Rows{0, 2}));
    EXPECT_EQ(m_list.FocusedRow(), 1u);

    m_grid.selectAll();
    EXPECT_EQ(m_list.SelectedRows(), (Rows{0, 1, 2}));
}

TEST_F(Sources_SourceGridViewTests, DeletingSelectedRowsInTheListKeepsTheRightRows) {
    Click(0, colFileName);
    Click(2, colFileName, Qt::ControlModifier);
    ASSERT_EQ(m_list.SelectedRows(), (Rows{0, 2}));

    // The removal loop of the list's logic: the grid follows without writing stale rows back.
    for (auto selected = m_list.SelectedRows(); !selected.empty(); selected = m_list.SelectedRows())
        m_list.DeleteRow(selected.front());
    ASSERT_EQ(m_list.RowCount(), 1u);
    EXPECT_EQ(m_list.Cell(0, colFileName), "/v/clip1.avi");
    EXPECT_TRUE(m_list.SelectedRows().empty());
    EXPECT_TRUE(GridSelection().empty());

    m_list.SelectOnly(0);
    EXPECT_EQ(GridSelection(), Rows{0});
}

TEST_F(Sources_SourceGridViewTests, RowsReleasedAnywhereButOnTheGridAreRemoved) {
    QSignalSpy draggedOut(&m_grid, &SourceGridView::RowsDraggedOut);
    QWidget elsewhere;
    m_grid.EndDrag(nullptr);
    m_grid.EndDrag(&elsewhere);
    EXPECT_EQ(draggedOut.count(), 2);
    m_grid.EndDrag(m_grid.viewport());
    m_grid.EndDrag(&m_grid);
    EXPECT_EQ(draggedOut.count(), 2);
}

TEST_F(Sources_SourceGridViewTests, GridTakesDropsOfItsOwnRowsAndLeavesFilesToTheWindow) {
    const QPoint at = m_grid.visualRect(m_model.index(1, colFileName)).center();
    QMimeData rows;
    rows.setData(SourceGridView::RowDragMimeType, QByteArray());
    QDragEnterEvent enter(at, Qt::MoveAction, &rows, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_grid.viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::MoveAction, &rows, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_grid.viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(m_list.RowCount(), 3u);

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/v/new.avi")});
    QDragEnterEvent fileEnter(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_grid.viewport(), &fileEnter);
    EXPECT_FALSE(fileEnter.isAccepted());
}

TEST_F(Sources_SourceGridViewTests, KeysAreForwardedWithDeleteTold) {
    QSignalSpy keyDown(&m_grid, &SourceGridView::KeyDown);
    QSignalSpy keyUp(&m_grid, &SourceGridView::KeyUp);
    QTest::keyClick(&m_grid, Qt::Key_Delete);
    QTest::keyClick(&m_grid, Qt::Key_Down);
    ASSERT_EQ(keyDown.count(), 2);
    EXPECT_TRUE(keyDown.at(0).at(0).toBool());
    EXPECT_FALSE(keyDown.at(1).at(0).toBool());
    EXPECT_EQ(keyUp.count(), 2);
}
