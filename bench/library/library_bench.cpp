// The CD Library page filling its tree from brd.bdb files of 10 000 and
// 100 000 entries, in a real property sheet under Wine, against listing the
// same file and reading every text once (db_survey with every text), in the
// same run. The fill is what the page takes beyond opening with a library of
// ten entries (the sheet's own cost); also opening the largest group, and
// closing the sheet against closing it after the ten-entry fill.
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
    double ms = 0;        // from creating the sheet until its tree shows the top level, painted
    double open_ms = 0;   // the largest group opened and painted
    double close_ms = 0;  // the sheet and its tree destroyed
};

void Dispatch(HWND sheet, MSG& msg) {
    if (!PropSheet_IsDialogMessage(sheet, &msg)) TranslateMessage(&msg), DispatchMessageA(&msg);
}

// The page in a sheet of its own, filled until its tree holds the listing's
// `tops` top-level items; then the group at `largest` is opened and the sheet closed.
Fill FillTree(size_t tops, size_t largest) {
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
    MSG msg;
    while (TreeView_GetCount(tree) < tops && GetMessageA(&msg, nullptr, 0, 0)) Dispatch(sheet, msg);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) Dispatch(sheet, msg);  // the tree's paint
    fill.ms = Ms(Clock::now() - start);

    HTREEITEM group = TreeView_GetRoot(tree);
    for (size_t i = 0; i < largest && group; ++i) group = TreeView_GetNextSibling(tree, group);
    const auto opening = Clock::now();
    TreeView_Expand(tree, group, TVE_EXPAND);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) Dispatch(sheet, msg);
    fill.open_ms = Ms(Clock::now() - opening);

    const auto closing = Clock::now();
    DestroyWindow(sheet);
    fill.close_ms = Ms(Clock::now() - closing);
    return fill;
}

LibraryListing Listing(LibraryView view) {
    LibraryReader reader(kDefaultDatabase, view);
    while (!reader.read_some(SIZE_MAX)) {}
    return reader.take();
}

// The shortest of the runs: on a machine shared with other work, what the
// code itself takes (a median still carries whatever else ran meanwhile).
double Best(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// The best of `runs` fills of the library in brd.bdb in one view, and of as
// many list+read baselines between them.
struct Measure {
    double baseline = 0, fill = 0, open = 0, close = 0;
    size_t largest_group = 0;
};

Measure Run(int view, int runs) {
    Settings.LibraryView = view;
    const LibraryListing listing = Listing(view == IDC_LIB_BY_ARTIST ? LibraryView::by_artist : LibraryView::by_category);
    const auto largest = std::max_element(listing.top.begin(), listing.top.end(),
                                          [](const auto& a, const auto& b) { return a.discs.size() < b.discs.size(); });
    std::vector<double> baselines, fills, opens, closes;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        size_t bytes = 0;
        db_survey(kDefaultDatabase, [&](const DbIndexRecord&, const Text& t) { bytes += t ? t->size() : 0; }, SIZE_MAX);
        baselines.push_back(Ms(Clock::now() - start));
        const Fill fill = FillTree(listing.top.size(), static_cast<size_t>(largest - listing.top.begin()));
        fills.push_back(fill.ms), opens.push_back(fill.open_ms), closes.push_back(fill.close_ms);
    }
    return {Best(baselines), Best(fills), Best(opens), Best(closes), largest->discs.size()};
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
    const size_t most = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 100000;
    const int runs = argc > 4 ? std::atoi(argv[4]) : 5;
    // Opening the page on a library of a few entries: what the sheet costs
    // whatever the library holds, and the baseline of the closing.
    std::filesystem::remove(kDefaultDatabase);
    if (db_add_all(Library(argv[1], 10)) != 1) return 1;
    const Measure small = Run(IDC_LIB_BY_CATEGORY, 2 * runs - 1);
    std::printf("best of %d runs; the page with 10 entries opens in %.1f ms and closes in %.1f ms\n", runs,
                small.fill, small.close);
    std::printf("%-8s %-9s %10s %12s %12s %7s %16s %10s %7s\n", "entries", "view", "list+read", "page opened",
                "of it fill", "ratio", "largest group", "closing", "ratio");
    for (const size_t n : {size_t{10000}, size_t{100000}}) {
        if (n > most) break;
        std::filesystem::remove(kDefaultDatabase);
        if (db_add_all(Library(argv[1], n)) != 1) return 1;
        for (const int view : {IDC_LIB_BY_CATEGORY, IDC_LIB_BY_ARTIST}) {
            const Measure m = Run(view, runs);
            const double fill = m.fill - small.fill;
            std::printf("%-8zu %-9s %7.1f ms %9.1f ms %9.1f ms %6.2fx %5zu in %5.0f ms %7.1f ms %6.2fx\n", n,
                        view == IDC_LIB_BY_ARTIST ? "artist" : "category", m.baseline, m.fill, fill,
                        fill / m.baseline, m.largest_group, m.open, m.close, m.close / small.close);
            std::fflush(stdout);
        }
    }
    return 0;
}
