#include "sources/FileDrop.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

std::vector<std::string> LocalFilePaths(const QMimeData& data) {
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile())
            paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    return paths;
}

FileDropFilter::FileDropFilter(DropHandler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)) {}

void FileDropFilter::Watch(QWidget* widget) {
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

bool FileDropFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    const std::vector<std::string> paths =
        drop->mimeData() ? LocalFilePaths(*drop->mimeData()) : std::vector<std::string>();
    if (paths.empty())
        return QObject::eventFilter(watched, event);
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop && m_handler)
        m_handler(paths);
    return true;
}
