// The CD Library and CD Editor pages in the real Preferences sheet, driven
// by messages, on a brd.bdb of real entries.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <thread>

#include "app/player.h"
#include "app/preferences_sheet.h"
#include "app/startup.h"
#include "discinfo/database.h"
#include "discinfo/entry_text.h"
#include "discinfo/test_support.h"
#include "display/title_display.h"
#include "resources/resource.h"

namespace {

// Answers the next message box with this title by `button`; what it said is in `text`.
class MessageBoxUser {
    std::thread thread_;

public:
    std::string text;
    MessageBoxUser(const char* title, int button) {
        thread_ = std::thread([this, title, button] {
            HWND box = nullptr;
            for (int i = 0; i < 400 && !(box && IsWindowVisible(box)); ++i, Sleep(25)) box = FindWindowA("#32770", title);
            char said[512] = {};
            GetDlgItemTextA(box, 0xFFFF, said, sizeof said);  // a message box's text
            text = said;
            PostMessageA(box, WM_COMMAND, button, 0);
        });
    }
    ~MessageBoxUser() { thread_.join(); }
};

class Pages : public ::testing::Test {
protected:
    ScratchDir dir;
    HWND sheet = nullptr;
    std::string db() const { return file_bytes(dir / "brd.bdb"); }

    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&icc);
        SetCurrentDirectoryA(dir.path.string().c_str());
        Player.Instance = GetModuleHandleA(nullptr);
        LoadSkin();
        Player.MainWindow = CreateWindowExA(0, "STATIC", "BRD", WS_POPUP, 0, 0, 297, 162, nullptr, nullptr, nullptr, nullptr);
        Player.TitleDisplay = std::make_unique<TitleDisplay>(Player.MainWindow, Player.Skin, Player.ShadeLine);
        Player.QueryLock.reset(CreateSemaphoreA(nullptr, 1, 1, nullptr));
        Player.Disc = std::make_shared<DiscRecord>(drive_record(test_data("alrs_freedb_7908090a.xmcd")));
        Player.Disc->owner_window = Player.MainWindow;
        for (int i = 0; i < Player.Disc->track_count; ++i) Player.Disc->track_seconds[i] = 150 + i;
        Player.Disc->loaded = 1;
        set_default_titles(*Player.Disc);
        Settings.LibraryView = IDC_LIB_BY_CATEGORY;
        Settings.IconType = 2;
    }
    void TearDown() override {
        DestroyWindow(sheet);
        Player.Disc.reset();
        Player.TitleDisplay.reset();
        DestroyWindow(Player.MainWindow);
        SetCurrentDirectoryA("C:\\");
    }

    // The Preferences sheet opened on `start`.
    void Open(int start) {
        sheet = OpenPrefsSheet(Player.MainWindow, start);
        Pump([] { return false; }, 100);
    }
    void Pump(const std::function<bool()>& done, int ms = 5000) {
        for (DWORD start = GetTickCount(); !done() && GetTickCount() - start < static_cast<DWORD>(ms);) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                if (!PropSheet_IsDialogMessage(sheet, &msg)) TranslateMessage(&msg), DispatchMessageA(&msg);
            Sleep(5);
        }
    }
    // BRD_PAGES_HOLD_MS keeps the sheet on the screen for a screenshot.
    void Hold() { Pump([] { return false; }, std::atoi(getenv("BRD_PAGES_HOLD_MS") ? getenv("BRD_PAGES_HOLD_MS") : "0")); }
    HWND Page() const { return PropSheet_GetCurrentPageHwnd(sheet); }
    HWND Control(int id) const { return GetDlgItem(Page(), id); }
    std::string Field(int id) const {
        char s[300] = {};
        GetDlgItemTextA(Page(), id, s, sizeof s);
        return s;
    }
    void SetText(int id, const char* text) { SetDlgItemTextA(Page(), id, text); }
    void Click(int id) { SendMessageA(Control(id), BM_CLICK, 0, 0); }
    void Apply() { PropSheet_Apply(sheet); }

    // The tree as "group: disc, disc | disc | ...", once it holds `items` items.
    std::map<std::string, HTREEITEM> found;
    std::string Tree(size_t items) {
        HWND tree = Control(IDC_LIB_TREE);
        Pump([&] { return TreeView_GetCount(tree) == items; });
        std::string out;
        const auto text = [&](HTREEITEM item) {
            char s[300] = {};
            TVITEMA it{};
            it.mask = TVIF_TEXT, it.hItem = item, it.pszText = s, it.cchTextMax = sizeof s;
            TreeView_GetItem(tree, &it);
            return found[s] = item, std::string(s);
        };
        for (HTREEITEM top = TreeView_GetRoot(tree); top; top = TreeView_GetNextSibling(tree, top)) {
            out += (out.empty() ? "" : " | ") + text(top);
            for (HTREEITEM d = TreeView_GetChild(tree, top); d; d = TreeView_GetNextSibling(tree, d))
                out += (d == TreeView_GetChild(tree, top) ? ": " : ", ") + text(d);
        }
        return out;
    }
    HTREEITEM Find(const std::string& text) { return found[text]; }
    std::string Cell(int row, int column) {
        char s[300] = {};
        ListView_GetItemText(Control(IDC_ED_TRACKS), row, column, s, sizeof s);
        return s;
    }
};

