#pragma once

#include <vector>

#include "widgets/WindowOutline.h"

// A window picture drawn larger than it was drawn: the picture is cut into bands of rows, and in
// each band one run of rows and some runs of columns are drawn wider than they are, so what lies
// between them keeps its shape and moves along. Only runs whose pixels repeat along the stretched
// direction (plain fills, straight edges) should be stretched.

// The pixels [begin, end) of one direction take `extra` pixels more.
struct StretchRun {
    int begin = 0;
    int end = 0;
    int extra = 0;
};

// The rows [top, bottom) of the picture; `rows` lies inside them, `columns` from left to right.
struct StretchBand {
    int top = 0;
    int bottom = 0;
    StretchRun rows;
    std::vector<StretchRun> columns;
};

// One piece of the picture and where it is drawn.
struct StretchPiece {
    OutlineRect source;
    OutlineRect target;
};

// The pieces that draw the picture `pictureWidth` wide stretched as the bands say, in picture pixels;
// the bands follow each other from the top. Empty pieces are left out. Each band's columns must lie
// inside the picture and not overlap, and the bands should stretch by the same total, or the drawn
// picture has a ragged right edge.
std::vector<StretchPiece> StretchPieces(int pictureWidth, const std::vector<StretchBand>& bands);
