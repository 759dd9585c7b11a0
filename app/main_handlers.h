#pragma once
// The main window's handlers for commands and the mouse.
#include <windows.h>

void Main_OnCommand(HWND hwnd, int id, HWND control, UINT code);
// True when the system command was the program's own.
bool Main_OnSysCommand(HWND hwnd, UINT command);
void Main_OnMouseMove(HWND hwnd, int x, int y, UINT keys);
void Main_OnLButtonDown(HWND hwnd, BOOL double_click, int x, int y, UINT keys);
void Main_OnLButtonUp(HWND hwnd, int x, int y, UINT keys);
void Main_OnLButtonDblClk(HWND hwnd, BOOL double_click, int x, int y, UINT keys);
void Main_OnRButtonDown(HWND hwnd, BOOL double_click, int x, int y, UINT keys);
