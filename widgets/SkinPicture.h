#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

// The skin's pictures, rendered from their SVG sources at build time at one and at two device
// pixels per pixel and compiled into the program.

// The picture drawn one device pixel per pixel: the one an outline is cut from.
QImage SkinImage(const QString& name);

// The picture for a screen of the given device pixel ratio: the double-size rendering above 1, so
// it stays sharp; its device pixel ratio is set so that it paints at the size of the 1x picture.
QPixmap SkinPixmap(const QString& name, qreal devicePixelRatio);

// The style sheet that gives the standard controls (lists, edit boxes, check boxes, the grid,
// progress bars, tooltips) the skin's colours.
QString SkinStyleSheet();
