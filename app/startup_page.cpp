// The "Startup / Shutdown" page: what happens to the disc at start, exit,
// the end of the Play order, removal and loading, and the window's state at
// start-up.
#include <iterator>

#include "app/player.h"
#include "app/sheet_pages.h"
#include "resources/resource.h"

namespace {

// Radio groups, their buttons in the order of the setting's values.
constexpr int kOnStart[] = {IDC_START_RETAIN, IDC_START_STOP, IDC_START_PLAY};
constexpr int kOnExit[] = {IDC_EXIT_RETAIN, IDC_EXIT_STOP, IDC_EXIT_EJECT};
constexpr int kWinState[] = {IDC_WIN_SHUTDOWN, IDC_WIN_NORMAL, IDC_WIN_MINIMIZED, IDC_WIN_SHADE};

struct CheckBox {
    int id;
    int32_t SettingsRecord::*setting;
};
// "DoNextCD" is not here: it depends on the drives.
constexpr CheckBox kCheckBoxes[] = {
    {IDC_CONNECT_CDDB, &SettingsRecord::ConnectCDDB},
    {IDC_LOAD_PLAY, &SettingsRecord::LoadPlay},
    {IDC_DONE_EJECT, &SettingsRecord::DoneEject},
    {IDC_EJECT_QUIT, &SettingsRecord::EjectQuit},
};

template <size_t N>
void CheckValue(HWND page, const int (&group)[N], int32_t value) {
    if (value >= 0 && value < static_cast<int32_t>(N)) SetChecked(page, group[value], true);
}

// The value of the checked radio, or `otherwise` when none is checked.
template <size_t N>
int32_t CheckedValue(HWND page, const int (&group)[N], int32_t otherwise) {
    for (size_t i = 0; i < N; ++i)
        if (IsChecked(page, group[i])) return static_cast<int32_t>(i);
    return otherwise;
}

void Fill(HWND page) {
    CheckValue(page, kOnStart, Settings.OnStart);
    CheckValue(page, kOnExit, Settings.OnExit);
    for (const CheckBox& box : kCheckBoxes) SetChecked(page, box.id, Settings.*box.setting != 0);
    // Moving on to the next drive needs a second one.
    if (Player.DriveList.size() < 2) EnableWindow(GetDlgItem(page, IDC_NEXT_CD), FALSE);
    else SetChecked(page, IDC_NEXT_CD, Settings.DoNextCD != 0);
    SetChecked(page, IDC_RESTORE_ORDER, Settings.PlayOrder & 1);
    SetChecked(page, IDC_SAVE_ORDER, Settings.PlayOrder & 2);
    // The recorded states 4 to 7 show as "Shutdown State": they are its record.
    const int32_t state = Settings.StartWinState;
    CheckValue(page, kWinState, state >= 1 && state <= 3 ? state : 0);
}

void Apply(HWND page) {
    Settings.OnStart = CheckedValue(page, kOnStart, Settings.OnStart);
    Settings.OnExit = CheckedValue(page, kOnExit, Settings.OnExit);
    for (const CheckBox& box : kCheckBoxes) Settings.*box.setting = IsChecked(page, box.id);
    Settings.DoNextCD = IsChecked(page, IDC_NEXT_CD);
    Settings.PlayOrder = (IsChecked(page, IDC_RESTORE_ORDER) ? 1 : 0) + (IsChecked(page, IDC_SAVE_ORDER) ? 2 : 0);
    Settings.StartWinState = CheckedValue(page, kWinState, Settings.StartWinState);
}

bool IsPageControl(int id) {
    return (id >= IDC_DONE_EJECT && id <= IDC_CONNECT_CDDB) || id == IDC_LOAD_PLAY ||
           (id >= IDC_WIN_SHUTDOWN && id <= IDC_WIN_SHADE) || id == IDC_NEXT_CD;
}

}  // namespace

INT_PTR CALLBACK StartupPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: Fill(page); return TRUE;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && IsPageControl(LOWORD(wParam))) ReportChange(page);
            return TRUE;
        case WM_NOTIFY:
            if (IsApply(lParam)) Apply(page);
            return TRUE;
    }
    return FALSE;
}
