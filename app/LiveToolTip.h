#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QString>

class QAbstractItemView;
class QWidget;

// Keeps an item view's open tooltip current. The view shows a cell's tooltip text as it is when the
// pointer comes to rest; when the text changes later (a size estimate arrives), Refresh() shows the
// cell's new text in its place while that tooltip is still open. The next hover reads the model
// anyway.
class LiveToolTip : public QObject {
public:
    // Watches the view's viewport; a child of the view.
    explicit LiveToolTip(QAbstractItemView& view);

    void Refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView& m_view;
    QWidget* m_viewport;
    QPersistentModelIndex m_index; // the cell whose tooltip was shown last
    QPoint m_globalPos;            // where it was shown
    QString m_shownText;           // what it showed
};
