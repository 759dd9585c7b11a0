// The "GUI Options" page: the slider, edge snapping, title scrolling, where
// the icon shows and what the window title shows while playing.
#include <windows.h>
#include <commctrl.h>

#include "app/placement.h"
#include "app/playback.h"
#include "app/player.h"
#include "app/sheet_pages.h"
#include "app/tray.h"
#include "display/title_display.h"
#include "resources/resource.h"

namespace {

// The rank radios: a row per title part (CD title, track title, time), a
// column per rank (First, Second, Third).
constexpr int kRanks[3][3] = {
    {IDC_RANK_CD_FIRST, IDC_RANK_CD_FIRST + 1, IDC_RANK_CD_FIRST + 2},
    {IDC_RANK_TRACK_FIRST, IDC_RANK_TRACK_FIRST + 1, IDC_RANK_TRACK_FIRST + 2},
    {IDC_RANK_TIME_FIRST, IDC_RANK_TIME_SECOND, IDC_RANK_TIME_THIRD},
};
// The title part check boxes, in the order of their "TBTextType" bits.
constexpr int kTitleParts[] = {IDC_TITLE_CD, IDC_TITLE_TRACK, IDC_TITLE_TIME};
// Values 1, 2, 3 of "SliderType", and 0, 1, 2 of "NameScrolling".
constexpr int kSliderTypes[] = {IDC_SLIDER_CD, IDC_SLIDER_TRACK, IDC_SLIDER_TIMER};
constexpr int kScrollStyles[] = {IDC_SCROLL_NONE, IDC_SCROLL_ROUND, IDC_SCROLL_BACK};
constexpr int kDecimal[] = {100, 10, 1};  // a row's digit in "TBTextOrder"

// A row's rank, 1 to 3, or 0 when none of its radios is checked.
int RankOf(HWND page, int row) {
    for (int rank = 1; rank <= 3; ++rank)
        if (IsChecked(page, kRanks[row][rank - 1])) return rank;
    return 0;
}

void SetRank(HWND page, int row, int rank) {
    for (int r = 1; r <= 3; ++r) SetChecked(page, kRanks[row][r - 1], r == rank);
}

// The rows stay a permutation: the row that held the rank just picked takes
// the clicked row's former one, the rank no row holds now.
void KeepRanksDistinct(HWND page, int clicked_row) {
    const int picked = RankOf(page, clicked_row);
    bool held[4] = {};
    for (int row = 0; row < 3; ++row) held[RankOf(page, row)] = true;
    int free_rank = 1;
    while (free_rank <= 3 && held[free_rank]) ++free_rank;
    if (free_rank > 3) return;
    for (int row = 0; row < 3; ++row)
        if (row != clicked_row && RankOf(page, row) == picked) SetRank(page, row, free_rank);
}

// One of the two icon places always stays checked.
void KeepAnIconPlace(HWND page, int clicked) {
    if (IsChecked(page, IDC_ICON_TRAY) || IsChecked(page, IDC_ICON_TASK_BAR)) return;
    SetChecked(page, clicked == IDC_ICON_TRAY ? IDC_ICON_TASK_BAR : IDC_ICON_TRAY, true);
}

void Fill(HWND page) {
    SetChecked(page, IDC_TRACK_CLICK, Settings.TrackClick != 0);
    if (Settings.SliderType >= 1 && Settings.SliderType <= 3) SetChecked(page, kSliderTypes[Settings.SliderType - 1], true);
    for (int i = 0; i < 3; ++i) SetChecked(page, kTitleParts[i], Settings.TBTextType & (1 << i));
    if (Settings.NameScrolling >= 0 && Settings.NameScrolling <= 2)
        SetChecked(page, kScrollStyles[Settings.NameScrolling], true);
    SetChecked(page, IDC_ICON_TRAY, Settings.IconType & kIconTray);
    SetChecked(page, IDC_ICON_TASK_BAR, Settings.IconType & kIconTaskBar);
    const HWND edge = GetDlgItem(page, IDC_EDGE_RESISTANCE);
    SendMessageA(edge, TBM_SETRANGE, TRUE, MAKELPARAM(0, 20));
    SendMessageA(edge, TBM_SETPOS, TRUE, Settings.EdgeResistance);
    SendMessageA(edge, TBM_SETTICFREQ, 2, 0);
    for (int row = 0; row < 3; ++row) {
        const int digit = Settings.TBTextOrder / kDecimal[row] % 10;
        if (digit >= 1 && digit <= 3) SetRank(page, row, digit);
    }
}

template <size_t N>
int32_t CheckedIndex(HWND page, const int (&group)[N], int32_t otherwise) {
    for (size_t i = 0; i < N; ++i)
        if (IsChecked(page, group[i])) return static_cast<int32_t>(i);
    return otherwise;
}

// The icon places take effect at once, only those that changed: the tray
// icon would move to the end of the tray, and the window would blink.
void ShowIconPlaces(int32_t before) {
    const int32_t changed = before ^ Settings.IconType;
    if (changed & kIconTray) {
        if (Settings.IconType & kIconTray) {
            char caption[64];
            GetWindowTextA(Player.MainWindow, caption, sizeof caption);
            TrayTip(caption);
            TrayAdd(StateIconId());
        } else {
            TrayRemove();
        }
    }
    if (changed & kIconTaskBar) ShowTaskBarButton(Settings.IconType & kIconTaskBar);
    KeepWithinReach();
}

void Apply(HWND page) {
    Settings.TBTextType = 0;
    for (int i = 0; i < 3; ++i)
        if (IsChecked(page, kTitleParts[i])) Settings.TBTextType |= 1 << i;
    Settings.TrackClick = IsChecked(page, IDC_TRACK_CLICK);
    Settings.SliderType = CheckedIndex(page, kSliderTypes, Settings.SliderType - 1) + 1;
    Settings.EdgeResistance = static_cast<int32_t>(SendDlgItemMessageA(page, IDC_EDGE_RESISTANCE, TBM_GETPOS, 0, 0));
    Settings.TBTextOrder = 0;
    for (int row = 0; row < 3; ++row) Settings.TBTextOrder += kDecimal[row] * RankOf(page, row);
    Settings.NameScrolling = CheckedIndex(page, kScrollStyles, Settings.NameScrolling);
    if (Player.TitleDisplay) Player.TitleDisplay->SetScrollStyle(Settings.NameScrolling);
    const int32_t before = Settings.IconType;
    Settings.IconType = (IsChecked(page, IDC_ICON_TRAY) ? kIconTray : 0) +
                        (IsChecked(page, IDC_ICON_TASK_BAR) ? kIconTaskBar : 0);
    ShowIconPlaces(before);
}

void OnClick(HWND page, int id) {
    ReportChange(page);
    for (int row = 0; row < 3; ++row)
        for (int id_in_row : kRanks[row])
            if (id == id_in_row) KeepRanksDistinct(page, row);
    if (id == IDC_ICON_TRAY || id == IDC_ICON_TASK_BAR) KeepAnIconPlace(page, id);
}

}  // namespace

INT_PTR CALLBACK GuiOptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: Fill(page); return TRUE;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) OnClick(page, LOWORD(wParam));
            return TRUE;
        case WM_HSCROLL: ReportChange(page); return TRUE;
        case WM_NOTIFY:
            if (IsApply(lParam)) Apply(page);
            return TRUE;
    }
    return FALSE;
}
