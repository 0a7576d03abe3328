#pragma once

#include <functional>

#include <QPixmap>
#include <QRegion>
#include <QWidget>

class QWindow;

// The region of a picture's kept pixels (see OutlineRects): the outline of a window cut from it.
QRegion OutlineRegion(const QImage& picture);

// The client area of a frameless, shaped window: it draws the background picture, gives the window
// the picture's outline, and a press of any mouse button on it (or on a child that leaves the press
// to it, such as a label) starts the platform's own window move.
class SkinnedFrame : public QWidget {
    Q_OBJECT

public:
    // picture: the name of a skin picture (SkinPicture.h).
    SkinnedFrame(const QString& picture, QWidget* parent = nullptr);

    // The window's outline, computed from the picture the first time it is asked for.
    const QRegion& Outline();
    // Cuts the top-level window that holds this frame to the outline.
    void ApplyOutline();

    // Starts the window move; by default QWindow::startSystemMove. Its result tells whether the
    // platform took over the move.
    using MoveStarter = std::function<bool(QWindow&)>;
    void SetMoveStarter(MoveStarter starter) { m_startMove = std::move(starter); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString m_picture;
    QPixmap m_pixmap;
    QRegion m_outline;
    bool m_outlineComputed = false;
    MoveStarter m_startMove;
};
