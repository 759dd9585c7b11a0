// The metal case: window backgrounds, transport buttons, slider, track cells
// and the menu banners.
#include <algorithm>
#include <cmath>

#include "skin_art.h"

using namespace palette;

void metal(Image& image, int x, int y, int w, int h, Rgb top, Rgb bottom, uint32_t seed) {
    Noise noise(seed);
    // Brushed grain: each row gets its own small offset, each pixel a finer one.
    std::vector<double> grain(static_cast<size_t>(h));
    for (double& g : grain) g = noise.next() * 0.035;
    for (int j = 0; j < h; ++j) {
        const Rgb base = mix(top, bottom, h > 1 ? static_cast<double>(j) / (h - 1) : 0);
        for (int i = 0; i < w; ++i)
            image.set(x + i, y + j, scale(base, 1.0 + grain[static_cast<size_t>(j)] + noise.next() * 0.012));
    }
}

void bevel(Image& image, int x, int y, int w, int h, bool sunken) {
    const Rgb tl = sunken ? kShadow : kHighlight;
    const Rgb br = sunken ? kHighlight : kShadow;
    for (int i = 0; i < w; ++i) image.set(x + i, y, tl), image.set(x + i, y + h - 1, br);
    for (int j = 0; j < h; ++j) image.set(x, y + j, tl), image.set(x + w - 1, y + j, br);
}

