#include "profiles/QtProfileNamePrompt.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>

namespace {

constexpr const char* PromptCaption = "Rivamo";
constexpr const char* PromptText = "Plese input a name";

} // namespace

std::optional<std::string> QtProfileNamePrompt::AskName(const std::string& proposal) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setObjectName("dlgProfileName");
    dialog.setWindowTitle(QString::fromLatin1(PromptCaption));
    dialog.setAccessibleName(dialog.windowTitle());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setLabelText(QString::fromLatin1(PromptText));
    dialog.setTextValue(QString::fromLocal8Bit(proposal));
    if (auto* edit = dialog.findChild<QLineEdit*>())
        edit->setAccessibleName(dialog.labelText());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue().toLocal8Bit().toStdString();
}
