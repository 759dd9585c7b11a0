// The CD Library page filling its tree from brd.bdb files of 10 000 and
// 100 000 entries, in a real property sheet under Wine, against listing the
// same file and reading every text once (db_survey with every text), in the
// same run. Also the longest single message the sheet's loop waited for.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/library_page.h"
#include "app/player.h"
#include "discinfo/database.h"
#include "discinfo/library_listing.h"
#include "resources/resource.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

constexpr const char* kCategories[] = {"blues", "classical", "country", "data",   "folk",      "jazz",
                                       "misc",  "newage",    "reggae",  "rock",   "soundtrack"};

// n entries made from the real ones: each its own disc id, category and title.
std::vector<DbEntry> Library(const std::filesystem::path& corpus, size_t n) {
    std::vector<std::string> texts;
    for (const auto& file : std::filesystem::directory_iterator(corpus)) {
        if (file.path().extension() != ".xmcd") continue;
        std::ifstream in(file.path(), std::ios::binary);
        texts.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<DbEntry> entries;
    for (size_t i = 0; i < n; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "%08zx", i * 2654435761u % 0xffffffffu);
        const std::string category = kCategories[i % 11];
        std::string text = texts[i % texts.size()];
        const size_t title = text.find("DTITLE=");
        text.insert(title + 7, "Artist " + std::to_string(i % 5000) + " / ");
        entries.push_back({category + "/" + id, "200 " + category + " " + id + "\r\n" + text});
    }
    return entries;
}

struct Fill {
    double ms = 0;
    double longest_message_ms = 0;
    double close_ms = 0;  // the sheet and its tree destroyed
};

Fill FillTree(size_t items) {
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof page;
    page.hInstance = GetModuleHandleA(nullptr);
    page.pszTemplate = MAKEINTRESOURCEA(IDD_LIBRARY_PAGE);
    page.pfnDlgProc = LibraryPageProc;
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_PROPSHEETPAGE;
    header.pszCaption = "Library bench";
    header.nPages = 1;
    header.ppsp = &page;
    Fill fill;
    const auto start = Clock::now();
    HWND sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
    HWND tree = GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), IDC_LIB_TREE);
    while (TreeView_GetCount(tree) < items) {
        MSG msg;
        if (!GetMessageA(&msg, nullptr, 0, 0)) break;
        const auto one = Clock::now();
        if (!PropSheet_IsDialogMessage(sheet, &msg)) TranslateMessage(&msg), DispatchMessageA(&msg);
        fill.longest_message_ms = std::max(fill.longest_message_ms, Ms(Clock::now() - one));
    }
    fill.ms = Ms(Clock::now() - start);
    const auto closing = Clock::now();
    DestroyWindow(sheet);
    fill.close_ms = Ms(Clock::now() - closing);
    return fill;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: library_bench <xmcd folder> <work folder>\n");
        return 2;
    }
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    std::filesystem::create_directories(argv[2]);
    SetCurrentDirectoryA(argv[2]);
    std::printf("%-8s %-9s %12s %12s %8s %16s %12s\n", "entries", "view", "list+read", "tree fill", "ratio",
                "longest message", "closing");
    const size_t largest = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 100000;
    for (const size_t n : {size_t{10000}, size_t{100000}}) {
        if (n > largest) break;
        std::filesystem::remove(kDefaultDatabase);
        if (db_add_all(Library(argv[1], n)) != 1) return 1;
        for (const int view : {IDC_LIB_BY_CATEGORY, IDC_LIB_BY_ARTIST}) {
            Settings.LibraryView = view;
            LibraryReader reader(kDefaultDatabase, view == IDC_LIB_BY_ARTIST ? LibraryView::by_artist
                                                                             : LibraryView::by_category);
            while (!reader.read_some(100000)) {}
            const size_t items = reader.take().items();

            const auto start = Clock::now();
            size_t bytes = 0;
            db_survey(kDefaultDatabase, [&](const DbIndexRecord&, const Text& t) { bytes += t ? t->size() : 0; },
                      SIZE_MAX);
            const double baseline = Ms(Clock::now() - start);
            const Fill fill = FillTree(items);
            std::printf("%-8zu %-9s %9.1f ms %9.1f ms %7.1fx %13.1f ms %9.1f ms\n", n,
                        view == IDC_LIB_BY_ARTIST ? "artist" : "category", baseline, fill.ms, fill.ms / baseline,
                        fill.longest_message_ms, fill.close_ms);
            std::fflush(stdout);
        }
    }
    return 0;
}
