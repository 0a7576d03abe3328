#pragma once

#include <vector>

#include <QImage>

// Decodes JPEG bytes with libjpeg into an RGB picture; a null picture when they are no JPEG.
QImage DecodeJpeg(const std::vector<unsigned char>& bytes);
