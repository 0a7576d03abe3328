#include "support/DesktopShell.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

void DesktopShell::OpenFolder(const std::string& folder) {
    if (folder.empty())
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(folder.c_str())));
}

void DesktopShell::OpenAddress(const std::string& address) {
    QDesktopServices::openUrl(QUrl(QString::fromLocal8Bit(address)));
}
