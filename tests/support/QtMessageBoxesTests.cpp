#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "support/QtMessageBoxes.h"

namespace {

struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Qt::WindowModality modality = Qt::NonModal;
};

// Waits for the box to come up, notes what it shows and presses the given button.
int ShowAndPress(MessageIcon icon, MessageButtons buttons, QMessageBox::StandardButton press, SeenBox& seen) {
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        poll.stop();
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons(), box->windowModality()};
        box->button(press)->click();
    });
    poll.start();
    QtMessageBoxes boxes;
    return boxes.Show("Are you sure you want to stop the work ? ", icon, buttons);
}

TEST(Support_QtMessageBoxesTests, ShowsACaptionedModalBoxAndReturnsTheButtonNumbers) {
    SeenBox seen;
    EXPECT_EQ(ShowAndPress(MessageIcon::None, MessageButtons::YesNo, QMessageBox::Yes, seen), IdYes);
    EXPECT_EQ(seen.caption, "Rivamo");
    EXPECT_EQ(seen.text, "Are you sure you want to stop the work ? ");
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.modality, Qt::ApplicationModal);

    EXPECT_EQ(ShowAndPress(MessageIcon::None, MessageButtons::YesNo, QMessageBox::No, seen), IdNo);
    EXPECT_EQ(ShowAndPress(MessageIcon::Information, MessageButtons::YesNoCancel, QMessageBox::Cancel, seen),
              IdCancel);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(seen.icon, QMessageBox::Information);
}

TEST(Support_QtMessageBoxesTests, EachKindHasItsIconAndAnOkButton) {
    const std::pair<MessageIcon, QMessageBox::Icon> kinds[] = {
        {MessageIcon::Error, QMessageBox::Critical},
        {MessageIcon::Warning, QMessageBox::Warning},
        {MessageIcon::Question, QMessageBox::Question},
        {MessageIcon::Information, QMessageBox::Information},
    };
    for (const auto& [kind, icon] : kinds) {
        SeenBox seen;
        EXPECT_EQ(ShowAndPress(kind, MessageButtons::Ok, QMessageBox::Ok, seen), IdOk);
        EXPECT_EQ(seen.icon, icon);
        EXPECT_EQ(seen.buttons, QMessageBox::Ok);
    }
}

} // namespace
