#include "display/skin_draw.h"

#include "base/memory_surface.h"
#include "base/owned_handles.h"

namespace {

HANDLE SkinLock() {
    static const OwnedHandle lock = CreateLock();
    return lock.get();
}

// One blit from a skin bitmap, the bitmap selected only for its duration.
template <typename Blit>
void WithSkin(HDC dc, HBITMAP bitmap, int src_x, int src_y, Blit blit) {
    if (!dc || !bitmap) return;
    SemaphoreSlot slot(SkinLock());
    OwnedDC memory{CreateCompatibleDC(dc)};
    if (!memory) return;
    const HGDIOBJ old = SelectObject(memory.get(), bitmap);
    SetMapMode(memory.get(), GetMapMode(dc));
    POINT origin{src_x, src_y};
    DPtoLP(memory.get(), &origin, 1);
    blit(memory.get(), origin);
    SelectObject(memory.get(), old);
}

void Blit(HDC dc, int x, int y, int width, int height, int src_x, int src_y, HBITMAP bitmap, DWORD rop) {
    WithSkin(dc, bitmap, src_x, src_y, [&](HDC memory, POINT origin) {
        BitBlt(dc, x, y, width, height, memory, origin.x, origin.y, rop);
    });
}

}  // namespace

void DrawBitmap(HDC dc, int x, int y, HBITMAP bitmap) {
    BITMAP info{};
    if (!GetObjectA(bitmap, sizeof info, &info)) return;
    Blit(dc, x, y, info.bmWidth, info.bmHeight, 0, 0, bitmap, SRCCOPY);
}

void BlitCopy(HDC dc, int x, int y, int width, int height, int src_x, int src_y, HBITMAP bitmap) {
    Blit(dc, x, y, width, height, src_x, src_y, bitmap, SRCCOPY);
}

void BlitCopyEach(HDC dc, HBITMAP bitmap, std::span<const SpriteBlit> blits) {
    if (blits.empty()) return;
    WithSkin(dc, bitmap, 0, 0, [&](HDC memory, POINT) {
        for (const SpriteBlit& b : blits) {
            POINT origin{b.src_x, b.src_y};
            DPtoLP(memory, &origin, 1);
            BitBlt(dc, b.x, b.y, b.width, b.height, memory, origin.x, origin.y, SRCCOPY);
        }
    });
}

void BlitOr(HDC dc, int x, int y, int width, int height, int src_x, int src_y, HBITMAP bitmap) {
    Blit(dc, x, y, width, height, src_x, src_y, bitmap, SRCPAINT);
}

void BlitStretch(HDC dc, const Skin& skin, int x, int y, int width, int height, int src_x, int src_y,
                 int src_width, int src_height, HBITMAP bitmap) {
    const DWORD rop = skin.Shaded() ? SRCCOPY : SRCPAINT;
    WithSkin(dc, bitmap, src_x, src_y, [&](HDC memory, POINT origin) {
        const int previous = SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, x, y, width, height, memory, origin.x, origin.y, src_width, src_height, rop);
        SetStretchBltMode(dc, previous);
    });
}

void DrawNumber(HDC dc, const Skin& skin, int x, int y, int value, bool lit) {
    for (const SpriteBlit& b : number_blits(x, y, value, lit)) BlitCopy(dc, b, skin.Digits.get());
}

void DrawMenuBanner(const Skin& skin, const DRAWITEMSTRUCT* item, UINT item_id) {
    if (!item) return;
    RECT client{};
    GetClientRect(WindowFromDC(item->hDC), &client);
    const int menu_height = client.bottom - client.top + 1;
    for (const SpriteBlit& b :
         menu_banner_blits(static_cast<int>(item_id), item->rcItem.left, item->rcItem.top, menu_height))
        BlitCopy(item->hDC, b, skin.MenuBanner.get());
}
