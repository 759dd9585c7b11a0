#pragma once
#include <windows.h>

// The program: start-up, the message loop and the release of what it leaves.
int RunPlayer(HINSTANCE instance, const char* command_line);

// Start-up steps 4 (skin, icons, accelerators), 5 (window classes) and 6 to 7
// (the main window and its children), also used by test programs that show
// the real windows.
void LoadSkin();
void RegisterClasses();
// False when a window could not be created.
bool CreateWindows();

// The shutdown sequence, run by the main window on WM_DESTROY.
void ShutDown();
