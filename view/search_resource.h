// Resource ids of the find, replace and filter dialogs, shared by
// resources/search.rc and the dialogs' code.
#pragma once

#define IDD_SEARCH_DLG 133
#define IDD_REPLACE_DLG 135
#define IDD_FILTER_DLG 167

#define IDC_SEARCH_TEXT 1900
#define IDC_SEARCH_NEXT 1901
#define IDC_SEARCH_PREV 1902
#define IDC_SEARCH_MATCH_CASE 1903
#define IDC_SEARCH_REGEX 1904
#define IDC_REPLACE_TEXT 1905
#define IDC_REPLACE_ONE 1906
#define IDC_REPLACE_ALL 1907
#define IDC_RANGE_SELECTION 1908
#define IDC_RANGE_WHOLE 1909
#define IDC_FILTER_RUN 1910
#define IDC_FILTER_ACTION 1911
#define IDC_SEARCH_MATCH_WIDTH 1912
// Hidden; its bottom edge gives the dialog's height.
#define IDC_HEIGHT_MARK 1218
