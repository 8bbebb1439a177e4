// Dialog windows. Window code asks whether an ancestor is a dialog: either an
// attached CDialog or any window of the system dialog class "#32770".
#pragma once

#include "framework/wnd.h"

class CDialog : public CWnd {};

inline bool IsDialogWindow(HWND hwnd) {
    if (!hwnd) return false;
    if (WndCast<CDialog>(hwnd)) return true;
    wchar_t name[16] = {};
    return ::GetClassNameW(hwnd, name, 16) && wcscmp(name, L"#32770") == 0;
}
