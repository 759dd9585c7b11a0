#pragma once
// Every numeric id of the program, named once: included by brd.rc and by the
// code. Plain #defines because windres reads this file too.

// Skin bitmaps
#define IDB_FONT            104
#define IDB_DIGITS          112
#define IDB_SLIDER          115
#define IDB_MAIN            143
#define IDB_BUTTONS         144
#define IDB_MENU_BANNER     146
#define IDB_LOGO            148
#define IDB_TRACKS          150
#define IDB_SPRITES         151
#define IDB_ABOUT           166
#define IDB_SHADE           167

// Icons
#define IDI_BRD             136
#define IDI_LIB_ROOT        176
#define IDI_LIB_GROUP       177
#define IDI_LIB_DISC        178
#define IDI_PLAYING         180
#define IDI_PAUSED          181
#define IDI_LIB_OPEN        183

// Menus and the accelerator table
#define IDR_QUICK_MENU      125
#define IDR_TRAY_MENU       153
#define IDR_ACCELERATORS    158
#define IDR_CONTROL_MENU    159

// Dialog templates: the Preferences sheet's pages, the About sheet's pages
// and the inexact match chooser
#define IDD_CREDITS_PAGE    126
#define IDD_LIBRARY_PAGE    129
#define IDD_STARTUP_PAGE    131
#define IDD_GUI_PAGE        132
#define IDD_EDITOR_PAGE     133
#define IDD_SERVERS_PAGE    134
#define IDD_INEXACT_MATCH   164
#define IDD_TIPS_PAGE       168

// Child window control ids
#define IDC_CONTROLS_WINDOW 1
#define IDC_TRACKS_WINDOW   2
#define IDC_SLIDER_WINDOW   3

// Commands
#define IDM_ABOUT           40001
#define IDM_ALWAYS_ON_TOP   40002
#define IDM_EXIT            40003
#define IDM_PREFERENCES     40005
#define IDM_QUERY_CD        40007
#define IDM_TRAY_PREFERENCES 40020
#define IDM_RESTORE         40021
#define IDM_TRAY_EXIT       40022
#define IDM_KEY_PREFERENCES 40035
#define IDM_KEY_EDITOR      40036
#define IDM_KEY_LIBRARY     40037
#define IDM_KEY_TRK_FWD     40038
#define IDM_KEY_TRK_BWD     40039
#define IDM_KEY_QUERY_CD    40040
#define IDM_KEY_ON_TOP      40041
#define IDM_EJECT           40048
#define IDM_TRK_BWD         40049
#define IDM_TRK_FWD         40050
#define IDM_STOP            40051
#define IDM_PAUSE           40052
#define IDM_PLAY            40053
#define IDM_KEY_EJECT       40054
#define IDM_KEY_STOP        40055
#define IDM_KEY_PAUSE       40056
#define IDM_KEY_PLAY        40057
#define IDM_KEY_GUI         40067
#define IDM_KEY_SERVERS     40068
#define IDM_SUBMIT_CD       40069
#define IDM_SHADE_MODE      40071
#define IDM_DRIVE_FIRST     10000   /* 10000 + drive number, below 10026 */
#define IDM_TRACK_FIRST     20000   /* 20000 + Play order position */
#define IDM_SYS_PREFERENCES 666

// Private messages (WM_USER is 1024)
#define WM_BRD_REQUEST      1024    /* wParam: LOAD_REQUEST, QUERY_NOTIFY or WRITE_FAILED */
#define BRD_LOAD_REQUEST    3
#define BRD_QUERY_NOTIFY    21
#define BRD_WRITE_FAILED    23      /* a database change failed: show the message box */
#define BRD_LOAD_ONLY       0
#define BRD_LOAD_AND_PLAY   5
#define WM_BRD_BUTTON       22498   /* wParam: button index 0 EJECT .. 5 PLAY */
#define WM_BRD_TRAY         22476
#define BRD_TRAY_ICON_ID    22476
#define WM_BRD_SLIDER_REFRESH 8

