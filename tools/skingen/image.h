#pragma once
// A small RGB raster with the few drawing operations the skin art needs.
#include <cstddef>
#include <cstdint>
#include <vector>

using std::size_t;
using Rgb = uint32_t;  // 0xRRGGBB

constexpr Rgb rgb(int r, int g, int b) {
    return (static_cast<Rgb>(r) << 16) | (static_cast<Rgb>(g) << 8) | static_cast<Rgb>(b);
}
constexpr int red(Rgb c) { return (c >> 16) & 0xff; }
constexpr int green(Rgb c) { return (c >> 8) & 0xff; }
constexpr int blue(Rgb c) { return c & 0xff; }

// Linear mix: t = 0 gives a, t = 1 gives b.
Rgb mix(Rgb a, Rgb b, double t);
// Brightness scaled by f (clamped to 0..255 per channel).
Rgb scale(Rgb c, double f);

struct Image {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;

    Image() = default;
    Image(int w, int h, Rgb fill = 0) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    void set(int x, int y, Rgb c) {
        if (inside(x, y)) pixels[static_cast<size_t>(y) * width + x] = c;
    }
    void fill(int x, int y, int w, int h, Rgb c);
    // Copies the whole of src with its top left at (x, y).
    void paste(const Image& src, int x, int y);
    // Copies a w x h piece of src from (sx, sy) to (x, y).
    void paste(const Image& src, int sx, int sy, int w, int h, int x, int y);
    Image crop(int x, int y, int w, int h) const;
};

// Deterministic noise so that `make skin` gives the same bytes every time.
class Noise {
    uint32_t state_;

public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    // A value in [-1, 1).
    double next();
};
