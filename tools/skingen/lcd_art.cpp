// Everything drawn on the LCD glass: the seven-segment digits, the title font
// and the indicator sprites.
#include <algorithm>
#include <stdexcept>

#include "skin_art.h"

using namespace palette;

namespace {

// Segment bits a b c d e f g (top, upper right, lower right, bottom, lower
// left, upper left, middle) of the digits 0 to 9.
constexpr uint8_t kSegments[10] = {0x3f, 0x06, 0x5b, 0x4f, 0x66, 0x6d, 0x7d, 0x07, 0x7f, 0x6f};

// A seven-segment digit as a mask. Thick segments taper at their ends, so
// they meet at the corners with the small gaps of a real LCD.
Mask segment_digit(int digit, int w, int h, bool thick) {
    Mask m{w, h, std::vector<std::string>(static_cast<size_t>(h), std::string(static_cast<size_t>(w), '.'))};
    auto put = [&](int x, int y) { m.rows[static_cast<size_t>(y)][static_cast<size_t>(x)] = '#'; };
    auto hline = [&](int y, int x0, int x1) {
        for (int x = x0; x <= x1; ++x) put(x, y);
    };
    auto vline = [&](int x, int y0, int y1) {
        for (int y = y0; y <= y1; ++y) put(x, y);
    };
    const int mid = (h - 1) / 2;
    const uint8_t s = kSegments[digit];
    const int r = w - 1, b = h - 1;
    if (digit == 1) {
        // Segments b and c alone read as a colon in a line of text (and a
        // joined stroke as a bar): one stroke, its ends tapered as the
        // segments', with a flag at its top.
        vline(r, 1, b - 1);
        if (thick) vline(r - 1, 2, b - 2), put(r - 2, 2), put(r - 3, 3);
        else put(r - 1, 2), put(r - 2, 3);
        return m;
    }
    if (thick) {
        if (s & 0x01) hline(0, 1, r - 1), hline(1, 2, r - 2);
        if (s & 0x02) vline(r, 1, mid - 1), vline(r - 1, 2, mid - 2);
        if (s & 0x04) vline(r, mid + 1, b - 1), vline(r - 1, mid + 2, b - 2);
        if (s & 0x08) hline(b, 1, r - 1), hline(b - 1, 2, r - 2);
        if (s & 0x10) vline(0, mid + 1, b - 1), vline(1, mid + 2, b - 2);
        if (s & 0x20) vline(0, 1, mid - 1), vline(1, 2, mid - 2);
        if (s & 0x40) hline(mid - 1, 2, r - 2), hline(mid, 1, r - 1), hline(mid + 1, 2, r - 2);
    } else {
        if (s & 0x01) hline(0, 1, r - 1);
        if (s & 0x02) vline(r, 1, mid - 1);
        if (s & 0x04) vline(r, mid + 1, b - 1);
        if (s & 0x08) hline(b, 1, r - 1);
        if (s & 0x10) vline(0, mid + 1, b - 1);
        if (s & 0x20) vline(0, 1, mid - 1);
        if (s & 0x40) hline(mid, 1, r - 1);
    }
    return m;
}

// The glyph in a cell of the title font: rows 0 and 1 the letters, row 2
// the characters 33 to 45, row 3 the rest; empty for the unused last cell.
std::string title_glyph_name(int row, int column) {
    static const char* row3[] = {".", "/", ":", ";", "?", "|", "Auml", "Aring", "AElig", "Ccedil", "Eacute", "Ouml"};
    if (row < 2) return std::string(1, static_cast<char>('A' + row * 13 + column));
    if (row == 2) return std::string(1, static_cast<char>(33 + column));
    return column < 12 ? row3[column] : "";
}

}  // namespace

