// OLE drag and drop of text out of and into the control, box text included.
#include <algorithm>

#include "editctrl/core/caret_geometry.h"
#include "editctrl/core/selection_model.h"
#include "editctrl/core/transfer_text.h"
#include "editctrl/edit_ctrl.h"
#include "editctrl/edit_transfer.h"
#include "textengine/undo_data.h"

bool CEditCtrl::StartDrag() {
    if (!(m_style & ECS_DRAG_DROP_EDIT) || !m_model.HasSelection()) return false;
    const bool box = DispData().boxSelection != 0;
    const std::u16string text = m_model.SelectedText();
    char marker[transfer::kBoxMarkerBytes];
    transfer::FillMarker(marker, box);
    COleDataSource source;
    source.CacheGlobalData(CF_UNICODETEXT, GlobalFromBytes(text.c_str(), (text.size() + 1) * sizeof(char16_t)));
    source.CacheGlobalData(GetBoxClipboardFormat(), GlobalFromBytes(marker, sizeof(marker)));
    CEditDispGdi& disp = Disp();
    disp.dragRunning = true;
    disp.droppedIntoSameText = false;
    const DWORD effect = source.DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE);
    disp.dragRunning = false;
    if (effect == DROPEFFECT_MOVE && !disp.droppedIntoSameText && !m_model.IsReadOnly()) m_model.DeleteSelection();
    return effect != DROPEFFECT_NONE;
}

DWORD CEditCtrl::OnDragOver(IDataObject* data, DWORD keys, CPoint point) {
    if (!m_data || m_model.IsReadOnly() || !(m_style & (ECS_DRAG_DROP_EDIT | ECS_TEXT_DROP_EDIT)) ||
        !DataOffersText(data))
        return DROPEFFECT_NONE;
    const EditPos pos = PosFromPoint(point.x, point.y, true);
    const RowPos rp = LinePosToRowPos(pos.column, pos.line);
    const CPoint cell = PointFromRowPos(rp.xColumn, rp.row);
    CRect caret(cell.x, cell.y, cell.x + 2, cell.y + m_rowHeight);
    const CRect client = GetScrollClientRect();
    const bool outside = cell.x < m_leftMargin || cell.x > client.Width() - m_rightMargin || cell.y < m_topMargin ||
                         cell.y + m_rowHeight > client.Height() - m_bottomMargin;
    if (outside) caret = CRect(0, 0, 0, 0);
    if (caret != m_dropCaret) {
        CClientDC dc(m_hWnd);
        if (!m_dropCaret.IsRectEmpty()) ::PatBlt(dc, m_dropCaret.left, m_dropCaret.top, 2, m_dropCaret.Height(), DSTINVERT);
        if (!caret.IsRectEmpty()) ::PatBlt(dc, caret.left, caret.top, 2, caret.Height(), DSTINVERT);
        m_dropCaret = caret;
    }
    if (outside) EnsureVisible(cell.x - m_leftMargin + GetScrollPos(SB_HORZ) * m_charWidth, rp.row);
    return ((keys & MK_CONTROL) || ::GetAsyncKeyState(VK_CONTROL) < 0) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

void CEditCtrl::OnDragLeave() {
    if (!m_dropCaret.IsRectEmpty()) InvalidateRect(&m_dropCaret, FALSE);
    m_dropCaret = CRect(0, 0, 0, 0);
}

bool CEditCtrl::Drop(IDataObject* data, DWORD effect, CPoint point) {
    OnDragLeave();
    if (!m_data || m_model.IsReadOnly()) return false;
    CEditDispGdi& disp = Disp();
    CEditDispData& d = DispData();
    const bool internal = disp.dragRunning;
    if (internal && effect != DROPEFFECT_COPY && IsPointInSelection(point.x, point.y)) {
        ClickAt(false, point.x, point.y);
        return false;
    }
    std::u16string text;
    bool box = false;
    if (!ReadDataText(data, text, box)) return false;
    EditPos target = PosFromPoint(point.x, point.y, true);
    {
        CUndoGroupGuard group(m_data->GetUndo(), 0);
        m_data->RecordCaretForUndo();
        if (internal && effect == DROPEFFECT_MOVE && m_model.HasSelection()) {
            if (d.boxSelection) {
                int from, to;
                m_data->GetBoxColumns(target.line, from, to);
                const int first = d.selStart.line, last = d.selEnd.line;
                m_data->DeleteBoxSelection();
                target = selmodel::AfterBoxRemoval(target, first, last, from, to);
            } else {
                const EditPos start = d.selStart, end = d.selEnd;
                m_data->DeleteText(start, end, 1);
                target = selmodel::AfterStreamRemoval(target, start, end);
            }
        }
        target = m_data->ClampPos(target);
        m_data->SetCaretPos(target.line, target.column);
        if (box) {
            d.ResetSelection();
            m_model.PasteBox(text.c_str());
        } else {
            m_data->InsertText(text.c_str(), 1);
        }
    }
    const EditPos caret = m_data->GetCaretPos();
    const bool hadSelection = d.selAnchor.line >= 0;
    d.ResetSelection();
    if (hadSelection) SendParent(WM_EDIT_SELCHANGED);
    m_model.ResetCompletion();
    Relayout(1);
    if (box) {
        // The pasted box: its rows from the target's line, as wide as its widest row.
        int rows = 0, widest = 0;
        for (std::size_t at = 0; at < text.size();) {
            std::size_t end = text.find(u'\n', at);
            if (end == std::u16string::npos) end = text.size();
            std::size_t cut = end > at && text[end - 1] == u'\r' ? end - 1 : end;
            const CMeasure m = Measure();
            widest = std::max(widest, m.TextWidth(text.c_str() + at, int(cut - at)));
            ++rows;
            at = end + 1;
        }
        Disp().MeasuringDC().Release();
        const int left = GetColumnX(target.line, target.column);
        const int lastLine = std::min(target.line + std::max(rows, 1) - 1, m_data->GetLineCount() - 1);
        d.boxRequest = 1;
        m_model.BeginSelection({target.column, target.line});
        d.boxX[0] = left;
        d.boxX[1] = left + widest;
        m_model.ExtendSelectionTo({m_data->GetLineLength(lastLine), lastLine}, true);
        int from, to;
        m_data->GetBoxColumns(lastLine, from, to);
        d.selEnd.column = to;
        m_data->SetCaretPos(lastLine, to);
        UpdateCaret(1, true);
    } else {
        m_model.SelectRange({target.column, target.line}, {caret.column, caret.line}, false);
    }
    disp.droppedIntoSameText = internal;
    if (HWND root = ::GetAncestor(m_hWnd, GA_ROOT)) ::SetForegroundWindow(root);
    return true;
}
