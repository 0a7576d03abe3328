#include "sources/SourceList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct RecordingObserver : SourceListObserver {
    std::vector<std::string> events;
    void RowsInserted(std::size_t first, std::size_t count) override {
        events.push_back("ins " + std::to_string(first) + "+" + std::to_string(count));
    }
    void RowsRemoved(std::size_t first, std::size_t count) override {
        events.push_back("rem " + std::to_string(first) + "+" + std::to_string(count));
    }
    void CellChanged(std::size_t row, std::size_t column) override {
        events.push_back("cell " + std::to_string(row) + "," + std::to_string(column));
    }
    void SelectionChanged() override { events.push_back("sel"); }
};

} // namespace

TEST(Sources_SourceListTests, FocusFollowsDeletionsAndObserverHearsEveryChange) {
    SourceList list;
    RecordingObserver observer;
    list.SetObserver(&observer);
    for (int i = 0; i < 3; ++i)
        list.SetCell(list.AppendRow(), colFileName, "/v/" + std::to_string(i) + ".avi");
    list.SetFocusedRow(2);
    list.DeleteRow(0);
    ASSERT_TRUE(list.FocusedRow().has_value());
    EXPECT_EQ(*list.FocusedRow(), 1u);
    EXPECT_EQ(list.Cell(1, colFileName), "/v/2.avi");
    list.DeleteRow(1);
    EXPECT_FALSE(list.FocusedRow().has_value());
    EXPECT_THROW(list.DeleteRow(5), std::out_of_range);
    list.Clear();
    EXPECT_EQ(observer.events,
              (std::vector<std::string>{"ins 0+1", "cell 0,1", "ins 1+1", "cell 1,1", "ins 2+1", "cell 2,1",
                                        "sel", "rem 0+1", "rem 1+1", "rem 0+1"}));
}

TEST(Sources_SourceListTests, SelectOnlyLeavesOneSelectedRow) {
    SourceList list;
    for (int i = 0; i < 3; ++i)
        list.AppendRow();
    list.SetSelected(0, true);
    list.SetSelected(2, true);
    EXPECT_EQ(list.SelectedRows(), (std::vector<std::size_t>{0, 2}));
    list.SelectOnly(1);
    EXPECT_EQ(list.SelectedRows(), (std::vector<std::size_t>{1}));
    EXPECT_EQ(list.FocusedRow(), std::optional<std::size_t>(1));
}
