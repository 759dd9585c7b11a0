#pragma once
// The arithmetic of the two scrolling title lines: which glyph draws a
// character, how wide a rendered text is, and where the view onto the text
// moves on each 40 ms tick. Portable; title_display.cpp does the drawing.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// "NameScrolling".
inline constexpr int32_t kScrollNone = 0, kScrollRoundAndRound = 1, kScrollBackAndForth = 2;

// `ShadeLine`: which title line the one-line shade strip shows.
inline constexpr int32_t kShadeDiscLine = 66, kShadeTrackLine = 99;

inline constexpr int kGlyphNone = 0, kGlyphFont = 1, kGlyphDigit = 2;

// A character's glyph: from SkinFont (kind 1) or SkinDigits (kind 2), with
// its source position; kind 0 leaves a blank cell.
struct Glyph {
    int kind, src_x, src_y;
    bool operator==(const Glyph&) const = default;
};

// Font metrics of one display mode.
struct TitleFont {
    int glyph_width, glyph_height;  // what one character copies (letters)
    int narrow_advance;             // space and apostrophe
    int advance;                    // every other character
    int gap;                        // before the repeated copy in "Round 'n Round"
    int view_width;                 // the visible part of a line
};
TitleFont title_font(bool shade);

Glyph GlyphFor(unsigned char c, bool shade);

// Advance after a character, and the pixel width of a whole rendered text.
int glyph_advance(unsigned char c, bool shade);
int text_width(std::string_view text, bool shade);

// A character of a text and the column where its cell starts.
struct TextPlace {
    size_t index = 0;
    int x = 0;
    bool operator==(const TextPlace&) const = default;
};
// The character whose cell holds `column` (the last one past the end), found
// by walking from `from` or from the start, whichever is nearer: a view that
// moves a little costs a little, however long the text.
TextPlace place_of_column(std::string_view text, bool shade, TextPlace from, int column);

// Per-line state of a worker.
struct ScrollState {
    int offset = 0;     // first text column in view
    int direction = 1;  // +1 or -1 ("Back 'n Forth")
    int pause = 0;      // ticks paused at an end, 0 while moving
};

// Moves the view one tick on. Only a text wider than its view moves, and
// only when a scrolling style is chosen.
void advance_scroll(ScrollState& state, int width, int view_width, int32_t style, int gap);

// Where the repeated copy of the text starts in the view ("Round 'n Round"),
// or -1 when no copy is in view.
int repeat_copy_x(int width, int offset, int view_width, int32_t style, int gap);

// Whether storing `incoming` over `stored` counts as a new text (and so
// restarts the scrolling): always when either is absent, else when they
// differ byte for byte.
bool line_text_changed(const std::optional<std::string>& stored, const std::optional<std::string>& incoming);

// Whether a line owns the single shade-mode slot: the track line when
// `ShadeLine` names it, else the disc line.
bool owns_shade_slot(bool track_line, int32_t shade_line);