namespace {

// A recess with glass in it: two dark rings outside the glass rectangle.
void glass_well(Image& img, int x, int y, int w, int h) {
    for (int ring = 1; ring <= 2; ++ring) {
        const Rgb tl = ring == 1 ? rgb(6, 8, 10) : rgb(40, 44, 50);
        const Rgb br = ring == 1 ? rgb(24, 28, 32) : rgb(150, 158, 170);
        const int x0 = x - ring, y0 = y - ring, x1 = x + w - 1 + ring, y1 = y + h - 1 + ring;
        for (int i = x0; i <= x1; ++i) img.set(i, y0, tl), img.set(i, y1, br);
        for (int j = y0; j <= y1; ++j) img.set(x0, j, tl), img.set(x1, j, br);
    }
    img.fill(x, y, w, h, kGlass);
}

const char* kButtonGlyph[6][2] = {{"transport11", "eject"}, {"transport12", "prev"}, {"transport12", "next"},
                                  {"transport8", "stop"},    {"transport8", "pause"},  {"transport8", "play"}};

Image button(const ArtBook& art, int index, int state) {
    const int w = (index == 0 || index == 5) ? 29 : 25, h = 24;
    const bool lit = state & 1, pushed = state & 2;
    Image b(w, h);
    metal(b, 0, 0, w, h, pushed ? rgb(78, 84, 94) : rgb(150, 157, 168), pushed ? rgb(100, 107, 118) : rgb(96, 103, 114),
          static_cast<uint32_t>(17 + index));
    // Dark outline with cut corners, then the raised (or pressed) edge inside it.
    for (int i = 1; i < w - 1; ++i) b.set(i, 0, kShadow), b.set(i, h - 1, kShadow);
    for (int j = 1; j < h - 1; ++j) b.set(0, j, kShadow), b.set(w - 1, j, kShadow);
    b.set(0, 0, rgb(60, 65, 73)), b.set(w - 1, 0, rgb(60, 65, 73));
    b.set(0, h - 1, rgb(60, 65, 73)), b.set(w - 1, h - 1, rgb(60, 65, 73));
    if (pushed) {
        for (int i = 1; i < w - 1; ++i) b.set(i, 1, rgb(44, 48, 55));
        for (int j = 1; j < h - 1; ++j) b.set(1, j, rgb(44, 48, 55));
    } else {
        for (int i = 1; i < w - 1; ++i) b.set(i, 1, kHighlight), b.set(i, h - 2, rgb(62, 67, 76));
        for (int j = 1; j < h - 1; ++j) b.set(1, j, kHighlight), b.set(w - 2, j, rgb(62, 67, 76));
    }
    const Mask& glyph = art.glyph(kButtonGlyph[index][0], kButtonGlyph[index][1]);
    const int gx = (w - glyph.width + 1) / 2 + (pushed ? 1 : 0), gy = (h - glyph.height) / 2 + (pushed ? 1 : 0);
    if (lit) {
        stamp(b, glyph, gx, gy, kLit, rgb(60, 110, 100), true, {2, 2, w - 4, h - 4});
    } else {
        stamp(b, glyph, gx, gy, rgb(30, 34, 40), 0, false, {2, 2, w - 4, h - 4});
    }
    return b;
}

constexpr int kButtonX[6] = {0, 30, 56, 82, 108, 134};

void cell(Image& img, int x, int lit, int pressed) {
    const Rgb rim = lit ? mix(kGlass, kLit, 0.85) : mix(kGlass, kDim, 0.75);
    const Rgb inner = lit ? mix(kGlass, kLit, 0.22) : mix(kGlass, kDim, 0.18);
    img.fill(x, 0, 21, 21, kGlass);
    for (int i = 1; i < 20; ++i) img.set(x + i, 0, rim), img.set(x + i, 20, rim);
    for (int j = 1; j < 20; ++j) img.set(x, j, rim), img.set(x + 20, j, rim);
    if (pressed) {
        // Pressed in: the upper and left rims thicken, the face moves up-left
        // with the number (which the grid draws one pixel nearer the corner).
        for (int i = 1; i < 20; ++i) img.set(x + i, 1, rim);
        for (int j = 1; j < 20; ++j) img.set(x + 1, j, rim);
    } else {
        for (int i = 2; i < 19; ++i) img.set(x + i, 1, inner), img.set(x + i, 19, inner);
        for (int j = 2; j < 19; ++j) img.set(x + 1, j, inner), img.set(x + 19, j, inner);
    }
}

void arrow(Image& img, const ArtBook& art, const char* glyph, int x, int y, int look /* 0 normal 1 pressed 2 dimmed */) {
    const Rgb rim = look == 1 ? mix(kGlass, kLit, 0.85) : look == 2 ? mix(kGlass, kDim, 0.4) : mix(kGlass, kDim, 0.75);
    const Rgb ink = look == 2 ? mix(kGlass, kDim, 0.55) : kLit;
    img.fill(x, y, 32, 10, look == 1 ? mix(kGlass, kLit, 0.12) : kGlass);
    for (int i = 1; i < 31; ++i) img.set(x + i, y, rim), img.set(x + i, y + 9, rim);
    for (int j = 1; j < 9; ++j) img.set(x, y + j, rim), img.set(x + 31, y + j, rim);
    stamp(img, art.glyph("arrow", glyph), x + 11 + (look == 1), y + 2 + (look == 1), ink, kGlass, look != 2,
          {x + 1, y + 1, 30, 8});
}

// The case around the controls: a shallow tray the buttons sit in.
void button_tray(Image& img, int x, int y, int w, int h) {
    bevel(img, x, y, w, h, true);
    img.fill(x + 1, y + 1, w - 2, h - 2, rgb(58, 63, 72));
}

void caption(Image& img, int width, int height, const ArtBook& art, bool with_name) {
    metal(img, 0, 0, width, height, rgb(56, 61, 70), kCaption, 5);
    // A small disc at the top left, the handle of the program's menu.
    for (int j = 0; j < 13; ++j)
        for (int i = 0; i < 13; ++i) {
            const double dx = i - 6, dy = j - 6, r = std::sqrt(dx * dx + dy * dy);
            if (r > 6.4) continue;
            Rgb c = mix(rgb(170, 180, 192), rgb(230, 236, 242), std::max(0.0, -(dx + dy) / 12.0));
            if (r < 4.5 && r > 3.5) c = mix(c, kLit, 0.45);
            if (r < 1.6) c = kCaption;
            img.set(2 + i, 1 + j, c);
        }
    if (with_name) {
        int x = 19;
        for (char ch : std::string("BRD")) {
            stamp(img, art.glyph("small", std::string(1, ch)), x, 4, rgb(222, 228, 236), 0, false, {0, 0, width, height});
            x += 6;
        }
    }
    // Grip ridges across the caption between the name and the buttons.
    for (int y = 4; y <= 11; y += 3)
        for (int x = with_name ? 40 : 16; x < 259; ++x) {
            img.set(x, y, rgb(24, 27, 31));
            img.set(x, y + 1, rgb(82, 88, 98));
        }
}

}  // namespace

