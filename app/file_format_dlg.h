// The file-format dialog: the encoding and line end a file is saved in.
#pragma once

#include "framework/dialog.h"

class CFileFormatDlg : public CDialog {
public:
    CFileFormatDlg();
    // In: the file's; out after OK: the chosen ones.
    int m_kanjiCode = 1;
    int m_lineEnd = 1;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
