#include "profiles/OptionList.h"

#include <gtest/gtest.h>

TEST(Profiles_OptionListTests, CodeSelectionNeverRunsTheChangeHandlerButUserSelectionDoes) {
    OptionList list;
    int changes = 0;
    list.SetChangeHandler([&] { ++changes; });
    list.Append("a");
    list.Append("b");
    list.Select(1);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(list.SelectedText(), "b");
    list.SelectByUser(0);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(list.SelectedText(), "a");
}

TEST(Profiles_OptionListTests, PositionOutsideTheItemsLeavesNothingSelected) {
    OptionList list;
    list.Append("only");
    list.Select(0);
    list.Select(1);
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(list.SelectedText(), "");
    list.Select(-7);
    EXPECT_EQ(list.ItemIndex(), -1);
}
