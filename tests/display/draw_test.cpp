// The drawing primitives and the LCD readout on real GDI: each draws into a
// memory bitmap, and the result is compared with the skin's own pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "app/player.h"
#include "app/window_state.h"
#include "display/lcd_readout.h"
#include "display/skin_draw.h"

#include "display/skin_pixels.h"

namespace {

class SkinDrawing : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(LoadTestSkin());
        sprites_ = Read(Player.SkinSprites.get());
        digits_ = Read(Player.SkinDigits.get());
        main_ = Read(Player.SkinMain.get());
        shade_ = Read(Player.SkinShade.get());
    }
    void SetUp() override { Player.DisplayMode = kDisplayNormal; }

    static Pixels sprites_, digits_, main_, shade_;
};
Pixels SkinDrawing::sprites_, SkinDrawing::digits_, SkinDrawing::main_, SkinDrawing::shade_;

TEST_F(SkinDrawing, SkinBitmapsHaveTheirSizes) {
    EXPECT_EQ(main_.width, 295);
    EXPECT_EQ(main_.height, 160);
    EXPECT_EQ(shade_.width, 295);
    EXPECT_EQ(shade_.height, 17);
    EXPECT_EQ(sprites_.width, 133);
    EXPECT_EQ(sprites_.height, 66);
    EXPECT_EQ(digits_.width, 139);
    EXPECT_EQ(digits_.height, 55);
    BITMAP font{};
    GetObjectA(Player.SkinFont.get(), sizeof font, &font);
    EXPECT_EQ(font.bmWidth, 103);
    EXPECT_EQ(font.bmHeight, 83);
}

TEST_F(SkinDrawing, DrawNumberSevenIsOneWideDigit) {
    Canvas canvas(40, 30);
    const Pixels before = canvas.Snapshot();
    DrawNumber(canvas.dc(), 5, 6, 7, true);
    const Pixels got = canvas.Snapshot();
    EXPECT_TRUE(SameRegion(got, 6, 7, digits_, 98, 0, 13, 13));
    EXPECT_TRUE(UntouchedOutside(got, before, {{6, 7, 19, 20}}));
}

TEST_F(SkinDrawing, DrawNumberTwelveIsTwoNarrowDigits) {
    Canvas canvas(40, 30);
    const Pixels before = canvas.Snapshot();
    DrawNumber(canvas.dc(), 5, 6, 12, false);
    const Pixels got = canvas.Snapshot();
    EXPECT_TRUE(SameRegion(got, 5, 6, digits_, 8, 42, 7, 13));
    EXPECT_TRUE(SameRegion(got, 12, 6, digits_, 16, 42, 7, 13));
    EXPECT_TRUE(UntouchedOutside(got, before, {{5, 6, 19, 19}}));
}

TEST_F(SkinDrawing, DrawTimeShows62Minutes5Seconds) {
    Canvas canvas(295, 160);
    DrawTime(canvas.dc(), 3725, true);
    const Pixels got = canvas.Snapshot();
    EXPECT_TRUE(SameRegion(got, 20, 30, digits_, 14 * 6, 0, 13, 13));
    EXPECT_TRUE(SameRegion(got, 34, 30, digits_, 14 * 2, 0, 13, 13));
    EXPECT_TRUE(SameRegion(got, 58, 30, digits_, 0, 0, 13, 13));
    EXPECT_TRUE(SameRegion(got, 72, 30, digits_, 14 * 5, 0, 13, 13));
    for (POINT p : {POINT{51, 34}, POINT{52, 35}, POINT{51, 39}, POINT{52, 40}}) EXPECT_EQ(got.at(p.x, p.y), 0xffffffu);
    EXPECT_EQ(got.at(50, 34), 0xff00ffu);
    EXPECT_EQ(got.at(51, 36), 0xff00ffu);
    // The readout is not cleared first: the pixel left of the first cell stays.
    EXPECT_EQ(got.at(19, 29), 0xff00ffu);
}

TEST_F(SkinDrawing, DrawTimeOfHundredMinutesPutsTenInTheFirstCell) {
    Canvas canvas(295, 160);
    DrawTime(canvas.dc(), 6000, false);
    const Pixels got = canvas.Snapshot();
    EXPECT_TRUE(SameRegion(got, 19, 29, digits_, 8, 42, 7, 13));  // narrow 1
    EXPECT_TRUE(SameRegion(got, 26, 29, digits_, 0, 42, 7, 13));  // narrow 0
    EXPECT_TRUE(SameRegion(got, 34, 30, digits_, 0, 14, 13, 13));
    EXPECT_TRUE(SameRegion(got, 58, 30, digits_, 0, 14, 13, 13));
    EXPECT_TRUE(SameRegion(got, 72, 30, digits_, 0, 14, 13, 13));
}

