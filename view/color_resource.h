// Resource ids of the colour picker, shared by resources/color.rc and the
// picker's code.
#pragma once

#define IDD_SELECT_COLOR 145

#define IDC_COLOR_CHOOSE 2077
#define IDC_COLOR_DATA 2080
#define IDC_COLOR_RESULT_LABEL 2081
#define IDC_COLOR_FORMAT 1210
