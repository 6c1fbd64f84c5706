// Resource and command identifiers of vantor.exe, shared by the resource script (app/vantor.rc) and the code.
// Plain #defines so that the resource compiler can read it; no <windows.h> here.
// Threads: constants only.
#pragma once

// String table.
#define IDS_PROGRAM_NAME 103
#define IDS_MAIN_CLASS 109

// Menu and accelerator table of the main window, icons.
#define IDR_MAIN_MENU 109
#define IDR_ACCELERATORS 109
#define IDI_SMALL_ICON 108
#define IDI_LARGE_ICON 140

// Dialog templates and their controls.
#define IDD_OPTION 142
#define IDD_MONITOR 143
#define IDD_ABOUT 159
#define IDC_OPT_CONTEXT_MENU 1002
#define IDC_OPT_MULTIPLE_STARTUP 1003
#define IDC_OPT_SEP_TAB 1004
#define IDC_OPT_SEP_SEMICOLON 1005
#define IDC_OPT_SEP_COMMA 1006
#define IDC_OPT_SEP_SPACE 1007
#define IDC_OPT_SEP_OTHER 1008
#define IDC_OPT_SEP_TEXT 1009
#define IDC_MON_APPEND 1011
#define IDC_MON_INTERVAL 1012
#define IDC_ABOUT_VERSION 1030
#define IDC_ABOUT_MAIL 1033
#define IDC_ABOUT_HOME 1034

// Controls without an identifier.
#define IDC_STATIC (-1)

// Child window identifiers.
#define IDC_LIST_HOST 1
#define IDC_WINDOW_LIST 101
#define IDC_OUTPUT_PANE 103
#define IDC_SECTION_TOOLBAR 104
#define IDC_SECTION_MORE 105

// Commands (menu items, accelerators, hot keys, tray menu).
#define CMD_ABOUT 104
#define CMD_EXIT 105
#define CMD_SHOW 32773
#define CMD_CAPTURE_FOREGROUND 32775
#define CMD_REFRESH_LIST 32776
#define CMD_ONLINE_HELP 32777
#define CMD_UPDATE_INFO 32778
#define CMD_COPY 32780
#define CMD_PASTE 32781
#define CMD_CUT 32782
#define CMD_UNDO 32783
#define CMD_SELECT_ALL 32784
#define CMD_DELETE 32785
#define CMD_REDO 32786
#define CMD_CAPTURE_UNDER_CURSOR 32788
#define CMD_SETTINGS 32789
#define CMD_MONITOR 32790
#define CMD_STOP_MONITOR 32792
#define CMD_SAVE 32793
#define CMD_MONITOR_FOREGROUND 32794
