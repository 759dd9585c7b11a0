#include "app/editor_page.h"

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <set>
#include <string>

#include "app/library_page.h"
#include "app/player.h"
#include "app/supervision.h"
#include "discinfo/database.h"
#include "discinfo/entry_edit.h"
#include "discinfo/entry_text.h"
#include "discinfo/xmcd_writer.h"
#include "display/title_display.h"
#include "resources/resource.h"

namespace {

constexpr const char* kStartCategories[] = {"blues", "classical", "country", "data",   "folk",      "jazz",
                                            "misc",  "newage",    "reggae",  "rock",   "soundtrack"};
constexpr const char* kQueryRunning =
    "To preserve the integrity of the database, no changes\ncan be saved while a query is in progress.\n\n"
    "Be sure to reload the editor after the query has completed.";
constexpr const char* kNotACategory =
    "A category is one word of 1 to 20 letters and digits,\nsuch as rock or soundtrack.\n\n"
    "Please change the category and apply again.";

HWND EditorPage = nullptr;
WNDPROC EditClassProc = nullptr;  // what the subclassed edits pass other keys to
bool Filling = false;             // the page's own changes of its controls are no edits

// What the page shows: the record it was filled from (held, so no other
// disc can take its place), whether the user may change it (a loaded disc or
// a library entry, when it was shown), and the fields as filled. Apply
// writes only what differs from them, into that record.
struct ShownRecord {
    std::shared_ptr<DiscRecord> record;
    bool editable = false;
    EditorFields fields;
} Shown;

LineLocks& Locks() {
    static LineLocks no_display;  // before the title display exists nobody else reads the record
    return Player.TitleDisplay ? Player.TitleDisplay->Locks() : no_display;
}

HWND Item(int id) { return GetDlgItem(EditorPage, id); }

std::string ItemText(int id, size_t limit) {
    std::string text(limit + 1, '\0');
    text.resize(GetDlgItemTextA(EditorPage, id, text.data(), static_cast<int>(text.size())));
    return text;
}

std::string RowTitle(int row) {
    char title[kEditLimit + 1] = {};
    ListView_GetItemText(Item(IDC_ED_TRACKS), row, 0, title, sizeof title);
    return title;
}

int SelectedRow() { return ListView_GetNextItem(Item(IDC_ED_TRACKS), -1, LVNI_SELECTED); }

void SetText(int id, const std::string& text) {
    Filling = true;
    SetDlgItemTextA(EditorPage, id, text.c_str());
    Filling = false;
}

void ShowRowTitle(int row) {
    if (row >= 0) SetText(IDC_ED_TITLE, RowTitle(row));
}

void Changed() {
    if (!Filling) PropSheet_Changed(GetParent(EditorPage), EditorPage);
}

// Up and Down walk the track list from the title edit, and the fields from
// the artist and album edits; every other key is the edit's own.
LRESULT CALLBACK EditKeys(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_GETDLGCODE)
        return CallWindowProcA(EditClassProc, edit, msg, wParam, lParam) | DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (msg == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN)) {
        if (GetDlgCtrlID(edit) == IDC_ED_TITLE) {
            SendMessageA(Item(IDC_ED_TRACKS), WM_KEYDOWN, wParam, lParam);
            ShowRowTitle(SelectedRow());
            SendMessageA(edit, EM_SETSEL, 0, -1);
        } else {
            SetFocus(GetNextDlgTabItem(EditorPage, edit, wParam == VK_UP));
        }
        return 0;
    }
    return CallWindowProcA(EditClassProc, edit, msg, wParam, lParam);
}

// The categories of the stored entries join the usual ones, each once
// whatever its case.
void FillCategories() {
    HWND combo = Item(IDC_ED_CATEGORY);
    std::set<std::string> seen;
    const auto add = [&](std::string name) {
        std::string folded = name;
        for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (seen.insert(folded).second) ComboBox_AddString(combo, name.c_str());
    };
    for (const char* name : kStartCategories) add(name);
    const auto categories = [&](const DbIndexRecord& record, const Text&) {
        add(record.key.substr(0, record.key.find('/')));
    };
    if (db_survey(kDefaultDatabase, categories) || !Player.Disc) return;
    Text category;
    {
        BothLinesHeld held(Locks());  // a query may be filling it in
        category = Player.Disc->category;
    }
    if (category) add(*category);
}

