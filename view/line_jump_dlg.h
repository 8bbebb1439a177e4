// The line-jump dialog: asks for a line number (1-based); OK is enabled
// only while the text is a number above 0.
#pragma once

#include "framework/dialog.h"

class CEditCtrl;

class CLineJumpDlg : public CDialog {
public:
    CLineJumpDlg();
    int m_line = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void UpdateOkButton();
};

// Puts the caret at the start of 1-based line (clamped to the text) and
// shows it: down or up by lines, then back to column 0.
void JumpToLine(CEditCtrl& editor, int line);
