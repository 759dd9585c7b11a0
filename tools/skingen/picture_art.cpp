// Pictures: the bouncing logo, the About picture and the icons.
#include <cmath>
#include <functional>
#include <optional>

#include "skin_art.h"

using namespace palette;

namespace {

constexpr double kPi = 3.14159265358979323846;

Rgb hue(double h) {  // h in [0, 1): a soft rainbow for the disc's sheen
    auto channel = [h](double offset) {
        const double v = 0.5 + 0.5 * std::cos(2 * kPi * (h + offset));
        return static_cast<int>(std::lround(80 + 175 * v));
    };
    return rgb(channel(0), channel(2.0 / 3), channel(1.0 / 3));
}

// The silver face of a disc at (dx, dy) from its centre, radius 1.
Rgb disc_face(double dx, double dy) {
    const double r = std::sqrt(dx * dx + dy * dy);
    const double angle = std::atan2(dy, dx) / (2 * kPi) + 0.5;
    const double shine = 0.5 + 0.5 * std::cos(4 * kPi * angle + 0.6);
    Rgb c = mix(rgb(150, 160, 172), rgb(236, 240, 246), shine);
    c = mix(c, hue(std::fmod(angle * 2 + r * 0.6, 1.0)), 0.28 + 0.15 * r);
    if (r > 0.93) c = mix(c, rgb(96, 104, 116), 0.6);
    if (r < 0.36) c = mix(rgb(196, 204, 214), rgb(120, 130, 142), (r - 0.2) / 0.16);
    return c;
}

using Painter = std::function<std::optional<Rgb>(double x, double y)>;

// Renders a painter over the unit square with 4 x 4 samples per pixel.
IconImage render(int size, const Painter& paint) {
    IconImage out{Image(size, size), std::vector<uint8_t>(static_cast<size_t>(size) * size)};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int covered = 0, r = 0, g = 0, b = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    auto c = paint((x + (sx + 0.5) / 4) / size, (y + (sy + 0.5) / 4) / size);
                    if (!c) continue;
                    ++covered;
                    r += red(*c), g += green(*c), b += blue(*c);
                }
            if (covered) out.colour.set(x, y, rgb(r / covered, g / covered, b / covered));
            out.alpha[static_cast<size_t>(y) * size + x] = static_cast<uint8_t>(covered * 255 / 16);
        }
    return out;
}

std::optional<Rgb> disc(double x, double y, double cx, double cy, double radius) {
    const double dx = (x - cx) / radius, dy = (y - cy) / radius;
    const double r = std::sqrt(dx * dx + dy * dy);
    if (r > 1 || r < 0.2) return std::nullopt;
    if (r > 0.96) return rgb(70, 76, 86);
    return disc_face(dx, dy);
}

bool in_triangle(double x, double y, double x0, double y0, double x1, double y1, double x2, double y2) {
    auto side = [](double ax, double ay, double bx, double by, double px, double py) {
        return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    const double a = side(x0, y0, x1, y1, x, y), b = side(x1, y1, x2, y2, x, y), c = side(x2, y2, x0, y0, x, y);
    return (a >= 0 && b >= 0 && c >= 0) || (a <= 0 && b <= 0 && c <= 0);
}

bool in_box(double x, double y, double x0, double y0, double x1, double y1) {
    return x >= x0 && x < x1 && y >= y0 && y < y1;
}

std::optional<Rgb> badge(double x, double y, bool playing) {
    // A dark round badge at the lower right with a play or pause sign.
    const double dx = x - 0.7, dy = y - 0.7, r = std::sqrt(dx * dx + dy * dy);
    if (r > 0.29) return std::nullopt;
    if (r > 0.25) return rgb(12, 16, 18);
    if (playing) {
        if (in_triangle(x, y, 0.62, 0.56, 0.62, 0.84, 0.84, 0.70)) return kLit;
    } else if (in_box(x, y, 0.58, 0.57, 0.66, 0.83) || in_box(x, y, 0.74, 0.57, 0.82, 0.83)) {
        return kAmber;
    }
    return rgb(24, 40, 38);
}

std::optional<Rgb> folder(double x, double y, bool open) {
    const Rgb back = rgb(176, 122, 40), front = rgb(240, 184, 84), edge = rgb(110, 70, 20);
    if (open) {
        if (in_triangle(x, y, 0.16, 0.42, 0.98, 0.42, 0.82, 0.86) || in_triangle(x, y, 0.16, 0.42, 0.82, 0.86, 0.02, 0.86))
            return (y > 0.84 || y < 0.44) ? edge : front;
    } else if (in_box(x, y, 0.04, 0.34, 0.96, 0.86)) {
        return (y > 0.83 || x < 0.07 || x > 0.93) ? edge : mix(front, back, (y - 0.34) * 1.2);
    }
    if (in_box(x, y, 0.04, 0.2, 0.42, 0.36) || in_box(x, y, 0.04, 0.3, 0.9, 0.86)) return back;
    return std::nullopt;
}

std::optional<Rgb> library(double x, double y) {
    // Three jewel cases standing in a row, the front one showing its disc.
    for (int i = 0; i < 3; ++i) {
        const double x0 = 0.04 + 0.14 * i, y0 = 0.08 + 0.06 * (2 - i);
        if (!in_box(x, y, x0, y0, x0 + 0.64, y0 + 0.8)) continue;
        if (i == 0) {
            if (auto d = disc(x, y, x0 + 0.32, y0 + 0.4, 0.26)) return d;
            const bool rim = x < x0 + 0.04 || x > x0 + 0.6 || y < y0 + 0.04 || y > y0 + 0.76;
            return rim ? rgb(40, 46, 54) : rgb(20, 58, 54);
        }
        const bool rim = x < x0 + 0.04 || y < y0 + 0.04;
        return rim ? rgb(150, 160, 172) : rgb(36, 42, 50);
    }
    return std::nullopt;
}

std::optional<Rgb> icon_pixel(int id, double x, double y) {
    switch (id) {
        case 136: return disc(x, y, 0.5, 0.5, 0.48);
        case 180:
        case 181:
            if (auto b = badge(x, y, id == 180)) return b;
            return disc(x, y, 0.44, 0.44, 0.42);
        case 176: return library(x, y);
        case 177: return folder(x, y, false);
        case 183: return folder(x, y, true);
        case 178: return disc(x, y, 0.5, 0.5, 0.42);
    }
    return std::nullopt;
}

}  // namespace

