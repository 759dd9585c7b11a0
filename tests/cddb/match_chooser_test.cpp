#include "cddb/match_chooser.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "resources/resource.h"

namespace {

const std::string kThreeMatches =
    "211 Found inexact matches, list follows (until terminating `.')\r\n"
    "reggae d50dd30f Various / Ska Island\r\n"
    "misc d50dd30e Various / Ska Island (Live)\r\n"
    "rock d50dd30d Someone / Title  with  spaces\r\n"
    ".\r\n";

HWND FindChooser() {
    for (int tries = 0; tries < 400; ++tries) {
        const HWND dialog = FindWindowA(nullptr, "BRD Inexact Match");
        if (dialog && IsWindowVisible(dialog)) return dialog;
        Sleep(25);
    }
    return nullptr;
}

std::string Cell(HWND list, int row, int column) {
    char text[256] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

void Select(HWND list, int row) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

// Shows the chooser on this thread while a second thread acts as the user.
int Choose(std::string reply, const std::function<void(HWND dialog, HWND list)>& user) {
    std::thread person([&] {
        const HWND dialog = FindChooser();
        ASSERT_TRUE(dialog);
        user(dialog, GetDlgItem(dialog, IDC_MATCH_LIST));
    });
    const int chosen = ChooseInexactMatch(nullptr, reply);
    person.join();
    return chosen;
}

void Click(HWND dialog, int button) { SendMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0); }

TEST(InexactMatchChooser, ListsTheMatchesInReplyOrderAndReturnsTheChosenRow) {
    const int chosen = Choose(kThreeMatches, [](HWND dialog, HWND list) {
        EXPECT_EQ(ListView_GetItemCount(list), 3);
        EXPECT_EQ(Cell(list, 0, 0), "Various / Ska Island");
        EXPECT_EQ(Cell(list, 0, 1), "reggae");
        EXPECT_EQ(Cell(list, 0, 2), "d50dd30f");
        EXPECT_EQ(Cell(list, 1, 0), "Various / Ska Island (Live)");
        EXPECT_EQ(Cell(list, 2, 0), "Someone / Title  with  spaces");
        EXPECT_EQ(Cell(list, 2, 1), "rock");
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = 2;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(item.lParam, 1);
        char title[64] = {};
        GetWindowTextA(dialog, title, sizeof title);
        EXPECT_STREQ(title, "BRD Inexact Match");
        Select(list, 1);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(chosen, 1);
}

TEST(InexactMatchChooser, OkWithoutASelectionTakesTheFirstMatch) {
    EXPECT_EQ(Choose(kThreeMatches, [](HWND dialog, HWND) { Click(dialog, IDOK); }), 0);
    // A list without match lines offers no row; OK still answers 0, which the
    // query then finds to be no match line.
    EXPECT_EQ(Choose("211 Found inexact matches\r\n.\r\n", [](HWND dialog, HWND list) {
                  EXPECT_EQ(ListView_GetItemCount(list), 0);
                  Click(dialog, IDOK);
              }),
              0);
}

TEST(InexactMatchChooser, NoneAndClosingTheDialogChooseNothing) {
    EXPECT_EQ(Choose(kThreeMatches, [](HWND dialog, HWND list) {
                  Select(list, 2);
                  Click(dialog, IDCANCEL);
              }),
              -1);
    EXPECT_EQ(Choose(kThreeMatches, [](HWND dialog, HWND) { SendMessageA(dialog, WM_CLOSE, 0, 0); }), -1);
}

TEST(InexactMatchChooser, DoubleClickingARowChoosesIt) {
    const int chosen = Choose(kThreeMatches, [](HWND, HWND list) {
        RECT row{};
        row.left = LVIR_LABEL;
        SendMessageA(list, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
        const LPARAM at = MAKELPARAM(row.left + 5, (row.top + row.bottom) / 2);
        Select(list, 2);
        PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
    });
    EXPECT_EQ(chosen, 2);
}

}  // namespace
