#include "sources/SourceThumbnails.h"

#include <QPainter>

#include "sources/FfmpegThumbnail.h"
#include "support/BackgroundPriority.h"

namespace {

QImage FfmpegPicture(const std::string& path, int64_t seconds) {
    const ThumbnailPicture picture =
        GrabThumbnail(path, seconds, SourceThumbnails::Width, SourceThumbnails::Height);
    if (picture.IsEmpty())
        return {};
    const QImage shared(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                        QImage::Format_RGB888);
    return shared.copy(); // the bytes go with the picture
}

// The picture in the middle of a clear box of the thumbnails' size, so every row's name starts at
// the same place whatever the shape of its video.
QImage Boxed(const QImage& picture) {
    if (picture.isNull() || picture.size() == QSize(SourceThumbnails::Width, SourceThumbnails::Height))
        return picture;
    QImage box(SourceThumbnails::Width, SourceThumbnails::Height, QImage::Format_ARGB32_Premultiplied);
    box.fill(Qt::transparent);
    QPainter painter(&box);
    painter.drawImage((box.width() - picture.width()) / 2, (box.height() - picture.height()) / 2, picture);
    return box;
}

} // namespace

SourceThumbnails::SourceThumbnails(Maker maker, QObject* parent)
    : QObject(parent), m_maker(maker ? std::move(maker) : Maker(FfmpegPicture)) {
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
