#include "app/library_page.h"

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <string>
#include <unordered_map>
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
constexpr std::chrono::milliseconds kSlice{30};  // the longest the page keeps anything waiting
enum Image { kCategoryClosed, kCategoryOpen, kArtist, kDisc };
constexpr const char* kCorrupt =
    "It seems the brd database file is corrupt.\nYou must delete the 'brd.bdb' file in the BRD directory.";
constexpr const char* kCannotRead =
    "Could not read CD information for this CD.\n\nTry clicking Refresh.\n\n"
    "If the problem remains make sure the BRD database\nhas not been corrupted.";

// The tree holds what a user can see: the top level (groups and loose discs)
// goes in as the file is read, a group's discs the first time it opens. The
// page reads and inserts in slices on a timer (timer messages come after
// input and paint) and goes on between slices while nothing else waits, so
// the sheet keeps answering and a big library is listed at full speed.
struct TreeFill {
    std::unique_ptr<LibraryReader> reader;  // until the file is read
    LibraryListing listing;
    size_t inserted = 0;                              // of the listing's top level
    HTREEITEM first = nullptr;                        // the top level's first item
    int32_t shown_count = -1;
    std::unordered_map<HTREEITEM, size_t> unopened;  // groups without their discs yet: their place in listing.top
    bool running() const { return reader || inserted < listing.top.size(); }
};

HWND LibraryPage = nullptr;
HWND Tree = nullptr;
HIMAGELIST Images = nullptr;
std::unique_ptr<TreeFill> Filling;

HWND Item(int id) { return GetDlgItem(LibraryPage, id); }
bool ByArtist() { return Settings.LibraryView == IDC_LIB_BY_ARTIST; }

int Message(const char* text, const char* title, UINT type) {
    return MessageBoxA(GetParent(LibraryPage), text, title, type | MB_ICONEXCLAMATION);
}

// The tree lays out every item again whenever its redraw comes back on, so
// it stays off from a fill's first insert to its last.
void SetTreeRedraw(bool on) { SendMessageA(Tree, WM_SETREDRAW, on, 0); }

HTREEITEM Insert(HTREEITEM parent, HTREEITEM after, const LibraryItem& item) {
    const int image = !item.group ? kDisc : ByArtist() ? kArtist : kCategoryClosed;
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>(item.text.c_str());
    insert.item.iImage = insert.item.iSelectedImage = image;
    insert.item.lParam = item.group ? 0 : item.disc_id;
    insert.item.cChildren = item.group ? 1 : 0;  // its "+" before its discs are there
    return TreeView_InsertItem(Tree, &insert);
}

// Inserts the next top-level item. Each goes in in constant time in both
// tree views: the first one first, then the others from the last up, each
// right after the first (Windows walks a parent's children to append one;
// Wine finds an item by looking through its items in the order they came,
// and scrolls its view at each insert before the first visible item).
void InsertNextTop(TreeFill& fill) {
    const std::vector<LibraryItem>& top = fill.listing.top;
    const size_t at = fill.inserted == 0 ? 0 : top.size() - fill.inserted;
    const HTREEITEM item = Insert(TVI_ROOT, fill.first ? fill.first : TVI_FIRST, top[at]);
    if (!fill.first) fill.first = item;
    if (top[at].group) fill.unopened.emplace(item, at);
    ++fill.inserted;
}

void StopFill() {
    KillTimer(LibraryPage, TIMER_LIBRARY_FILL);
    if (Filling && Filling->running()) SetTreeRedraw(true);
    Filling.reset();
}

void ShowCount(TreeFill& fill, int32_t count) {
    if (count == fill.shown_count) return;  // a new text repaints, and a paint ends the slice
    SetDlgItemInt(LibraryPage, IDC_LIB_COUNT, count, TRUE);
    fill.shown_count = count;
}

