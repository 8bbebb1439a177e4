#include "view/line_jump_dlg.h"

#include <climits>

#include "editctrl/edit_ctrl.h"
#include "view/jump_resource.h"

namespace {

// The edit's text as a whole number; false for anything else (the dialog
// data exchange says why only on OK).
bool ReadNumber(const CString& text, int& value) {
    const wchar_t* s = text.GetString();
    while (*s == L' ') ++s;
    bool negative = false;
    if (*s == L'-' || *s == L'+') negative = *s++ == L'-';
    if (*s < L'0' || *s > L'9') return false;
    long long n = 0;
    for (; *s >= L'0' && *s <= L'9'; ++s) {
        n = n * 10 + (*s - L'0');
        if (n > INT_MAX) return false;
    }
    while (*s == L' ') ++s;
    if (*s) return false;
    value = static_cast<int>(negative ? -n : n);
    return true;
}

}  // namespace

CLineJumpDlg::CLineJumpDlg() : CDialog(IDD_LINE_JUMP) {}

BOOL CLineJumpDlg::OnInitDialog() {
    const BOOL result = CDialog::OnInitDialog();
    UpdateOkButton();
    return result;
}

void CLineJumpDlg::DoDataExchange(CDataExchange* dx) { DDX_Text(dx, IDC_LINE_JUMP_NUMBER, m_line); }

bool CLineJumpDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDC_LINE_JUMP_NUMBER && HIWORD(wParam) == EN_CHANGE) {
        UpdateOkButton();
        return true;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CLineJumpDlg::UpdateOkButton() {
    int value = 0;
    const bool ok = ReadNumber(GetDlgItemText(IDC_LINE_JUMP_NUMBER), value) && value > 0;
    if (ok) m_line = value;
    if (HWND button = GetDlgItem(IDOK)) ::EnableWindow(button, ok);
}

void JumpToLine(CEditCtrl& editor, int line) {
    CEditData* data = editor.GetEditData();
    if (!data || line < 1) return;
    // A move by lines clamps to the text and lands at column 0; on the same
    // line only the column goes back.
    editor.Model().ClearSelection(true);
    data->MoveCaretLinesHome(line - 1 - data->GetCaretPos().line);
    editor.UpdateCaret(1);
    const EditPos caret = data->GetCaretPos();
    if (caret.column != 0) {
        data->SetCaretPos(caret.line, 0);
        editor.UpdateCaret(1, true);
    }
}
