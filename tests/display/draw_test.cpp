// The drawing primitives and the LCD readout on real GDI: each draws into a
// memory bitmap, and the result is compared with the skin files' pixels put
// where the skin's layout places them.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "display/lcd_readout.h"
#include "display/skin_draw.h"

#include "display/skin_pixels.h"

namespace {

class SkinDrawing : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(LoadTestSkin());
        sprites_ = SkinFile("sprites.bmp");
        digits_ = SkinFile("digits.bmp");
        main_ = SkinFile("main.bmp");
        shade_ = SkinFile("shade.bmp");
        ASSERT_TRUE(sprites_.width && digits_.width && main_.width && shade_.width) << "the skin files cannot be read";
    }
    void SetUp() override { TestSkin().DisplayMode = kDisplayNormal; }
    static void DrawWholeReadout(HDC dc) {
        DrawBackground(dc, TestSkin());
        DrawMinimizeButton(dc, TestSkin(), true);
        DrawTime(dc, TestSkin(), 100 * 60 + 5, true);
        DrawTimerMode(dc, TestSkin(), 1);
        DrawPlayModes(dc, TestSkin(), 5);
        DrawStatusWord(dc, TestSkin(), 701);  // replaced by the next word without a trace
        DrawStatusWord(dc, TestSkin(), 999);
        DrawLineLabels(dc, TestSkin());
    }
    static Pixels sprites_, digits_, main_, shade_;
};
Pixels SkinDrawing::sprites_, SkinDrawing::digits_, SkinDrawing::main_, SkinDrawing::shade_;

// Digits, indicator words and buttons are copied; labels and status words are ORed onto the glass.
TEST_F(SkinDrawing, TheReadoutPutsEverySpriteInItsPlaceAndTouchesNothingElse) {
    Canvas canvas(295, 160);
    DrawWholeReadout(canvas.dc());
    Pixels want = main_;
    want.Paste(265, 3, sprites_, 122, 0, 11, 11);  // minimize, pressed
    want.Paste(280, 3, sprites_, 110, 12, 11, 11);  // close
    want.Paste(19, 29, digits_, 8, 28, 7, 13);  // 100:05, a lit narrow "1" and "0" in the minute-tens cell
    want.Paste(26, 29, digits_, 0, 28, 7, 13);
    want.Paste(34, 30, digits_, 0, 0, 13, 13);  // then wide lit 0, 0, 5
    want.Paste(58, 30, digits_, 0, 0, 13, 13);
    want.Paste(72, 30, digits_, 70, 0, 13, 13);
    for (int y : {34, 35, 39, 40}) want.at(51, y) = want.at(52, y) = 0xffffff;  // the colon
    want.Paste(116, 26, sprites_, 0, 38, 25, 9);  // TimerType 1: disc elapsed
    want.Paste(116, 38, sprites_, 70, 38, 17, 9);
    want.Paste(100, 26, sprites_, 98, 38, 9, 9);
    want.Paste(100, 38, sprites_, 108, 38, 9, 9);
    want.Paste(156, 20, sprites_, 0, 20, 54, 9);  // PlayType 5: REPEAT CD and SHUFFLE lit, REPEAT unlit
    want.Paste(156, 32, sprites_, 55, 10, 54, 9);
    want.Paste(156, 44, sprites_, 0, 0, 54, 9);
    want.Paste(70, 57, sprites_, 57, 48, 55, 5, true);  // DISC FOUND
    want.Paste(10, 57, sprites_, 0, 30, 23, 7, true);  // the two line labels
    want.Paste(10, 83, sprites_, 24, 30, 32, 7, true);
    EXPECT_TRUE(SamePicture(canvas.Snapshot(), want));
}

TEST_F(SkinDrawing, ShadeModeDrawsOnlyTheStripAndTheTitleButtons) {
    TestSkin().DisplayMode = kDisplayShade;
    Canvas canvas(295, 160);
    Pixels want = canvas.Snapshot();
    DrawWholeReadout(canvas.dc());
    DrawCloseButton(canvas.dc(), TestSkin(), true);
    want.Paste(0, 0, shade_, 0, 0, 295, 17);
    want.Paste(265, 3, sprites_, 122, 0, 11, 11);
    want.Paste(280, 3, sprites_, 122, 12, 11, 11);
    EXPECT_TRUE(SamePicture(canvas.Snapshot(), want));
}

// Across 100 minutes the minute-tens cell switches between one wide digit
// and two narrow ones without clearing: either leaves no trace of the other.
TEST_F(SkinDrawing, ACellSwitchingBetweenWideAndNarrowDigitsLeavesNoTrace) {
    for (int first = 0; first < 20; ++first) {
        Canvas fresh(40, 30, RGB(10, 23, 20)), reused(40, 30, RGB(10, 23, 20));
        const int second = first < 10 ? 10 + first : first - 10;
        DrawNumber(fresh.dc(), TestSkin(), 5, 5, second, true);
        DrawNumber(reused.dc(), TestSkin(), 5, 5, first, true);
        DrawNumber(reused.dc(), TestSkin(), 5, 5, second, true);
        EXPECT_TRUE(SamePicture(reused.Snapshot(), fresh.Snapshot())) << first << " then " << second;
    }
}

TEST_F(SkinDrawing, BlitStretchOrsInNormalModeAndCopiesInShadeMode) {
    for (int32_t mode : {kDisplayNormal, kDisplayShade}) {
        TestSkin().DisplayMode = mode;
        Canvas canvas(13, 13, RGB(0, 0, 0x80));
        Pixels want = canvas.Snapshot();
        BlitStretch(canvas.dc(), TestSkin(), 0, 0, 13, 13, 112, 0, 13, 13, TestSkin().Digits.get());
        want.Paste(0, 0, digits_, 112, 0, 13, 13, mode == kDisplayNormal);
        EXPECT_TRUE(SamePicture(canvas.Snapshot(), want)) << mode;
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
                const int value = (t + round) % 2 ? 7 : 42;
                DrawNumber(canvas.dc(), TestSkin(), 5, 6, value, true);
                const Pixels got = canvas.Snapshot();
                if (value == 7 ? !SameRegion(got, 6, 7, digits_, 98, 0, 13, 13)
                               : !SameRegion(got, 5, 6, digits_, 32, 28, 7, 13) ||
                                     !SameRegion(got, 12, 6, digits_, 16, 28, 7, 13))
                    ++wrong;
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
