// Identifiers of the program's resources and commands, shared by the resource
// script and the code.
#pragma once

// Resources.
#define IDA_ACCELERATORS 3
#define IDI_ORVANE 101
#define IDM_MAINMENU 102
#define IDB_TOOLBAR 114
// The toolbar strip at 24 and 32 pixels (16 is IDB_TOOLBAR).
#define IDB_TOOLBAR_24 160
#define IDB_TOOLBAR_32 161

// The search dialog.
#define IDD_SEARCH 115
#define IDB_KEYBOARD 119
// The keyboard picture at 1.5x and 2x (1x is IDB_KEYBOARD).
#define IDB_KEYBOARD_150 162
#define IDB_KEYBOARD_200 163
#define IDC_SEARCH_TEXT 1013
#define IDC_FIND_ALL 1014

// Commands.
#define CMD_UNBOUND 1  // Ctrl+Q's table entry
#define CMD_NEXT_ARTICLE 109
#define CMD_PREVIOUS_ARTICLE 110
#define CMD_SEARCH 116
#define CMD_SEARCH_AGAIN 117
#define CMD_FIND_ALL 118
#define CMD_CHOOSE_ARTICLE 119
#define CMD_REVERSE 122
#define CMD_CHECK_UPDATES 129
#define CMD_SHARE_MINIMAL 401
#define CMD_SHARE_HALF 412
#define CMD_SHARE_THIRD 413
#define CMD_SHARE_QUARTER 414
#define CMD_SHARE_TWO_THIRDS 423
#define CMD_SHARE_THREE_QUARTERS 434
#define CMD_ABOUT 40004
#define CMD_EXIT 40005
#define CMD_FONT 40006
#define CMD_COPY 40007
#define CMD_PRINT 40008
#define CMD_APPEND 40009
#define CMD_PAGE_SETUP 40010
#define CMD_COPY_WITH_SOURCE 40011
#define CMD_SELECT_ALL 40012
#define CMD_SEARCH_SELECTION 40013
#define CMD_FIND_ALL_SELECTION 40014
#define CMD_BACK 2101
#define CMD_FORWARD 2102
#define CMD_ADD_BOOKMARK 2111
#define CMD_ORGANIZE_BOOKMARKS 2112
#define CMD_ZOOM_IN 2121
#define CMD_ZOOM_OUT 2122
#define CMD_ZOOM_RESET 2123
#define CMD_TODAYS_FOLIO 2141
#define CMD_DAILY_FOLIO 2142
#define CMD_GO_TO 2151
#define CMD_NIGHT_COLOURS 2131
#define CMD_FULL_SCREEN 2132
#define CMD_LINKS 2133
#define CMD_NEXT_COMMENT 2134
#define CMD_PREVIOUS_COMMENT 2135
// Notes on passages: add, edit and delete one, show or hide the marks, the
// All Notes window.
#define CMD_ADD_NOTE 2161
#define CMD_EDIT_NOTE 2162
#define CMD_DELETE_NOTE 2163
#define CMD_SHOW_NOTES 2164
#define CMD_ALL_NOTES 2165
// The All Notes window's Export and Import (the common dialogs they load).
#define CMD_EXPORT_NOTES 2166
#define CMD_IMPORT_NOTES 2167
// The Bookmarks menu's entries: the first 50 bookmarks of the list.
#define CMD_BOOKMARK_FIRST 2200
#define CMD_BOOKMARK_LAST 2249

// The Bookmarks popup: its place in the menu bar.
#define BOOKMARKS_MENU_POSITION 3

// Organize Bookmarks.
#define IDD_BOOKMARKS 130
#define IDC_BOOKMARK_LIST 1301
#define IDC_BOOKMARK_NAME 1302
#define IDC_BOOKMARK_RENAME 1303
#define IDC_BOOKMARK_DELETE 1304
#define IDC_BOOKMARK_UP 1305
#define IDC_BOOKMARK_DOWN 1306

// The note dialog: the passage and its page above the note's text.
#define IDD_NOTE 170
#define IDC_NOTE_PASSAGE 1701
#define IDC_NOTE_TEXT 1702
// The All Notes window: its filter line, list and buttons.
#define IDC_NOTES_FILTER 1711
#define IDC_NOTES_LIST 1712
#define IDC_NOTES_EXPORT 1713
#define IDC_NOTES_IMPORT 1714
#define IDC_NOTES_FILTER_LABEL 1715
