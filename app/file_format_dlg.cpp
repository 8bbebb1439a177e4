#include "app/file_format_dlg.h"

#include "app/app_resource.h"
#include "app/kanji_combos.h"

CFileFormatDlg::CFileFormatDlg() : CDialog(IDD_FILE_FORMAT) {}

BOOL CFileFormatDlg::OnInitDialog() {
    FillKanjiCodeCombo(GetDlgItem(IDC_FILE_KANJI_CODE), m_kanjiCode, false);
    FillLineEndCombo(GetDlgItem(IDC_FILE_LINE_END), m_lineEnd);
    return CDialog::OnInitDialog();
}

void CFileFormatDlg::OnOK() {
    m_kanjiCode = SelectedKanjiCode(GetDlgItem(IDC_FILE_KANJI_CODE), m_kanjiCode);
    m_lineEnd = SelectedLineEnd(GetDlgItem(IDC_FILE_LINE_END), m_lineEnd);
    EndDialog(IDOK);
}
