#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "sources/SourceListModel.h"

namespace {

std::size_t AddRow(SourceList& list, const std::string& path) {
    const std::size_t row = list.AppendRow();
    list.SetCell(row, colCheck, CheckedText);
    list.SetCell(row, colFileName, path);
    list.SetCell(row, colFileSize, "1.00 MB");
    list.SetCell(row, colDuration, "00:01:00");
    list.SetCell(row, colStartTime, "00:00:00");
    list.SetCell(row, colEndTime, "00:01:00");
    list.SetCell(row, colCutTime, "00:01:00");
    return row;
}

QString Text(const SourceListModel& model, int row, int column) {
    return model.data(model.index(row, column), Qt::DisplayRole).toString();
}

class Sources_SourceListModelTests : public testing::Test {
protected:
    SourceList list;
    SourceListModel model{list};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(Sources_SourceListModelTests, ShowsTheSevenColumnsWithTheirCaptions) {
    ASSERT_EQ(model.columnCount(), 7);
    const QStringList captions = {"",           "File Name", "File Size", "Duration",
                                  "Start Time", "End Time",  "Cut Time"};
    for (int column = 0; column < 7; ++column)
        EXPECT_EQ(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(), captions[column]);
}

TEST_F(Sources_SourceListModelTests, FollowsInsertsRemovalsAndCellChanges) {
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    AddRow(list, "/videos/a.avi");
    AddRow(list, "/videos/b c.mov");
    AddRow(list, "/videos/d.flv");
    EXPECT_EQ(inserted.count(), 3);
    ASSERT_EQ(model.rowCount(), 3);
    // The name is shown, the whole path is the tip and the value edited.
    EXPECT_EQ(Text(model, 1, colFileName), "b c.mov");
    EXPECT_EQ(model.data(model.index(1, colFileName), Qt::ToolTipRole).toString(), "/videos/b c.mov");
    EXPECT_EQ(model.data(model.index(1, colFileName), Qt::EditRole).toString(), "/videos/b c.mov");
    EXPECT_EQ(Text(model, 2, colCutTime), "00:01:00");

    changed.clear();
    list.SetCell(2, colEndTime, "00:00:30");
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex(), model.index(2, colEndTime));
    EXPECT_EQ(Text(model, 2, colEndTime), "00:00:30");

    list.DeleteRow(1);
    EXPECT_EQ(removed.count(), 1);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(Text(model, 1, colFileName), "d.flv");

    list.Clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.index(0, colFileName).isValid());
}

TEST_F(Sources_SourceListModelTests, CheckColumnShowsABoxAndWritesTrueOrFalse) {
    AddRow(list, "/videos/a.avi");
    const QModelIndex check = model.index(0, colCheck);
    EXPECT_TRUE(model.flags(check) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.flags(model.index(0, colFileName)) & Qt::ItemIsUserCheckable);
    EXPECT_EQ(model.data(check, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    EXPECT_TRUE(model.data(check, Qt::DisplayRole).isNull()); // the box, not the word

    ASSERT_TRUE(model.setData(check, Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(list.Cell(0, colCheck), "False");
    EXPECT_EQ(model.data(check, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    ASSERT_TRUE(model.setData(check, Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(list.Cell(0, colCheck), "True");

    // Other cells and other roles are left alone.
    EXPECT_FALSE(model.setData(model.index(0, colFileName), "x", Qt::EditRole));
    EXPECT_EQ(list.Cell(0, colFileName), "/videos/a.avi");
    EXPECT_FALSE(model.setData(check, "False", Qt::EditRole));
    EXPECT_EQ(list.Cell(0, colCheck), "True");

    // A cell text other than "True" shows an empty box, as the batch would skip the row.
    list.SetCell(0, colCheck, "true");
    EXPECT_EQ(model.data(check, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
}

TEST_F(Sources_SourceListModelTests, OnlyTheStartAndEndTimesAreEditedAsText) {
    AddRow(list, "/videos/a.avi");
    for (int column = 0; column < model.columnCount(); ++column) {
        const bool editable = model.flags(model.index(0, column)) & Qt::ItemIsEditable;
        EXPECT_EQ(editable, column == colStartTime || column == colEndTime) << column;
    }
    ASSERT_TRUE(model.setData(model.index(0, colStartTime), "00:00:10", Qt::EditRole));
    ASSERT_TRUE(model.setData(model.index(0, colEndTime), "00:00:50", Qt::EditRole));
    EXPECT_EQ(list.Cell(0, colStartTime), "00:00:10");
    EXPECT_EQ(list.Cell(0, colEndTime), "00:00:50");
    EXPECT_FALSE(model.setData(model.index(0, colCutTime), "00:00:40", Qt::EditRole));
    EXPECT_FALSE(model.setData(model.index(0, colDuration), "00:00:40", Qt::EditRole));
    EXPECT_EQ(list.Cell(0, colCutTime), "00:01:00");
    EXPECT_EQ(list.Cell(0, colDuration), "00:01:00");
}

TEST(Sources_SourceListModelLifetimeTests, ShowsExistingRowsAndDetachesWhenDestroyed) {
    SourceList list;
    AddRow(list, "/videos/a.avi");
    {
        SourceListModel model(list);
        EXPECT_EQ(model.rowCount(), 1);
        AddRow(list, "/videos/b.avi");
        EXPECT_EQ(model.rowCount(), 2);
    }
    // The list must not call into the destroyed model (ASan would report it).
    AddRow(list, "/videos/c.avi");
    list.DeleteRow(0);
    EXPECT_EQ(list.RowCount(), 2u);
}

} // namespace
