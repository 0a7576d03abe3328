#pragma once

#include <functional>
#include <vector>

#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QWidget>

#include "widgets/PictureStretch.h"

class QWindow;

// The region of a picture's kept pixels (see OutlineRects): the outline of a window cut from it.
QRegion OutlineRegion(const QImage& picture);

// The client area of a frameless, shaped window: it draws the background picture, gives the window
// the picture's outline, and a press of any mouse button on it (or on a child that leaves the press
// to it, such as a label) starts the platform's own window move. It carries the skin's style sheet,
// so the skin reaches the controls drawn on the picture and no window opened over it.
//
// A frame that may grow draws the picture stretched as its owner says for each size (SetStretch),
// cuts the window to the stretched picture's outline, starts the platform's window resize on a
// press near its edges and runs the double-click handler on a double click of the picture.
class SkinnedFrame : public QWidget {
    Q_OBJECT

public:
    // picture: the name of a skin picture (SkinPicture.h).
    SkinnedFrame(const QString& picture, QWidget* parent = nullptr);

    // The window's outline at the frame's size.
    const QRegion& Outline();
    // Cuts the top-level window that holds this frame to the outline; from then on the cut follows
    // the frame's size.
    void ApplyOutline();

    // How the picture is stretched to a size larger than its own; the frame then grows.
    using Stretch = std::function<std::vector<StretchBand>(QSize size)>;
    void SetStretch(Stretch stretch);

    // Starts the window move; by default QWindow::startSystemMove. Its result tells whether the
    // platform took over the move.
    using MoveStarter = std::function<bool(QWindow&)>;
    void SetMoveStarter(MoveStarter starter) { m_startMove = std::move(starter); }
    void SetDoubleClickHandler(std::function<void()> handler) { m_doubleClick = std::move(handler); }

    // The picture at the frame's size, drawn for the given device pixel ratio.
    QImage Picture(qreal devicePixelRatio) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    Qt::Edges EdgesAt(QPoint position) const;

    QString m_picture;
    QSize m_pictureSize;
    QPixmap m_pixmap;
    qreal m_pixmapRatio = 0;
    QRegion m_outline;
    bool m_outlineComputed = false;
    bool m_outlineApplied = false;
    Stretch m_stretch;
    MoveStarter m_startMove;
    std::function<void()> m_doubleClick;
};