Image make_digits(const ArtBook&) {
    Image img(139, 55, kGlass);
    for (int d = 0; d < 10; ++d) {
        // Wide: 11 x 12 in a 13 x 13 cell. Narrow: 6 x 11 from row 1 of a
        // 7 x 13 cell, so the title font (which skips row 0) shows it whole.
        // Tiny: 5 x 7, the shade-mode title digits. A cell that changes
        // between one wide and two narrow digits is overwritten by either
        // without leftovers: the narrow pair covers every lit row of a wide
        // digit, and the wide digit covers the narrow pair's lit columns.
        const Mask wide = segment_digit(d, 11, 12, true);
        const Mask narrow = segment_digit(d, 6, 11, true);
        const Mask tiny = segment_digit(d, 5, 7, false);
        stamp(img, wide, 14 * d + 1, 0, kLit, kGlass, true, {14 * d, 0, 13, 12});
        stamp(img, wide, 14 * d + 1, 14, kDim, kGlass, true, {14 * d, 14, 13, 12});
        stamp(img, narrow, 8 * d, 29, kLit, kGlass, true, {8 * d, 29, 7, 12});
        stamp(img, narrow, 8 * d, 43, kDim, kGlass, true, {8 * d, 43, 7, 12});
        stamp(img, tiny, 80 + 6 * d, 28, kLit, kGlass, false, {80 + 6 * d, 28, 5, 8});
    }
    return img;
}

Image make_font(const ArtBook& art) {
    Image img(103, 83, 0);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 13; ++col) {
            const std::string name = title_glyph_name(row, col);
            if (name.empty()) continue;
            stamp(img, art.glyph("large", name), 8 * col, 12 * row, kLit, 0, true, {8 * col, 12 * row, 7, 11});
            stamp(img, art.glyph("small", name), 6 * col, 48 + 9 * row, kLit, 0, false,
                  {6 * col, 48 + 9 * row, 5, 8});
        }
    return img;
}

int word_width(const ArtBook& art, const std::string& text) {
    int w = 0;
    for (char c : text) w += (c == ' ' ? 2 : art.glyph("word", std::string(1, c)).inked_width()) + 1;
    return text.empty() ? 0 : w - 1;
}

void draw_word(Image& image, const ArtBook& art, const std::string& text, int x, int y, Rgb ink, Rgb paper,
               bool glow) {
    for (char c : text) {
        if (c == ' ') {
            x += 3;
            continue;
        }
        const Mask& m = art.glyph("word", std::string(1, c));
        stamp(image, m, x, y, ink, paper, glow, {0, 0, image.width, image.height});
        x += m.inked_width() + 1;
    }
}

void draw_title_text(Image& image, const ArtBook& art, const std::string& text, int x, int y, Rgb ink,
                     Rgb paper, int zoom) {
    for (char c : text) {
        if (c == ' ') {
            x += 5 * zoom;
            continue;
        }
        const Mask& m = art.glyph("large", std::string(1, c));
        for (int j = 0; j < m.height; ++j)
            for (int i = 0; i < m.width; ++i)
                if (m.level(i, j)) image.fill(x + i * zoom, y + j * zoom, zoom, zoom, m.level(i, j) == 2 ? ink : mix(paper, ink, 0.5));
        x += 9 * zoom;
    }
}

