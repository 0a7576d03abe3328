#include "support/QtFolderBrowser.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>

std::optional<std::string> QtFolderBrowser::BrowseForFolder(const std::string& title) {
    QFileDialog dialog(m_parent, QString::fromLocal8Bit(title), QDir::homePath());
    dialog.setObjectName("dlgSelectOutputFolder");
    dialog.setAccessibleName(dialog.windowTitle());
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}
