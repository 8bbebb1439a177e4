// Resource ids of the application's own dialogs, toolbar and bitmap
// (resources/app.rc). Usable from resource scripts.
#pragma once

// The file dialogs' extra controls: the open and the save form.
#define IDD_FILE_OPEN_EXT 157
#define IDD_FILE_SAVE_EXT 158
#define IDC_FILE_KANJI_CODE 2025
#define IDC_FILE_LINE_END 2033
#define IDC_FILE_KANJI_CODE_LABEL 2093
#define IDC_FILE_LINE_END_LABEL 2094

// The edit-mode toolbar and its base image.
#define IDR_EDIT_MODE_BAR 134
#define IDB_EDIT_MODE_BAR 166

// The about box.
#define IDD_ABOUTBOX 100
#define IDC_ABOUT_VERSION 2000
#define IDC_ABOUT_LINK 2012

// The favourites list.
#define IDD_FILE_BOOKMARK 159
#define IDC_BOOKMARK_ADD 1217
#define IDC_BOOKMARK_DELETE 1218
#define IDC_BOOKMARK_UP 1219
#define IDC_BOOKMARK_DOWN 1220
#define IDC_BOOKMARK_LIST 1221

// The file-format dialog: the two boxes of the file dialogs.
#define IDD_FILE_FORMAT 137
