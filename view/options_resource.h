// Resource ids of the option sheet's pages, shared by resources/options.rc
// and the pages' code. The ids of the
// plain check boxes and number fields are in the binding table
// (view/core/option_bindings.cpp).
#pragma once

#define IDD_EDITOR_OPTION 138
#define IDD_SETUP 140
#define IDD_EDITOR_OPTION2 156
#define IDD_SETUP2 165

// CEditorOptionPage: the colour buttons, in the order of the colour table.
#define IDC_COLOR_TEXT 2034
#define IDC_COLOR_KEYWORD 2038
#define IDC_COLOR_COMMENT 2040
#define IDC_COLOR_BG 2041
#define IDC_COLOR_PEN 2042
#define IDC_COLOR_QUOTE 2043
#define IDC_COLOR_SEARCH 2065
#define IDC_COLOR_SELECTED 2066
#define IDC_COLOR_RULER 2069
#define IDC_COLOR_OPERATOR 2076
#define IDC_COLOR_KEYWORD2 2068
#define IDC_COLOR_IME_CARET 1067
#define IDC_COLOR_RULED_LINE 1073
#define IDC_DEFAULT_COLORS 2044

// CEditorOptionPage2
#define IDC_INDENT_MODE 2030
#define IDC_DRAG_DROP_EDIT 2072
#define IDC_TEXT_DROP_EDIT 2073
#define IDC_ENABLE_CONFINEMENT 1207
#define IDC_FIRST_CONFINEMENT 1208
#define IDC_LAST_CONFINEMENT 1209

// CSetupPage
#define IDC_INITIAL_DIR 2017
#define IDC_BROWSE_INITIAL_DIR 2046
#define IDC_BROWSER_FIREFOX 2032
#define IDC_BROWSE_FIREFOX 2053
#define IDC_BROWSER_IE 2031
#define IDC_BROWSE_IE 2052
#define IDC_BROWSER_NS 2023
#define IDC_BROWSE_NS 2049
#define IDC_FILE_LIST_FILTER 2060
#define IDC_DEFAULT_KANJI_CODE 2025
#define IDC_DEFAULT_LINE_TYPE 2033
#define IDC_DEFAULT_EDIT_MODE 1084
#define IDC_FILE_OPEN_KANJI_CODE 1083

// CSetupPage2: the tab colours and their defaults (2044 as on the first page).
#define IDC_TAB_TEXT_COLOR 2034
#define IDC_TAB_ACTIVE_BK_COLOR 2092
#define IDC_TAB_NO_ACTIVE_BK_COLOR 2068
