#pragma once

#include "sources/MediaProbe.h"

#include <cstdint>
#include <string>

// Whole seconds of the file (milliseconds divided by 1000, truncated), rendered in graph; 0 on any
// failure, so a file shorter than one second also gives 0.
int64_t ProbeDuration(const std::string& path, ProbeGraph& graph);
