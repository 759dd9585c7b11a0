// The title display's workers drawing into a real window: the text in the
// skin's font ORed onto the LCD glass, clearing, the shade-mode slot and
// stopping.
#include "display/title_display.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "display/skin_pixels.h"

namespace {

// The window the lines are drawn on and the slot the shade strip gives.
HWND Window = nullptr;
std::atomic<int32_t> ShadeLine{0};

class TitleLines : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadTestSkin());
        main_ = SkinFile("main.bmp");
        font_ = SkinFile("font.bmp");
        digits_ = SkinFile("digits.bmp");
        ASSERT_TRUE(main_.width && font_.width && digits_.width) << "the skin files cannot be read";
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = "BRD_TitleTest";
        RegisterClassA(&wc);
        Window = CreateWindowExA(WS_EX_TOPMOST, "BRD_TitleTest", "titles", WS_POPUP | WS_VISIBLE, 0, 0, 295, 160,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(Window);
        TestSkin().DisplayMode = kDisplayNormal;
        ShadeLine = kShadeDiscLine;
    }
    void TearDown() override {
        DestroyWindow(Window);
        Window = nullptr;
    }

    // Pumps the window's messages for up to `ms` or until `done` holds.
    template <typename Done>
    static bool Within(int ms, Done done) {
        for (const DWORD end = GetTickCount() + static_cast<DWORD>(ms);;) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            if (done()) return true;
            if (static_cast<int>(end - GetTickCount()) < 0) return false;
            Sleep(10);
        }
    }
    static Pixels Capture() {
        Canvas canvas(295, 160);
        HDC window = GetDC(Window);
        BitBlt(canvas.dc(), 0, 0, 295, 160, window, 0, 0, SRCCOPY);
        ReleaseDC(Window, window);
        return canvas.Snapshot();
    }
    // Waits until the window shows `want` (view x 11) at (x, y).
    static ::testing::AssertionResult Shows(int x, int y, const Pixels& want) {
        Within(3000, [&] { return SameRegion(Capture(), x, y, want, 0, 0, want.width, 11); });
        return SameRegion(Capture(), x, y, want, 0, 0, want.width, 11);
    }
    // A line of `view` pixels on the glass behind normal line `line`, with glyphs
    // ORed on: each (x in line, bitmap, source x, source y, width, height).
    struct Placed {
        int x;
        const Pixels* bitmap;
        int src_x, src_y, width, height;
    };
    Pixels Line(int line, int view, std::vector<Placed> glyphs) const {
        Pixels p{view, 11, std::vector<uint32_t>(static_cast<size_t>(view) * 11)};
        p.Paste(0, 0, main_, 13, line ? 94 : 68, view, 11);
        for (const Placed& g : glyphs) p.Paste(g.x, 0, *g.bitmap, g.src_x, g.src_y, g.width, g.height, true);
        return p;
    }

    Pixels main_, font_, digits_;
};

// Both lines in the skin's font; set in normal mode, they are drawn again in
// the shade font when the mode changes, and the one shade slot shows the line
// that ShadeLine names.
TEST_F(TitleLines, BothLinesInTheSkinFontAndTheShadeSlotShowsTheNamedOne) {
    TitleDisplay titles(Window, TestSkin(), ShadeLine, 5);
    titles.SetDiscLine(std::string("AB"));
    titles.SetTrackLine(std::string("'7"));
    titles.Start();
    // A and B 9 pixels apart; the apostrophe advances 5; digits come from the LCD digits, one row up.
    EXPECT_TRUE(Shows(13, 68, Line(0, 195, {{0, &font_, 0, 0, 7, 11}, {9, &font_, 8, 0, 7, 11}})));
    EXPECT_TRUE(Shows(13, 94, Line(1, 195, {{0, &font_, 48, 24, 7, 11}, {5, &digits_, 56, 29, 7, 11}})));
    TestSkin().DisplayMode = kDisplayShade;
    EXPECT_TRUE(Shows(109, 4, Line(0, 109, {{0, &font_, 0, 48, 5, 8}, {6, &font_, 6, 48, 5, 8}})));
    ShadeLine = kShadeTrackLine;
    EXPECT_TRUE(Shows(109, 4, Line(0, 109, {{0, &font_, 36, 66, 5, 8}, {3, &digits_, 122, 28, 5, 8}})));
}

TEST_F(TitleLines, AClearedLineShowsTheBareGlass) {
    TitleDisplay titles(Window, TestSkin(), ShadeLine, 5);
    titles.SetDiscLine(std::string("HELLO"));
    titles.Start();
    EXPECT_TRUE(Within(3000, [&] { return !SameRegion(Capture(), 13, 68, main_, 13, 68, 195, 11); }));
    titles.SetDiscLine(std::nullopt);
    EXPECT_TRUE(Shows(13, 68, Line(0, 195, {})));
}

TEST_F(TitleLines, ALongTitleScrollsRoundAndRound) {
    TitleDisplay titles(Window, TestSkin(), ShadeLine, 5);
    titles.SetScrollStyle(kScrollRoundAndRound);
    titles.SetDiscLine(std::string("Miles Davis / Kind of Blue (1959 Stereo Remaster)"));
    titles.Start();
    // A moving line differs from one look to the next; one that stands still
    // changes only while it is first painted.
    Pixels last = Capture();
    int changes = 0;
    EXPECT_TRUE(Within(5000, [&] {
        const Pixels now = Capture();
        changes += !SameRegion(now, 13, 68, last, 13, 68, 195, 11);
        last = now;
        return changes >= 10;
    })) << changes << " changes";
}

TEST_F(TitleLines, StoppedWorkersDrawNoMore) {
    TitleDisplay titles(Window, TestSkin(), ShadeLine, 5);
    titles.SetDiscLine(std::string("AB"));
    titles.Start();
    ASSERT_TRUE(Within(3000, [&] { return !SameRegion(Capture(), 13, 68, main_, 13, 68, 195, 11); }));
    titles.Stop();
    // Paint the line black; a running worker would restore it on redraw within a tick.
    HDC window = GetDC(Window);
    PatBlt(window, 13, 68, 195, 11, BLACKNESS);
    ReleaseDC(Window, window);
    titles.RequestRedraw();
    Within(200, [] { return false; });  // forty ticks
    const Pixels got = Capture();
    for (int x = 13; x < 208; ++x) ASSERT_EQ(got.at(x, 70), 0u) << x;
}

}  // namespace
