// The file-format dialog: the encoding and line end a file is saved in.
#pragma once

#include "framework/dialog.h"
#include "textengine/kanjicode.h"

class CFileFormatDlg : public CDialog {
public:
    CFileFormatDlg();
    // In: the file's; out after OK: the chosen ones.
    KanjiCode m_kanjiCode = KanjiCode::SJIS;
    LineEndType m_lineEnd = LineEndType::CRLF;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