void SetUp(HWND page) {
    EditorPage = page;
    HWND list = Item(IDC_ED_TRACKS);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    const std::pair<const char*, int> columns[] = {{"Title", 300}, {"No.", 35}, {"Length", 60}};
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(columns[i].first);
        column.cx = columns[i].second;
        column.iSubItem = i;
        ListView_InsertColumn(list, i, &column);
    }
    FillCategories();
    for (const int id : {IDC_ED_TITLE, IDC_ED_ARTIST, IDC_ED_ALBUM}) {
        SendMessageA(Item(id), EM_LIMITTEXT, kEditLimit, 0);
        EditClassProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(Item(id), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditKeys)));
    }
    ComboBox_LimitText(Item(IDC_ED_CATEGORY), kCategoryLimit);
}

// The list entry that is the category, whatever its case, never one that
// merely starts with it; the field shows the category as stored.
void SelectCategory(const Text& category) {
    HWND combo = Item(IDC_ED_CATEGORY);
    int at = category ? ComboBox_FindStringExact(combo, -1, category->c_str()) : CB_ERR;
    if (at == CB_ERR && category) at = ComboBox_AddString(combo, category->c_str());
    ComboBox_SetCurSel(combo, at);
    SetText(IDC_ED_CATEGORY, category.value_or(""));
}

EditorFields ReadFields() {
    EditorFields fields{ItemText(IDC_ED_ARTIST, kEditLimit), ItemText(IDC_ED_ALBUM, kEditLimit),
                        ItemText(IDC_ED_CATEGORY, kCategoryLimit), {}};
    const int rows = ListView_GetItemCount(Item(IDC_ED_TRACKS));
    for (int i = 0; i < rows; ++i) fields.titles.push_back(RowTitle(i));
    return fields;
}

void SetRowTitle(int row, std::string title) { ListView_SetItemText(Item(IDC_ED_TRACKS), row, 0, title.data()); }

// The controls show the record's texts.
void ShowRecord(const DiscRecord& record, bool drive) {
    DiscRecord copy;  // a query may be replacing the drive's texts
    {
        BothLinesHeld held(Locks());
        copy.disc_title = record.disc_title;
        copy.category = record.category;
        copy.track_count = std::clamp(record.track_count, 0, kMaxTracks);
        copy.track_titles = record.track_titles;
        copy.track_seconds = record.track_seconds;
    }
    SetText(IDC_ED_ARTIST, artist_part(copy.disc_title).value_or(""));
    SetText(IDC_ED_ALBUM, title_part(copy.disc_title).value_or(""));
    SelectCategory(copy.category);

    HWND list = Item(IDC_ED_TRACKS);
    Filling = true;
    ListView_DeleteAllItems(list);
    for (int i = 0; i < copy.track_count; ++i) {
        std::string title = copy.track_titles[i].value_or("");
        LVITEMA row{};
        row.mask = LVIF_TEXT;
        row.iItem = i;
        row.pszText = title.data();
        ListView_InsertItem(list, &row);
        std::string number = std::to_string(i + 1) + ".";
        ListView_SetItemText(list, i, 1, number.data());
        if (drive && copy.track_seconds[i] >= 0) {
            char length[16];
            wsprintfA(length, "%d:%02d", copy.track_seconds[i] / 60, copy.track_seconds[i] % 60);
            ListView_SetItemText(list, i, 2, length);
        }
    }
    if (copy.track_count > 0) ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Filling = false;
}

// Activation: the controls show the edited record as it is now. Changes not
// applied yet stay on top of it and stay with their disc, also one that has
// left the drive meanwhile; only an entry opened in the library replaces them.
void Fill() {
    const EditorFields typed = ReadFields();
    const bool pending = Shown.editable && typed != Shown.fields;
    std::shared_ptr<DiscRecord> record = LibraryRecord ? LibraryRecord : Player.Disc;
    if (pending && (!LibraryRecord || LibraryRecord == Shown.record)) record = Shown.record;
    const bool kept = pending && record == Shown.record;
    const bool editable = record && (kept || record == LibraryRecord || record->loaded);
    if (record) ShowRecord(*record, record == Player.Disc);
    Shown = {record, editable, ReadFields()};
    if (kept) {
        const EditorFields& was = Shown.fields;
        if (typed.artist != was.artist) SetText(IDC_ED_ARTIST, typed.artist);
        if (typed.album != was.album) SetText(IDC_ED_ALBUM, typed.album);
        if (typed.category != was.category) SetText(IDC_ED_CATEGORY, typed.category);
        for (size_t i = 0; i < typed.titles.size() && i < was.titles.size(); ++i)
            if (typed.titles[i] != was.titles[i]) SetRowTitle(static_cast<int>(i), typed.titles[i]);
        PropSheet_Changed(GetParent(EditorPage), EditorPage);
    }
    ShowRowTitle(SelectedRow());
}