// Timers
#define TIMER_PLAYING       2
#define TIMER_TITLE_RESTORE 4
#define TIMER_DISC_POLL     10

// "Startup / Shutdown" page
#define IDC_DONE_EJECT      1025
#define IDC_EJECT_QUIT      1026
#define IDC_START_STOP      1027
#define IDC_START_PLAY      1028
#define IDC_EXIT_RETAIN     1029
#define IDC_EXIT_STOP       1030
#define IDC_EXIT_EJECT      1031
#define IDC_START_RETAIN    1032
#define IDC_CONNECT_CDDB    1033
#define IDC_LOAD_PLAY       1055
#define IDC_WIN_SHUTDOWN    1074
#define IDC_WIN_NORMAL      1075
#define IDC_WIN_MINIMIZED   1076
#define IDC_RESTORE_ORDER   1077
#define IDC_SAVE_ORDER      1078
#define IDC_WIN_SHADE       1079
#define IDC_NEXT_CD         1094

// "GUI Options" page
#define IDC_TITLE_CD        1007
#define IDC_TITLE_TRACK     1008
#define IDC_TITLE_TIME      1009
#define IDC_SLIDER_CD       1010
#define IDC_SLIDER_TRACK    1011
#define IDC_SLIDER_TIMER    1012
#define IDC_TRACK_CLICK     1013
#define IDC_RANK_CD_FIRST   1027    /* then 1028, 1029: Second, Third */
#define IDC_RANK_TRACK_FIRST 1030   /* then 1031, 1032 */
#define IDC_RANK_TIME_FIRST 1033    /* then 1035, 1036 */
#define IDC_RANK_TIME_SECOND 1035
#define IDC_RANK_TIME_THIRD 1036
#define IDC_EDGE_RESISTANCE 1034
#define IDC_SCROLL_ROUND    1069
#define IDC_SCROLL_BACK     1070
#define IDC_SCROLL_NONE     1071
#define IDC_ICON_TASK_BAR   1098
#define IDC_ICON_TRAY       1102

// "CDDB Servers" page
#define IDC_SERVER_DELETE   1037
#define IDC_SERVER_LIST     1039    /* the list of servers */
#define IDC_SERVER_HOST     1040
#define IDC_SERVER_ADD      1041
#define IDC_SERVER_DEFAULT  1042
#define IDC_GET_SERVERS     1048
#define IDC_SERVER_CONNECT  1049
#define IDC_SERVER_STATUS   1080
#define IDC_SERVER_PROTOCOL 1091
#define IDC_SERVER_PORT     1092
#define IDC_SMTP_SERVER     1093
#define IDC_USER_EMAIL      1094
#define TIMER_SERVER_STATUS 9
#define TIMER_SITES_FILL    12
#define WM_BRD_SITES_DONE   0x8001  /* WM_APP + 1: the "sites" worker is done, to the page */

// "Using BRD" page
#define IDC_TIPS_TEXT       1097

// Inexact match chooser
#define IDC_MATCH_LIST      1081
#define TIMER_GRID_BLINK    1       /* tracks window */
#define TIMER_GRID_FOLLOW   5       /* tracks window */
#define TIMER_HOVER         6       /* tracks and controls windows */
#define TIMER_PAUSE_BLINK   7       /* controls window */

// CD Editor page (dialog 133) and CD Library page (dialog 129)
#define IDC_ED_ALBUM        1042
#define IDC_ED_TITLE        1044
#define IDC_ED_CATEGORY     1045
#define IDC_ED_TRACKS       1072
#define IDC_ED_ARTIST       1085
#define IDC_LIB_TREE        1023
#define IDC_LIB_EDIT        1036
#define IDC_LIB_DELETE      1037
#define IDC_LIB_DISC_ID     1038
#define IDC_LIB_REFRESH     1039
#define IDC_LIB_COUNT       1040
#define IDC_LIB_BY_CATEGORY 1082
#define IDC_LIB_BY_ARTIST   1083
#define TIMER_LIBRARY_FILL  11      /* CD Library page */
