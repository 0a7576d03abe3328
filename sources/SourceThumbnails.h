#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>

#include <QImage>
#include <QObject>
#include <QThreadPool>

// Small pictures of the sources at their start times, each in the middle of a Width x Height box,
// made on a few worker threads and kept for the session (also the files that give none, so each
// is tried once).
class SourceThumbnails final : public QObject {
    Q_OBJECT

public:
    // Makes one picture on a worker thread, at most Width x Height (in the picture's own device
    // pixel ratio); a null image when the file gives none.
    using Maker = std::function<QImage(const std::string& path, int64_t seconds)>;

    static constexpr int Width = 48;
    static constexpr int Height = 27;
    static constexpr int Workers = 2;

    // maker: FFmpeg's decoder when empty, at the screen's scale.
    explicit SourceThumbnails(Maker maker = {}, QObject* parent = nullptr);
    ~SourceThumbnails() override;

    // The picture when it is made; a null image meanwhile, with Ready following once it is.
    QImage Thumbnail(const std::string& path, int64_t seconds);

signals:
    void Ready(const QString& path);

private:
    using Key = std::pair<std::string, int64_t>;

    void Made(const Key& key, const QImage& picture);

    Maker m_maker;
    std::map<Key, QImage> m_made;
    std::set<Key> m_asked;
    QThreadPool m_pool;
};
