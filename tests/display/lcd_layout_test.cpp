#include "display/lcd_layout.h"

#include <gtest/gtest.h>

TEST(HitTest, EveryElementAndItsEdges) {
    struct Case {
        int (*hit)(int, int);
        int x, y, want;
    };
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
        {HitTimerMode, 142, 37, kHitDisc}, {HitTimerMode, 116, 47, kHitDisc}, {HitTimerMode, 143, 40, 0},
        // Play mode words 156 <= x <= 210, ten rows each from 20, 32 and 44.
        {HitPlayMode, 155, 25, 0}, {HitPlayMode, 156, 20, 1}, {HitPlayMode, 210, 29, 1}, {HitPlayMode, 211, 25, 0},
        {HitPlayMode, 180, 19, 0}, {HitPlayMode, 180, 30, 0}, {HitPlayMode, 180, 31, 0}, {HitPlayMode, 180, 32, 2},
        {HitPlayMode, 180, 41, 2}, {HitPlayMode, 180, 42, 0}, {HitPlayMode, 180, 44, 4}, {HitPlayMode, 180, 53, 4},
        {HitPlayMode, 180, 54, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.hit(c.x, c.y), c.want) << "(" << c.x << ", " << c.y << ")";
}

TEST(LcdSprites, DigitsAndTheTimeReadout) {
    using V = std::vector<SpriteBlit>;
    // Below ten one wide digit, one pixel in; from ten two narrow ones. Unlit rows lie below lit ones.
    EXPECT_EQ(number_blits(19, 29, 7, true), (V{{20, 30, 13, 13, 98, 0}}));
    EXPECT_EQ(number_blits(19, 29, 7, false), (V{{20, 30, 13, 13, 98, 14}}));
    EXPECT_EQ(number_blits(19, 29, 12, true), (V{{19, 29, 7, 13, 8, 28}, {26, 29, 7, 13, 16, 28}}));
    EXPECT_EQ(number_blits(4, 4, 99, false), (V{{4, 4, 7, 13, 72, 42}, {11, 4, 7, 13, 72, 42}}));
    const std::pair<int, std::vector<int>> times[] = {
        {3725, {6, 2, 0, 5}}, {6000, {10, 0, 0, 0}}, {0, {0, 0, 0, 0}}, {59, {0, 0, 5, 9}}};
    for (const auto& [seconds, want] : times) {
        std::vector<int> got;
        for (const TimeCell& c : time_cells(seconds)) got.push_back(c.value);
        EXPECT_EQ(got, want) << seconds;
    }
    const std::vector<TimeCell> cells = time_cells(1);
    EXPECT_EQ((std::vector<int>{cells[0].x, cells[1].x, cells[2].x, cells[3].x}), (std::vector<int>{19, 33, 57, 71}));
}

TEST(LcdSprites, TimerAndPlayModesLightOneWordPerBit) {
    // Track, CD, plus, minus for TimerType 0 to 3 (bit 0 disc, bit 1 remaining).
    const std::vector<int> sources[] = {{26, 52, 98, 108}, {0, 70, 98, 108}, {26, 52, 88, 118}, {0, 70, 88, 118}};
    for (int32_t type = 0; type < 4; ++type) {
        std::vector<int> got;
        for (const SpriteBlit& b : timer_mode_blits(type)) got.push_back(b.src_x);
        EXPECT_EQ(got, sources[type]) << type;
    }
    EXPECT_EQ(timer_mode_blits(0), (std::vector<SpriteBlit>{{116, 26, 25, 9, 26, 38}, {116, 38, 17, 9, 52, 38},
                                                            {100, 26, 9, 9, 98, 38}, {100, 38, 9, 9, 108, 38}}));
    // REPEAT CD, REPEAT, SHUFFLE: lit from column 0, unlit from column 55.
    EXPECT_EQ(play_mode_blits(0), (std::vector<SpriteBlit>{{156, 20, 54, 9, 55, 20}, {156, 32, 54, 9, 55, 10},
                                                           {156, 44, 54, 9, 55, 0}}));
    const std::vector<int> lit[] = {{0, 55, 55}, {55, 0, 55}, {0, 0, 0}, {55, 55, 0}};
    const int32_t bits[] = {1, 2, 7, 4};
    for (int i = 0; i < 4; ++i) {
        std::vector<int> got;
        for (const SpriteBlit& b : play_mode_blits(bits[i])) got.push_back(b.src_x);
        EXPECT_EQ(got, lit[i]) << bits[i];
    }
}

TEST(LcdSprites, StatusWordsTitleButtonsAndMenuBanners) {
    using V = std::vector<SpriteBlit>;
    const std::pair<int32_t, V> words[] = {
        {0, {}}, {123, {}},
        {501, {{70, 57, 35, 5, 54, 60}, {106, 57, 23, 5, 33, 48}}},
        {555, {{70, 57, 35, 5, 54, 60}, {107, 57, 32, 5, 92, 54}}},
        {599, {{70, 57, 22, 5, 57, 48}, {94, 57, 52, 5, 54, 60}}},
        {666, {{70, 57, 53, 5, 0, 60}}},
        {667, {{70, 57, 38, 5, 0, 48}, {110, 57, 32, 5, 92, 54}}},
        {701, {{70, 57, 56, 5, 0, 48}}}, {702, {{70, 57, 46, 5, 0, 54}}},
        {901, {{70, 57, 44, 5, 47, 54}}}, {999, {{70, 57, 55, 5, 57, 48}}},
    };
    for (const auto& [code, want] : words) {
        EXPECT_EQ(status_blits(code), want) << code;
        for (const SpriteBlit& b : want) EXPECT_LE(b.x + b.width, 70 + 77) << "off the status line: " << code;
    }
    EXPECT_EQ(minimize_button_blit(false), (SpriteBlit{265, 3, 11, 11, 110, 0}));
    EXPECT_EQ(minimize_button_blit(true), (SpriteBlit{265, 3, 11, 11, 122, 0}));
    EXPECT_EQ(close_button_blit(false), (SpriteBlit{280, 3, 11, 11, 110, 12}));
    EXPECT_EQ(close_button_blit(true), (SpriteBlit{280, 3, 11, 11, 122, 12}));

    // Banner 2 (110 high) in a 200-pixel menu: filler pieces at 110, 141 and 172, the last clipped.
    EXPECT_EQ(menu_banner_blits(2, 0, 0, 200), (V{{0, 0, 22, 110, 24, 0}, {0, 110, 22, 31, 0, 412},
                                                  {0, 141, 22, 31, 0, 412}, {0, 172, 22, 31, 0, 412}}));
    EXPECT_EQ(menu_banner_blits(1, 3, 4, 143), (V{{3, 4, 22, 410, 0, 0}}));  // a short menu: its top only
    // Two pixels of remaining height still get a piece; one does not.
    EXPECT_EQ(menu_banner_blits(2, 0, 0, 112).size(), 2u);
    EXPECT_EQ(menu_banner_blits(2, 0, 0, 111).size(), 1u);
    EXPECT_TRUE(menu_banner_blits(3, 0, 0, 500).empty());
}
