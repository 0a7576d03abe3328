#include "sources/SourceThumbnails.h"

#include "sources/FfmpegThumbnail.h"

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
            const QImage picture = m_maker(key.first, key.second);
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
