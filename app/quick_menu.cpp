// The QuickMenu, its drive menu, the menus' banner item and the Quick Track menu.
#include <algorithm>
#include <cstdio>
#include <semaphore>
#include <string>

#include "app/menus.h"
#include "app/player.h"
#include "app/playback.h"
#include "app/quick_track_items.h"
#include "display/title_display.h"
#include "resources/resource.h"

namespace {

const Text& TitleOf(const DiscRecord& disc, int32_t track) {
    static const Text none;
    return track >= 1 && track <= kMaxTracks ? disc.track_titles[track - 1] : none;
}

// A menu takes "&" as the mark of its access key; a title shows it as typed.
std::string MenuText(const std::string& text) {
    std::string shown;
    for (const char c : text) shown += c == '&' ? "&&" : std::string(1, c);
    return shown;
}

}  // namespace

void InsertBanner(HMENU menu, UINT banner_id) {
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    item.fType = MFT_OWNERDRAW;
    item.fState = MFS_DISABLED | MFS_GRAYED;
    item.wID = banner_id;
    InsertMenuItemA(menu, 0, TRUE, &item);
}

void QuickTrackMenu(HMENU popup) {
    const DiscRecord& disc = *Player.Disc;
    const std::span<const PlayOrderEntry> order = CurrentOrder();
    const int32_t count = std::min<int32_t>(disc.track_count, static_cast<int32_t>(order.size()));
    // A title scroller or the query thread may be replacing the titles.
    std::binary_semaphore& lock = Player.TitleDisplay->Locks().track_line;
    lock.acquire();
    InsertBanner(popup, kTrackBanner);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t track = order[i].track;
        std::string text = MenuText(quick_track_text(track, TitleOf(disc, track)));
        MENUITEMINFOA item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        item.fType = MFT_STRING | (quick_track_column_start(i) ? MFT_MENUBARBREAK : 0);
        item.fState = (disc.playing && i == disc.current_index ? MFS_CHECKED : 0) |
                      (order[i].excluded ? MFS_DISABLED | MFS_GRAYED : 0);
        item.wID = IDM_TRACK_FIRST + i;
        item.dwTypeData = text.data();
        InsertMenuItemA(popup, i + 1, TRUE, &item);
    }
    // A single track would leave the column shorter than its banner.
    if (count == 1) AppendMenuA(popup, MF_STRING | MF_GRAYED, 0, "");
    lock.release();
}

void DriveMenu(HMENU popup) {
    const DWORD drives = GetLogicalDrives();
    UINT at = 1;
    for (int32_t n = 0; n < 26; ++n) {
        if (!(drives & (1u << n))) continue;
        char root[] = {static_cast<char>('A' + n), ':', '\0'};
        if (GetDriveTypeA(root) != DRIVE_CDROM) continue;
        char text[16];
        std::snprintf(text, sizeof text, "Drive %c:", 'A' + n);
        MENUITEMINFOA item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        item.fType = MFT_STRING | MFT_RADIOCHECK;
        item.fState = n == Settings.UseDrive ? MFS_CHECKED : 0;
        item.wID = IDM_DRIVE_FIRST + n;
        item.dwTypeData = text;
        InsertMenuItemA(popup, at++, TRUE, &item);
    }
}

void ShowQuickMenu(POINT at) {
    const HMENU menu = LoadMenuA(Player.Instance, MAKEINTRESOURCEA(IDR_QUICK_MENU));
    if (!menu) return;
    const HMENU popup = GetSubMenu(menu, 0);
    const HMENU drives = CreatePopupMenu();
    DriveMenu(drives);
    InsertMenuA(popup, 3, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(drives), "CDROMs");
    InsertBanner(popup, kMenuBanner);
    CheckMenuItem(popup, IDM_ALWAYS_ON_TOP, Settings.AlwaysOnTop == 8 ? MF_CHECKED : MF_UNCHECKED);
    if (Player.Skin.Shaded()) CheckMenuItem(popup, IDM_SHADE_MODE, MF_CHECKED);
    TrackPopupMenuEx(popup, 0, at.x, at.y, Player.MainWindow, nullptr);
    DestroyMenu(menu);  // with the drive menu inside it
}

void ShowQuickTrackMenu(POINT at, bool shade) {
    const HMENU menu = CreatePopupMenu();
    if (!menu) return;
    QuickTrackMenu(menu);
    UINT flags = TPM_CENTERALIGN | TPM_RIGHTBUTTON;
    TPMPARAMS keep_clear{};
    keep_clear.cbSize = sizeof keep_clear;
    if (shade) {
        flags |= TPM_VERTICAL;
        RECT& strip = keep_clear.rcExclude;
        GetWindowRect(Player.MainWindow, &strip);
        // Wine ignores the rectangle to keep clear: the menu starts at the
        // strip's edge, on the side of the screen with more room.
        MONITORINFO screen{};
        screen.cbSize = sizeof screen;
        GetMonitorInfoA(MonitorFromWindow(Player.MainWindow, MONITOR_DEFAULTTONEAREST), &screen);
        const bool above = strip.top - screen.rcWork.top > screen.rcWork.bottom - strip.bottom;
        at.y = above ? strip.top : strip.bottom;
        if (above) flags |= TPM_BOTTOMALIGN;
    }
    TrackPopupMenuEx(menu, flags, at.x, at.y, Player.MainWindow, shade ? &keep_clear : nullptr);
    DestroyMenu(menu);
}
