#include "display/lcd_layout.h"

#include <gtest/gtest.h>

TEST(HitTest, CaptionIsTheStripFromRow1To14) {
    EXPECT_EQ(HitCaption(100, 0), 0);
    EXPECT_EQ(HitCaption(100, 1), 1);
    EXPECT_EQ(HitCaption(0, 14), 1);
    EXPECT_EQ(HitCaption(100, 15), 0);
}

TEST(HitTest, TitleButtons) {
    EXPECT_EQ(HitTitleButton(265, 3), kHitMinimize);
    EXPECT_EQ(HitTitleButton(275, 14), kHitMinimize);
    EXPECT_EQ(HitTitleButton(264, 8), 0);
    EXPECT_EQ(HitTitleButton(276, 8), 0);
    EXPECT_EQ(HitTitleButton(280, 3), kHitClose);
    EXPECT_EQ(HitTitleButton(290, 14), kHitClose);
    EXPECT_EQ(HitTitleButton(291, 8), 0);
    EXPECT_EQ(HitTitleButton(270, 2), 0);
    EXPECT_EQ(HitTitleButton(285, 15), 0);
}

TEST(HitTest, TimerModeBoxesAndTheirEdges) {
    EXPECT_EQ(HitTimerMode(113, 30), 0);  // between the two columns
    // Plus / minus column: 100 <= x < 111.
    EXPECT_EQ(HitTimerMode(99, 30), 0);
    EXPECT_EQ(HitTimerMode(100, 27), kHitElapsed);
    EXPECT_EQ(HitTimerMode(100, 26), 0);
    EXPECT_EQ(HitTimerMode(110, 36), kHitElapsed);
    EXPECT_EQ(HitTimerMode(110, 37), kHitRemaining);
    EXPECT_EQ(HitTimerMode(110, 47), kHitRemaining);
    EXPECT_EQ(HitTimerMode(110, 48), 0);
    EXPECT_EQ(HitTimerMode(111, 30), 0);
    EXPECT_EQ(HitTimerMode(115, 40), 0);
    // Track / CD column: 116 <= x < 143.
    EXPECT_EQ(HitTimerMode(116, 27), kHitTrack);
    EXPECT_EQ(HitTimerMode(142, 36), kHitTrack);
    EXPECT_EQ(HitTimerMode(142, 37), kHitDisc);
    EXPECT_EQ(HitTimerMode(116, 47), kHitDisc);
    EXPECT_EQ(HitTimerMode(143, 40), 0);
    EXPECT_EQ(HitTimerMode(130, 26), 0);
    EXPECT_EQ(HitTimerMode(130, 48), 0);
}

TEST(HitTest, PlayModeWordsAndTheirEdges) {
    EXPECT_EQ(HitPlayMode(155, 25), 0);
    EXPECT_EQ(HitPlayMode(156, 20), 1);
    EXPECT_EQ(HitPlayMode(210, 29), 1);
    EXPECT_EQ(HitPlayMode(211, 25), 0);
    EXPECT_EQ(HitPlayMode(180, 19), 0);
    EXPECT_EQ(HitPlayMode(180, 30), 0);
    EXPECT_EQ(HitPlayMode(180, 31), 0);
    EXPECT_EQ(HitPlayMode(180, 32), 2);
    EXPECT_EQ(HitPlayMode(180, 41), 2);
    EXPECT_EQ(HitPlayMode(180, 42), 0);
    EXPECT_EQ(HitPlayMode(180, 43), 0);
    EXPECT_EQ(HitPlayMode(180, 44), 4);
    EXPECT_EQ(HitPlayMode(180, 53), 4);
    EXPECT_EQ(HitPlayMode(180, 54), 0);
}

TEST(DrawNumber, OneWideDigitBelowTenTwoNarrowFromTen) {
    EXPECT_EQ(number_blits(19, 29, 7, true), (std::vector<SpriteBlit>{{20, 30, 13, 13, 98, 0}}));
    EXPECT_EQ(number_blits(19, 29, 7, false), (std::vector<SpriteBlit>{{20, 30, 13, 13, 98, 14}}));
    EXPECT_EQ(number_blits(19, 29, 12, true),
              (std::vector<SpriteBlit>{{19, 29, 7, 13, 8, 28}, {26, 29, 7, 13, 16, 28}}));
    EXPECT_EQ(number_blits(4, 4, 99, false),
              (std::vector<SpriteBlit>{{4, 4, 7, 13, 72, 42}, {11, 4, 7, 13, 72, 42}}));
}

