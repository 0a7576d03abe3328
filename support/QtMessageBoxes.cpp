#include "support/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

namespace {

constexpr const char* BoxCaption = "Rivamo";

QMessageBox::Icon QtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons QtButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

// The numbers the rest of the program compares against. Closing a Yes/No box without a button
// (Escape, the window's close button) counts as No, as the box offers no other way out.
int ButtonId(QMessageBox::StandardButton pressed, MessageButtons buttons) {
    switch (pressed) {
    case QMessageBox::Ok:
        return IdOk;
    case QMessageBox::Yes:
        return IdYes;
    case QMessageBox::No:
        return IdNo;
    case QMessageBox::Cancel:
        return IdCancel;
    default:
        break;
    }
    return buttons == MessageButtons::YesNo ? IdNo : buttons == MessageButtons::Ok ? IdOk : IdCancel;
}

} // namespace

int QtMessageBoxes::Show(const std::string& text, MessageIcon icon, MessageButtons buttons) {
    if (QApplication::instance() == nullptr)
        return 0;
    QMessageBox box(QtIcon(icon), QString::fromStdString(BoxCaption), QString::fromLocal8Bit(text),
                    QtButtons(buttons), QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.setTextFormat(Qt::PlainText);
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    return ButtonId(pressed, buttons);
}
