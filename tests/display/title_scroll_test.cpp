#include "display/title_scroll.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Runs `ticks` worker ticks of the normal font's view (195, gap 113) and returns the offset after each.
std::vector<int> Ticks(ScrollState& s, int width, int32_t style, int ticks) {
    std::vector<int> offsets;
    for (int i = 0; i < ticks; ++i) advance_scroll(s, width, 195, style, 113), offsets.push_back(s.offset);
    return offsets;
}

}  // namespace

TEST(TitleScroll, ATitleThatFitsOrNoScrollingNeverMovesARoundAndRoundOneReturnsAfterWidthPlusGapTicks) {
    for (int32_t style : {kScrollNone, kScrollRoundAndRound, kScrollBackAndForth}) {
        ScrollState s;
        for (int offset : Ticks(s, 195, style, 400)) ASSERT_EQ(offset, 0) << style;
        EXPECT_EQ(repeat_copy_x(195, 0, 195, style, 113), -1);
    }
    ScrollState s{17, 1, 0};
    for (int offset : Ticks(s, 360, kScrollNone, 50)) ASSERT_EQ(offset, 0);
    const std::vector<int> offsets = Ticks(s, 360, kScrollRoundAndRound, 360 + 113);
    for (int i = 0; i + 1 < 360 + 113; ++i) ASSERT_EQ(offsets[static_cast<size_t>(i)], i + 1);
    EXPECT_EQ(offsets.back(), 0);
    // The copy that follows starts 113 pixels after the end of the text, once within a cell of the view.
    EXPECT_EQ(repeat_copy_x(360, 300, 195, kScrollRoundAndRound, 113), 360 - 300 + 113);
    EXPECT_EQ(repeat_copy_x(360, 100, 195, kScrollRoundAndRound, 113), -1);
    EXPECT_EQ(repeat_copy_x(360, 300, 195, kScrollBackAndForth, 113), -1);
}

TEST(TitleScroll, BackAndForthPausesTwentyTicksAtEachEnd) {
    ScrollState s;
    std::vector<int> offsets = Ticks(s, 225, kScrollBackAndForth, 31);
    EXPECT_EQ(offsets.front(), 1);
    EXPECT_EQ(offsets[29], 30);  // the end of the text meets the right edge
    EXPECT_EQ(offsets[30], 30);  // the next tick turns
    for (int offset : Ticks(s, 225, kScrollBackAndForth, 20)) ASSERT_EQ(offset, 30);
    offsets = Ticks(s, 225, kScrollBackAndForth, 31);
    EXPECT_EQ(offsets.front(), 29);
    EXPECT_EQ(offsets[29], 0);
    for (int offset : Ticks(s, 225, kScrollBackAndForth, 20)) ASSERT_EQ(offset, 0);
    EXPECT_EQ(Ticks(s, 225, kScrollBackAndForth, 1)[0], 1);
}

TEST(TitleFont, GlyphsAdvancesAndNewText) {
    // A, B, ', 7 in both fonts are checked on GDI by the title display test.
    struct Case { unsigned char c; bool shade; Glyph want; };
    const Case cases[] = {
        {'m', false, {kGlyphFont, 96, 0}}, {'N', false, {kGlyphFont, 0, 12}}, {'Z', true, {kGlyphFont, 72, 57}},
        {'!', false, {kGlyphFont, 0, 24}}, {'-', false, {kGlyphFont, 96, 24}}, {'.', false, {kGlyphFont, 0, 36}},
        {'/', false, {kGlyphFont, 8, 36}}, {':', false, {kGlyphFont, 16, 36}}, {';', true, {kGlyphFont, 18, 75}},
        {'?', false, {kGlyphFont, 32, 36}}, {'|', false, {kGlyphFont, 40, 36}},
        // Latin-1 letters in either case; E with grave has no glyph.
        {196, false, {kGlyphFont, 48, 36}}, {228, false, {kGlyphFont, 48, 36}}, {197, false, {kGlyphFont, 56, 36}},
        {229, false, {kGlyphFont, 56, 36}}, {198, false, {kGlyphFont, 64, 36}}, {230, false, {kGlyphFont, 64, 36}},
        {199, false, {kGlyphFont, 72, 36}}, {231, false, {kGlyphFont, 72, 36}}, {201, false, {kGlyphFont, 80, 36}},
        {233, false, {kGlyphFont, 80, 36}}, {214, true, {kGlyphFont, 66, 75}}, {246, true, {kGlyphFont, 66, 75}},
        {216, true, {kGlyphFont, 66, 75}}, {248, true, {kGlyphFont, 66, 75}}, {200, false, {kGlyphNone, 0, 0}},
        {' ', false, {kGlyphNone, 0, 0}}, {'@', false, {kGlyphNone, 0, 0}}, {'_', false, {kGlyphNone, 0, 0}},
        {'~', false, {kGlyphNone, 0, 0}}, {'[', false, {kGlyphNone, 0, 0}}, {'\0', false, {kGlyphNone, 0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(GlyphFor(c.c, c.shade), c.want) << int(c.c) << (c.shade ? " shade" : "");
    // Blank cells advance a full cell; space and apostrophe are narrow.
    EXPECT_EQ(text_width("Rock 'n Roll@", false), 10 * 9 + 5 * 3);
    EXPECT_EQ(text_width("Rock 'n Roll", true), 6 * 9 + 3 * 3);
    // A column's character, walked to from any place, or from the start when that is nearer.
    const std::string text = "Rock 'n Roll";  // cells from 0, 9, 18, 27, 36, 41, 46, 55, 60, 69, 78, 87
    for (const auto& [from, column, want] : {std::tuple{TextPlace{}, 40, TextPlace{4, 36}}, {{4, 36}, 41, {5, 41}},
             {{11, 87}, 46, {6, 46}}, {{11, 87}, 8, {0, 0}}, {{7, 55}, 500, {11, 87}}, {{99, 5}, 20, {2, 18}}})
        EXPECT_EQ(place_of_column(text, false, from, column), want) << column;
    // Only a new text starts a line again.
    EXPECT_FALSE(line_text_changed(std::string("Abbey Road"), std::string("Abbey Road")));
    EXPECT_TRUE(line_text_changed(std::string("Abbey Road"), std::string("Abbey road")));
    EXPECT_TRUE(line_text_changed(std::nullopt, std::nullopt));
}
