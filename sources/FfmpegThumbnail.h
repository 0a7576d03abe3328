#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A small picture of a video: rows of RGB bytes (3 per pixel, no padding).
struct ThumbnailPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    bool IsEmpty() const { return width <= 0 || height <= 0; }
};

// The first frame of the file's video at or after the given second (the last one decoded when the
// file ends before it), scaled to fit maxWidth x maxHeight with its shape kept. Empty when the file
// is no regular file, has no decodable video or takes longer than a few seconds.
ThumbnailPicture GrabThumbnail(const std::string& path, int64_t seconds, int maxWidth, int maxHeight);
