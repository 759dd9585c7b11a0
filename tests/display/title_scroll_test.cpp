#include "display/title_scroll.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const TitleFont kNormal = title_font(false);

// Runs `ticks` worker ticks and returns the offset after each.
std::vector<int> Ticks(ScrollState& s, int width, int32_t style, int ticks) {
    std::vector<int> offsets;
    for (int i = 0; i < ticks; ++i) {
        advance_scroll(s, width, kNormal.view_width, style, kNormal.gap);
        offsets.push_back(s.offset);
    }
    return offsets;
}

}  // namespace

TEST(TitleScroll, ATitleThatFitsNeverMoves) {
    const std::string title(20, 'X');
    const int width = text_width(title, false);
    EXPECT_EQ(width, 180);
    for (int32_t style : {kScrollNone, kScrollRoundAndRound, kScrollBackAndForth}) {
        ScrollState s;
        for (int offset : Ticks(s, width, style, 400)) ASSERT_EQ(offset, 0) << style;
        EXPECT_EQ(repeat_copy_x(width, 0, kNormal.view_width, style, kNormal.gap), -1);
    }
}

TEST(TitleScroll, NoneKeepsTheStartOfAWideTitleInView) {
    ScrollState s{17, 1, 0};
    for (int offset : Ticks(s, 360, kScrollNone, 50)) ASSERT_EQ(offset, 0);
}

TEST(TitleScroll, RoundAndRoundReturnsAfterWidthPlusGapTicks) {
    const int width = text_width(std::string(40, 'R'), false);
    ASSERT_EQ(width, 360);
    ScrollState s;
    const std::vector<int> offsets = Ticks(s, width, kScrollRoundAndRound, width + 113);
    for (int i = 0; i + 1 < width + 113; ++i) ASSERT_EQ(offsets[static_cast<size_t>(i)], i + 1);
    EXPECT_EQ(offsets.back(), 0);

    // The copy that follows starts 113 pixels after the end of the text.
    EXPECT_EQ(repeat_copy_x(width, 300, 195, kScrollRoundAndRound, 113), 360 - 300 + 113);
    // Out of view (beyond the view plus one cell) there is no copy yet.
    EXPECT_EQ(repeat_copy_x(width, 100, 195, kScrollRoundAndRound, 113), -1);
    EXPECT_EQ(repeat_copy_x(width, 300, 195, kScrollBackAndForth, 113), -1);
}

TEST(TitleScroll, BackAndForthPausesTwentyTicksAtEachEnd) {
    const int width = kNormal.view_width + 30;
    ScrollState s;
    std::vector<int> offsets = Ticks(s, width, kScrollBackAndForth, 30);
    EXPECT_EQ(offsets.front(), 1);
    EXPECT_EQ(offsets.back(), 30);  // the end of the text meets the right edge
    // The next tick finds the end and turns; then 20 ticks without a move.
    offsets = Ticks(s, width, kScrollBackAndForth, 1);
    EXPECT_EQ(offsets[0], 30);
    EXPECT_EQ(s.direction, -1);
    for (int offset : Ticks(s, width, kScrollBackAndForth, 20)) ASSERT_EQ(offset, 30);
    offsets = Ticks(s, width, kScrollBackAndForth, 30);
    EXPECT_EQ(offsets.front(), 29);
    EXPECT_EQ(offsets.back(), 0);
    // At the start the same pause, then forwards again.
    Ticks(s, width, kScrollBackAndForth, 1);
    EXPECT_EQ(s.direction, 1);
    for (int offset : Ticks(s, width, kScrollBackAndForth, 20)) ASSERT_EQ(offset, 0);
    EXPECT_EQ(Ticks(s, width, kScrollBackAndForth, 1)[0], 1);
}

TEST(TitleScroll, SameTextAgainIsNoChange) {
    using T = std::optional<std::string>;
    EXPECT_FALSE(line_text_changed(T{"Abbey Road"}, T{"Abbey Road"}));
    EXPECT_FALSE(line_text_changed(T{""}, T{""}));
    EXPECT_TRUE(line_text_changed(T{"Abbey Road"}, T{"Abbey road"}));
    EXPECT_TRUE(line_text_changed(std::nullopt, T{"x"}));
    EXPECT_TRUE(line_text_changed(T{"x"}, std::nullopt));
    EXPECT_TRUE(line_text_changed(std::nullopt, std::nullopt));
}

