#include "sources/SourceThumbnails.h"

#include <QGuiApplication>
#include <QPainter>

#include "sources/FfmpegThumbnail.h"
#include "support/BackgroundPriority.h"

namespace {

// Made with as many pixels as the screen shows for the thumbnail's size, so it is sharp at any scale.
QImage FfmpegPicture(const std::string& path, int64_t seconds, qreal ratio) {
    const QSize size = (QSizeF(SourceThumbnails::Width, SourceThumbnails::Height) * ratio).toSize();
    const ThumbnailPicture picture = GrabThumbnail(path, seconds, size.width(), size.height());
    if (picture.IsEmpty())
        return {};
    const QImage shared(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                        QImage::Format_RGB888);
    QImage copy = shared.copy(); // the bytes go with the picture
    copy.setDevicePixelRatio(ratio);
    return copy;
}

// The picture in the middle of a clear box of the thumbnails' size, so every row's name starts at
// the same place whatever the shape of its video.
QImage Boxed(const QImage& picture) {
    const qreal ratio = picture.devicePixelRatio();
    const QSize box = (QSizeF(SourceThumbnails::Width, SourceThumbnails::Height) * ratio).toSize();
    if (picture.isNull() || picture.size() == box)
        return picture;
    QImage boxed(box, QImage::Format_ARGB32_Premultiplied);
    boxed.fill(Qt::transparent);
    QImage source = picture;
    source.setDevicePixelRatio(1); // placed pixel for pixel
    QPainter painter(&boxed);
    painter.drawImage(QPoint((box.width() - source.width()) / 2, (box.height() - source.height()) / 2),
                      source);
    painter.end();
    boxed.setDevicePixelRatio(ratio);
    return boxed;
}

} // namespace

SourceThumbnails::SourceThumbnails(Maker maker, QObject* parent)
    : QObject(parent), m_maker(std::move(maker)) {
    if (!m_maker) {
        const qreal ratio = qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
        m_maker = [ratio](const std::string& path, int64_t seconds) {
            return FfmpegPicture(path, seconds, ratio);
        };
    }
    m_pool.setMaxThreadCount(Workers);
}

SourceThumbnails::~SourceThumbnails() {
    m_pool.clear();
    m_pool.waitForDone();
}

QImage SourceThumbnails::Thumbnail(const std::string& path, int64_t seconds) {
    const Key key{path, seconds};
    if (const auto made = m_made.find(key); made != m_made.end())
        return made->second;
    if (m_asked.insert(key).second) {
        m_pool.start([this, key] {
            LowerCurrentThreadPriority();
            const QImage picture = Boxed(m_maker(key.first, key.second));
            QMetaObject::invokeMethod(
                this, [this, key, picture] { Made(key, picture); }, Qt::QueuedConnection);
        });
    }
    return {};
}

void SourceThumbnails::Made(const Key& key, const QImage& picture) {
    m_made[key] = picture;
    emit Ready(QString::fromLocal8Bit(key.first));
}
