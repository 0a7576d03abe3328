#include "support/MessageBoxes.h"

#include <gtest/gtest.h>

#include <utility>

#include "tests/common/RecordingMessageBoxes.h"

TEST(Support_MessageBoxesTests, EachKindShowsItsIconWithAnOkButton) {
    RecordingMessageBoxes boxes;
    const std::pair<MessageKind, MessageIcon> kinds[] = {
        {MessageKind::Error, MessageIcon::Error},
        {MessageKind::Warning, MessageIcon::Warning},
        {MessageKind::Question, MessageIcon::Question},
        {MessageKind::Information, MessageIcon::Information}};
    for (const auto& [kind, icon] : kinds) {
        EXPECT_TRUE(ShowMessageKind(boxes, "The path is invalid.", kind));
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "The path is invalid.");
        EXPECT_EQ(boxes.Boxes()[0].icon, icon);
        EXPECT_EQ(boxes.Boxes()[0].buttons, MessageButtons::Ok);
        boxes.Clear();
    }
}

TEST(Support_MessageBoxesTests, UnknownKindOrABoxNotShownGivesFalse) {
    RecordingMessageBoxes boxes;
    EXPECT_FALSE(ShowMessageKind(boxes, "x", static_cast<MessageKind>(4)));
    EXPECT_FALSE(ShowMessageKind(boxes, "x", static_cast<MessageKind>(-1)));
    EXPECT_TRUE(boxes.Boxes().empty());

    boxes.QueueAnswer(0);
    EXPECT_FALSE(ShowMessageKind(boxes, "x", MessageKind::Warning));
}

TEST(Support_MessageBoxesTests, ButtonTypesShowTheirSetAndReturnThePressedButton) {
    RecordingMessageBoxes boxes;
    boxes.QueueAnswer(IdOk);
    boxes.QueueAnswer(IdNo);
    boxes.QueueAnswer(IdCancel);
    EXPECT_EQ(ShowMessageButtons(boxes, "a", 1), IdOk);
    EXPECT_EQ(ShowMessageButtons(boxes, "b", 2), IdNo);
    EXPECT_EQ(ShowMessageButtons(boxes, "c", 3), IdCancel);
    ASSERT_EQ(boxes.Boxes().size(), 3u);
    EXPECT_EQ(boxes.Boxes()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(boxes.Boxes()[1].buttons, MessageButtons::YesNo);
    EXPECT_EQ(boxes.Boxes()[2].buttons, MessageButtons::YesNoCancel);
    for (const auto& box : boxes.Boxes())
        EXPECT_EQ(box.icon, MessageIcon::Information);
}

TEST(Support_MessageBoxesTests, UnknownButtonTypeShowsNothingAndGivesZero) {
    RecordingMessageBoxes boxes(IdYes);
    EXPECT_EQ(ShowMessageButtons(boxes, "x", 0), 0);
    EXPECT_EQ(ShowMessageButtons(boxes, "x", 4), 0);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(ShowMessageButtons(boxes, "x", 2), IdYes);
}