std::vector<IconImage> make_icon(int id) {
    std::vector<IconImage> out;
    for (int size : {32, 16}) out.push_back(render(size, [id](double x, double y) { return icon_pixel(id, x, y); }));
    return out;
}

Image make_logo(const ArtBook& art) {
    // On black, because the logo is ORed onto the glass: a spinning-disc
    // emblem, dimmed so that the name in front of it carries the light.
    Image img(81, 62, 0);
    for (int y = 0; y < 62; ++y)
        for (int x = 0; x < 81; ++x) {
            int covered = 0, r = 0, g = 0, b = 0;
            for (int s = 0; s < 16; ++s) {
                const double px = x + (s % 4 + 0.5) / 4, py = y + (s / 4 + 0.5) / 4;
                auto c = disc(px, py, 40.5, 31, 30.5);
                if (!c) continue;
                ++covered;
                r += red(*c), g += green(*c), b += blue(*c);
            }
            if (covered) img.set(x, y, scale(rgb(r / 16, g / 16, b / 16), 0.6));
        }
    // The name in front, lit from above: white at the top fading into the
    // LCD colour, with a black rim that lets the glass show around it.
    Image name(81, 62, 0);
    int x = 16;
    for (const char* letter : {"B", "R", "D"}) {
        const Mask& m = art.glyph("logo", letter);
        for (int j = 0; j < m.height; ++j)
            for (int i = 0; i < m.width; ++i)
                if (m.level(i, j)) name.set(x + i, 23 + j, mix(rgb(236, 255, 250), scale(kLit, 0.8), j / 15.0));
        x += 17;
    }
    for (int y = 0; y < 62; ++y)
        for (int x2 = 0; x2 < 81; ++x2) {
            bool near = false;
            for (int j = -1; j <= 1 && !near; ++j)
                for (int i = -1; i <= 1 && !near; ++i)
                    near = name.inside(x2 + i, y + j) && name.at(x2 + i, y + j) != 0;
            if (near) img.set(x2, y, 0);
        }
    for (int y = 0; y < 62; ++y)
        for (int x2 = 0; x2 < 81; ++x2)
            if (name.at(x2, y)) img.set(x2, y, name.at(x2, y));
    return img;
}

Image make_about(const ArtBook& art) {
    Image img(333, 102);
    metal(img, 0, 0, 333, 102, kMetalTop, kMetalBottom, 41);
    bevel(img, 0, 0, 333, 102, false);
    // A glass panel like the player's own display, with the logo on it.
    for (int ring = 1; ring <= 2; ++ring) {
        const Rgb tl = ring == 1 ? rgb(6, 8, 10) : rgb(40, 44, 50);
        const Rgb br = ring == 1 ? rgb(24, 28, 32) : rgb(150, 158, 170);
        for (int x = 8 - ring; x <= 324 + ring; ++x) img.set(x, 8 - ring, tl), img.set(x, 93 + ring, br);
        for (int y = 8 - ring; y <= 93 + ring; ++y) img.set(8 - ring, y, tl), img.set(324 + ring, y, br);
    }
    img.fill(8, 8, 317, 86, kGlass);
    const Image logo = make_logo(art);
    for (int y = 0; y < 62; ++y)
        for (int x = 0; x < 81; ++x) {
            const Rgb a = img.at(14 + x, 20 + y), b = logo.at(x, y);
            img.set(14 + x, 20 + y, rgb(red(a) | red(b), green(a) | green(b), blue(a) | blue(b)));
        }
    draw_title_text(img, art, "BRD", 110, 14, kLit, kGlass, 3);
    draw_title_text(img, art, "AUDIO CD PLAYER", 110, 62, mix(kGlass, kLit, 0.7), kGlass, 1);
    return img;
}
