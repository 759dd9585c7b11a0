#include "cddb/match_chooser.h"

#include <commctrl.h>
#include <windowsx.h>

#include "cddb/match_list.h"
#include "resources/resource.h"

namespace {

struct Column {
    const char* text;
    int width;
};
constexpr Column kColumns[] = {{"Title", 250}, {"Category", 80}, {"Disc Id", 80}};

// The list view wants zero-terminated texts; the rows are views into the reply.
void SetCell(HWND list, int row, int column, std::string_view text) {
    std::string cell(text);
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = cell.data();
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void FillMatchList(HWND list, const std::string& reply) {
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(kColumns[i].text);
        column.cx = kColumns[i].width;
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    int n = 0;
    for (const MatchRow& match : match_rows(reply)) {
        std::string title(match.title);
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = n;
        item.pszText = title.data();
        item.lParam = 1;
        const int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        SetCell(list, row, 1, match.category);
        SetCell(list, row, 2, match.disc_id);
        ++n;
    }
}

BOOL Chooser_OnInitDialog(HWND dialog, HWND, LPARAM lParam) {
    FillMatchList(GetDlgItem(dialog, IDC_MATCH_LIST), *reinterpret_cast<const std::string*>(lParam));
    return TRUE;  // the dialog manager focuses the default button
}

void Chooser_OnCommand(HWND dialog, int id, HWND, UINT) {
    if (id == IDOK) {
        // With nothing selected, OK takes the first match.
        const int selected = ListView_GetNextItem(GetDlgItem(dialog, IDC_MATCH_LIST), -1, LVNI_SELECTED);
        EndDialog(dialog, selected < 0 ? 0 : selected);
    } else if (id == IDCANCEL) {
        EndDialog(dialog, -1);
    }
}

LRESULT Chooser_OnNotify(HWND dialog, int, NMHDR* header) {
    if (header->code == static_cast<UINT>(NM_DBLCLK)) SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    return 0;
}

INT_PTR CALLBACK ChooserProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG: return HANDLE_WM_INITDIALOG(hwnd, wParam, lParam, Chooser_OnInitDialog);
        case WM_COMMAND: HANDLE_WM_COMMAND(hwnd, wParam, lParam, Chooser_OnCommand); return TRUE;
        case WM_NOTIFY: HANDLE_WM_NOTIFY(hwnd, wParam, lParam, Chooser_OnNotify); return TRUE;
    }
    return FALSE;
}

}  // namespace

int ChooseInexactMatch(HWND owner, std::string& reply_copy) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_INEXACT_MATCH), owner,
                                            ChooserProc, reinterpret_cast<LPARAM>(&reply_copy)));
}
