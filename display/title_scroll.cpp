#include "display/title_scroll.h"

TitleFont title_font(bool shade) {
    return shade ? TitleFont{5, 8, 3, 6, 80, 109} : TitleFont{7, 11, 5, 9, 113, 195};
}

Glyph GlyphFor(unsigned char c, bool shade) {
    const int px = shade ? 6 : 8, py = shade ? 9 : 12, base = shade ? 48 : 0;
    auto font = [&](int column, int row) { return Glyph{kGlyphFont, column * px, base + row * py}; };
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') return font((c - 'A') % 13, (c - 'A') / 13);
    if (c >= '0' && c <= '9') return shade ? Glyph{kGlyphDigit, 80 + 6 * (c - '0'), 28} : Glyph{kGlyphDigit, 8 * (c - '0'), 28};
    if (c >= 33 && c <= 47) return font((c - 33) % 13, (c - 33) / 13 + 2);
    switch (c) {
        case ':': return font(2, 3);
        case ';': return font(3, 3);
        case '?': return font(4, 3);
        case '|': return font(5, 3);
        case 196: case 228: return font(6, 3);  // A with diaeresis
        case 197: case 229: return font(7, 3);  // A with ring
        case 198: case 230: return font(8, 3);  // AE
        case 199: case 231: return font(9, 3);  // C with cedilla
        case 201: case 233: return font(10, 3);  // E with acute
        case 214: case 246: case 216: case 248: return font(11, 3);  // O with diaeresis or stroke
    }
    return {kGlyphNone, 0, 0};
}

int glyph_advance(unsigned char c, bool shade) {
    const TitleFont f = title_font(shade);
    return (c == ' ' || c == '\'') ? f.narrow_advance : f.advance;
}

int text_width(std::string_view text, bool shade) {
    int width = 0;
    for (char c : text) width += glyph_advance(static_cast<unsigned char>(c), shade);
    return width;
}

TextPlace place_of_column(std::string_view text, bool shade, TextPlace from, int column) {
    if (from.index >= text.size() || column < from.x - column) from = {};
    while (from.index > 0 && from.x > column)
        from.x -= glyph_advance(static_cast<unsigned char>(text[--from.index]), shade);
    while (from.index + 1 < text.size()) {
        const int next = from.x + glyph_advance(static_cast<unsigned char>(text[from.index]), shade);
        if (next > column) break;
        from = {from.index + 1, next};
    }
    return from;
}

void advance_scroll(ScrollState& s, int width, int view_width, int32_t style, int gap) {
    if (width <= view_width || style == kScrollNone) {
        s.offset = 0;
        return;
    }
    if (style == kScrollRoundAndRound) {
        if (++s.offset >= width + gap) s.offset = 0;
        return;
    }
    if (style != kScrollBackAndForth) return;
    if (s.pause) {
        if (++s.pause > 20) s.pause = 0;
    } else {
        s.offset += s.direction;
    }
    if (width - s.offset < view_width) {
        s.offset = width - view_width;
        s.direction = -s.direction;
        s.pause = 1;
    } else if (s.offset < 0) {
        s.offset = 0;
        s.direction = -s.direction;
        s.pause = 1;
    }
}

int repeat_copy_x(int width, int offset, int view_width, int32_t style, int gap) {
    if (style != kScrollRoundAndRound || width <= view_width) return -1;
    const int x2 = width - offset + gap;
    return x2 <= view_width + 13 ? x2 : -1;
}

bool owns_shade_slot(bool track_line, int32_t shade_line) {
    return track_line == (shade_line == kShadeTrackLine);
}

bool line_text_changed(const std::optional<std::string>& stored, const std::optional<std::string>& incoming) {
    return !stored || !incoming || *stored != *incoming;
}
