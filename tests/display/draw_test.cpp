// The drawing primitives and the LCD readout on real GDI, compared with the
// skin files' pixels put where the skin's layout places them.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "display/lcd_readout.h"
#include "display/skin_draw.h"

#include "display/skin_pixels.h"

namespace {

// Digits, indicator words and buttons are copied; labels and status words are ORed onto the glass.
// In shade mode only the strip and the title buttons are drawn.
TEST(SkinDrawing, TheReadoutPutsEverySpriteInItsPlaceAndTouchesNothingElse) {
    ASSERT_TRUE(LoadTestSkin());
    Pixels sprites = SkinFile("sprites.bmp"), main = SkinFile("main.bmp"), shade = SkinFile("shade.bmp");
    Pixels digits = SkinFile("digits.bmp");
    for (int32_t mode : {kDisplayNormal, kDisplayShade}) {
        TestSkin().DisplayMode = mode;
        Canvas canvas(295, 160);
        Pixels want = canvas.Snapshot();
        DrawBackground(canvas.dc, TestSkin());
        DrawMinimizeButton(canvas.dc, TestSkin(), true);
        DrawCloseButton(canvas.dc, TestSkin(), mode == kDisplayShade);
        DrawTime(canvas.dc, TestSkin(), 100 * 60 + 5, true);
        DrawTimerMode(canvas.dc, TestSkin(), 1);
        DrawPlayModes(canvas.dc, TestSkin(), 5);
        DrawStatusWord(canvas.dc, TestSkin(), 701);  // replaced by the next word without a trace
        DrawStatusWord(canvas.dc, TestSkin(), 999);
        DrawLineLabels(canvas.dc, TestSkin());
        want.Paste(0, 0, mode == kDisplayNormal ? main : shade, 0, 0, 295, mode == kDisplayNormal ? 160 : 17);
        want.Paste(265, 3, sprites, 122, 0, 11, 11);  // minimize, pressed
        want.Paste(280, 3, sprites, mode == kDisplayNormal ? 110 : 122, 12, 11, 11);  // close, pressed in shade
        if (mode == kDisplayNormal) {
            want.Paste(19, 29, digits, 8, 28, 7, 13);  // 100:05, a lit narrow "1" and "0" in the minute-tens cell
            want.Paste(26, 29, digits, 0, 28, 7, 13);
            want.Paste(34, 30, digits, 0, 0, 13, 13);  // then wide lit 0, 0, 5
            want.Paste(58, 30, digits, 0, 0, 13, 13);
            want.Paste(72, 30, digits, 70, 0, 13, 13);
            for (int y : {34, 35, 39, 40}) want.at(51, y) = want.at(52, y) = 0xffffff;  // the colon
            want.Paste(116, 26, sprites, 0, 38, 25, 9);  // TimerType 1: disc elapsed
            want.Paste(116, 38, sprites, 70, 38, 17, 9);
            want.Paste(100, 26, sprites, 98, 38, 9, 9);
            want.Paste(100, 38, sprites, 108, 38, 9, 9);
            want.Paste(156, 20, sprites, 0, 20, 54, 9);  // PlayType 5: REPEAT CD and SHUFFLE lit, REPEAT unlit
            want.Paste(156, 32, sprites, 55, 10, 54, 9);
            want.Paste(156, 44, sprites, 0, 0, 54, 9);
            want.Paste(70, 57, sprites, 57, 48, 55, 5, true);  // DISC FOUND
            want.Paste(10, 57, sprites, 0, 30, 23, 7, true);  // the two line labels
            want.Paste(10, 83, sprites, 24, 30, 32, 7, true);
        }
        EXPECT_TRUE(Same(canvas.Snapshot(), 0, 0, want)) << mode;

        // BlitStretch ORs in normal mode and copies in shade mode.
        Canvas small(13, 13, RGB(0, 0, 0x80));
        want = small.Snapshot();
        BlitStretch(small.dc, TestSkin(), 0, 0, 13, 13, 112, 0, 13, 13, TestSkin().Digits.get());
        want.Paste(0, 0, digits, 112, 0, 13, 13, mode == kDisplayNormal);
        EXPECT_TRUE(Same(small.Snapshot(), 0, 0, want)) << mode;
    }
    TestSkin().DisplayMode = kDisplayNormal;

    // Across 100 minutes the minute-tens cell switches between one wide digit and two narrow ones
    // without clearing: either leaves no trace of the other on the glass.
    for (int first = 0; first < 20; ++first) {
        Canvas fresh(40, 30, RGB(10, 23, 20)), reused(40, 30, RGB(10, 23, 20));
        const int second = first < 10 ? 10 + first : first - 10;
        DrawNumber(fresh.dc, TestSkin(), 5, 5, second, true);
        DrawNumber(reused.dc, TestSkin(), 5, 5, first, true);
        DrawNumber(reused.dc, TestSkin(), 5, 5, second, true);
        EXPECT_TRUE(Same(reused.Snapshot(), 0, 0, fresh.Snapshot())) << first << " then " << second;
    }
    // Four threads draw from the same skin bitmap at once; none may find it
    // selected into another thread's memory context.
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            Canvas canvas(40, 30);
            for (int round = 0; round < 150; ++round) {
                const bool seven = (t + round) % 2;
                DrawNumber(canvas.dc, TestSkin(), 5, 6, seven ? 7 : 42, true);
                wrong += seven ? !Same(canvas.Snapshot(), 6, 7, digits, 98, 0, 13, 13)
                               : !Same(canvas.Snapshot(), 5, 6, digits, 32, 28, 7, 13) ||
                                     !Same(canvas.Snapshot(), 12, 6, digits, 16, 28, 7, 13);
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
