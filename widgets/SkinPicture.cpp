#include "widgets/SkinPicture.h"

#include <array>
#include <stdexcept>

#include <QFile>

namespace {

struct Rendering {
    qreal scale;
    const char* suffix;
};

// The scales the build renders, from the smallest.
constexpr std::array<Rendering, 3> Renderings = {{{1.0, ".png"}, {1.5, "@1.5x.png"}, {2.0, "@2x.png"}}};

QString ResourcePath(const QString& name, const Rendering& rendering) {
    return QStringLiteral(":/skin/") + name + QString::fromLatin1(rendering.suffix);
}

// The pictures are part of the program; one that is missing is a fault of the build.
QImage LoadOrThrow(const QString& path) {
    QImage image(path);
    if (image.isNull())
        throw std::runtime_error("The picture " + path.toStdString() + " is missing.");
    return image;
}

const Rendering& RenderingFor(qreal devicePixelRatio) {
    for (const Rendering& rendering : Renderings)
        if (rendering.scale >= devicePixelRatio)
            return rendering;
    return Renderings.back();
}

} // namespace

QImage SkinImage(const QString& name) {
    return LoadOrThrow(ResourcePath(name, Renderings.front()));
}

SkinArt SkinArtFor(const QString& name, qreal devicePixelRatio) {
    const Rendering& rendering = RenderingFor(devicePixelRatio);
    return {LoadOrThrow(ResourcePath(name, rendering)), rendering.scale};
}

QPixmap SkinPixmap(const QString& name, qreal devicePixelRatio) {
    const SkinArt art = SkinArtFor(name, devicePixelRatio);
    QPixmap pixmap = QPixmap::fromImage(art.image);
    pixmap.setDevicePixelRatio(art.scale);
    return pixmap;
}

QString SkinStyleSheet() {
    QFile file(QStringLiteral(":/skin/skin.qss"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("The skin's style sheet is missing.");
    return QString::fromUtf8(file.readAll());
}
