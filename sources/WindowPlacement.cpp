#include "sources/WindowPlacement.h"

#include <QWidget>

void CentreOnOwner(QWidget& window) {
    const QWidget* owner = window.parentWidget();
    if (!owner)
        return;
    const QRect ownerFrame = owner->window()->frameGeometry();
    const QRect frame = window.frameGeometry();
    // move() places the frame's top left corner.
    window.move(ownerFrame.center() - QPoint((frame.width() - 1) / 2, (frame.height() - 1) / 2));
}