// Something besides the fill waits to be answered: input or a message. The
// sheet's own paint is done right here, as the loop would do it next.
bool SomethingWaits() {
    if (HIWORD(GetQueueStatus(QS_ALLINPUT)) == QS_PAINT)
        RedrawWindow(GetParent(LibraryPage), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0;
}

void FillSlice() {
    KillTimer(LibraryPage, TIMER_LIBRARY_FILL);  // its own next tick would count as waiting
    using Clock = std::chrono::steady_clock;
    auto slice_end = Clock::now() + kSlice;
    while (Filling && Filling->running()) {
        if (Clock::now() >= slice_end) {
            if (SomethingWaits()) {
                SetTimer(LibraryPage, TIMER_LIBRARY_FILL, USER_TIMER_MINIMUM, nullptr);
                return;
            }
            slice_end = Clock::now() + kSlice;
        }
        TreeFill& fill = *Filling;
        if (!fill.reader) {
            InsertNextTop(fill);
            continue;
        }
        const bool read = fill.reader->read_some(SIZE_MAX, slice_end);
        ShowCount(fill, fill.reader->count());  // known once the index is read; the file may change meanwhile
        if (!read) continue;
        fill.listing = fill.reader->take();
        fill.reader.reset();
        if (fill.listing.corrupt) {
            Message(kCorrupt, "Brindle", MB_OK);
            if (Filling.get() != &fill) return;  // the page went or started over meanwhile
        }
    }
    if (Filling) SetTreeRedraw(true);
}

// A group's discs go into the tree as it first opens: from the last up, each
// at the front, in constant time in both tree views (the group is still closed).
void OpenGroup(HTREEITEM group) {
    if (!Filling) return;
    const auto found = Filling->unopened.find(group);
    if (found == Filling->unopened.end()) return;
    const std::vector<LibraryItem> discs = std::move(Filling->listing.top[found->second].discs);
    Filling->unopened.erase(found);
    const bool filling = Filling->running();  // its redraw is off already and stays so
    if (!filling) SetTreeRedraw(false);
    for (auto disc = discs.rbegin(); disc != discs.rend(); ++disc) Insert(group, TVI_FIRST, *disc);
    if (!filling) SetTreeRedraw(true);
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
    SetTreeRedraw(false);
    Filling->reader = std::make_unique<LibraryReader>(kDefaultDatabase, ByArtist() ? LibraryView::by_artist
                                                                                   : LibraryView::by_category);
    SetDlgItemTextA(LibraryPage, IDC_LIB_COUNT, "");
    SetTimer(LibraryPage, TIMER_LIBRARY_FILL, USER_TIMER_MINIMUM, nullptr);  // once the sheet is on the screen
}

void EmptyTree() {
    StopFill();
    SetTreeRedraw(false);  // no layout after each item
    TreeView_DeleteAllItems(Tree);
    SetTreeRedraw(true);
}

void RebuildTree() {
    EmptyTree();
    if (!TreeView_GetCount(Tree)) BuildTree();
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
    // The rest of the top level goes in after the first item, which may be the one to go.
    if (Filling && !Filling->reader && Filling->running()) {
        while (Filling->running()) InsertNextTop(*Filling);
        SetTreeRedraw(true);
    }
    const HTREEITEM item = TreeView_GetSelection(Tree);
    const HTREEITEM parent = item ? TreeView_GetParent(Tree, item) : nullptr;
    const bool alone = item && !TreeView_GetPrevSibling(Tree, item) && !TreeView_GetNextSibling(Tree, item);
    if (item) TreeView_DeleteItem(Tree, item);
    if (alone && parent) TreeView_DeleteItem(Tree, parent);
    SetDlgItemInt(LibraryPage, IDC_LIB_COUNT, GetDlgItemInt(LibraryPage, IDC_LIB_COUNT, nullptr, TRUE) - 1, TRUE);
    if (!TreeView_GetSelection(Tree)) ShowSelection(nullptr, 0);
}

void SetUp(HWND page) {
    LibraryPage = page;
    Tree = Item(IDC_LIB_TREE);
    Images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 0);
    for (const int id : {IDI_LIB_ROOT, IDI_LIB_OPEN, IDI_LIB_GROUP, IDI_LIB_DISC}) {
        HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0));
        ImageList_AddIcon(Images, icon);
        DestroyIcon(icon);
    }
    TreeView_SetImageList(Tree, Images, TVSIL_NORMAL);
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
            if (tree.action == TVE_EXPAND) OpenGroup(tree.itemNew.hItem);
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
    EmptyTree();
    TreeView_SetImageList(Tree, nullptr, TVSIL_NORMAL);
    ImageList_Destroy(Images);
    Images = nullptr;
    DropLibraryRecord();
    LibraryPage = Tree = nullptr;
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
