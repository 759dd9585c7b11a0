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
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "BRD_PlacementTest";
        RegisterClassA(&wc);
        Player.MainWindow = CreateWindowExA(0, "BRD_PlacementTest", "BRD", WS_POPUP | WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX,
                                            200, 150, 297, 162, nullptr, nullptr, wc.hInstance, nullptr);
        auto child = [&](int x, int y, int w, int h) {
            return CreateWindowExA(0, "BRD_PlacementTest", nullptr, WS_CHILD | WS_VISIBLE, x, y, w, h, Player.MainWindow,
                                   nullptr, wc.hInstance, nullptr);
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
    static LONG Width(const RECT& r) { return r.right - r.left; }
    // A child's box in the main window's client coordinates.
    static RECT ChildBox(HWND child) {
        RECT r = Rect(child);
        MapWindowPoints(nullptr, Player.MainWindow, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
};

TEST_F(Placement, StoredShadeMinimizedStartsThatWayAndIsUsedOnce) {
    Settings.StartWinState = 7;
    ApplyStartState(Settings.StartWinState);
    EXPECT_EQ(Player.Skin.DisplayMode, kDisplayShade);
    EXPECT_TRUE(IsIconic(Player.MainWindow));
    EXPECT_FALSE(IsWindowVisible(Player.SliderWindow));
    EXPECT_EQ(Settings.StartWinState, 0);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(Player.MainWindow, &placement);
    EXPECT_EQ(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top, 19);
}

TEST_F(Placement, NormalStartKeepsTheChoice) {
    Settings.StartWinState = 1;
    ApplyStartState(1);
    EXPECT_EQ(Player.Skin.DisplayMode, kDisplayNormal);
    EXPECT_TRUE(IsWindowVisible(Player.MainWindow));
    EXPECT_FALSE(IsIconic(Player.MainWindow));
    EXPECT_EQ(Settings.StartWinState, 1);
}

TEST_F(Placement, ShadeToggleKeepsTheCornerAndMovesTheChildren) {
    ApplyStartState(1);
    ToggleShade();
    RECT r = Rect(Player.MainWindow);
    EXPECT_EQ(Player.Skin.DisplayMode, kDisplayShade);
    EXPECT_EQ((std::array{r.left, r.top, r.right - r.left, r.bottom - r.top}), (std::array<LONG, 4>{200, 150, 297, 19}));
    EXPECT_EQ(Width(ChildBox(Player.ControlsWindow)), 81);
    EXPECT_EQ(Width(ChildBox(Player.TracksWindow)), 38);
    EXPECT_FALSE(IsWindowVisible(Player.SliderWindow));
    EXPECT_EQ(Player.ShadeLine, 66);  // stopped: the disc line

    ToggleShade();
    r = Rect(Player.MainWindow);
    EXPECT_EQ(Player.Skin.DisplayMode, kDisplayNormal);
    EXPECT_EQ((std::array{r.left, r.top, r.right - r.left, r.bottom - r.top}), (std::array<LONG, 4>{200, 150, 297, 162}));
    EXPECT_EQ(Width(ChildBox(Player.ControlsWindow)), 163);
    EXPECT_TRUE(IsWindowVisible(Player.SliderWindow));
}

TEST_F(Placement, DraggingSnapsToTheWorkAreaEdgesWithTheWindowsHeight) {
    ApplyStartState(1);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    Player.DragX = 40;
    Player.DragY = 6;
    // Pointer positions are in client coordinates of the window as it is
    // before each move, as WM_MOUSEMOVE gives them.
    auto drag_corner_to = [](int left, int top) {
        POINT p{left + Player.DragX, top + Player.DragY};
        ScreenToClient(Player.MainWindow, &p);
        DragTo(p.x, p.y);
        return Rect(Player.MainWindow);
    };
    RECT r = drag_corner_to(work.left + 7, 300);
    EXPECT_EQ(r.left, work.left);
    EXPECT_EQ(r.top, 300);
    EXPECT_EQ(drag_corner_to(work.left + 12, 300).left, work.left + 12);
    EXPECT_EQ(drag_corner_to(work.right - 6 - 297, 300).left, work.right - 297);
    ToggleShade();
    r = drag_corner_to(300, work.bottom - 19 - 4);
    EXPECT_EQ(r.top, work.bottom - 19);
    EXPECT_EQ(r.bottom - r.top, 19);
}

}  // namespace
