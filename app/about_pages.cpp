// The About sheet's pages: "Creators" is all template; "Using BRD" shows the
// quick tips.
#include "app/sheet_pages.h"
#include "resources/resource.h"

namespace {

constexpr char kQuickTips[] =
    "Quick Tips:\r\n"
    "\r\n"
    "'Quick Track' displays all the track names in playlist order and allows you to skip to any of the "
    "tracks immediately. Right-click on the disc/track name area to open it.\r\n"
    "Double-click on the disc/track name area to open the CD Editor.\r\n"
    "Double-click on the title area to toggle between full and shade mode.\r\n"
    "In the CD Editor, the Up and Down keys move from one track title to the next while you type.\r\n"
    "Click the words Track and CD beside the time to count in the track or the whole CD, and the plus and "
    "minus signs to show the elapsed or the remaining time.\r\n"
    "\r\n"
    "Accelerators:\r\n"
    "\r\n"
    "Ctrl+A\t\tSets BRD window 'Always on Top'\r\n"
    "Alt+C\t\tQueries CDDB for the CD in the drive\r\n"
    "Ctrl+P\t\tOpens the Preferences\r\n"
    "Ctrl+G\t\tOpens the 'GUI Options' page\r\n"
    "Ctrl+S\t\tOpens the 'CDDB Servers' page\r\n"
    "Ctrl+L\t\tOpens the 'CD Library' page\r\n"
    "Ctrl+E\t\tOpens the 'CD Editor' page\r\n"
    "Q\t\tEject\r\n"
    "W\t\tPrevious track\r\n"
    "E\t\tNext track\r\n"
    "R\t\tStop\r\n"
    "T\t\tPause\r\n"
    "Y\t\tPlay\r\n"
    "\r\n"
    "Programming:\r\n"
    "\r\n"
    "Drag a track in the track box to another place to set the play order; BRD plays the tracks in the "
    "order the box shows them.\r\n"
    "Right-click a track to exclude it from play. A red 'X' will be placed over the track number. "
    "Right-click it again to include it.\r\n"
    "When more than 15 tracks are shown, the arrows above and below the track box scroll it, and "
    "dragging a track past its edge scrolls too.\r\n"
    "With the 'Saving Playorder' options on the 'Startup / Shutdown' page, BRD saves the play order of "
    "each CD and restores it when the CD is loaded again.\r\n"
    "SHUFFLE plays the tracks in a random order; REPEAT repeats the track, REPEAT CD the whole play "
    "order.\r\n"
    "\r\n"
    "CDDB:\r\n"
    "\r\n"
    "BRD finds the titles of a new CD by querying a CDDB server. Choose 'Get Servers' on the 'CDDB "
    "Servers' page to fetch the list of public servers, select one and choose 'Set Default'.\r\n"
    "To query a particular server for the CD in the drive, select it and choose 'Connect'. The status "
    "line under the list shows what happens.\r\n"
    "With 'Automatically connect to CDDB for new CD's' on the 'Startup / Shutdown' page, BRD queries the "
    "default server by itself for every CD it does not know yet.\r\n"
    "When the servers answer 'No Match', enter the titles yourself in the CD Editor and send them to "
    "the CDDB service with 'Submit CD', so that the next person with this CD finds them.\r\n";

}  // namespace

INT_PTR CALLBACK CreatorsPageProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

INT_PTR CALLBACK TipsPageProc(HWND page, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    SetDlgItemTextA(page, IDC_TIPS_TEXT, kQuickTips);
    return TRUE;
}
