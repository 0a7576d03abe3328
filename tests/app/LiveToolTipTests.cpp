// An item view's open tooltip follows its cell's text.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QStandardItemModel>
#include <QTest>
#include <QToolTip>
#include <QTreeView>

#include "app/LiveToolTip.h"

namespace {

// The cell's text changes while its tooltip is open: Refresh() shows the new text. A tooltip that
// another widget shows meanwhile is left alone.
TEST(App_LiveToolTipTests, AnOpenToolTipShowsTheCellsNewText) {
    QWidget window;
    window.setAccessibleName("Rows");
    QTreeView view(&window);
    view.setAccessibleName("Rows");
    QLabel other("Other", &window);
    other.setAccessibleName("Other");
    other.move(0, 200);
    QStandardItemModel model(1, 1);
    model.setData(model.index(0, 0), "about 10 MB (estimating...)", Qt::ToolTipRole);
    view.setModel(&model);
    LiveToolTip live(view);
    window.resize(300, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const auto hover = [](QWidget& widget, QPoint at) {
        QHelpEvent event(QEvent::ToolTip, at, widget.mapToGlobal(at));
        QCoreApplication::sendEvent(&widget, &event);
    };

    hover(*view.viewport(), view.visualRect(model.index(0, 0)).center());
    ASSERT_TRUE(QToolTip::isVisible());
    model.setData(model.index(0, 0), "about 7 MB", Qt::ToolTipRole);
    live.Refresh();
    EXPECT_EQ(QToolTip::text(), "about 7 MB");

    QToolTip::showText(other.mapToGlobal(QPoint(1, 1)), "Another tip", &other);
    model.setData(model.index(0, 0), "about 8 MB", Qt::ToolTipRole);
    live.Refresh();
    EXPECT_EQ(QToolTip::text(), "Another tip");
    QToolTip::hideText();
}

} // namespace
