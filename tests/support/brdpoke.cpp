// brdpoke: lets the end-to-end tests look at and steer a running BRD from
// inside Wine, where the X tools cannot see window classes or send messages.
//   brdpoke rect           print "x y width height visible" of the BRD window
//   brdpoke title          print the BRD window's title
//   brdpoke foreground     print the class of the foreground window
//   brdpoke front CLASS    bring the window of that class to the foreground
//   brdpoke close [CLASS]  ask BRD (or the window of CLASS) to close, as its close button does
//   brdpoke command ID     send WM_COMMAND ID to the BRD window
//   brdpoke tray MESSAGE   post the tray icon's message with that mouse message, as the shell does
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const char* verb = argv[1];
    const bool names_class = argc > 2 && std::strcmp(verb, "command") && std::strcmp(verb, "tray");
    HWND w = FindWindowA(names_class ? argv[2] : "BRD", nullptr);
    if (!std::strcmp(verb, "foreground")) {
        char name[256] = "";
        if (HWND f = GetForegroundWindow()) GetClassNameA(f, name, sizeof name);
        std::printf("%s\n", name);
        return 0;
    }
    if (!w) return 1;
    if (!std::strcmp(verb, "rect")) {
        RECT r;
        GetWindowRect(w, &r);
        std::printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                    IsWindowVisible(w) ? 1 : 0);
        return 0;
    }
    if (!std::strcmp(verb, "title")) {
        char title[256] = "";
        GetWindowTextA(w, title, sizeof title);
        std::printf("%s\n", title);
        return 0;
    }
    if (!std::strcmp(verb, "front")) return SetForegroundWindow(w) ? 0 : 1;
    if (!std::strcmp(verb, "close")) return PostMessageA(w, WM_CLOSE, 0, 0) ? 0 : 1;
    if (!std::strcmp(verb, "command") && argc > 2) return PostMessageA(w, WM_COMMAND, std::atoi(argv[2]), 0) ? 0 : 1;
    if (!std::strcmp(verb, "tray") && argc > 2) return PostMessageA(w, 22476, 22476, std::atoi(argv[2])) ? 0 : 1;
    return 2;
}
