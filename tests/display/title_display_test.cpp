// The title display's workers drawing into a real window.
#include "display/title_display.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "display/skin_pixels.h"

namespace {

class TitleLines : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadTestSkin());
        TestSkin().DisplayMode = kDisplayNormal;
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = "BRD_TitleTest";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 295, 160, nullptr,
                                  nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(window_);
    }
    void TearDown() override { DestroyWindow(window_); }

    // Pumps the window's messages for up to `ms` or until `done` holds.
    template <typename Done>
    static bool Within(int ms, Done done) {
        for (const DWORD end = GetTickCount() + static_cast<DWORD>(ms);; Sleep(10)) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            if (done()) return true;
            if (static_cast<int>(end - GetTickCount()) < 0) return false;
        }
    }
    Pixels Capture() const {
        Canvas canvas(295, 160);
        HDC window = GetDC(window_);
        BitBlt(canvas.dc, 0, 0, 295, 160, window, 0, 0, SRCCOPY);
        ReleaseDC(window_, window);
        return canvas.Snapshot();
    }
    // Waits until the window shows, at (x, y), `view` pixels of the glass behind normal line `line`
    // with glyphs ORed on: each {x in line, bitmap, source x, source y, width, height}.
    struct Placed { int x; Pixels* bitmap; int src_x, src_y, width, height; };
    bool Shows(int x, int y, int line, int view, std::vector<Placed> glyphs) {
        Pixels want{view, 11, std::vector<uint32_t>(static_cast<size_t>(view) * 11)};
        want.Paste(0, 0, main_, 13, line ? 94 : 68, view, 11);
        for (const Placed& g : glyphs) want.Paste(g.x, 0, *g.bitmap, g.src_x, g.src_y, g.width, g.height, true);
        return Within(3000, [&] { return Same(Capture(), x, y, want); });
    }

    HWND window_ = nullptr;
    std::atomic<int32_t> shade_line_{0};
    Pixels main_ = SkinFile("main.bmp"), font_ = SkinFile("font.bmp"), digits_ = SkinFile("digits.bmp");
};

TEST_F(TitleLines, BothLinesInTheSkinFontTheShadeSlotShowsTheNamedOneAndAClearedLineTheGlass) {
    TitleDisplay titles(window_, TestSkin(), shade_line_, 5);
    titles.SetDiscLine(std::string("AB"));
    titles.SetTrackLine(std::string("'7"));
    titles.Start();
    // A and B 9 pixels apart; the apostrophe advances 5; digits come from the LCD digits, one row up.
    EXPECT_TRUE(Shows(13, 68, 0, 195, {{0, &font_, 0, 0, 7, 11}, {9, &font_, 8, 0, 7, 11}}));
    EXPECT_TRUE(Shows(13, 94, 1, 195, {{0, &font_, 48, 24, 7, 11}, {5, &digits_, 56, 29, 7, 11}}));
    // Drawn again in the shade font; until ShadeLine is first set (0) the disc line has the one slot.
    TestSkin().DisplayMode = kDisplayShade;
    EXPECT_TRUE(Shows(109, 4, 0, 109, {{0, &font_, 0, 48, 5, 8}, {6, &font_, 6, 48, 5, 8}}));
    shade_line_ = kShadeTrackLine;
    EXPECT_TRUE(Shows(109, 4, 0, 109, {{0, &font_, 36, 66, 5, 8}, {3, &digits_, 122, 28, 5, 8}}));
    shade_line_ = kShadeDiscLine;
    EXPECT_TRUE(Shows(109, 4, 0, 109, {{0, &font_, 0, 48, 5, 8}, {6, &font_, 6, 48, 5, 8}}));
    TestSkin().DisplayMode = kDisplayNormal;
    titles.SetDiscLine(std::nullopt);
    EXPECT_TRUE(Shows(13, 68, 0, 195, {}));
    // A title of a million letters shows its start at once: only what is in view is ever rendered.
    titles.SetDiscLine("A" + std::string(1000000, 'B'));
    std::vector<Placed> start = {{0, &font_, 0, 0, 7, 11}};
    for (int x = 9; x < 195; x += 9) start.push_back({x, &font_, 8, 0, std::min(7, 195 - x), 11});
    EXPECT_TRUE(Shows(13, 68, 0, 195, start));
}

TEST_F(TitleLines, ALongTitleScrollsRoundAndRoundUntilTheWorkersStop) {
    TitleDisplay titles(window_, TestSkin(), shade_line_, 5);
    titles.SetScrollStyle(kScrollRoundAndRound);
    titles.SetDiscLine(std::string("Miles Davis / Kind of Blue (1959 Stereo Remaster)"));
    titles.Start();
    // A line that stands still changes only while it is first painted.
    Pixels last = Capture();
    int changes = 0;
    EXPECT_TRUE(Within(5000, [&] {
        changes += !Same(Capture(), 13, 68, last, 13, 68, 195, 11);
        last = Capture();
        return changes >= 10;
    })) << changes << " changes";
    titles.Stop();
    // Paint the line black; a running worker would draw on it within a tick.
    HDC window = GetDC(window_);
    PatBlt(window, 13, 68, 195, 11, BLACKNESS);
    ReleaseDC(window_, window);
    titles.RequestRedraw();
    Within(200, [] { return false; });  // forty ticks
    Pixels got = Capture();
    for (int x = 13; x < 208; ++x) ASSERT_EQ(got.at(x, 70), 0u) << x;
}

}  // namespace
