// brdpoke: lets the end-to-end tests look at and steer a running BRD from
// inside Wine, where the X tools cannot see window classes or send messages.
//   brdpoke rect           print "x y width height visible" of the BRD window
//   brdpoke title          print the BRD window's title
//   brdpoke answers        print 1 when the BRD window answers a message within a second, else 0
//   brdpoke foreground     print the class of the foreground window
//   brdpoke front CLASS    bring the window of that class to the foreground
//   brdpoke close [CLASS]  ask BRD (or the window of CLASS) to close, as its close button does
//   brdpoke command ID     send WM_COMMAND ID to the BRD window
//   brdpoke sheet TITLE VERB [ID|N]   the property sheet of that caption:
//     page (print "index count"), select N, rect, home (move it to 0,0), ctrl ID (its screen rect),
//     state ID (print "checked enabled"), click ID (a button of the page or
//     the sheet: 1 OK, 2 Cancel, 12321 Apply), text ID (print a control's text),
//     rows ID (print the number of rows of a list view), cues (underline the Alt+letters)
//   brdpoke answer TITLE ID  press button ID of the message box of that caption
//   brdpoke hold FILE S    keep FILE open for S seconds, so that nothing can replace it
//   brdpoke box            print "OWNED|CAPTION|TEXT" of a message box; OWNED 1 when BRD owns it
//   brdpoke tray MESSAGE   post the tray icon's message with that mouse message, as the shell does
//   brdpoke version FILE   print "a.b.c.d|CompanyName|ProductName|FileDescription|FileVersion|ProductVersion|
//                          OriginalFilename" from FILE's version resource, as Explorer reads it
//   brdpoke manifest FILE  print FILE's application manifest
//   brdpoke notify CODE    post MM_MCINOTIFY with that code, as the CD device does at the end of a play
#include <windows.h>
#include <mmsystem.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

void PrintRect(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    std::printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right - r.left, r.bottom - r.top, IsWindowVisible(w) ? 1 : 0);
}

int Sheet(HWND sheet, const char* verb, int arg) {
    const HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    const HWND control = page && GetDlgItem(page, arg) ? GetDlgItem(page, arg) : GetDlgItem(sheet, arg);
    if (!std::strcmp(verb, "page")) {
        const HWND tabs = PropSheet_GetTabControl(sheet);
        std::printf("%d %d\n", static_cast<int>(PropSheet_HwndToIndex(sheet, page)), TabCtrl_GetItemCount(tabs));
    } else if (!std::strcmp(verb, "select")) {
        PropSheet_SetCurSel(sheet, nullptr, arg);
    } else if (!std::strcmp(verb, "rect")) {
        PrintRect(sheet);
    } else if (!std::strcmp(verb, "cues")) {
        SendMessageA(sheet, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
    } else if (!std::strcmp(verb, "home")) {
        SetWindowPos(sheet, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (!control) {
        return 1;
    } else if (!std::strcmp(verb, "ctrl")) {
        PrintRect(control);
    } else if (!std::strcmp(verb, "state")) {
        std::printf("%d %d\n", static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0)),
                    IsWindowEnabled(control) ? 1 : 0);
    } else if (!std::strcmp(verb, "click")) {
        PostMessageA(control, BM_CLICK, 0, 0);
    } else if (!std::strcmp(verb, "text")) {
        char text[256] = "";
        GetWindowTextA(control, text, sizeof text);
        std::printf("%s\n", text);
    } else if (!std::strcmp(verb, "rows")) {
        std::printf("%d\n", static_cast<int>(SendMessageA(control, LVM_GETITEMCOUNT, 0, 0)));
    } else {
        return 2;
    }
    return 0;
}

int PrintVersion(const char* file) {
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(file, &ignored));
    VS_FIXEDFILEINFO* fixed = nullptr;
    struct Translation { WORD language, code_page; }* translation = nullptr;
    UINT size = 0;
    if (info.empty() || !GetFileVersionInfoA(file, 0, static_cast<DWORD>(info.size()), info.data()) ||
        !VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size) ||
        !VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size))
        return 1;
    std::printf("%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    for (const char* name :
         {"CompanyName", "ProductName", "FileDescription", "FileVersion", "ProductVersion", "OriginalFilename"}) {
        char path[128];
        std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", translation->language,
                      translation->code_page, name);
        char* value = nullptr;
        std::printf("|%s", VerQueryValueA(info.data(), path, reinterpret_cast<void**>(&value), &size) ? value : "");
    }
    std::printf("\n");
    return 0;
}