// The minute-tens cell switches between one wide digit (0 to 9) and two
// narrow ones (10 to 19) when the time passes 100 minutes, and the readout
// is never cleared: either leaves no trace of the other.
TEST_F(SkinDrawing, ACellSwitchingBetweenWideAndNarrowDigitsLeavesNoTrace) {
    for (int first = 0; first < 20; ++first) {
        Canvas fresh(40, 30, RGB(10, 23, 20)), reused(40, 30, RGB(10, 23, 20));
        const int second = first < 10 ? 10 + first : first - 10;
        DrawNumber(fresh.dc(), 5, 5, second, true);
        DrawNumber(reused.dc(), 5, 5, first, true);
        DrawNumber(reused.dc(), 5, 5, second, true);
        EXPECT_TRUE(SameRegion(reused.Snapshot(), 0, 0, fresh.Snapshot(), 0, 0, 40, 30)) << first << " then " << second;
    }
}

TEST_F(SkinDrawing, EveryStatusWordIsOredOntoACleanStatusLine) {
    for (int32_t code : {0, 123, 501, 555, 599, 666, 667, 701, 702, 901, 999}) {
        Canvas canvas(295, 160);
        DrawBitmap(canvas.dc(), 0, 0, Player.SkinMain.get());
        DrawStatusWord(canvas.dc(), 701);  // whatever was there before is cleared
        DrawStatusWord(canvas.dc(), code);
        const Pixels got = canvas.Snapshot();
        Pixels want = main_;
        for (const SpriteBlit& b : status_blits(code))
            for (int j = 0; j < b.height; ++j)
                for (int i = 0; i < b.width; ++i)
                    want.px[static_cast<size_t>(b.y + j) * want.width + b.x + i] |= sprites_.at(b.src_x + i, b.src_y + j);
        EXPECT_TRUE(SameRegion(got, 0, 0, want, 0, 0, 295, 160)) << "code " << code;
        // A word shows: some status pixel differs from the clean line.
        if (code != 0 && code != 123) {
            EXPECT_FALSE(SameRegion(got, 70, 57, main_, 70, 57, 77, 5)) << code;
        }
    }
}

TEST_F(SkinDrawing, TimerModeInEachState) {
    for (int32_t timer_type = 0; timer_type < 4; ++timer_type) {
        Canvas canvas(295, 160);
        const Pixels before = canvas.Snapshot();
        DrawTimerMode(canvas.dc(), timer_type);
        const Pixels got = canvas.Snapshot();
        const bool disc = timer_type & 1, remaining = timer_type & 2;
        EXPECT_TRUE(SameRegion(got, 116, 26, sprites_, disc ? 0 : 26, 38, 25, 9)) << timer_type;
        EXPECT_TRUE(SameRegion(got, 116, 38, sprites_, disc ? 70 : 52, 38, 17, 9)) << timer_type;
        EXPECT_TRUE(SameRegion(got, 100, 26, sprites_, remaining ? 88 : 98, 38, 9, 9)) << timer_type;
        EXPECT_TRUE(SameRegion(got, 100, 38, sprites_, remaining ? 118 : 108, 38, 9, 9)) << timer_type;
        EXPECT_TRUE(UntouchedOutside(got, before, {{116, 26, 141, 35}, {116, 38, 133, 47}, {100, 26, 109, 47}}));
    }
    // Lit and dim copies really differ.
    EXPECT_FALSE(SameRegion(sprites_, 0, 38, sprites_, 26, 38, 25, 9));
}

TEST_F(SkinDrawing, PlayModesInEachState) {
    for (int32_t play_type : {0, 1, 2, 4, 5, 6}) {
        Canvas canvas(295, 160);
        DrawPlayModes(canvas.dc(), play_type);
        const Pixels got = canvas.Snapshot();
        EXPECT_TRUE(SameRegion(got, 156, 20, sprites_, (play_type & 1) ? 0 : 55, 20, 54, 9)) << play_type;
        EXPECT_TRUE(SameRegion(got, 156, 32, sprites_, (play_type & 2) ? 0 : 55, 10, 54, 9)) << play_type;
        EXPECT_TRUE(SameRegion(got, 156, 44, sprites_, (play_type & 4) ? 0 : 55, 0, 54, 9)) << play_type;
    }
}

