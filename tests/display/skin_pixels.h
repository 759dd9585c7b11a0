#pragma once
// The GDI tests' skin: loaded from the test program's resources for the code
// to draw with, and read from the skin's files for the expectations.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/skin.h"
#include "resources/resource.h"

inline Skin& TestSkin() {
    static Skin skin;
    return skin;
}

inline bool LoadTestSkin() {
    auto load = [](OwnedBitmap& b, int id) {
        if (!b) b.reset(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)));
        return static_cast<bool>(b);
    };
    Skin& s = TestSkin();
    return load(s.Main, IDB_MAIN) && load(s.Shade, IDB_SHADE) && load(s.Sprites, IDB_SPRITES) &&
           load(s.Digits, IDB_DIGITS) && load(s.Font, IDB_FONT) && load(s.MenuBanner, IDB_MENU_BANNER) &&
           load(s.Tracks, IDB_TRACKS);
}

struct Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> px;  // 0x00RRGGBB
    uint32_t& at(int x, int y) { return px[static_cast<size_t>(y) * width + x]; }
    // Puts a w x h piece of `from` at (sx, sy) here at (x, y), copied or ORed.
    void Paste(int x, int y, Pixels& from, int sx, int sy, int w, int h, bool ored = false) {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) at(x + i, y + j) = (ored ? at(x + i, y + j) : 0) | from.at(sx + i, sy + j);
    }
};

inline Pixels Read(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    Pixels p{info.bmWidth, info.bmHeight, std::vector<uint32_t>(static_cast<size_t>(info.bmWidth) * info.bmHeight)};
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, p.width, -p.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};  // top-down
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(p.height), p.px.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (uint32_t& v : p.px) v &= 0xffffff;
    return p;
}

// resources/skin/`name` read from the source folder through Wine's Z: drive.
inline Pixels SkinFile(const char* name) {
    const std::string path = std::string("Z:") + BRD_SOURCE_DIR + "/resources/skin/" + name;
    HANDLE bitmap = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    Pixels p = bitmap ? Read(static_cast<HBITMAP>(bitmap)) : Pixels{};
    DeleteObject(bitmap);
    return p;
}

// A memory bitmap to draw on, filled with one colour.
struct Canvas {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap;
    HGDIOBJ old;
    Canvas(int width, int height, COLORREF fill = RGB(255, 0, 255)) {
        HDC screen = GetDC(nullptr);
        bitmap = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bitmap);
        SelectObject(dc, GetStockObject(DC_BRUSH));
        SetDCBrushColor(dc, fill);
        PatBlt(dc, 0, 0, width, height, PATCOPY);
    }
    ~Canvas() {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    Pixels Snapshot() const {  // read with the bitmap out of the context, as GetDIBits asks
        SelectObject(dc, old);
        Pixels p = Read(bitmap);
        SelectObject(dc, bitmap);
        return p;
    }
};

// Compares a w x h region of `got` at (x, y) with `want` at (sx, sy) (all of `want` without w).
inline ::testing::AssertionResult Same(Pixels got, int x, int y, Pixels want, int sx = 0, int sy = 0, int w = 0,
                                       int h = 0) {
    int wrong = 0;
    for (int j = 0; j < (w ? h : want.height); ++j)
        for (int i = 0; i < (w ? w : want.width); ++i) wrong += got.at(x + i, y + j) != want.at(sx + i, sy + j);
    if (wrong) return ::testing::AssertionFailure() << wrong << " pixels differ";
    return ::testing::AssertionSuccess();
}