Image make_buttons(const ArtBook& art) {
    Image img(119, 149, kShadow);
    for (int i = 0; i < 6; ++i) {
        const int w = (i == 0 || i == 5) ? 29 : 25;
        for (int s = 0; s < 4; ++s) img.paste(button(art, i, s), s * (w + 1), 25 * i);
    }
    return img;
}

Image make_slider() {
    Image img(228, 10);
    metal(img, 0, 0, 228, 10, rgb(104, 111, 122), rgb(86, 93, 104), 23);
    // Groove: a dark channel with a faint lit line, like a scale under glass.
    for (int i = 1; i < 195; ++i) {
        img.set(i, 3, rgb(18, 21, 24));
        img.set(i, 4, rgb(10, 23, 20));
        img.set(i, 5, rgb(10, 23, 20));
        img.set(i, 6, rgb(150, 158, 170));
    }
    for (int i = 4; i < 195; i += 12) img.set(i, 8, rgb(58, 63, 72)), img.set(i, 1, rgb(58, 63, 72));
    // Thumb: a raised metal block with a lit centre mark.
    Image thumb(30, 10);
    metal(thumb, 0, 0, 30, 10, rgb(188, 195, 205), rgb(120, 127, 138), 29);
    bevel(thumb, 0, 0, 30, 10, false);
    for (int j = 2; j < 8; ++j) {
        thumb.set(14, j, kLit);
        thumb.set(15, j, kLit);
        thumb.set(13, j, mix(rgb(150, 157, 168), kLit, 0.35));
        thumb.set(16, j, mix(rgb(150, 157, 168), kLit, 0.35));
    }
    for (int x : {5, 8, 21, 24}) {
        for (int j = 3; j < 7; ++j) thumb.set(x, j, rgb(70, 76, 86)), thumb.set(x + 1, j, rgb(214, 220, 228));
    }
    img.paste(thumb, 197, 0);
    return img;
}

Image make_tracks(const ArtBook& art) {
    Image img(109, 43, kGlass);
    cell(img, 0, 1, 0);
    cell(img, 22, 0, 0);
    cell(img, 44, 1, 1);
    cell(img, 66, 0, 1);
    // The exclusion cross, ORed over a cell: red on black.
    img.fill(88, 0, 21, 21, 0);
    for (int t = 3; t <= 17; ++t)
        for (int k = 0; k < 2; ++k) {
            img.set(88 + t + k, t, kRed);
            img.set(88 + 20 - t - k, t, kRed);
        }
    for (int t = 3; t <= 17; ++t)
        for (int dx : {-1, 2}) {
            auto halo = [&](int x, int y) {
                if (img.at(x, y) == 0) img.set(x, y, scale(kRed, 0.3));
            };
            halo(88 + t + dx, t);
            halo(88 + 20 - t - dx + 1, t);
        }
    arrow(img, art, "up", 0, 22, 0);
    arrow(img, art, "down", 33, 22, 0);
    arrow(img, art, "up", 0, 33, 1);
    arrow(img, art, "down", 33, 33, 1);
    arrow(img, art, "up", 66, 22, 2);
    arrow(img, art, "down", 66, 33, 2);
    return img;
}

