// The start-up window state, shade toggling and dragging on real windows.
#include "app/placement.h"

#include <windows.h>

#include <array>

#include <gtest/gtest.h>

#include "app/player.h"
#include "app/window_state.h"

namespace {

class Placement : public ::testing::Test {
protected:
    void SetUp() override {
        Player.MainWindow = CreateWindowExA(0, "STATIC", "BRD", WS_POPUP | WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX, 200, 150,
                                            297, 162, nullptr, nullptr, nullptr, nullptr);
        auto child = [](int x, int y, int w, int h) {
            return CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE, x, y, w, h, Player.MainWindow, nullptr,
                                   nullptr, nullptr);
        };
        Player.ControlsWindow = child(13, 125, 163, 24);
        Player.TracksWindow = child(218, 19, 70, 136);
        Player.SliderWindow = child(12, 111, 196, 10);
        Player.Skin.DisplayMode = 0;
        Player.ShadeLine = 0;
        Settings.AlwaysOnTop = 0;
        Settings.EdgeResistance = 10;
    }
    void TearDown() override { DestroyWindow(Player.MainWindow); }

    static RECT Rect(HWND hwnd) {
        RECT r{};
        GetWindowRect(hwnd, &r);
        return r;
    }
};

// The arithmetic is the core tests' part; here the real windows follow it.
TEST_F(Placement, StoredShadeMinimizedStartsThatWayAndIsUsedOnce) {
    Settings.StartWinState = 7;
    ApplyStartState(Settings.StartWinState);
    EXPECT_TRUE(Player.Skin.DisplayMode == kDisplayShade && IsIconic(Player.MainWindow));
    EXPECT_FALSE(IsWindowVisible(Player.SliderWindow));
    EXPECT_EQ(Settings.StartWinState, 0);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(Player.MainWindow, &placement);
    EXPECT_EQ(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top, 19);
}

TEST_F(Placement, AStoredPlaceOffEveryMonitorComesOntoTheNearestOne) {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    for (const auto& [x, y, inside] : {std::tuple{-5000, 300, POINT{work.left, 300}},
                                        {work.right + 100, work.bottom + 100, POINT{work.right - 297, work.bottom - 162}},
                                        {work.right - 20, 200, POINT{work.right - 20, 200}}}) {  // partly on: kept
        SetWindowPos(Player.MainWindow, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ApplyStartState(1);
        EXPECT_EQ(Rect(Player.MainWindow).left, inside.x);
        EXPECT_EQ(Rect(Player.MainWindow).top, inside.y);
    }
}

TEST_F(Placement, ShadeKeepsTheCornerMovesTheChildrenAndSnapsWithItsOwnHeight) {
    ApplyStartState(1);
    EXPECT_TRUE(IsWindowVisible(Player.MainWindow) && !IsIconic(Player.MainWindow));
    const auto box = [](HWND w) { RECT r = Rect(w); return std::array{r.left, r.top, r.right - r.left, r.bottom - r.top}; };
    ToggleShade();
    EXPECT_EQ(Player.Skin.DisplayMode, kDisplayShade);
    EXPECT_EQ(box(Player.MainWindow), (std::array<LONG, 4>{200, 150, 297, 19}));
    EXPECT_TRUE(box(Player.ControlsWindow)[2] == 81 && box(Player.TracksWindow)[2] == 38);
    EXPECT_FALSE(IsWindowVisible(Player.SliderWindow));
    EXPECT_EQ(Player.ShadeLine, 66);  // stopped: the disc line

    // Pointer positions are in client coordinates of the window as it is
    // before the move, as WM_MOUSEMOVE gives them.
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    Player.DragX = 40, Player.DragY = 6;
    POINT p{300 + 40, work.bottom - 19 - 4 + 6};
    ScreenToClient(Player.MainWindow, &p);
    DragTo(p.x, p.y);
    EXPECT_EQ(box(Player.MainWindow), (std::array<LONG, 4>{300, work.bottom - 19, 297, 19}));

    ToggleShade();
    EXPECT_EQ(Player.Skin.DisplayMode, kDisplayNormal);
    EXPECT_EQ(box(Player.MainWindow), (std::array<LONG, 4>{300, work.bottom - 19, 297, 162}));
    EXPECT_EQ(box(Player.ControlsWindow)[2], 163);
    EXPECT_TRUE(IsWindowVisible(Player.SliderWindow));
}

}  // namespace
