// Shows the real main window with a disc title and a track title, for the
// screenshot test: display_shot <normal|shade> <NameScrolling> <seconds>.
// It runs start-up's window steps, sets the two title lines directly (there
// is no disc) and quits after the given time without the shutdown sequence,
// so it leaves no settings behind.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/button_bank.h"
#include "app/placement.h"
#include "app/player.h"
#include "app/slider_state.h"
#include "app/startup.h"
#include "display/title_display.h"
#include "display/title_scroll.h"

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const bool shade = std::strcmp(argv[1], "shade") == 0;
    Settings = first_run_settings();
    Settings.NameScrolling = std::atoi(argv[2]);
    Settings.xWinPos = 100;
    Settings.yWinPos = 100;
    Player.Instance = GetModuleHandleA(nullptr);
    LoadSkin();
    RegisterClasses();
    CreateWindows();
    Player.Disc = std::make_shared<DiscRecord>(Player.MainWindow);
    Player.TitleDisplay = std::make_unique<TitleDisplay>(Player.MainWindow, Player.Skin, Player.ShadeLine);
    Player.TitleDisplay->SetScrollStyle(Settings.NameScrolling);
    Player.SliderState = std::make_unique<SliderState>();
    Player.ButtonBank = std::make_unique<ButtonBank>();
    Player.ShadeLine = kShadeDiscLine;
    ApplyStartState(shade ? 3 : 1);
    ShowWindow(Player.ControlsWindow, SW_SHOW);
    if (!shade) ShowWindow(Player.SliderWindow, SW_SHOW);
    ShowWindow(Player.TracksWindow, SW_HIDE);
    UpdateWindow(Player.MainWindow);

    Player.TitleDisplay->SetDiscLine(std::string("Miles Davis / 1959: Kind of Blue (Stereo Remaster)"));
    Player.TitleDisplay->SetTrackLine(std::string("So What"));
    Player.TitleDisplay->Start();

    SetTimer(nullptr, 0, static_cast<UINT>(std::atoi(argv[3]) * 1000), nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && !msg.hwnd) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    Player.TitleDisplay.reset();  // stops the workers while the window still exists
    return 0;
}
