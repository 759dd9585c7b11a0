#include "display/lcd_layout.h"

#include <gtest/gtest.h>

using V = std::vector<SpriteBlit>;

TEST(HitTest, EveryElementAndItsEdges) {
    struct Case { int (*hit)(int, int); int x, y, want; };
    const Case cases[] = {
        {HitCaption, 100, 0, 0}, {HitCaption, 100, 1, 1}, {HitCaption, 0, 14, 1}, {HitCaption, 100, 15, 0},
        {HitTitleButton, 265, 3, kHitMinimize}, {HitTitleButton, 275, 14, kHitMinimize},
        {HitTitleButton, 264, 8, 0}, {HitTitleButton, 276, 8, 0}, {HitTitleButton, 280, 3, kHitClose},
        {HitTitleButton, 290, 14, kHitClose}, {HitTitleButton, 291, 8, 0}, {HitTitleButton, 270, 2, 0},
        {HitTitleButton, 285, 15, 0},
        // Plus / minus column 100 <= x < 111, Track / CD column 116 <= x < 143, rows 27 to 47.
        {HitTimerMode, 99, 30, 0}, {HitTimerMode, 100, 27, kHitElapsed}, {HitTimerMode, 100, 26, 0},
        {HitTimerMode, 110, 36, kHitElapsed}, {HitTimerMode, 110, 37, kHitRemaining},
        {HitTimerMode, 110, 47, kHitRemaining}, {HitTimerMode, 110, 48, 0}, {HitTimerMode, 111, 30, 0},
        {HitTimerMode, 115, 40, 0}, {HitTimerMode, 116, 27, kHitTrack}, {HitTimerMode, 142, 36, kHitTrack},
        {HitTimerMode, 142, 37, kHitDisc}, {HitTimerMode, 143, 40, 0},
        // Play mode words 156 <= x <= 210, ten rows each from 20, 32 and 44.
        {HitPlayMode, 155, 25, 0}, {HitPlayMode, 156, 20, 1}, {HitPlayMode, 210, 29, 1}, {HitPlayMode, 211, 25, 0},
        {HitPlayMode, 180, 19, 0}, {HitPlayMode, 180, 30, 0}, {HitPlayMode, 180, 31, 0}, {HitPlayMode, 180, 32, 2},
        {HitPlayMode, 180, 41, 2}, {HitPlayMode, 180, 42, 0}, {HitPlayMode, 180, 44, 4}, {HitPlayMode, 180, 53, 4},
        {HitPlayMode, 180, 54, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.hit(c.x, c.y), c.want) << "(" << c.x << ", " << c.y << ")";
}

// What the GDI readout test draws (100:05, TimerType 1, PlayType 5, DISC FOUND) is not repeated here.
TEST(LcdSprites, DigitsModesWordsButtonsAndBanners) {
    // Below ten one wide digit, one pixel in; from ten two narrow ones. Unlit rows lie below lit ones.
    EXPECT_EQ(number_blits(19, 29, 7, false), (V{{20, 30, 13, 13, 98, 14}}));
    EXPECT_EQ(number_blits(4, 4, 99, false), (V{{4, 4, 7, 13, 72, 42}, {11, 4, 7, 13, 72, 42}}));
    std::vector<int> time;
    for (const TimeCell& c : time_cells(3725)) time.push_back(c.value);
    EXPECT_EQ(time, (std::vector{6, 2, 0, 5}));
    // Track, CD, plus, minus for TimerType 0 to 3 (bit 0 disc, bit 1 remaining); REPEAT CD, REPEAT,
    // SHUFFLE for PlayType bits: lit from column 0, unlit from 55.
    const std::vector<int> sources[] = {{26, 52, 98, 108}, {0, 70, 98, 108}, {26, 52, 88, 118}, {0, 70, 88, 118}};
    const std::vector<int> lit[] = {{55, 55, 55}, {0, 55, 55}, {55, 0, 55}, {0, 0, 0}, {55, 55, 0}};
    const int32_t bits[] = {0, 1, 2, 7, 4};
    auto src_xs = [](const V& blits) {
        std::vector<int> xs;
        for (const SpriteBlit& b : blits) xs.push_back(b.src_x);
        return xs;
    };
    for (int32_t type = 0; type < 4; ++type) EXPECT_EQ(src_xs(timer_mode_blits(type)), sources[type]) << type;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(src_xs(play_mode_blits(bits[i])), lit[i]) << bits[i];
    const std::pair<int32_t, V> words[] = {
        {0, {}}, {123, {}},
        {501, {{70, 57, 35, 5, 54, 60}, {106, 57, 23, 5, 33, 48}}},
        {555, {{70, 57, 35, 5, 54, 60}, {107, 57, 32, 5, 92, 54}}},
        {599, {{70, 57, 22, 5, 57, 48}, {94, 57, 52, 5, 54, 60}}},
        {666, {{70, 57, 53, 5, 0, 60}}},
        {667, {{70, 57, 38, 5, 0, 48}, {110, 57, 32, 5, 92, 54}}},
        {701, {{70, 57, 56, 5, 0, 48}}}, {702, {{70, 57, 46, 5, 0, 54}}}, {901, {{70, 57, 44, 5, 47, 54}}},
    };
    for (const auto& [code, want] : words) EXPECT_EQ(status_blits(code), want) << code;
    EXPECT_EQ(minimize_button_blit(false), (SpriteBlit{265, 3, 11, 11, 110, 0}));

    // Banner 2 (110 high) in a 200-pixel menu: filler pieces at 110, 141 and 172, the last clipped.
    EXPECT_EQ(menu_banner_blits(2, 0, 0, 200), (V{{0, 0, 22, 110, 24, 0}, {0, 110, 22, 31, 0, 412},
                                                  {0, 141, 22, 31, 0, 412}, {0, 172, 22, 31, 0, 412}}));
    EXPECT_EQ(menu_banner_blits(1, 3, 4, 143), (V{{3, 4, 22, 410, 0, 0}}));  // a short menu: its top only
    // Two pixels of remaining height still get a piece; one does not.
    EXPECT_EQ(menu_banner_blits(2, 0, 0, 112).size(), 2u);
    EXPECT_EQ(menu_banner_blits(2, 0, 0, 111).size(), 1u);
    EXPECT_TRUE(menu_banner_blits(3, 0, 0, 500).empty());
}