TEST_F(SkinDrawing, LineLabelsAreOred) {
    Canvas canvas(295, 160, RGB(0, 0, 0x40));
    DrawLineLabels(canvas.dc());
    const Pixels got = canvas.Snapshot();
    for (int j = 0; j < 7; ++j)
        for (int i = 0; i < 32; ++i) {
            if (i < 23) {
                ASSERT_EQ(got.at(10 + i, 57 + j), sprites_.at(i, 30 + j) | 0x40u);
            }
            ASSERT_EQ(got.at(10 + i, 83 + j), sprites_.at(24 + i, 30 + j) | 0x40u);
        }
}

TEST_F(SkinDrawing, BackgroundWithTitleButtonsInBothModes) {
    Canvas canvas(295, 160);
    DrawBackground(canvas.dc());
    Pixels got = canvas.Snapshot();
    EXPECT_TRUE(SameRegion(got, 0, 0, main_, 0, 0, 295, 3));
    EXPECT_TRUE(SameRegion(got, 265, 3, sprites_, 110, 0, 11, 11));
    EXPECT_TRUE(SameRegion(got, 280, 3, sprites_, 110, 12, 11, 11));
    EXPECT_TRUE(SameRegion(got, 0, 17, main_, 0, 17, 295, 143));

    DrawCloseButton(canvas.dc(), true);
    DrawMinimizeButton(canvas.dc(), true);
    got = canvas.Snapshot();
    EXPECT_TRUE(SameRegion(got, 265, 3, sprites_, 122, 0, 11, 11));
    EXPECT_TRUE(SameRegion(got, 280, 3, sprites_, 122, 12, 11, 11));
}

TEST_F(SkinDrawing, ShadeModeDrawsOnlyTheBackgroundAndTheTitleButtons) {
    Player.DisplayMode = kDisplayShade;
    Canvas canvas(295, 160);
    DrawBackground(canvas.dc());
    const Pixels background = canvas.Snapshot();
    EXPECT_TRUE(SameRegion(background, 0, 0, shade_, 0, 0, 265, 17));
    EXPECT_TRUE(SameRegion(background, 265, 3, sprites_, 110, 0, 11, 11));
    EXPECT_TRUE(SameRegion(background, 280, 3, sprites_, 110, 12, 11, 11));
    EXPECT_EQ(background.at(10, 17), 0xff00ffu);  // nothing below the strip

    DrawTime(canvas.dc(), 3725, true);
    DrawTimerMode(canvas.dc(), 3);
    DrawPlayModes(canvas.dc(), 7);
    DrawStatusWord(canvas.dc(), 999);
    DrawLineLabels(canvas.dc());
    EXPECT_TRUE(SameRegion(canvas.Snapshot(), 0, 0, background, 0, 0, 295, 160));
}

TEST_F(SkinDrawing, BlitStretchOrsInNormalModeAndCopiesInShadeMode) {
    for (int32_t mode : {kDisplayNormal, kDisplayShade}) {
        Player.DisplayMode = mode;
        Canvas canvas(40, 40, RGB(0, 0, 0x80));
        BlitStretch(canvas.dc(), 0, 0, 13, 13, 14 * 8, 0, 13, 13, Player.SkinDigits.get());
        const Pixels got = canvas.Snapshot();
        for (int j = 0; j < 13; ++j)
            for (int i = 0; i < 13; ++i) {
                const uint32_t source = digits_.at(14 * 8 + i, j);
                ASSERT_EQ(got.at(i, j), mode == kDisplayShade ? source : (source | 0x80u)) << mode;
            }
    }
}

// Four threads draw from the same skin bitmap at once; none may find it
// selected into another thread's memory context.
TEST_F(SkinDrawing, PrimitivesCanRunOnSeveralThreadsAtOnce) {
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&wrong, t] {
            Canvas canvas(40, 30);
            for (int round = 0; round < 150; ++round) {
                const int value = (t * 37 + round) % 100;
                DrawNumber(canvas.dc(), 5, 6, value, round % 2);
                const Pixels got = canvas.Snapshot();
                const bool ok = value < 10
                                    ? SameRegion(got, 6, 7, digits_, 14 * value, round % 2 ? 0 : 14, 13, 13)
                                    : SameRegion(got, 5, 6, digits_, 8 * (value / 10), round % 2 ? 28 : 42, 7, 13) &&
                                          SameRegion(got, 12, 6, digits_, 8 * (value % 10), round % 2 ? 28 : 42, 7, 13);
                if (!ok) ++wrong;
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
