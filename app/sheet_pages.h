#pragma once
// The dialog procedures of the sheets' pages and what they share.
#include <windows.h>
#include <prsht.h>

INT_PTR CALLBACK StartupPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK GuiOptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ServersPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CreatorsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TipsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

inline bool IsChecked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
inline void SetChecked(HWND page, int id, bool checked) {
    CheckDlgButton(page, id, checked ? BST_CHECKED : BST_UNCHECKED);
}
// Enables the sheet's Apply button.
inline void ReportChange(HWND page) { PropSheet_Changed(GetParent(page), page); }
inline bool IsApply(LPARAM lParam) { return reinterpret_cast<const NMHDR*>(lParam)->code == PSN_APPLY; }
