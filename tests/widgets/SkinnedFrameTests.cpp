#include <gtest/gtest.h>

#include <QImage>
#include <QRegion>

#include "widgets/SkinPicture.h"
#include "widgets/SkinnedFrame.h"

namespace {

TEST(Widgets_SkinnedFrameTests, OutlineOfTheMainBackgroundCutsItsCornersOnly) {
    const QImage picture = SkinImage("main-background");
    const QRegion outline = OutlineRegion(picture);
    EXPECT_EQ(outline.boundingRect(), picture.rect());
    for (const QPoint corner : {picture.rect().topLeft(), picture.rect().topRight(),
                                picture.rect().bottomLeft(), picture.rect().bottomRight()})
        EXPECT_FALSE(outline.contains(corner)) << corner.x() << "," << corner.y();
    // Nothing else is cut: the picture holds the cut colour nowhere inside its rounded corners.
    const int corner = 14;
    for (const QRect band :
         {picture.rect().adjusted(corner, 0, -corner, 0), picture.rect().adjusted(0, corner, 0, -corner)})
        EXPECT_EQ(outline.intersected(band), QRegion(band));
}

} // namespace