namespace {

// A word in a thin rounded frame, for the play-mode indicators.
void framed_word(Image& img, const ArtBook& art, const std::string& text, int x, int y, Rgb ink) {
    const Rgb frame = mix(kGlass, ink, 0.55);
    for (int i = 1; i < 53; ++i) img.set(x + i, y, frame), img.set(x + i, y + 8, frame);
    for (int j = 1; j < 8; ++j) img.set(x, y + j, frame), img.set(x + 53, y + j, frame);
    draw_word(img, art, text, x + (54 - word_width(art, text)) / 2, y + 2, ink, kGlass, false);
}

// A timer-mode word in its piece of the sheet, `width` columns from x; the
// lit word's glow stays inside the piece too.
void timer_word(Image& img, const ArtBook& art, const std::string& set, const std::vector<std::string>& keys,
                int x, int y, int width, Rgb ink) {
    const int end = x + width;
    for (const std::string& k : keys) {
        const Mask& m = art.glyph(set, k);
        stamp(img, m, x, y + 1, ink, kGlass, ink == kLit, {x, y, std::min(m.width + 1, end - x), 9});
        x += m.inked_width() + 1;
    }
}

void title_button(Image& img, const ArtBook& art, const std::string& glyph, int x, int y, bool pressed) {
    img.fill(x, y, 11, 11, pressed ? rgb(52, 57, 65) : rgb(92, 99, 110));
    bevel(img, x, y, 11, 11, pressed);
    const int o = pressed ? 1 : 0;
    stamp(img, art.glyph("titlebar", glyph), x + 3 + o, y + 3 + o, pressed ? kLit : rgb(228, 232, 238), 0,
          false, {x + 1, y + 1, 9, 9});
}

// Checks that a piece the LCD cuts out of the sheet ends on background
// columns, so a word is never shown with half a letter or a letter cut off.
void check_cut(const Image& img, int x, int y, const char* what, int height = 5, Rgb background = 0) {
    for (int j = 0; j < height; ++j)
        if (img.at(x, y + j) != background) throw std::runtime_error(std::string("piece cuts a letter: ") + what);
}

}  // namespace

Image make_sprites(const ArtBook& art) {
    Image img(133, 66, 0);
    img.fill(0, 0, 109, 29, kGlass);
    const char* modes[] = {"SHUFFLE", "REPEAT", "REPEAT CD"};
    for (int i = 0; i < 3; ++i) {
        framed_word(img, art, modes[i], 0, 10 * i, kLit);
        framed_word(img, art, modes[i], 55, 10 * i, kDim);
    }
    title_button(img, art, "minimize", 110, 0, false);
    title_button(img, art, "minimize", 122, 0, true);
    title_button(img, art, "close", 110, 12, false);
    title_button(img, art, "close", 122, 12, true);

    draw_word(img, art, "DISC", 0, 31, kAmberSoft, 0, false);
    draw_word(img, art, "TRACK", 24, 31, kAmberSoft, 0, false);

    img.fill(0, 38, 128, 9, kGlass);
    struct TimerWord {
        const char* set;
        std::vector<std::string> keys;
        int dim_x, lit_x, width;
    };
    const TimerWord timer_words[] = {{"timer5", {"T", "r", "a", "c", "k"}, 0, 26, 25},
                                     {"timer5", {"C", "D"}, 52, 70, 17},
                                     {"timer7", {"plus"}, 88, 98, 9},
                                     {"timer7", {"minus"}, 108, 118, 9}};
    for (const TimerWord& w : timer_words) {
        timer_word(img, art, w.set, w.keys, w.dim_x, 38, w.width, kDim);
        timer_word(img, art, w.set, w.keys, w.lit_x, 38, w.width, kLit);
        check_cut(img, w.lit_x + w.width, 38, w.keys[0].c_str(), 9, kGlass);
    }

    struct Word {
        const char* text;
        int x, y, width;
    };
    const Word words[] = {{"CONNECTING", 0, 48, 56}, {"DISC FOUND", 57, 48, 56}, {"QUERYING", 0, 54, 46},
                          {"NO MATCH", 47, 54, 44},  {"FAILED", 92, 54, 32},     {"NO NETWORK", 0, 60, 53},
                          {"SUBMITTED", 54, 60, 52}};
    for (const Word& w : words) {
        if (word_width(art, w.text) > w.width) throw std::runtime_error(std::string("too wide: ") + w.text);
        draw_word(img, art, w.text, w.x, w.y, kAmber, 0, false);
    }
    for (const Word& w : words) check_cut(img, w.x + w.width, w.y, w.text);
    check_cut(img, 38, 48, "CONNECT");      // CONNECT is 0..37
    check_cut(img, 32, 48, "TING");         // TING starts at 33
    check_cut(img, 79, 48, "DISC");         // DISC is 57..78
    check_cut(img, 54 + 35, 60, "SUBMIT");  // SUBMIT is 54..88
    return img;
}
