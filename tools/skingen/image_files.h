#pragma once
// Writers for the two file formats windres embeds: BI_RGB bitmaps that
// LoadBitmapA reads, and icon files with 32 x 32 and 16 x 16 images.
#include <string>
#include <vector>

#include "image.h"

// 24 bits per pixel.
bool write_bmp24(const std::string& path, const Image& image);
// 8 bits per pixel with a palette of the image's own colours (at most 256).
bool write_bmp8(const std::string& path, const Image& image);

// An icon image: colours plus coverage (0 transparent to 255 opaque); the
// AND mask takes the pixels at least half covered.
struct IconImage {
    Image colour;
    std::vector<uint8_t> alpha;
};
bool write_ico(const std::string& path, const std::vector<IconImage>& images);
