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

TEST(Profiles_OptionListTests, EditableBoxKeepsTypedTextUntilSomethingElseIsSelected) {
    OptionList box;
    box.ReplaceItems({"Fast", "Small"});
    box.Select(1);
    EXPECT_EQ(box.EditText(), "Small");
    box.ReplaceItems({"Fast", "Small", "New"});
    EXPECT_EQ(box.ItemIndex(), -1) << "fresh items: nothing selected";
    EXPECT_EQ(box.EditText(), "Small") << "fresh items: the text stays";
    box.Select(0);
    box.SetEditText("typed");
    EXPECT_EQ(box.ItemIndex(), -1) << "typing leaves nothing selected";
    box.Select(-1);
    EXPECT_EQ(box.EditText(), "typed") << "selecting the current position again changes nothing";
    box.Select(2);
    box.Select(-1);
    EXPECT_EQ(box.EditText(), "") << "leaving a selection by program clears the text";
    box.SetEditText("typed");
    box.Select(7);
    EXPECT_EQ(box.EditText(), "");
}