// Stores the changed fields for the shown disc; the caller holds the query
// lock. The record takes the texts only once they are stored, so a save that
// failed leaves both as they were and can be applied again.
bool Save(const EditorFields& fields) {
    DiscRecord& record = *Shown.record;
    DiscRecord edited;
    {
        BothLinesHeld held(Locks());
        edited = record;
    }
    const Text old_key = editor_old_key(edited);
    apply_editor_fields(edited, Shown.fields, fields);
    std::string stored;
    if (save_edited_entry(edited, old_key, stored) != 1) return false;
    BothLinesHeld held(Locks());
    fill_from_entry(record, stored);
    record.disc_id_text = edited.disc_id_text;  // a library entry's id comes from its key, not a table
    return true;
}

// PSN_APPLY's answer: PSNRET_INVALID_NOCHANGEPAGE keeps changes that could
// not be saved on the page, pending, for the next Apply.
LONG_PTR Apply() {
    if (!Shown.editable) return PSNRET_NOERROR;
    const EditorFields fields = ReadFields();
    if (fields == Shown.fields) return PSNRET_NOERROR;
    const HWND sheet = GetParent(EditorPage);
    if (fields.category != Shown.fields.category && !is_category(fields.category)) {
        MessageBoxA(sheet, kNotACategory, "Brindle CD", MB_OK | MB_ICONEXCLAMATION);
        return PSNRET_INVALID_NOCHANGEPAGE;
    }
    {
        // A query stores entries too: the file is changed by one of us at a time.
        const SemaphoreSlot lock(Player.QueryLock.get(), 0);
        if (!lock.held()) {
            MessageBoxA(sheet, kQueryRunning, "Brindle CD", MB_OK | MB_ICONEXCLAMATION);
            return PSNRET_INVALID_NOCHANGEPAGE;
        }
        // A failed write is shown by the main window (write_failures.h).
        if (!Save(fields)) return PSNRET_INVALID_NOCHANGEPAGE;
    }
    Shown.fields = fields;
    if (Shown.record == Player.Disc) ShowNewTitles();
    return PSNRET_NOERROR;
}

void OnCommand(int id, int code) {
    if (id == IDC_ED_TITLE && code == EN_CHANGE && !Filling) {
        const int row = SelectedRow();
        if (row >= 0) {
            std::string title = ItemText(IDC_ED_TITLE, kEditLimit);
            ListView_SetItemText(Item(IDC_ED_TRACKS), row, 0, title.data());
        }
    }
    if ((code == EN_CHANGE && (id == IDC_ED_TITLE || id == IDC_ED_ARTIST || id == IDC_ED_ALBUM)) ||
        (id == IDC_ED_CATEGORY && code == CBN_EDITCHANGE))
        Changed();
}

INT_PTR OnNotify(const NMHDR& header) {
    switch (header.code) {
        case PSN_SETACTIVE: Fill(); break;
        case PSN_APPLY: SetWindowLongPtrA(EditorPage, DWLP_MSGRESULT, Apply()); return TRUE;
        case NM_CLICK:
            if (header.idFrom == IDC_ED_TRACKS) ShowRowTitle(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
            break;
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            if (!Filling && (change.uChanged & LVIF_STATE) && (change.uNewState & ~change.uOldState & LVIS_SELECTED))
                ShowRowTitle(change.iItem);
            break;
        }
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK EditorPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG: SetUp(page); return TRUE;
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return TRUE;
        case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_DESTROY:
            DropLibraryRecord();
            EditorPage = nullptr;
            Shown = {};
            return TRUE;
    }
    return FALSE;
}
