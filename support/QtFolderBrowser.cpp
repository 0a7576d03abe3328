#include "support/QtFolderBrowser.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

namespace {

// The folder itself when it exists, else the nearest folder above it that does; the home folder for
// a path that is not absolute.
QString ExistingFolderAtOrAbove(const std::string& folder) {
    QString path = QFile::decodeName(QByteArray::fromStdString(folder));
    if (!QDir::isAbsolutePath(path))
        return QDir::homePath();
    path = QDir::cleanPath(path);
    while (!QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return QDir::homePath();
        path = parent;
    }
    return path;
}

} // namespace

std::optional<std::string> QtFolderBrowser::BrowseForFolder(const std::string& title,
                                                            const std::string& startFolder) {
    QFileDialog dialog(m_parent, QString::fromLocal8Bit(title), ExistingFolderAtOrAbove(startFolder));
    dialog.setObjectName("dlgSelectOutputFolder");
    dialog.setAccessibleName(dialog.windowTitle());
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}
