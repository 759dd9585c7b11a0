// The title display's workers drawing into a real window: the text in the
// skin's font ORed onto the LCD glass, clearing, the shade-mode slot and
// stopping.
#include "display/title_display.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "app/player.h"
#include "app/window_state.h"
#include "display/skin_pixels.h"

namespace {

class TitleLines : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadTestSkin());
        main_ = Read(Player.SkinMain.get());
        font_ = Read(Player.SkinFont.get());
        digits_ = Read(Player.SkinDigits.get());
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = "BRD_TitleTest";
        RegisterClassA(&wc);
        Player.MainWindow = CreateWindowExA(WS_EX_TOPMOST, "BRD_TitleTest", "titles", WS_POPUP | WS_VISIBLE, 0, 0,
                                            295, 160, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(Player.MainWindow);
        Player.DisplayMode = kDisplayNormal;
        Player.ShadeLine = kShadeDiscLine;
        Settings.NameScrolling = kScrollNone;
        Wait(100);
    }
    void TearDown() override {
        DestroyWindow(Player.MainWindow);
        Player.MainWindow = nullptr;
    }

    // Lets the window and the workers run for a while.
    static void Wait(int ms) {
        const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
        while (GetTickCount() < end) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            Sleep(10);
        }
    }
    static Pixels Capture() {
        Canvas canvas(295, 160);
        HDC window = GetDC(Player.MainWindow);
        BitBlt(canvas.dc(), 0, 0, 295, 160, window, 0, 0, SRCCOPY);
        ReleaseDC(Player.MainWindow, window);
        return canvas.Snapshot();
    }
    // What a line shows at (x, y): the glass from SkinMain (bx, by) with
    // the glyphs ORed on, each glyph given as (x in line, source x, source y,
    // bitmap, width, height).
    struct Placed {
        int x, src_x, src_y;
        const Pixels* bitmap;
        int width, height;
    };
    Pixels Expected(int bx, int by, int view, std::vector<Placed> glyphs) const {
        Pixels p{view, 11, std::vector<uint32_t>(static_cast<size_t>(view) * 11)};
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < view; ++x) {
                uint32_t v = main_.at(bx + x, by + y);
                for (const Placed& g : glyphs)
                    if (x >= g.x && x < g.x + g.width && y < g.height) v |= g.bitmap->at(g.src_x + x - g.x, g.src_y + y);
                p.px[static_cast<size_t>(y) * view + x] = v;
            }
        return p;
    }

    Pixels main_, font_, digits_;
};

TEST_F(TitleLines, BothLinesShowTheirTextInTheSkinFont) {
    TitleDisplay titles(5);
    titles.SetDiscLine(std::string("AB"));
    titles.SetTrackLine(std::string("'7"));
    titles.Start();
    Wait(300);
    const Pixels got = Capture();
    // Line 1: A and B, 9 pixels apart.
    EXPECT_TRUE(SameRegion(got, 13, 68,
                           Expected(13, 68, 195, {{0, 0, 0, &font_, 7, 11}, {9, 8, 0, &font_, 7, 11}}), 0, 0, 195, 11));
    // Line 2: the apostrophe advances 5; digits come from the LCD digits,
    // one row up.
    EXPECT_TRUE(SameRegion(got, 13, 94,
                           Expected(13, 94, 195, {{0, 48, 24, &font_, 7, 11}, {5, 56, 29, &digits_, 7, 11}}), 0, 0, 195,
                           11));
}

TEST_F(TitleLines, AClearedLineShowsTheBareGlass) {
    TitleDisplay titles(5);
    titles.SetDiscLine(std::string("HELLO"));
    titles.Start();
    Wait(200);
    EXPECT_FALSE(SameRegion(Capture(), 13, 68, main_, 13, 68, 195, 11));
    titles.SetDiscLine(std::nullopt);
    Wait(200);
    EXPECT_TRUE(SameRegion(Capture(), 13, 68, main_, 13, 68, 195, 11));
}

TEST_F(TitleLines, TheShadeSlotShowsTheLineThatShadeLineNames) {
    Player.DisplayMode = kDisplayShade;
    TitleDisplay titles(5);
    titles.SetDiscLine(std::string("AB"));
    titles.SetTrackLine(std::string("7"));
    titles.Start();
    Wait(300);
    const Pixels disc = Expected(13, 68, 109, {{0, 0, 48, &font_, 5, 8}, {6, 6, 48, &font_, 5, 8}});
    EXPECT_TRUE(SameRegion(Capture(), 109, 4, disc, 0, 0, 109, 11));

    Player.ShadeLine = kShadeTrackLine;
    Wait(300);
    const Pixels track = Expected(13, 68, 109, {{0, 80 + 42, 28, &digits_, 5, 8}});
    EXPECT_TRUE(SameRegion(Capture(), 109, 4, track, 0, 0, 109, 11));
}

TEST_F(TitleLines, ALineSetInNormalModeTakesTheShadeFontWhenTheModeChanges) {
    TitleDisplay titles(5);
    titles.SetDiscLine(std::string("AB"));
    titles.Start();
    Wait(200);
    Player.DisplayMode = kDisplayShade;
    Wait(300);
    const Pixels disc = Expected(13, 68, 109, {{0, 0, 48, &font_, 5, 8}, {6, 6, 48, &font_, 5, 8}});
    EXPECT_TRUE(SameRegion(Capture(), 109, 4, disc, 0, 0, 109, 11));
    Player.DisplayMode = kDisplayNormal;
    Wait(300);
    EXPECT_TRUE(SameRegion(Capture(), 13, 68,
                           Expected(13, 68, 195, {{0, 0, 0, &font_, 7, 11}, {9, 8, 0, &font_, 7, 11}}), 0, 0, 195, 11));
}

TEST_F(TitleLines, StoppedWorkersDrawNoMore) {
    TitleDisplay titles(5);
    titles.SetDiscLine(std::string("AB"));
    titles.Start();
    Wait(200);
    titles.Stop();
    // Paint the line black; a running worker would restore it on redraw.
    HDC window = GetDC(Player.MainWindow);
    PatBlt(window, 13, 68, 195, 11, BLACKNESS);
    ReleaseDC(Player.MainWindow, window);
    titles.RequestRedraw();
    Wait(200);
    const Pixels got = Capture();
    for (int x = 13; x < 208; ++x) ASSERT_EQ(got.at(x, 70), 0u) << x;
}

}  // namespace
