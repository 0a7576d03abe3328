#include "sources/SourceFileDialog.h"

#include <QFile>
#include <QFileDialog>
#include <QStringList>

#include "sources/OpenDialogFilter.h"

namespace {
constexpr const char* AddFolderTitle = "Add Folder";
}

std::vector<std::string> TSourceFileDialog::Pick(const std::string& folder) {
    QStringList nameFilters;
    for (const auto& nameFilter : NameFiltersOf(SourceFileFilter))
        nameFilters << QString::fromLocal8Bit(nameFilter);

    QFileDialog dialog(m_parent, QString(), QFile::decodeName(QByteArray::fromStdString(folder)));
    dialog.setObjectName("dlgOpenSourceFile");
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(nameFilters);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    std::vector<std::string> paths;
    for (const QString& path : dialog.selectedFiles())
        paths.push_back(QFile::encodeName(path).toStdString());
    return paths;
}

std::optional<std::string> TSourceFileDialog::PickFolder(const std::string& folder) {
    QFileDialog dialog(m_parent, QString::fromLatin1(AddFolderTitle),
                       QFile::decodeName(QByteArray::fromStdString(folder)));
    dialog.setObjectName("dlgAddSourceFolder");
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}