const char* const kGladys = "Gladys Knight & The Pips / All The Greatest Hits";

}  // namespace

TEST_F(Pages, EditorComposesTheTitleStoresANewEntryThenMovesItAndWalksTheTracks) {
    Open(4);
    EXPECT_TRUE(Cell(0, 0) == "Track 1" && Cell(9, 1) == "10." && Cell(1, 2) == "2:31");  // the drive's disc
    SetText(IDC_ED_ARTIST, "Gladys Knight & The Pips");
    SetText(IDC_ED_ALBUM, "All The Greatest Hits");
    SetText(IDC_ED_CATEGORY, "soul");
    Apply();
    const Text entry = db_read("soul/7908090a");
    ASSERT_TRUE(entry && entry->starts_with("100 soul 7908090a\r\n"));
    EXPECT_EQ(value_of("DTITLE=", *entry), kGladys);
    EXPECT_EQ(Player.Disc->disc_title, kGladys);
    char caption[100] = {};
    GetWindowTextA(Player.MainWindow, caption, sizeof caption);
    EXPECT_EQ(std::string(caption), std::string("BRD: ") + kGladys);

    SetText(IDC_ED_CATEGORY, "rock");
    Apply();
    const std::string moved = db_read("7908090a").value_or("");
    EXPECT_TRUE(moved.starts_with("100 rock 7908090a") && value_of("DTITLE=", moved) == kGladys);
    EXPECT_TRUE(!db_contains("soul/", "brd.bdb") && db_survey("brd.bdb")->records == 1);

    // Down walks the rows from the title edit and stays on the last one.
    HWND title = Control(IDC_ED_TITLE);
    ListView_SetItemState(Control(IDC_ED_TRACKS), 8, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    for (int i = 0; i < 3; ++i) SendMessageA(title, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_TRUE(Field(IDC_ED_TITLE) == "Track 10" && ListView_GetNextItem(Control(IDC_ED_TRACKS), -1, LVNI_SELECTED) == 9);
    SetText(IDC_ED_TITLE, "Midnight Train To Georgia");
    EXPECT_EQ(Cell(9, 0), "Midnight Train To Georgia");

    // A save refused while a query holds the lock, or one whose write fails, changes nothing and stays
    // pending on the page for the next Apply.
    WaitForSingleObject(Player.QueryLock.get(), 0);
    const std::string unsaved = db();
    {
        MessageBoxUser user("Brindle CD", IDOK);
        Apply();
        EXPECT_EQ(user.text.find("To preserve the integrity of the database, no changes\ncan be saved while a query"), 0u);
    }
    ReleaseSemaphore(Player.QueryLock.get(), 1, nullptr);
    db_write_fault_hook = [] { return false; };
    Apply();
    db_write_fault_hook = nullptr;
    EXPECT_TRUE(db() == unsaved && Player.Disc->track_titles[9] == "Track 10");
    Apply();
    EXPECT_EQ(value_of("TTITLE9=", db_read("7908090a").value_or("")), "Midnight Train To Georgia");
}

TEST_F(Pages, EditorWritesOnlyWhatTheUserChangedOverWhatArrivedMeanwhileUnderAWholeCategory) {
    Open(4);  // the new disc's defaults, while its lookup runs
    const DbEntry found = stored_entry("rock/7908090a", "alrs_freedb_7908090a.xmcd");
    ASSERT_EQ(db_add(found.key, found.text), 1);  // the lookup stores the entry and fills the record
    parse_entry(*Player.Disc, found.text, Player.TitleDisplay->Locks());
    Apply();  // nothing typed: nothing written
    EXPECT_EQ(db_read("rock/7908090a"), found.text);
    SetText(IDC_ED_ALBUM, "Greatest Hits");
    Apply();
    const std::string both = db_read("rock/7908090a").value_or("");
    EXPECT_TRUE(value_of("DTITLE=", both) == "Gladys Knight & The Pips / Greatest Hits" &&
                value_of("TTITLE0=", both) == value_of("TTITLE0=", found.text) && db_survey("brd.bdb")->records == 1);

    // A category stays one word the status line and the key can hold, shown as it is, not as the list's
    // entry it starts.
    for (const char* broken : {"hard rock", "rock/pop", ""}) {
        SetText(IDC_ED_CATEGORY, broken);
        MessageBoxUser user("Brindle CD", IDOK);
        Apply();
        EXPECT_EQ(user.text.find("A category is one word of 1 to 20 letters and digits"), 0u) << broken;
    }
    EXPECT_EQ(db_read("7908090a"), both);
    SetText(IDC_ED_CATEGORY, "new");
    Apply();
    EXPECT_TRUE(Field(IDC_ED_CATEGORY) == "new" && db_contains("new/7908090a", "brd.bdb") &&
                db_survey("brd.bdb")->records == 1);
}

TEST_F(Pages, LibraryGroupsListsDeletesAndOpensEntriesInTheEditor) {
    ASSERT_EQ(db_add_all(std::vector{stored_entry("rock/7908090a", "alrs_freedb_7908090a.xmcd"),
                                     stored_entry("country/0009e012", "poisdeux_dummymediafiles_0009e012-country.xmcd"),
                                     stored_entry("rock/be0c140e", "gitpan_CDDB-File_be0c140e.xmcd"),
                                     stored_entry("reggae/0009e012", "poisdeux_dummymediafiles_0009e012-reggae.xmcd"),
                                     DbEntry{"misc/0badd15c", "200 misc 0badd15c\r\nDTITLE=No Slash\r\nTTITLE0=One\r\n"}},
                         "brd.bdb"), 1);
    Open(3);
    EXPECT_EQ(Tree(10), "country: Johnny Cash a / The Fabulous Johnny Cash [Original Album Classics], Disc 1 | misc: No Slash | "
                        "reggae: Johnny Cash / 1958 - The Fabulous Johnny Cash | "
                        "rock: Gladys Knight & The Pips / All The Greatest Hits, Various / Clueless Soundtrack");
    TreeView_Expand(Control(IDC_LIB_TREE), Find("rock"), TVE_EXPAND);
    TreeView_SelectItem(Control(IDC_LIB_TREE), Find("Various / Clueless Soundtrack"));
    Hold();
    TreeView_SelectItem(Control(IDC_LIB_TREE), Find("rock"));
    EXPECT_TRUE(Field(IDC_LIB_DISC_ID).empty() && !IsWindowEnabled(Control(IDC_LIB_EDIT)) &&
                !IsWindowEnabled(Control(IDC_LIB_DELETE)));

    // A disc under two categories: both go from the file, one from the tree.
    TreeView_SelectItem(Control(IDC_LIB_TREE), TreeView_GetChild(Control(IDC_LIB_TREE), Find("reggae")));
    EXPECT_TRUE(Field(IDC_LIB_DISC_ID) == "0009e012" && IsWindowEnabled(Control(IDC_LIB_DELETE)));
    {
        MessageBoxUser user("Confirm Delete", IDYES);
        Click(IDC_LIB_DELETE);
    }
    EXPECT_EQ(Tree(7), "country: Johnny Cash a / The Fabulous Johnny Cash [Original Album Classics], Disc 1 | misc: No Slash | "
                       "rock: Gladys Knight & The Pips / All The Greatest Hits, Various / Clueless Soundtrack");
    EXPECT_TRUE(Field(IDC_LIB_COUNT) == "4" && !db_contains("0009e012", "brd.bdb") && db_survey("brd.bdb")->records == 3);

    Click(IDC_LIB_BY_ARTIST);
    EXPECT_TRUE(Settings.LibraryView == IDC_LIB_BY_ARTIST && IsWindowEnabled(GetDlgItem(sheet, 0x3021)));  // Apply
    EXPECT_EQ(Tree(5), "Gladys Knight & The Pips: All The Greatest Hits | No Slash | Various: Clueless Soundtrack");

    TreeView_SelectItem(Control(IDC_LIB_TREE), Find("Clueless Soundtrack"));
    Click(IDC_LIB_EDIT);
    Pump([&] { return PropSheet_GetCurrentPageHwnd(sheet) != nullptr && Field(IDC_ED_ALBUM) == "Clueless Soundtrack"; });
    EXPECT_TRUE(Field(IDC_ED_ARTIST) == "Various" && Cell(13, 0) == "Jill Sobule / Supermodel");
    EXPECT_TRUE(Cell(0, 1) == "1." && Cell(0, 2).empty());  // no Length for a library entry
    Hold();

    std::string bytes = db();
    bytes.replace(bytes.size() - 8, 4, "\xff\xff\xff\xff");  // the last record's offset
    write_bytes(dir / "brd.bdb", bytes);
    PropSheet_SetCurSel(sheet, nullptr, 3);
    MessageBoxUser user("Brindle", IDOK);
    Click(IDC_LIB_REFRESH);
    EXPECT_EQ(Tree(4), "Gladys Knight & The Pips: All The Greatest Hits | Various: Clueless Soundtrack");
    EXPECT_EQ(user.text, "It seems the brd database file is corrupt.\nYou must delete the 'brd.bdb' file in the BRD directory.");
}
