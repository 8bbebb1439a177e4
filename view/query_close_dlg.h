// The question before a modified file closes when several close at once,
// with answers for all the files still to come.
#pragma once

#include <windows.h>

#include <string>

#include "framework/dialog.h"

enum QueryCloseAnswer : int {
    QUERY_CLOSE_SAVE = IDYES,
    QUERY_CLOSE_DISCARD = IDNO,
    QUERY_CLOSE_SAVE_ALL = 4,
    QUERY_CLOSE_DISCARD_ALL = 5,
    QUERY_CLOSE_CANCEL = IDCANCEL,
};

class CQueryCloseDlg : public CDialog {
public:
    explicit CQueryCloseDlg(std::wstring text);
    // Asks; one of QueryCloseAnswer (cancel also when the dialog cannot be shown).
    static int Ask(HWND owner, const std::wstring& text);

    std::wstring text;
    int answer = 0;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
};
