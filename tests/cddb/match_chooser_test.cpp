#include "cddb/match_chooser.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "cddb/recorded_session.h"
#include "resources/resource.h"

namespace {

std::string Cell(HWND list, int row, int column) {
    char text[256] = {};
    ListView_GetItemText(list, row, column, text, 256);
    return text;
}
void Select(HWND list, int row) {
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}
void Click(HWND dialog, int button) { SendMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0); }

// Shows the chooser on this thread while a second thread acts as the user.
int Choose(std::string reply, const std::function<void(HWND dialog, HWND list)>& user) {
    std::thread person([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 400 && !(dialog && IsWindowVisible(dialog)); ++i, Sleep(25))
            dialog = FindWindowA(nullptr, "BRD Inexact Match");
        ASSERT_TRUE(dialog);
        user(dialog, GetDlgItem(dialog, IDC_MATCH_LIST));
    });
    const int chosen = ChooseInexactMatch(nullptr, reply);
    person.join();
    return chosen;
}

TEST(InexactMatchChooser, ListsTheMatchesInReplyOrderAndReturnsTheChosenRow) {
    const std::string list = recorded("211_query_inexact_d50dd30f.txt");
    const std::pair<std::function<void(HWND, HWND)>, int> users[] = {
        {[](HWND dialog, HWND list) {
             ASSERT_EQ(ListView_GetItemCount(list), 2);
             EXPECT_EQ(Cell(list, 0, 1), "reggae");
             EXPECT_EQ(Cell(list, 1, 0) + '|' + Cell(list, 1, 1) + '|' + Cell(list, 1, 2),
                       "Various / Ska Island|misc|d50dd30f");
             Select(list, 1);
             Click(dialog, IDOK);
         },
         1},
        {[](HWND dialog, HWND) { Click(dialog, IDOK); }, 0},  // OK without a selection takes the first
        {[](HWND dialog, HWND list) { Select(list, 1), Click(dialog, IDCANCEL); }, -1},  // "None"
        {[](HWND dialog, HWND) { SendMessageA(dialog, WM_CLOSE, 0, 0); }, -1},
        {[](HWND, HWND list) {
             RECT row{LVIR_LABEL, 0, 0, 0};
             SendMessageA(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
             const LPARAM at = MAKELPARAM(row.left + 5, (row.top + row.bottom) / 2);
             Select(list, 1);
             PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
             PostMessageA(list, WM_LBUTTONUP, 0, at);
         },
         1}};
    for (const auto& [user, expected] : users) EXPECT_EQ(Choose(list, user), expected);
    // A list without match lines offers no row; OK still answers 0, which the query finds to be no match.
    EXPECT_EQ(Choose("211 Found inexact matches\r\n.\r\n", [](HWND dialog, HWND) { Click(dialog, IDOK); }), 0);
}

}  // namespace