Image make_main(const ArtBook& art) {
    Image img(295, 160);
    metal(img, 0, 0, 295, 160, kMetalTop, kMetalBottom, 3);
    Image top(295, 16);
    caption(top, 295, 16, art, true);
    img.paste(top, 0, 0);
    // The case's raised outer edge.
    bevel(img, 0, 0, 295, 160, false);

    // The main LCD and its furniture.
    glass_well(img, 7, 18, 206, 90);
    img.fill(7, 18, 206, 1, mix(kGlass, rgb(90, 120, 115), 0.18));  // light catching the glass edge
    for (int x = 10; x <= 209; ++x) {
        if (x < 68 || x > 148) img.set(x, 54, mix(kGlass, kDim, 0.28));
        img.set(x, 81, mix(kGlass, kDim, 0.28));
    }
    // The tracks LCD, where the grid (or the bouncing logo) lives.
    glass_well(img, 218, 19, 70, 136);
    for (int x = 220; x < 286; ++x) img.set(x, 139, mix(kGlass, kDim, 0.28));

    // Slider groove and the transport buttons as they look at rest.
    Image slider = make_slider();
    img.paste(slider, 0, 0, 196, 10, 12, 111);
    button_tray(img, 11, 123, 167, 28);
    Image buttons = make_buttons(art);
    for (int i = 0; i < 6; ++i) {
        const int w = (i == 0 || i == 5) ? 29 : 25;
        img.paste(buttons, 0, 25 * i, w, 24, 13 + kButtonX[i], 125);
    }
    // The maker's badge, engraved into the case.
    draw_title_text(img, art, "BRD", 184, 131, rgb(52, 57, 65), 0, 1);
    draw_title_text(img, art, "BRD", 183, 130, rgb(150, 158, 170), 0, 1);

    Image sprites = make_sprites(art);
    img.paste(sprites, 110, 0, 11, 11, 265, 3);
    img.paste(sprites, 110, 12, 11, 11, 280, 3);
    return img;
}

Image make_shade(const ArtBook& art) {
    Image img(295, 17);
    caption(img, 295, 17, art, false);
    bevel(img, 0, 0, 295, 17, false);
    // Half-size buttons as the shade controls draw them (every other pixel).
    Image buttons = make_buttons(art);
    for (int i = 0; i < 6; ++i) {
        const int w = (i == 0 || i == 5) ? 29 : 25;
        for (int j = 0; j < 12; ++j)
            for (int k = 0; k < w / 2; ++k) img.set(25 + kButtonX[i] / 2 + k, 3 + j, buttons.at(k * 2, 25 * i + j * 2));
    }
    glass_well(img, 109, 4, 109, 11);
    glass_well(img, 223, 3, 38, 12);
    Image sprites = make_sprites(art);
    img.paste(sprites, 110, 0, 11, 11, 265, 3);
    img.paste(sprites, 110, 12, 11, 11, 280, 3);
    return img;
}

namespace {

void banner(Image& img, const ArtBook& art, int x, int height, bool tagline) {
    for (int j = 0; j < height; ++j) {
        const Rgb c = mix(rgb(22, 64, 58), rgb(8, 16, 15), std::min(1.0, j / 140.0));
        img.fill(x, j, 22, 1, c);
        img.set(x + 21, j, rgb(4, 8, 8));
    }
    // Text reads top to bottom, rotated a quarter turn clockwise, so that a
    // short menu still shows it.
    auto rotated = [&](const Mask& m, int top, Rgb ink) {
        for (int j = 0; j < m.height; ++j)
            for (int i = 0; i < m.width; ++i)
                if (m.level(i, j)) img.set(x + 16 - j, top + i, ink);
    };
    int y = 8;
    for (char c : std::string("BRD")) {
        rotated(art.glyph("large", std::string(1, c)), y, kLit);
        y += 9;
    }
    if (tagline) {
        y += 6;
        for (char c : std::string("CD PLAYER")) {
            if (c != ' ') {
                const Mask& m = art.glyph("small", std::string(1, c));
                for (int j = 0; j < 7; ++j)
                    for (int i = 0; i < m.width; ++i)
                        if (m.level(i, j)) img.set(x + 13 - j, y + i, mix(kGlass, kLit, 0.6));
            }
            y += c == ' ' ? 4 : 6;
        }
    }
}

}  // namespace

Image make_menu_banner(const ArtBook& art) {
    Image img(47, 444, 0);
    banner(img, art, 0, 410, true);
    banner(img, art, 24, 110, false);
    for (int j = 0; j < 31; ++j) {
        img.fill(0, 412 + j, 22, 1, rgb(8, 16, 15));
        img.set(21, 412 + j, rgb(4, 8, 8));
    }
    return img;
}
