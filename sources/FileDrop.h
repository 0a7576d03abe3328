#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QObject>

class QMimeData;
class QWidget;

// The full paths of the local files among the dropped URLs, in drop order, as byte strings.
// Other URLs (web addresses, remote files) are left out.
std::vector<std::string> LocalFilePaths(const QMimeData& data);

// Makes widgets accept files dropped from a file manager: a drag that carries local files is
// accepted, and on the drop their paths go to the handler (the main window's dropped-files
// handler, which adds them directly). Other drags are left to the widgets.
class FileDropFilter final : public QObject {
    Q_OBJECT

public:
    using DropHandler = std::function<void(const std::vector<std::string>&)>;

    explicit FileDropFilter(DropHandler handler, QObject* parent = nullptr);

    // Watches the widget (also turning on its drops) for as long as both live.
    void Watch(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DropHandler m_handler;
};
