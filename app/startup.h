#pragma once
#include <windows.h>

// The program: start-up, the message loop and the release of what it leaves.
int RunPlayer(HINSTANCE instance, const char* command_line);

// The shutdown sequence, run by the main window on WM_DESTROY.
void ShutDown();
