#include "app/LiveToolTip.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

LiveToolTip::LiveToolTip(QAbstractItemView& view)
    : QObject(&view), m_view(view), m_viewport(view.viewport()) {
    m_viewport->installEventFilter(this);
}

bool LiveToolTip::eventFilter(QObject* watched, QEvent* event) {
    // Only the viewport's own events are looked at: the view may be going when its viewport has
    // its last ones.
    if (event->type() == QEvent::ToolTip && watched == m_viewport) {
        const auto* help = static_cast<QHelpEvent*>(event);
        m_index = m_view.indexAt(help->pos());
        m_globalPos = help->globalPos();
        m_shownText = m_index.isValid() ? m_index.data(Qt::ToolTipRole).toString() : QString();
    }
    return false; // the view shows the tooltip itself
}

void LiveToolTip::Refresh() {
    // Only the tooltip this view showed, not one another widget shows meanwhile.
    if (!m_index.isValid() || !QToolTip::isVisible() || QToolTip::text() != m_shownText)
        return;
    const QString text = m_index.data(Qt::ToolTipRole).toString();
    if (text == m_shownText)
        return;
    m_shownText = text;
    QToolTip::showText(m_globalPos, text, m_viewport, m_view.visualRect(m_index));
}
