#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

// The skin's pictures, rendered from their SVG sources at build time at one, one and a half and two
// device pixels per pixel and compiled into the program.

// The picture drawn one device pixel per pixel: the one an outline is cut from.
QImage SkinImage(const QString& name);

// A rendering of a picture and the scale it was rendered at.
struct SkinArt {
    QImage image;
    qreal scale = 1.0;
};

// The rendering for a screen of the given device pixel ratio: the smallest scale that is at least
// the ratio (the largest above all of them), so the picture is drawn from art of the screen's scale
// or shrunk from a larger one, never blown up.
SkinArt SkinArtFor(const QString& name, qreal devicePixelRatio);

// The same as a pixmap whose device pixel ratio is set so that it paints at the size of the 1x
// picture.
QPixmap SkinPixmap(const QString& name, qreal devicePixelRatio);

// The style sheet that gives the standard controls (lists, edit boxes, check boxes, the grid,
// progress bars, tooltips) the skin's colours. It is set on the skinned frame of a window, never on
// a window itself, so that dialogs opened over a skinned window keep their own readable colours.
QString SkinStyleSheet();
