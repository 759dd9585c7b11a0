// The real main window's menus with a 40-track disc (track 7 playing, position 4 excluded): the system menu, the
// QuickMenu and TrayMenu looked at from a second thread while open, as the user sees them; the tray icon's return.
#include "app/menus.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <thread>

#include "app/playback.h"
#include "app/player.h"
#include "app/startup.h"
#include "app/tray.h"
#include "display/title_display.h"
#include "display/track_grid.h"
#include "resources/resource.h"
#include "support/test_drive.h"

namespace {

// An item's text, and its type, state, id and popup.
std::pair<std::string, MENUITEMINFOA> At(HMENU menu, int position) {
    char text[128] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info, info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text, info.cch = sizeof text;
    GetMenuItemInfoA(menu, position, TRUE, &info);
    return {text, info};
}
std::string Text(HMENU menu, int position) { return At(menu, position).first; }
// The positions (below `end`) of the items other than separators with the flag in their type or state.
std::vector<int> With(HMENU menu, UINT flag, int end = 100) {
    std::vector<int> found;
    for (int p = 0; p < std::min(end, GetMenuItemCount(menu)); ++p)
        if (const UINT type = At(menu, p).second.fType; !(type & MFT_SEPARATOR) && (type | At(menu, p).second.fState) & flag)
            found.push_back(p);
    return found;
}
template <class Open, class Look> void WhileOpen(Open open, Look look) {
    std::thread user([&] {
        HWND popup = nullptr;
        for (int i = 0; i < 400 && !IsWindowVisible(popup); ++i, Sleep(25)) popup = FindWindowA("#32768", nullptr);
        look(reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0)));
        PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    open();
    user.join();
}

TEST(Menus, SystemQuickAndTrayMenusShowTheDiscTheDrivesAndThePlayersState) {
    TestDrive drive{'M'};
    Settings = first_run_settings(), Settings.UseDrive = 'M' - 'A';
    Player.Instance = GetModuleHandleA(nullptr), LoadSkin(), RegisterClasses(), CreateWindows();
    const HMENU system = GetSystemMenu(Player.MainWindow, FALSE);
    EXPECT_EQ(Text(system, 1) + Text(system, 2) + std::to_string(At(system, 2).second.wID),
              "Quick TrackPreferences666");
    EXPECT_EQ(With(system, MFS_GRAYED, 4), (std::vector<int>{0, 1}));  // the banner, Quick Track without a disc
    EXPECT_EQ(GetMenuState(system, SC_SIZE, 0) & GetMenuState(system, SC_MAXIMIZE, 0), UINT(-1));

    Player.TitleDisplay = std::make_unique<TitleDisplay>(Player.MainWindow, Player.Skin, Player.ShadeLine);
    DiscRecord& disc = *(Player.Disc = std::make_shared<DiscRecord>(Player.MainWindow));
    disc.track_count = 40, disc.loaded = disc.playing = 1, disc.current_index = 6;
    for (int t = 0; t < 40; ++t) disc.track_titles[t] = "Song " + std::to_string(t + 1);
    disc.track_titles[6] = "Twenty-nine characters long!!", disc.track_titles[7] = std::string(28, 't');
    Player.TrackGrid = std::make_unique<TrackGrid>(Player.TracksWindow, Player.Skin, 40);
    CurrentOrder()[3].excluded = 1;
    SendMessageA(Player.MainWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(system), MAKELPARAM(0, TRUE));
    const HMENU tracks = At(system, 1).second.hSubMenu;
    EXPECT_EQ(GetMenuItemCount(tracks) * 10 + At(tracks, 0).second.wID, 411u);  // 40 tracks, and the banner with id 1
    EXPECT_EQ(With(tracks, MFT_MENUBARBREAK), (std::vector<int>{1, 34}));  // 33 tracks, then 7
    EXPECT_EQ(With(tracks, MFS_CHECKED), std::vector<int>{7});
    EXPECT_EQ(With(tracks, MFS_GRAYED), (std::vector<int>{0, 4}));
    EXPECT_EQ(Text(tracks, 7) + "|" + Text(tracks, 8), "07. Twenty-nine characters ...|08. " + std::string(26, 't'));

    // In shade mode the menu opens below the one-line window, or above it near the screen's foot; never over it.
    for (const int y : {50, 700}) {
        SetWindowPos(Player.MainWindow, nullptr, 300, y, 297, 19, SWP_NOZORDER);
        WhileOpen([y] { ShowQuickTrackMenu({400, y + 10}, true); }, [](HMENU) {
            RECT menu, window, both;
            GetWindowRect(FindWindowA("#32768", nullptr), &menu), GetWindowRect(Player.MainWindow, &window);
            EXPECT_FALSE(IntersectRect(&both, &menu, &window)) << menu.top << ".." << menu.bottom;
        });
    }
    WhileOpen([] { ShowQuickMenu({300, 300}); }, [](HMENU menu) {
        const HMENU drives = At(menu, 4).second.hSubMenu;
        const std::vector<int> checked = With(drives, MFS_CHECKED);
        ASSERT_EQ(Text(menu, 4) + std::to_string(checked.size()), "CDROMs1");
        EXPECT_EQ(Text(drives, checked[0]), "Drive M:");
        EXPECT_EQ(With(drives, MFT_RADIOCHECK).size(), size_t(GetMenuItemCount(drives)));
    });
    for (const bool paused : {false, true}) {
        disc.paused = paused;
        WhileOpen([] { OnTrayMessage(Player.MainWindow, WM_RBUTTONUP); }, [&](HMENU menu) {
            EXPECT_EQ(GetMenuItemCount(At(menu, 1).second.hSubMenu), 41);
            EXPECT_EQ(Text(menu, 8) + "|" + Text(menu, 11), "PAUSE\tT|&Restore");
            EXPECT_EQ(With(menu, MFS_CHECKED), paused ? std::vector<int>{8} : std::vector<int>{});
            EXPECT_EQ(With(menu, MFS_GRAYED), (std::vector<int>{0, 11}));  // Restore, while not minimized
        });
    }

    // A restarting shell loses the icon: a minimized tray-only player stays in sight till "TaskbarCreated" adds it.
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE, icon.hWnd = Player.MainWindow, icon.uID = BRD_TRAY_ICON_ID;
    Settings.IconType = kIconTray, TrayAdd(IDI_BRD), Shell_NotifyIconA(NIM_DELETE, &icon);
    ShowWindow(Player.MainWindow, SW_SHOWMINNOACTIVE);
    EXPECT_TRUE(IsWindowVisible(Player.MainWindow));
    SendMessageA(Player.MainWindow, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &icon) && !IsWindowVisible(Player.MainWindow));
    Player.TrackGrid.reset(), Player.TitleDisplay.reset(), TrayRemove();  // not the shutdown: it would save settings
}

}  // namespace