TEST(TitleFontGlyphs, LettersDigitsAndPunctuation) {
    EXPECT_EQ(GlyphFor('A', false), (Glyph{kGlyphFont, 0, 0}));
    EXPECT_EQ(GlyphFor('m', false), (Glyph{kGlyphFont, 96, 0}));
    EXPECT_EQ(GlyphFor('N', false), (Glyph{kGlyphFont, 0, 12}));
    EXPECT_EQ(GlyphFor('Z', true), (Glyph{kGlyphFont, 72, 48 + 9}));
    EXPECT_EQ(GlyphFor('!', false), (Glyph{kGlyphFont, 0, 24}));
    EXPECT_EQ(GlyphFor('-', false), (Glyph{kGlyphFont, 96, 24}));
    EXPECT_EQ(GlyphFor('.', false), (Glyph{kGlyphFont, 0, 36}));
    EXPECT_EQ(GlyphFor('/', false), (Glyph{kGlyphFont, 8, 36}));
    EXPECT_EQ(GlyphFor(':', false), (Glyph{kGlyphFont, 16, 36}));
    EXPECT_EQ(GlyphFor(';', true), (Glyph{kGlyphFont, 18, 48 + 27}));
    EXPECT_EQ(GlyphFor('?', false), (Glyph{kGlyphFont, 32, 36}));
    EXPECT_EQ(GlyphFor('|', false), (Glyph{kGlyphFont, 40, 36}));
    EXPECT_EQ(GlyphFor('7', false), (Glyph{kGlyphDigit, 56, 28}));
    EXPECT_EQ(GlyphFor('7', true), (Glyph{kGlyphDigit, 80 + 42, 28}));
}

TEST(TitleFontGlyphs, Latin1LettersInEitherCase) {
    for (unsigned char c : {196, 228}) EXPECT_EQ(GlyphFor(c, false).src_x, 48);
    for (unsigned char c : {197, 229}) EXPECT_EQ(GlyphFor(c, false).src_x, 56);
    for (unsigned char c : {198, 230}) EXPECT_EQ(GlyphFor(c, false).src_x, 64);
    for (unsigned char c : {199, 231}) EXPECT_EQ(GlyphFor(c, false).src_x, 72);
    for (unsigned char c : {201, 233}) EXPECT_EQ(GlyphFor(c, false).src_x, 80);
    for (unsigned char c : {214, 246, 216, 248}) EXPECT_EQ(GlyphFor(c, true), (Glyph{kGlyphFont, 66, 48 + 27}));
    EXPECT_EQ(GlyphFor(200, false).kind, kGlyphNone);  // E with grave has no glyph
}

TEST(TitleFontGlyphs, BlankCellsAndTheNarrowApostrophe) {
    for (unsigned char c : {' ', '@', '_', '~', '[', '\0'})
        EXPECT_EQ(GlyphFor(c, false).kind, kGlyphNone) << int(c);
    EXPECT_EQ(glyph_advance('@', false), 9);
    EXPECT_EQ(glyph_advance('_', true), 6);
    EXPECT_EQ(GlyphFor('\'', false).kind, kGlyphFont);
    EXPECT_EQ(glyph_advance('\'', false), 5);
    EXPECT_EQ(glyph_advance('\'', true), 3);
    EXPECT_EQ(glyph_advance(' ', false), 5);
    EXPECT_EQ(text_width("Rock 'n Roll", false), 9 * 9 + 5 * 3);
    EXPECT_EQ(text_width("Rock 'n Roll", true), 6 * 9 + 3 * 3);
    EXPECT_EQ(text_width("", false), 0);
}

TEST(ShadeSlot, TheTrackLineOwnsItOnlyWhenNamed) {
    EXPECT_TRUE(owns_shade_slot(true, kShadeTrackLine));
    EXPECT_FALSE(owns_shade_slot(false, kShadeTrackLine));
    EXPECT_TRUE(owns_shade_slot(false, kShadeDiscLine));
    EXPECT_FALSE(owns_shade_slot(true, kShadeDiscLine));
    // Before a disc is set up (0) the disc line has it.
    EXPECT_TRUE(owns_shade_slot(false, 0));
    EXPECT_FALSE(owns_shade_slot(true, 0));
}
