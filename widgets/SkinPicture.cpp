#include "widgets/SkinPicture.h"

#include <stdexcept>

#include <QFile>

namespace {

constexpr qreal DoubleSizeFrom = 1.0;

QString ResourcePath(const QString& name, bool doubleSize) {
    return QStringLiteral(":/skin/") + name +
           (doubleSize ? QStringLiteral("@2x.png") : QStringLiteral(".png"));
}

// The pictures are part of the program; one that is missing is a fault of the build.
QImage LoadOrThrow(const QString& path) {
    QImage image(path);
    if (image.isNull())
        throw std::runtime_error("The picture " + path.toStdString() + " is missing.");
    return image;
}

} // namespace

QImage SkinImage(const QString& name) {
    return LoadOrThrow(ResourcePath(name, false));
}

QPixmap SkinPixmap(const QString& name, qreal devicePixelRatio) {
    const bool doubleSize = devicePixelRatio > DoubleSizeFrom;
    QPixmap pixmap = QPixmap::fromImage(LoadOrThrow(ResourcePath(name, doubleSize)));
    pixmap.setDevicePixelRatio(doubleSize ? 2.0 : 1.0);
    return pixmap;
}

QString SkinStyleSheet() {
    QFile file(QStringLiteral(":/skin/skin.qss"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("The skin's style sheet is missing.");
    return QString::fromUtf8(file.readAll());
}
