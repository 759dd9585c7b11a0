#include "app/startup.h"

#include <commctrl.h>
#include <direct.h>
#include <prsht.h>

#include <cstdio>

#include "app/button_bank.h"
#include "app/child_windows.h"
#include "app/idle_animation.h"
#include "app/main_window.h"
#include "app/placement.h"
#include "app/playback.h"
#include "app/player.h"
#include "app/settings_store.h"
#include "app/slider_state.h"
#include "app/startup_rules.h"
#include "app/tray.h"
#include "app/window_state.h"
#include "app/write_failures.h"
#include "cdaudio/cd_device.h"
#include "cddb/query_thread.h"
#include "discinfo/database.h"
#include "display/title_display.h"
#include "display/track_grid.h"
#include "resources/resource.h"

namespace {

constexpr char kMainClass[] = "BRD";

}  // namespace

void LoadSkin() {
    auto load = [](OwnedBitmap& bitmap, int id) {
        bitmap.reset(LoadBitmapA(Player.Instance, MAKEINTRESOURCEA(id)));
    };
    load(Player.Skin.Main, IDB_MAIN);
    load(Player.Skin.Shade, IDB_SHADE);
    load(Player.Skin.Sprites, IDB_SPRITES);
    load(Player.Skin.Tracks, IDB_TRACKS);
    load(Player.Skin.Font, IDB_FONT);
    load(Player.Skin.MenuBanner, IDB_MENU_BANNER);
    load(Player.Skin.Buttons, IDB_BUTTONS);
    load(Player.Skin.Digits, IDB_DIGITS);
    load(Player.Skin.Slider, IDB_SLIDER);
    // The icons' own 16 x 16 frames: the shell would shrink the 32 x 32 ones,
    // blurred. Not shared: the shared cache may hand out the size loaded
    // first. They live as long as the process, the first in the window class.
    auto small_icon = [](int id) {
        return static_cast<HICON>(LoadImageA(Player.Instance, MAKEINTRESOURCEA(id), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    };
    Player.IconStopped = small_icon(IDI_BRD);
    Player.IconPlaying = small_icon(IDI_PLAYING);
    Player.IconPaused = small_icon(IDI_PAUSED);
    Player.Accelerators = LoadAcceleratorsA(Player.Instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
}

namespace {

void RegisterClass(const char* name, UINT style, WNDPROC procedure, HICON icon = nullptr,
                   HICON small_icon = nullptr) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = Player.Instance;
    wc.hIcon = icon;
    wc.hIconSm = small_icon;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
}

}  // namespace

void RegisterClasses() {
    constexpr UINT kChildStyle = CS_BYTEALIGNCLIENT | CS_HREDRAW | CS_VREDRAW;
    const HICON large = LoadIconA(Player.Instance, MAKEINTRESOURCEA(IDI_BRD));
    RegisterClass(kMainClass, kChildStyle | CS_DBLCLKS, MainWndProc, large, Player.IconStopped);
    RegisterClass("BRD_Controls", kChildStyle, ControlsWndProc);
    RegisterClass("BRD_Tracks", kChildStyle, TracksWndProc);
    RegisterClass("BRD_Slider", kChildStyle, SliderWndProc);
}

namespace {

HWND CreateChild(const char* class_name, DWORD style, int x, int y, int width, int height, int id) {
    return CreateWindowExA(0, class_name, nullptr, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                           Player.MainWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           Player.Instance, nullptr);
}

}  // namespace

bool CreateWindows() {
    Player.MainWindow = CreateWindowExA(
        0, kMainClass, "BRD", WS_POPUP | WS_CLIPCHILDREN | WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX,
        Settings.xWinPos, Settings.yWinPos, 297, 162, nullptr, nullptr, Player.Instance, nullptr);
    Player.ControlsWindow = CreateChild("BRD_Controls", 0, 13, 125, 163, 24, IDC_CONTROLS_WINDOW);
    // Style bit 8 is the tracks class's own: the grid uses it to tell itself apart.
    Player.TracksWindow = CreateChild("BRD_Tracks", 8, 218, 19, 70, 136, IDC_TRACKS_WINDOW);
    Player.SliderWindow = CreateChild("BRD_Slider", 0, 12, 111, 196, 10, IDC_SLIDER_WINDOW);
    return Player.MainWindow && Player.ControlsWindow && Player.TracksWindow && Player.SliderWindow;
}

namespace {

void EnterProgramDirectory() {
    if (std::optional<std::string> folder = program_directory(GetCommandLineA())) _chdir(folder->c_str());
}

void ChooseDrive() {
    const DriveChoice choice = choose_drive(Settings.UseDrive, GetLogicalDrives(), [](int32_t drive) {
        return GetDriveTypeA(drive_root(drive).c_str()) == DRIVE_CDROM;
    });
    Settings.UseDrive = choice.use_drive;
    Player.DriveList = choice.drive_list;
}

// A modeless sheet gets first look at every message; a sheet without a
// current page has been closed by the user.
bool OfferToSheet(HWND& sheet, MSG& msg, bool save_on_close) {
    if (!sheet) return false;
    if (!PropSheet_GetCurrentPageHwnd(sheet)) {
        DestroyWindow(sheet);
        sheet = nullptr;
        if (save_on_close) SaveSettings();
        return false;
    }
    return PropSheet_IsDialogMessage(sheet, &msg);
}

int RunMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (OfferToSheet(Player.PrefsSheet, msg, true)) continue;
        if (OfferToSheet(Player.AboutSheet, msg, false)) continue;
        if (TranslateAcceleratorA(Player.MainWindow, Player.Accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

// What the loop leaves behind. A CDDB query still running shares the Disc
// record and the line locks, so they outlive the player's hold on them; it
// writes the titles only under those locks.
void ReleaseLongLivedObjects() {
    Player.TrackGrid.reset();
    if (Player.Disc) close_disc(*Player.Disc);
    Player.Disc.reset();
    Player.TitleDisplay.reset();
}

// What "OnExit" asks for the disc: left playing to its end, stopped or ejected.
void LeaveDisc() {
    DiscRecord& disc = *Player.Disc;
    switch (Settings.OnExit) {
        case 0:
            if (disc.playing) play_from(disc, kRunOut, CurrentOrder(), Settings.PlayType);
            break;
        case 1:
            if (disc.playing) stop_device(disc);
            break;
        case 2:
            if (disc.loaded) toggle_door(disc);
            break;
    }
}

// For the start-up benchmark: with BRD_STARTUP_TRACE naming a file, the
// performance counter at the end of each step goes into it.
class StepTrace {
    FILE* file_ = nullptr;

public:
    StepTrace() {
        char path[MAX_PATH];
        const DWORD length = GetEnvironmentVariableA("BRD_STARTUP_TRACE", path, sizeof path);
        if (length > 0 && length < sizeof path) file_ = std::fopen(path, "w");
    }
    ~StepTrace() {
        if (file_) std::fclose(file_);
    }
    StepTrace(const StepTrace&) = delete;
    StepTrace& operator=(const StepTrace&) = delete;
    void operator()(const char* step) {
        if (!file_) return;
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        std::fprintf(file_, "%s %lld\n", step, static_cast<long long>(now.QuadPart));
        std::fflush(file_);
    }
};

}  // namespace

int RunPlayer(HINSTANCE instance, const char* command_line) {
    StepTrace trace;
    trace("entry");
    if (HWND running = FindWindowA(kMainClass, nullptr)) {
        // A copy minimized to the tray only is hidden: starting the program
        // again is the user's other way back to it.
        if (!IsWindowVisible(running) || IsIconic(running)) ShowWindowAsync(running, SW_RESTORE);
        SetForegroundWindow(running);
        return 0;
    }
    LoadSettings();
    Player.QueryLock = CreateLock();
    trace("settings");
    Player.Instance = instance;
    LoadSkin();
    trace("skin");
    RegisterClasses();
    // Without its windows the player has nothing to run; a message loop
    // with no window to end it would never return.
    if (!CreateWindows()) return 1;
    WatchDatabaseWrites();
    trace("windows");
    EnterProgramDirectory();
    ChooseDrive();
    trace("drive choice");
    Player.Disc = std::make_shared<DiscRecord>(Player.MainWindow);
    Player.TitleDisplay = std::make_unique<TitleDisplay>(Player.MainWindow, Player.Skin, Player.ShadeLine);
    Player.TitleDisplay->SetScrollStyle(Settings.NameScrolling);
    Player.SliderState = std::make_unique<SliderState>();
    Player.ButtonBank = std::make_unique<ButtonBank>();
    trace("objects");
    if (Settings.IconType & kIconTray) TrayAdd(IDI_BRD);
    if (!(Settings.IconType & kIconTaskBar)) ShowTaskBarButton(false);
    ApplyStartState(Settings.StartWinState);
    ShowWindow(Player.ControlsWindow, SW_SHOW);
    ShowWindow(Player.SliderWindow, SW_SHOW);
    ShowWindow(Player.TracksWindow, SW_HIDE);
    UpdateWindow(Player.MainWindow);
    UpdateWindow(Player.ControlsWindow);
    UpdateWindow(Player.SliderWindow);
    InitCommonControls();
    trace("shown");
    SendMessageA(Player.MainWindow, WM_BRD_REQUEST, BRD_LOAD_REQUEST,
                 wants_play(command_line) ? BRD_LOAD_AND_PLAY : BRD_LOAD_ONLY);
    trace("load request");
    Player.TitleDisplay->Start();
    trace("title threads");
    WarnIfDatabaseFolderReadOnly();

    const int exit_code = RunMessageLoop();
    ReleaseLongLivedObjects();
    // A box shown inside the shutdown would run the window's timers there.
    ShowDatabaseWriteFailures();
    return exit_code;
}

void ShutDown() {
    // Nothing may start again from here on: the disc poll would restart the
    // idle animation or destroy the window a second time.
    KillTimer(Player.MainWindow, TIMER_DISC_POLL);
    StopIdleAnimation();
    if (Player.Disc && Player.Disc->loaded && (Settings.PlayOrder & 2)) SavePlayOrder();
    if (Settings.IconType & kIconTray) TrayRemove();
    if (Player.SystemMenu) DestroyMenu(Player.SystemMenu);
    Player.SystemMenu = nullptr;
    if (Player.Disc) LeaveDisc();

    if (Settings.StartWinState == 0) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        GetWindowPlacement(Player.MainWindow, &placement);
        Settings.StartWinState =
            recorded_start_win_state(Player.Skin.DisplayMode, placement.showCmd == SW_SHOWMINIMIZED);
    }
    SaveSettings();

    // Everything that draws from the skin stops before it goes: the title
    // workers, and the track grid with a scroll thread an arrow may still
    // hold.
    if (Player.TitleDisplay) Player.TitleDisplay->Stop();
    Player.TrackGrid.reset();
    Player.ServerList.clear();
    Player.DriveList.clear();
    Player.SliderState.reset();
    Player.ButtonBank.reset();
    Player.Skin.Main.reset();
    Player.Skin.Shade.reset();
    Player.Skin.Sprites.reset();
    Player.Skin.Tracks.reset();
    Player.Skin.Font.reset();
    Player.Skin.MenuBanner.reset();
    Player.Skin.Buttons.reset();
    Player.Skin.Digits.reset();
    Player.Skin.Slider.reset();
    Player.SmtpServer = {};
    Player.UserEmail = {};
    // A running query holds a handle of its own to the lock.
    Player.QueryLock.reset();
    PostQuitMessage(0);
}
