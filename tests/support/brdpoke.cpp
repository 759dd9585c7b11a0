// brdpoke: lets the end-to-end tests look at and steer a running BRD from
// inside Wine, where the X tools cannot see window classes or send messages.
//   brdpoke rect           print "x y width height visible" of the BRD window
//   brdpoke close          ask BRD to close, as its close button does
//   brdpoke foreground     print the class of the foreground window
//   brdpoke command ID     send WM_COMMAND ID to the BRD window
//   brdpoke title          print the BRD window's title
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND Brd() { return FindWindowA("BRD", nullptr); }

int Rect() {
    HWND w = Brd();
    if (!w) return 1;
    RECT r;
    GetWindowRect(w, &r);
    std::printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                IsWindowVisible(w) ? 1 : 0);
    return 0;
}

int Foreground() {
    char name[256] = "";
    if (HWND w = GetForegroundWindow()) GetClassNameA(w, name, sizeof name);
    std::printf("%s\n", name);
    return 0;
}

int Title() {
    HWND w = Brd();
    if (!w) return 1;
    char title[256] = "";
    GetWindowTextA(w, title, sizeof title);
    std::printf("%s\n", title);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const char* verb = argv[1];
    if (!std::strcmp(verb, "rect")) return Rect();
    if (!std::strcmp(verb, "foreground")) return Foreground();
    if (!std::strcmp(verb, "title")) return Title();
    if (!std::strcmp(verb, "close")) return Brd() && PostMessageA(Brd(), WM_CLOSE, 0, 0) ? 0 : 1;
    if (!std::strcmp(verb, "command") && argc > 2)
        return Brd() && PostMessageA(Brd(), WM_COMMAND, std::atoi(argv[2]), 0) ? 0 : 1;
    return 2;
}
