#pragma once
// The "BRD Inexact Match" dialog: lists the matches of a "211" reply and
// returns the chosen row, or -1 for "None".
#include <windows.h>

#include <string>

// Modal, owned by owner. The reply copy is the dialog's own: its rows point
// into it until the dialog has ended.
int ChooseInexactMatch(HWND owner, std::string& reply_copy);
