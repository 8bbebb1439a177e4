// The version box: the program's name and file version, and the maker's
// address as a link that opens in the browser.
#pragma once

#include "framework/dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    // "wendrel Version a.b.c.d" of the running executable.
    const CString& VersionLine() const { return version_; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    CString version_;
};
