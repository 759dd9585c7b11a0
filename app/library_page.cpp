#include "app/library_page.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/player.h"
#include "discinfo/database.h"
#include "discinfo/entry_text.h"
#include "discinfo/library_listing.h"
#include "resources/resource.h"

std::shared_ptr<DiscRecord> LibraryRecord;

void DropLibraryRecord() { LibraryRecord.reset(); }

namespace {

constexpr int kEditorPageIndex = 4;
constexpr DWORD kSliceMs = 30;  // the longest the page keeps the message loop waiting
constexpr size_t kRecordsPerStep = 64;
enum Image { kCategoryClosed, kCategoryOpen, kArtist, kDisc };
constexpr const char* kCorrupt =
    "It seems the brd database file is corrupt.\nYou must delete the 'brd.bdb' file in the BRD directory.";
constexpr const char* kCannotRead =
    "Could not read CD information for this CD.\n\nTry clicking Refresh.\n\n"
    "If the problem remains make sure the BRD database\nhas not been corrupted.";

// A big library is listed and put into the tree a slice at a time on a
// timer, so the sheet keeps answering; timer messages come after input and paint.
struct TreeFill {
    std::unique_ptr<LibraryReader> reader;
    LibraryListing listing;
    std::vector<HTREEITEM> tops;  // the top-level items inserted so far, in listing order
    size_t top = 0;               // the group whose discs go in next
    size_t disc = 0;              // its next disc
    HTREEITEM group() const { return top < tops.size() ? tops[top] : nullptr; }
};

HWND LibraryPage = nullptr;
HIMAGELIST Images = nullptr;
std::unique_ptr<TreeFill> Filling;

HWND Item(int id) { return GetDlgItem(LibraryPage, id); }
HWND Tree() { return Item(IDC_LIB_TREE); }
bool ByArtist() { return Settings.LibraryView == IDC_LIB_BY_ARTIST; }

int Message(const char* text, const char* title, UINT type) {
    return MessageBoxA(GetParent(LibraryPage), text, title, type | MB_ICONEXCLAMATION);
}

HTREEITEM Insert(HTREEITEM parent, const LibraryItem& item) {
    const int image = !item.group ? kDisc : ByArtist() ? kArtist : kCategoryClosed;
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;  // the listing is sorted already
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(item.text.c_str());
    insert.item.iImage = insert.item.iSelectedImage = image;
    insert.item.lParam = item.group ? 0 : item.disc_id;
    return TreeView_InsertItem(Tree(), &insert);
}

void StopFill() {
    KillTimer(LibraryPage, TIMER_LIBRARY_FILL);
    Filling.reset();
}

void FillFor(DWORD start);

// Puts the next items into the tree until the slice's time is up.
void FillSlice() {
    const DWORD start = GetTickCount();
    // The tree lays itself out and repaints once per slice, not once per item.
    HWND tree = Tree();
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    FillFor(start);
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
}

void FillFor(DWORD start) {
    while (Filling && GetTickCount() - start < kSliceMs) {
        TreeFill& fill = *Filling;
        if (fill.reader) {
            if (!fill.reader->read_some(kRecordsPerStep)) continue;
            fill.listing = fill.reader->take();
            fill.reader.reset();
            SetDlgItemInt(LibraryPage, IDC_LIB_COUNT, fill.listing.count, TRUE);  // the file may have changed meanwhile
            if (fill.listing.corrupt) {
                KillTimer(LibraryPage, TIMER_LIBRARY_FILL);
                Message(kCorrupt, "Brindle", MB_OK);
                if (Filling.get() != &fill) return;  // the page went or started over meanwhile
                SetTimer(LibraryPage, TIMER_LIBRARY_FILL, USER_TIMER_MINIMUM, nullptr);
            }
            continue;
        }
        // All top-level items first: the tree looks up a parent among the items
        // in the order they came, so groups found early keep each insert cheap.
        const std::vector<LibraryItem>& items = fill.listing.top;
        if (fill.tops.size() < items.size()) {
            fill.tops.push_back(Insert(TVI_ROOT, items[fill.tops.size()]));
        } else if (fill.top >= items.size()) {
            return StopFill();
        } else if (fill.disc < items[fill.top].discs.size()) {
            Insert(fill.group(), items[fill.top].discs[fill.disc++]);
        } else {
            ++fill.top;
            fill.disc = 0;
        }
    }
}

void ShowSelection(HTREEITEM item, LPARAM disc_id) {
    char text[16] = "";
    if (item && disc_id) wsprintfA(text, "%08x", static_cast<unsigned>(disc_id));
    SetDlgItemTextA(LibraryPage, IDC_LIB_DISC_ID, text);
    EnableWindow(Item(IDC_LIB_EDIT), text[0] != '\0');
    EnableWindow(Item(IDC_LIB_DELETE), text[0] != '\0');
}

void BuildTree() {
    StopFill();
    ShowSelection(nullptr, 0);
    CheckDlgButton(LibraryPage, IDC_LIB_BY_CATEGORY, Settings.LibraryView == IDC_LIB_BY_CATEGORY);
    CheckDlgButton(LibraryPage, IDC_LIB_BY_ARTIST, ByArtist());
    Filling = std::make_unique<TreeFill>();
    Filling->reader = std::make_unique<LibraryReader>(kDefaultDatabase, ByArtist() ? LibraryView::by_artist
                                                                                   : LibraryView::by_category);
    SetDlgItemInt(LibraryPage, IDC_LIB_COUNT, Filling->reader->count(), TRUE);
    SetTimer(LibraryPage, TIMER_LIBRARY_FILL, USER_TIMER_MINIMUM, nullptr);
    FillSlice();
}

void RebuildTree() {
    if (TreeView_DeleteAllItems(Tree())) BuildTree();
}

std::string ShownDiscId() {
    char id[16] = "";
    GetDlgItemTextA(LibraryPage, IDC_LIB_DISC_ID, id, sizeof id);
    return id;
}

void EditEntry() {
    const std::string id = ShownDiscId();
    const Text text = db_read(id);
    if (!text) {
        Message(kCannotRead, "Brindle", MB_OK);
        return;
    }
    DropLibraryRecord();
    LibraryRecord = std::make_shared<DiscRecord>(nullptr);
    LineLocks unshared;  // nobody else sees this record yet
    parse_entry(*LibraryRecord, *text, unshared);
    LibraryRecord->disc_id_text = id;
    PropSheet_SetCurSel(GetParent(LibraryPage), nullptr, kEditorPageIndex);
}

void DeleteEntry() {
    if (Message("Are you sure you want to delete this CD entry?", "Confirm Delete", MB_YESNO) != IDYES) return;
    if (!db_delete(ShownDiscId())) {
        Message("Could not delete CD entry.", "Brindle CD", MB_OK);
        return;
    }
    HWND tree = Tree();
    const HTREEITEM item = TreeView_GetSelection(tree);
    const HTREEITEM parent = item ? TreeView_GetParent(tree, item) : nullptr;
    const bool alone = item && !TreeView_GetPrevSibling(tree, item) && !TreeView_GetNextSibling(tree, item);
    if (item) TreeView_DeleteItem(tree, item);
    // A group still being filled has more discs to come.
    if (alone && parent && !(Filling && Filling->group() == parent)) TreeView_DeleteItem(tree, parent);
    SetDlgItemInt(LibraryPage, IDC_LIB_COUNT, GetDlgItemInt(LibraryPage, IDC_LIB_COUNT, nullptr, TRUE) - 1, TRUE);
    if (!TreeView_GetSelection(tree)) ShowSelection(nullptr, 0);
}

void SetUp(HWND page) {
    LibraryPage = page;
    Images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 0);
    for (const int id : {IDI_LIB_ROOT, IDI_LIB_OPEN, IDI_LIB_GROUP, IDI_LIB_DISC}) {
        HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0));
        ImageList_AddIcon(Images, icon);
        DestroyIcon(icon);
    }
    TreeView_SetImageList(Tree(), Images, TVSIL_NORMAL);
    BuildTree();
}

void OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    switch (id) {
        case IDC_LIB_EDIT: EditEntry(); break;
        case IDC_LIB_DELETE: DeleteEntry(); break;
        case IDC_LIB_REFRESH: RebuildTree(); break;
        case IDC_LIB_BY_CATEGORY:
        case IDC_LIB_BY_ARTIST:
            if (id == Settings.LibraryView) break;
            Settings.LibraryView = id;
            RebuildTree();
            PropSheet_Changed(GetParent(LibraryPage), LibraryPage);
            break;
    }
}

void OnNotify(const NMHDR& header) {
    if (header.idFrom != IDC_LIB_TREE) return;
    const auto& tree = reinterpret_cast<const NMTREEVIEWA&>(header);
    switch (header.code) {
        case TVN_SELCHANGEDA: ShowSelection(tree.itemNew.hItem, tree.itemNew.lParam); break;
        case TVN_ITEMEXPANDINGA:
            if (!ByArtist() && tree.itemNew.lParam == 0) {
                TVITEMA item{};
                item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
                item.hItem = tree.itemNew.hItem;
                item.iImage = item.iSelectedImage = tree.action == TVE_EXPAND ? kCategoryOpen : kCategoryClosed;
                TreeView_SetItem(header.hwndFrom, &item);
            }
            break;
        case NM_DBLCLK:
            if (IsWindowEnabled(Item(IDC_LIB_EDIT))) SendMessageA(Item(IDC_LIB_EDIT), BM_CLICK, 0, 0);
            break;
    }
}

void TearDown() {
    StopFill();
    TreeView_SetImageList(Tree(), nullptr, TVSIL_NORMAL);
    ImageList_Destroy(Images);
    Images = nullptr;
    DropLibraryRecord();
    LibraryPage = nullptr;
}

}  // namespace

INT_PTR CALLBACK LibraryPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG: SetUp(page); return TRUE;
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return TRUE;
        case WM_NOTIFY: OnNotify(*reinterpret_cast<const NMHDR*>(lParam)); return FALSE;
        case WM_TIMER:
            if (wParam == TIMER_LIBRARY_FILL) FillSlice();
            return TRUE;
        case WM_DESTROY: TearDown(); return TRUE;
    }
    return FALSE;
}
