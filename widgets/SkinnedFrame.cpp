#include "widgets/SkinnedFrame.h"

#include <cstdint>
#include <vector>

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "widgets/SkinPicture.h"
#include "widgets/WindowOutline.h"

QRegion OutlineRegion(const QImage& picture) {
    const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    std::vector<std::uint32_t> colours;
    colours.reserve(static_cast<std::size_t>(pixels.width()) * static_cast<std::size_t>(pixels.height()));
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        colours.insert(colours.end(), line, line + pixels.width());
    }
    std::vector<QRect> rects;
    for (const OutlineRect& rect : OutlineRects(pixels.width(), pixels.height(), colours))
        rects.emplace_back(rect.left, rect.top, rect.width, rect.height);
    // The rectangles come in bands from the top, left to right inside a band, as QRegion keeps them.
    QRegion region;
    region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}

SkinnedFrame::SkinnedFrame(const QString& picture, QWidget* parent)
    : QWidget(parent), m_picture(picture),
      m_startMove([](QWindow& window) { return window.startSystemMove(); }) {
    setMinimumSize(SkinImage(m_picture).size());
}

const QRegion& SkinnedFrame::Outline() {
    if (!m_outlineComputed) {
        m_outline = OutlineRegion(SkinImage(m_picture));
        m_outlineComputed = true;
    }
    return m_outline;
}

void SkinnedFrame::ApplyOutline() {
    window()->setMask(Outline().translated(mapTo(window(), QPoint(0, 0))));
}

void SkinnedFrame::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    if (m_pixmap.isNull() || m_pixmap.devicePixelRatio() != (ratio > 1.0 ? 2.0 : 1.0))
        m_pixmap = SkinPixmap(m_picture, ratio);
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pixmap);
}

void SkinnedFrame::mousePressEvent(QMouseEvent* event) {
    QWindow* handle = window()->windowHandle();
    if (handle != nullptr && m_startMove && m_startMove(*handle)) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}