int PrintManifest(const char* file) {
    const HMODULE module = LoadLibraryExA(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const HRSRC found = module ? FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) : nullptr;
    if (!found) return 1;  // RT_MANIFEST 24, the process's own manifest 1
    std::fwrite(LockResource(LoadResource(module, found)), 1, SizeofResource(module, found), stdout);
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const char* verb = argv[1];
    if (!std::strcmp(verb, "version") && argc > 2) return PrintVersion(argv[2]);
    if (!std::strcmp(verb, "manifest") && argc > 2) return PrintManifest(argv[2]);
    if (!std::strcmp(verb, "sheet") && argc > 3) {
        const HWND sheet = FindWindowA(nullptr, argv[2]);
        return sheet ? Sheet(sheet, argv[3], argc > 4 ? std::atoi(argv[4]) : 0) : 1;
    }
    if (!std::strcmp(verb, "answer") && argc > 3) {
        const HWND box = FindWindowA(nullptr, argv[2]);
        return box && PostMessageA(box, WM_COMMAND, std::atoi(argv[3]), 0) ? 0 : 1;
    }
    const bool names_class = argc > 2 && std::strcmp(verb, "command") && std::strcmp(verb, "tray") &&
                             std::strcmp(verb, "notify");
    HWND w = FindWindowA(names_class ? argv[2] : "BRD", nullptr);
    if (!std::strcmp(verb, "foreground")) {
        char name[256] = "";
        if (HWND f = GetForegroundWindow()) GetClassNameA(f, name, sizeof name);
        std::printf("%s\n", name);
        return 0;
    }
    if (!std::strcmp(verb, "hold") && argc > 3) {
        HANDLE file = CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
        if (file == INVALID_HANDLE_VALUE) return 1;
        std::printf("held\n");
        std::fflush(stdout);
        Sleep(std::atoi(argv[3]) * 1000);
        return 0;
    }
    if (!w) return 1;
    if (!std::strcmp(verb, "rect")) {
        PrintRect(w);
        return 0;
    }
    if (!std::strcmp(verb, "answers")) {
        DWORD_PTR result = 0;
        std::printf("%d\n", SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) ? 1 : 0);
        return 0;
    }
    if (!std::strcmp(verb, "title")) {
        char title[256] = "";
        GetWindowTextA(w, title, sizeof title);
        std::printf("%s\n", title);
        return 0;
    }
    if (HWND box = FindWindowA("#32770", nullptr); box && !std::strcmp(verb, "box")) {
        char caption[256] = "", text[512] = "";
        GetWindowTextA(box, caption, sizeof caption);
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // a message box's text
        std::printf("%d|%s|%s\n", GetWindow(box, GW_OWNER) == w, caption, text);
        return 0;
    }
    if (!std::strcmp(verb, "front")) return SetForegroundWindow(w) ? 0 : 1;
    if (!std::strcmp(verb, "close")) return PostMessageA(w, WM_CLOSE, 0, 0) ? 0 : 1;
    if (!std::strcmp(verb, "command") && argc > 2) return PostMessageA(w, WM_COMMAND, std::atoi(argv[2]), 0) ? 0 : 1;
    if (!std::strcmp(verb, "tray") && argc > 2) return PostMessageA(w, 22476, 22476, std::atoi(argv[2])) ? 0 : 1;
    if (!std::strcmp(verb, "notify") && argc > 2) return PostMessageA(w, MM_MCINOTIFY, std::atoi(argv[2]), 1) ? 0 : 1;
    return 2;
}
