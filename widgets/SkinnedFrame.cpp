#include "widgets/SkinnedFrame.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "widgets/SkinPicture.h"
#include "widgets/WindowOutline.h"

namespace {

// How near the frame's edge a press resizes the window instead of moving it.
constexpr int ResizeMargin = 6;

QRect ScaledRect(const OutlineRect& rect, qreal scale) {
    const int left = qRound(rect.left * scale);
    const int top = qRound(rect.top * scale);
    return {left, top, qRound((rect.left + rect.width) * scale) - left,
            qRound((rect.top + rect.height) * scale) - top};
}

Qt::CursorShape CursorFor(Qt::Edges edges) {
    const bool left = edges.testFlag(Qt::LeftEdge);
    const bool right = edges.testFlag(Qt::RightEdge);
    const bool top = edges.testFlag(Qt::TopEdge);
    const bool bottom = edges.testFlag(Qt::BottomEdge);
    if ((left && top) || (right && bottom))
        return Qt::SizeFDiagCursor;
    if ((right && top) || (left && bottom))
        return Qt::SizeBDiagCursor;
    if (left || right)
        return Qt::SizeHorCursor;
    return top || bottom ? Qt::SizeVerCursor : Qt::ArrowCursor;
}

} // namespace

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
    : QWidget(parent), m_picture(picture), m_pictureSize(SkinImage(picture).size()),
      m_startMove([](QWindow& window) { return window.startSystemMove(); }) {
    setMinimumSize(m_pictureSize);
    setStyleSheet(SkinStyleSheet());
}

void SkinnedFrame::SetStretch(Stretch stretch) {
    m_stretch = std::move(stretch);
    setMouseTracking(true);
    m_pixmap = {};
    m_outlineComputed = false;
    update();
}

QImage SkinnedFrame::Picture(qreal devicePixelRatio) const {
    const SkinArt art = SkinArtFor(m_picture, devicePixelRatio);
    if (!m_stretch || size() == m_pictureSize)
        return art.image;
    const QSize drawnSize(qRound(width() * devicePixelRatio), qRound(height() * devicePixelRatio));
    QImage drawn(drawnSize, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    // Stretched runs repeat their pixels; smoothing would blur their edges into the pieces beside them.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (const StretchPiece& piece : StretchPieces(m_pictureSize.width(), m_stretch(size())))
        painter.drawImage(ScaledRect(piece.target, devicePixelRatio), art.image,
                          ScaledRect(piece.source, art.scale));
    return drawn;
}

const QRegion& SkinnedFrame::Outline() {
    if (!m_outlineComputed) {
        m_outline = OutlineRegion(Picture(1.0));
        m_outlineComputed = true;
    }
    return m_outline;
}

void SkinnedFrame::ApplyOutline() {
    m_outlineApplied = true;
    window()->setMask(Outline().translated(mapTo(window(), QPoint(0, 0))));
}

void SkinnedFrame::resizeEvent(QResizeEvent* event) {
    m_pixmap = {};
    m_outlineComputed = false;
    if (m_outlineApplied)
        ApplyOutline();
    QWidget::resizeEvent(event);
}

void SkinnedFrame::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    if (m_pixmap.isNull() || m_pixmapRatio != ratio) {
        // The art may be of a larger scale than the screen's; it is drawn at the frame's size.
        m_pixmap = QPixmap::fromImage(Picture(ratio));
        m_pixmap.setDevicePixelRatio(static_cast<qreal>(m_pixmap.width()) / std::max(1, width()));
        m_pixmapRatio = ratio;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pixmap);
}

Qt::Edges SkinnedFrame::EdgesAt(QPoint position) const {
    Qt::Edges edges;
    if (!m_stretch || window()->isMaximized())
        return edges;
    if (position.x() < ResizeMargin)
        edges |= Qt::LeftEdge;
    if (position.x() >= width() - ResizeMargin)
        edges |= Qt::RightEdge;
    if (position.y() < ResizeMargin)
        edges |= Qt::TopEdge;
    if (position.y() >= height() - ResizeMargin)
        edges |= Qt::BottomEdge;
    return edges;
}

void SkinnedFrame::mousePressEvent(QMouseEvent* event) {
    QWindow* handle = window()->windowHandle();
    const Qt::Edges edges = EdgesAt(event->position().toPoint());
    const bool taken = handle != nullptr &&
                       (edges ? handle->startSystemResize(edges) : (m_startMove && m_startMove(*handle)));
    if (taken) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void SkinnedFrame::mouseMoveEvent(QMouseEvent* event) {
    if (m_stretch)
        setCursor(CursorFor(EdgesAt(event->position().toPoint())));
    QWidget::mouseMoveEvent(event);
}

void SkinnedFrame::mouseDoubleClickEvent(QMouseEvent* event) {
    if (m_doubleClick && event->button() == Qt::LeftButton) {
        m_doubleClick();
        event->accept();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}
