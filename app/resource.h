// Resource ids of the editor program, shared by the resource script and the
// code. The framework's standard ids are in framework/cmdids.h.
#pragma once

#include "framework/cmdids.h"

#define IDR_MAINFRAME 128
#define IDR_EDIT_MENU 139
#define IDR_TAB_MENU 141
#define IDR_LINK_MENU 148

// Status-bar panes of the main frame.
#define ID_INDICATOR_CARET_POS 59143
#define ID_INDICATOR_FORMAT 59144
#define ID_INDICATOR_BOX 59145
#define ID_EDIT_MODE_BAR 59425

// Main-frame commands.
#define ID_VIEW_EDIT_MODE_BAR 32958
#define ID_KEY_ASSIGN 32905
#define ID_ALWAYS_ON_TOP 33022
#define ID_VIEW_FILE_LIST 33201

// Edit modes: one command per mode of the list.
#define ID_EDIT_MODE_FIRST 34101
#define ID_EDIT_MODE_LAST 34116
