#include "widgets/PictureStretch.h"

namespace {

// A span of one direction: where it lies in the picture and how long it is drawn.
struct Span {
    int begin;
    int length;
    int drawnLength;
};

// The spans of [first, last) with the runs stretched, in order, empty spans left out.
std::vector<Span> SpansOf(int first, int last, const std::vector<StretchRun>& runs) {
    std::vector<Span> spans;
    int at = first;
    const auto add = [&spans](int begin, int end, int extra) {
        if (end - begin + extra > 0 && end > begin)
            spans.push_back({begin, end - begin, end - begin + extra});
    };
    for (const StretchRun& run : runs) {
        if (run.end <= run.begin)
            continue; // an empty run, as a band without stretched rows has
        add(at, run.begin, 0);
        add(run.begin, run.end, run.extra);
        at = run.end;
    }
    add(at, last, 0);
    return spans;
}

} // namespace

std::vector<StretchPiece> StretchPieces(int pictureWidth, const std::vector<StretchBand>& bands) {
    std::vector<StretchPiece> pieces;
    int drawnTop = 0;
    for (const StretchBand& band : bands) {
        const std::vector<Span> rows = SpansOf(band.top, band.bottom, {band.rows});
        const std::vector<Span> columns = SpansOf(0, pictureWidth, band.columns);
        for (const Span& row : rows) {
            int drawnLeft = 0;
            for (const Span& column : columns) {
                pieces.push_back({{column.begin, row.begin, column.length, row.length},
                                  {drawnLeft, drawnTop, column.drawnLength, row.drawnLength}});
                drawnLeft += column.drawnLength;
            }
            drawnTop += row.drawnLength;
        }
    }
    return pieces;
}
