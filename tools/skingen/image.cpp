#include "image.h"

#include <algorithm>
#include <cmath>

Rgb mix(Rgb a, Rgb b, double t) {
    auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return rgb(channel(red(a), red(b)), channel(green(a), green(b)), channel(blue(a), blue(b)));
}

Rgb scale(Rgb c, double f) {
    auto channel = [f](int x) { return std::clamp(static_cast<int>(std::lround(x * f)), 0, 255); };
    return rgb(channel(red(c)), channel(green(c)), channel(blue(c)));
}

void Image::fill(int x, int y, int w, int h, Rgb c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) set(i, j, c);
}

void Image::paste(const Image& src, int x, int y) { paste(src, 0, 0, src.width, src.height, x, y); }

void Image::paste(const Image& src, int sx, int sy, int w, int h, int x, int y) {
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (src.inside(sx + i, sy + j)) set(x + i, y + j, src.at(sx + i, sy + j));
}

Image Image::crop(int x, int y, int w, int h) const {
    Image out(w, h);
    out.paste(*this, x, y, w, h, 0, 0);
    return out;
}

double Noise::next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 23) - 1.0;
}
