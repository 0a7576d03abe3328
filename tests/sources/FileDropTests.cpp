#include "sources/FileDrop.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace {

using Paths = std::vector<std::string>;

const QString Unusual = QString::fromUtf8("/m\u00fcll/a \"b\"/-x.avi");

QMimeData* FilesAndAddresses() {
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile("/v/b.avi"), QUrl("https://example.org/c.avi"),
                   QUrl::fromLocalFile(Unusual), QUrl::fromLocalFile("/v/a.avi")});
    return data;
}

// Sends a drag entering the widget and then its drop, as a file manager would.
bool DragAndDrop(QWidget& widget, const QMimeData& data) {
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(&widget, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &drop);
    return drop.isAccepted();
}

} // namespace

TEST(Sources_FileDropTests, LocalFilesInDropOrderAsFullByteStrings) {
    const std::unique_ptr<QMimeData> data(FilesAndAddresses());
    EXPECT_EQ(LocalFilePaths(*data), (Paths{"/v/b.avi", "/m\xc3\xbcll/a \"b\"/-x.avi", "/v/a.avi"}));
    EXPECT_TRUE(LocalFilePaths(QMimeData()).empty());
}

TEST(Sources_FileDropTests, WatchedWidgetHandsDroppedFilesOverAndLeavesOtherDrags) {
    std::vector<Paths> drops;
    FileDropFilter filter([&](const Paths& paths) { drops.push_back(paths); });
    QWidget window;
    filter.Watch(&window);
    EXPECT_TRUE(window.acceptDrops());

    const std::unique_ptr<QMimeData> files(FilesAndAddresses());
    EXPECT_TRUE(DragAndDrop(window, *files));
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0], (Paths{"/v/b.avi", "/m\xc3\xbcll/a \"b\"/-x.avi", "/v/a.avi"}));

    QMimeData addressOnly;
    addressOnly.setUrls({QUrl("https://example.org/c.avi")});
    EXPECT_FALSE(DragAndDrop(window, addressOnly));
    QMimeData text;
    text.setText("/v/a.avi");
    EXPECT_FALSE(DragAndDrop(window, text));
    EXPECT_EQ(drops.size(), 1u);
}
