#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "widgets/BitmapButton.h"

namespace {

// What the button draws over a transparent surface, at one or two device pixels per pixel.
QImage Drawn(BitmapButton& button, qreal ratio) {
    QImage image(button.size() * ratio, QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    button.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

bool HasOlive(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == BitmapButton::TransparentColour)
                return true;
    return false;
}

TEST(Widgets_BitmapButtonTests, EveryPictureDrawsWithOliveTransparentAtBothRatios) {
    for (int index = 0; index < ButtonArtCount; ++index) {
        const auto art = static_cast<ButtonArt>(index);
        BitmapButton button(art);
        for (qreal ratio : {1.0, 2.0}) {
            for (bool down : {false, true}) {
                button.setDown(down);
                const QImage image = Drawn(button, ratio);
                const QPoint corner(0, 0);
                const QPoint middle(image.width() / 2, image.height() / 2);
                EXPECT_EQ(qAlpha(image.pixel(corner)), 0) << int(art) << " at " << ratio;
                EXPECT_EQ(qAlpha(image.pixel(middle)), 255) << int(art) << " at " << ratio;
                EXPECT_FALSE(HasOlive(image)) << int(art) << " at " << ratio;
            }
        }
    }
}

TEST(Widgets_BitmapButtonTests, ShowsTheHotPictureUnderTheMouseAndTheDownPictureWhilePressed) {
    QWidget window;
    window.resize(200, 100);
    BitmapButton* button = MakeBitmapButton(&window, "btnConvert", ButtonArt::Convert, "Convert", "Ctrl + S");
    button->move(40, 30);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(button->objectName(), "btnConvert");
    EXPECT_EQ(button->accessibleName(), "Convert");
    EXPECT_EQ(button->toolTip(), "Ctrl + S");
    EXPECT_EQ(button->size(), QSize(110, 40));

    const QImage up = Drawn(*button, 1.0);
    EXPECT_EQ(button->ShownPicture(), 0);
    QTest::mouseMove(&window, QPoint(5, 5));
    QTest::mouseMove(button, button->rect().center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return button->ShownPicture() == 1; }));
    const QImage hot = Drawn(*button, 1.0);

    QSignalSpy clicks(button, &BitmapButton::clicked);
    QTest::mousePress(button, Qt::LeftButton, {}, button->rect().center());
    EXPECT_EQ(button->ShownPicture(), 2);
    const QImage down = Drawn(*button, 1.0);
    QTest::mouseRelease(button, Qt::LeftButton, {}, button->rect().center());
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_NE(up, hot);
    EXPECT_NE(hot, down);
    EXPECT_NE(up, down);
}

} // namespace
