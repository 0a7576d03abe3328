#pragma once

#include <cstdint>
#include <memory>
#include <string>

// A private probing context, opened once per adding of files and released at its end.
class ProbeGraph {
public:
    virtual ~ProbeGraph() = default;
    // The file's duration in milliseconds when every audio and video stream can be decoded
    // ("rendered"); 0 on any failure. Bounded in time: a damaged or endless input cannot hang it.
    virtual int64_t RenderDurationMs(const std::string& path) = 0;
};

class MediaProbe {
public:
    virtual ~MediaProbe() = default;
    virtual std::unique_ptr<ProbeGraph> NewGraph() = 0;
};