TEST(DrawTime, MinutesAndSecondsInFourCells) {
    auto values = [](int seconds) {
        std::vector<int> v;
        for (const TimeCell& c : time_cells(seconds)) v.push_back(c.value);
        return v;
    };
    EXPECT_EQ(values(3725), (std::vector<int>{6, 2, 0, 5}));  // 62:05
    EXPECT_EQ(values(6000), (std::vector<int>{10, 0, 0, 0}));  // narrow "10" then 0, 00
    EXPECT_EQ(values(0), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(values(59), (std::vector<int>{0, 0, 5, 9}));
    const std::vector<TimeCell> cells = time_cells(1);
    EXPECT_EQ(cells[0].x, 19);
    EXPECT_EQ(cells[1].x, 33);
    EXPECT_EQ(cells[2].x, 57);
    EXPECT_EQ(cells[3].x, 71);
}

TEST(DrawTimerMode, EachBitLightsOneWordOfItsPair) {
    auto sources = [](int32_t timer_type) {
        std::vector<int> v;
        for (const SpriteBlit& b : timer_mode_blits(timer_type)) v.push_back(b.src_x);
        return v;
    };
    // Track, CD, plus, minus.
    EXPECT_EQ(sources(0), (std::vector<int>{26, 52, 98, 108}));
    EXPECT_EQ(sources(1), (std::vector<int>{0, 70, 98, 108}));
    EXPECT_EQ(sources(2), (std::vector<int>{26, 52, 88, 118}));
    EXPECT_EQ(sources(3), (std::vector<int>{0, 70, 88, 118}));
    const std::vector<SpriteBlit> places = timer_mode_blits(0);
    EXPECT_EQ(places[0], (SpriteBlit{116, 26, 25, 9, 26, 38}));
    EXPECT_EQ(places[1], (SpriteBlit{116, 38, 17, 9, 52, 38}));
    EXPECT_EQ(places[2], (SpriteBlit{100, 26, 9, 9, 98, 38}));
    EXPECT_EQ(places[3], (SpriteBlit{100, 38, 9, 9, 108, 38}));
}

TEST(DrawPlayModes, LitFromColumn0UnlitFromColumn55) {
    const std::vector<SpriteBlit> none = play_mode_blits(0);
    EXPECT_EQ(none[0], (SpriteBlit{156, 20, 54, 9, 55, 20}));  // REPEAT CD
    EXPECT_EQ(none[1], (SpriteBlit{156, 32, 54, 9, 55, 10}));  // REPEAT
    EXPECT_EQ(none[2], (SpriteBlit{156, 44, 54, 9, 55, 0}));   // SHUFFLE
    for (int32_t bits : {1, 2, 4, 5, 6}) {
        const std::vector<SpriteBlit> b = play_mode_blits(bits);
        EXPECT_EQ(b[0].src_x, (bits & 1) ? 0 : 55) << bits;
        EXPECT_EQ(b[1].src_x, (bits & 2) ? 0 : 55) << bits;
        EXPECT_EQ(b[2].src_x, (bits & 4) ? 0 : 55) << bits;
    }
}

TEST(DrawStatusWord, PiecesOfEveryCode) {
    using V = std::vector<SpriteBlit>;
    EXPECT_EQ(status_blits(0), V{});
    EXPECT_EQ(status_blits(123), V{});
    EXPECT_EQ(status_blits(501), (V{{70, 57, 35, 5, 54, 60}, {106, 57, 23, 5, 33, 48}}));
    EXPECT_EQ(status_blits(555), (V{{70, 57, 35, 5, 54, 60}, {107, 57, 32, 5, 92, 54}}));
    EXPECT_EQ(status_blits(599), (V{{70, 57, 22, 5, 57, 48}, {94, 57, 52, 5, 54, 60}}));
    EXPECT_EQ(status_blits(666), (V{{70, 57, 53, 5, 0, 60}}));
    EXPECT_EQ(status_blits(667), (V{{70, 57, 38, 5, 0, 48}, {110, 57, 32, 5, 92, 54}}));
    EXPECT_EQ(status_blits(701), (V{{70, 57, 56, 5, 0, 48}}));
    EXPECT_EQ(status_blits(702), (V{{70, 57, 46, 5, 0, 54}}));
    EXPECT_EQ(status_blits(901), (V{{70, 57, 44, 5, 47, 54}}));
    EXPECT_EQ(status_blits(999), (V{{70, 57, 55, 5, 57, 48}}));
    // Every piece stays on the 77-pixel status line.
    for (int32_t code : {501, 555, 599, 666, 667, 701, 702, 901, 999})
        for (const SpriteBlit& b : status_blits(code)) EXPECT_LE(b.x + b.width, kStatusX + kStatusWidth) << code;
}

TEST(TitleButtons, NormalAndPressedSprites) {
    EXPECT_EQ(minimize_button_blit(false), (SpriteBlit{265, 3, 11, 11, 110, 0}));
    EXPECT_EQ(minimize_button_blit(true), (SpriteBlit{265, 3, 11, 11, 122, 0}));
    EXPECT_EQ(close_button_blit(false), (SpriteBlit{280, 3, 11, 11, 110, 12}));
    EXPECT_EQ(close_button_blit(true), (SpriteBlit{280, 3, 11, 11, 122, 12}));
}

TEST(DrawMenuBanner, FillerPiecesReachTheBottomOfATallMenu) {
    // Banner 2 (110 high) in a 200-pixel menu: pieces at 110, 141 and 172;
    // the last reaches past the bottom and is clipped by the menu.
    const std::vector<SpriteBlit> b = menu_banner_blits(2, 0, 0, 200);
    ASSERT_EQ(b.size(), 4u);
    EXPECT_EQ(b[0], (SpriteBlit{0, 0, 22, 110, 24, 0}));
    EXPECT_EQ(b[1], (SpriteBlit{0, 110, 22, 31, 0, 412}));
    EXPECT_EQ(b[2].y, 141);
    EXPECT_EQ(b[3].y, 172);
    EXPECT_GE(b.back().y + b.back().height, 200);
}

TEST(DrawMenuBanner, AShortMenuShowsTheTopOfTheBannerOnly) {
    const std::vector<SpriteBlit> b = menu_banner_blits(1, 3, 4, 143);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0], (SpriteBlit{3, 4, 22, 410, 0, 0}));
    // Two pixels of remaining height still get a piece; one does not.
    EXPECT_EQ(menu_banner_blits(2, 0, 0, 112).size(), 2u);
    EXPECT_EQ(menu_banner_blits(2, 0, 0, 111).size(), 1u);
    EXPECT_TRUE(menu_banner_blits(3, 0, 0, 500).empty());
}
