// Full-width and half-width conversion of the selection.
#include "editctrl/edit_ctrl.h"
#include "framework/seams.h"

void CEditCtrl::ToFullWidth(bool ascii, bool kana) { ConvertSelectionWidth(ascii, kana, true); }

void CEditCtrl::ToHalfWidth(bool ascii, bool kana) { ConvertSelectionWidth(ascii, kana, false); }

void CEditCtrl::ConvertSelectionWidth(bool ascii, bool kana, bool toFull) {
    if (!m_data || IsReadOnly() || !HasSelection()) return;
    CEditDispData& disp = DispData();
    if (disp.boxSelection) {
        ShowMessageBox(m_hWnd, L"矩形選択には対応していません", L"メッセージ", MB_ICONINFORMATION);
        return;
    }
    const EditPos end = disp.selEnd;
    const int linesAfter = m_data->GetLineCount() - 1 - end.line;
    const int unitsAfter = m_data->GetLineLength(end.line) - end.column;
    const int editsBefore = m_data->GetEditCounter();
    m_data->ConvertWidth(disp.selStart, end, ascii ? 1 : 0, kana ? 1 : 0, toFull ? 1 : 0);
    if (m_data->GetEditCounter() == editsBefore) return;
    // The converted text may be longer or shorter: the selection keeps what
    // follows it and is anchored at its end.
    KeepSelectionEnd(linesAfter, unitsAfter);
    AfterLinesChanged();
}
