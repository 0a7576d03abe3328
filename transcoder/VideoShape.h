#pragma once

#include <optional>
#include <string>

#include "support/LibavOwners.h"

// The picture a video encoder is fed before the output size applies: the source turned upright by its
// display matrix (as players show it), then passed through the -vf graph.
struct UprightPicture {
    int width = 0;
    int height = 0;
    AVRational sampleAspect{1, 1};
    // The filters that make it: the turn ("" when upright already) and the -vf graph, each ending in ",".
    std::string filters;
};

// The clockwise turn in degrees (0, 90, 180 or 270) that shows the stream's pictures upright.
int UprightTurn(const AVStream& stream);

// Throws TranscodeError for a graph that is more than one chain of the picture filters a conversion
// needs (scaling, cropping, padding, turning, aspect, format, frame rate): no graph may read or write
// files or reach other processes.
void CheckVideoFilter(const std::string& graph);

// The upright picture of the stream, with the graph (if any) applied. Throws TranscodeError when the
// graph does not build for the stream.
UprightPicture ShapeUpright(const AVStream& stream, const std::optional<std::string>& graph);
