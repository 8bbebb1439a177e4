// The mouse: clicks, Shift-click, Ctrl-drag boxes, double- and triple-click,
// the line-number area, drag selection with auto-scroll, links, right-click
// and the pointer's shape.
#include <windows.h>
#include <imm.h>

#include <algorithm>

#include "editctrl/core/caret_motion.h"
#include "editctrl/core/command_rules.h"
#include "editctrl/core/selection_model.h"
#include "editctrl/core/transfer_text.h"
#include "editctrl/edit_ctrl.h"
#include "framework/seams.h"
#include "framework/wide.h"

void CEditCtrl::OnLButtonDown(UINT flags, CPoint p) {
    if (!m_data) return;
    SetFocus();
    if (HIMC imc = ::ImmGetContext(m_hWnd)) {
        const LONG pending = ::ImmGetCompositionStringW(imc, GCS_COMPSTR, nullptr, 0);
        if (pending > 0) ::ImmNotifyIME(imc, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
        ::ImmReleaseContext(m_hWnd, imc);
        if (pending > 0) return;
    }
    if (m_style & ECS_IDLE_POINTER) {
        const CRect client = GetScrollClientRect();
        const int left = m_leftMargin - 40, right = std::min<long>(m_body.right, client.right) + 40;
        if (p.x < left || p.x > right || p.y < m_topMargin - 40 || p.y > client.bottom + 40) return;
    }
    const bool shift = (flags & MK_SHIFT) != 0;
    if (m_tripleClickArmed && PosFromPoint(p.x, p.y, false) == m_dblClickPos) {
        KillTimer(kTimerTripleClick);
        m_tripleClickArmed = false;
        m_model.ClearSelection(true);
        m_model.SelectLineAt(m_dblClickPos.line);
        StartMouseSelection(false);
        return;
    }
    if ((m_style & ECS_DRAG_DROP_EDIT) && IsPointInSelection(p.x, p.y)) {
        if (!StartDrag()) ClickAt(shift, p.x, p.y);
        return;
    }
    if (flags & MK_CONTROL) DispData().boxRequest = 1;
    ClickAt(shift, p.x, p.y);
    StartMouseSelection(false);
}

void CEditCtrl::ClickAt(bool extend, int x, int y) {
    if (!m_data) return;
    m_model.MoveTo(PosFromPoint(x, y, false), extend, x >= m_leftMargin + 2 * m_charWidth);
    if (!extend) {
        const int line = LineNumberHit(x, y);
        if (line >= 0) m_model.SelectLineAt(line);
    }
}

int CEditCtrl::LineNumberHit(int x, int y) {
    if (!(m_style & ECS_SHOW_ROW_NUM) || !m_data) return -1;
    if (y < m_topMargin || x < 0 || 2 * x > 2 * m_leftMargin - 3 * m_charWidth) return -1;
    return PosFromPoint(x, y, true).line;
}

void CEditCtrl::StartMouseSelection(bool wordMode) {
    CEditDispData& d = DispData();
    d.mouseSelection = MouseSelection::Pressed;
    if (d.selAnchor.line < 0) {
        const EditPos c = m_data->GetCaretPos();
        m_model.BeginSelection({c.column, c.line});
        d.wordDrag = wordMode ? 1 : 0;
        d.mouseSelection = MouseSelection::Pressed;
    }
    ::SetCapture(m_hWnd);
    SetTimer(kTimerDragScroll, 100);
}

void CEditCtrl::MouseSelectTo(bool scroll, int x, int y) {
    CEditDispData& d = DispData();
    EditPos pos = PosFromPoint(x, y, true);
    const int last = m_data->GetLineCount() - 1;
    // Dragging down the line numbers selects whole lines.
    if ((m_style & ECS_SHOW_ROW_NUM) && x < m_leftMargin && pos.line >= d.selAnchor.line)
        pos = pos.line < last ? EditPos{0, pos.line + 1} : EditPos{m_data->GetLineLength(last), last};
    if ((m_style & ECS_WORD_DRAG) && d.wordDrag) {
        const auto word = motion::WordAt(*m_data, pos);
        if (pos != word.first && pos != word.second) pos = pos < d.selAnchor ? word.first : word.second;
    }
    m_data->SetCaretPos(pos.line, pos.column);
    UpdateCaret(scroll ? 1 : 0);
    if (d.boxSelection) d.boxX[1] = GetScrollPos(SB_HORZ) * m_charWidth + x - m_leftMargin;
    m_model.ExtendSelectionTo({pos.column, pos.line}, d.boxSelection != 0);
}

void CEditCtrl::OnMouseMove(UINT flags, CPoint p) {
    if (!m_data) return;
    CEditDispData& d = DispData();
    if (::GetCapture() == m_hWnd && d.mouseSelection != MouseSelection::None) {
        if (d.mouseSelection == MouseSelection::Pressed)
            d.mouseSelection = MouseSelection::Dragging;  // the first move only arms dragging
        else
            MouseSelectTo(false, p.x, p.y);
    } else if (::GetCapture() != m_hWnd) {
        if ((m_style & ECS_IDLE_POINTER) && p != m_lastMouse && m_idleCountdown == 0) {
            m_idleCountdown = 3;
            Invalidate(FALSE);
        }
        UpdatePointer(p);
    }
    m_lastMouse = p;
}

void CEditCtrl::OnLButtonUp() {
    EndMouseCapture();
    if ((m_style & ECS_MOUSE_SELECT_COPY) && m_model.HasSelection()) Copy();
}

void CEditCtrl::EndMouseCapture() {
    KillTimer(kTimerDragScroll);
    if (m_data) DispData().mouseSelection = MouseSelection::None;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
}

void CEditCtrl::OnLButtonDblClk(CPoint p) {
    if (!m_data) return;
    if ((m_style & ECS_CLICKABLE_URL) && IsLinkAt(p.x, p.y)) {
        OpenLinkAtCaret();
        return;
    }
    if (m_model.HasSelection()) {
        m_model.ClearSelection(true);
        return;
    }
    m_dblClickPos = m_data->GetCaretPos();
    SetTimer(kTimerTripleClick, ::GetDoubleClickTime());
    m_tripleClickArmed = true;
    m_model.SelectWordAt();
    // The selection grows by words from here.
    DispData().selAnchor = DispData().initialRange[0];
    StartMouseSelection(true);
    DispData().wordDrag = 1;
    SendParent(WM_EDIT_DBLCLK, static_cast<WPARAM>(m_dblClickPos.column), static_cast<LPARAM>(m_dblClickPos.line));
}

bool CEditCtrl::IsPointInSelection(int x, int y) {
    if (!m_model.HasSelection() || !PointInBody(CPoint(x, y))) return false;
    return selmodel::Contains(*m_data, PosFromPoint(x, y, true), false);
}

void CEditCtrl::OnRButtonDown(UINT flags, CPoint p) {
    if (!m_data) return;
    SetFocus();
    EndMouseCapture();
    if (!(m_model.HasSelection() && selmodel::Contains(*m_data, PosFromPoint(p.x, p.y, true), true)))
        ClickAt((flags & MK_SHIFT) != 0, p.x, p.y);
}

bool CEditCtrl::IsLinkAt(int x, int y) {
    if (!(m_style & ECS_CLICKABLE_URL) || !m_data || !IsPointOnText(x, y)) return false;
    EditPos pos = PosFromPoint(x, y, true);
    // A character is hit up to its middle: the one under the point may be the one before.
    const RowPos rp = LinePosToRowPos(pos.column, pos.line);
    if (pos.column > 0 && PointFromRowPos(rp.xColumn, rp.row).x > x) --pos.column;
    const LineAttrSlot* slot = GetLineAttributes(pos.line);
    int from, to;
    return slot && LinkRangeAt(slot->items, slot->count, pos.column, from, to);
}

void CEditCtrl::OpenLinkAtCaret() {
    const std::wstring link = GetLinkAtCaret();
    if (link.empty()) return;
    const std::u16string address = transfer::LinkAddress(ToU16(link));
    ShellExecuteOpen(m_hWnd, nullptr, AsWide(address.c_str()), nullptr, nullptr, SW_SHOWNORMAL);
}

void CEditCtrl::UpdatePointer(CPoint p) {
    if ((m_style & ECS_IDLE_POINTER) && m_idleCountdown == 0) {
        ::SetCursor(nullptr);
        return;
    }
    if (!(m_style & (ECS_CLICKABLE_URL | ECS_IDLE_POINTER)) || !PointInBody(p)) return;
    ::SetCursor(IsLinkAt(p.x, p.y) ? GetLinkCursor() : ::LoadCursorW(nullptr, IDC_IBEAM));
}
