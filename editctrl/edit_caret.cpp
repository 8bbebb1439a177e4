// Caret placement, coordinate mapping, caret movement, the selection and
// the repaint messages that keep every window of a text in step.
#include <windows.h>
#include <imm.h>

#include <algorithm>

#include "editctrl/core/bracket_pair.h"
#include "editctrl/core/caret_geometry.h"
#include "editctrl/core/selection_model.h"
#include "editctrl/edit_ctrl.h"

namespace {

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Guards against the nested caret update a scroll from EnsureVisible causes.
struct Flag {
    bool& f;
    explicit Flag(bool& flag) : f(flag) { f = true; }
    ~Flag() { f = false; }
};

}  // namespace

// Coordinates -------------------------------------------------------------------

CEditCtrl::RowPos CEditCtrl::LinePosToRowPos(int column, int line, bool preferPreviousRow) {
    const LineRows rows = m_data->GetLineRows(line);
    const int offset = caretgeom::RowOfColumn(rows, column, preferPreviousRow);
    return {column - caretgeom::RowStart(rows, offset), GetFirstRowOfLine(line) + offset};
}

CPoint CEditCtrl::PointFromRowPos(int xColumn, int row) {
    const int line = GetLineOfRow(row);
    const LineRows rows = m_data->GetLineRows(line);
    const int offset = row - GetFirstRowOfLine(line);
    const CMeasure m = Measure();
    const int px = caretgeom::PixelInRow(rows, offset, caretgeom::RowStart(rows, offset) + xColumn, *m.table, m.metrics);
    return CPoint(m_leftMargin + px - GetScrollPos(SB_HORZ) * m_charWidth,
                  (row - GetScrollPos(SB_VERT)) * m_rowHeight + m_topMargin);
}

EditPos CEditCtrl::PosFromPoint(int x, int y, bool clamp) {
    const int vpos = GetScrollPos(SB_VERT);
    int row = vpos + FloorDiv(y - m_topMargin, std::max(1, m_rowHeight));
    if (!clamp && y < m_topMargin) row = vpos;
    row = std::clamp(row, 0, std::max(DispData().displayRows - 1, 0));
    const int pixel = GetScrollPos(SB_HORZ) * m_charWidth + x - m_leftMargin;
    const int line = GetLineOfRow(row);
    const LineRows rows = m_data->GetLineRows(line);
    const CMeasure m = Measure();
    return {caretgeom::ColumnAtPixel(rows, row - GetFirstRowOfLine(line), pixel, *m.table, m.metrics), line};
}

bool CEditCtrl::PointInBody(CPoint p) {
    const CRect rc = GetScrollClientRect();
    return m_topMargin <= p.y && p.y <= rc.Height() - m_bottomMargin && m_leftMargin <= p.x &&
           p.x <= rc.Width() - m_rightMargin;
}

void CEditCtrl::EnsureVisible(int pixelX, int row) {
    const caretgeom::ScrollDelta d =
        caretgeom::EnsureVisibleDelta(pixelX / std::max(1, m_charWidth), row, GetScrollPos(SB_HORZ),
                                      GetScrollPos(SB_VERT), GetVisibleColumns(), m_visibleRows,
                                      (m_style & ECS_EXTRA_LAST_ROW) != 0);
    if (d.dx || d.dy) OnScrollBy(d.dx, d.dy, FALSE);
}

// Caret ----------------------------------------------------------------------------

void CEditCtrl::UpdateCaret(int scrollIntoView, bool force, bool preferPreviousRow) {
    if (!m_data || !IsWindow()) return;
    Flag placing(m_placingCaret);
    const bool focused = HasFocus();
    const EditPos caret = m_data->ClampPos(m_data->GetCaretPos());
    const LineRows rows = m_data->GetLineRows(caret.line);
    const int offset = caretgeom::RowOfColumn(rows, caret.column, preferPreviousRow);
    const int row = GetFirstRowOfLine(caret.line) + offset;
    int x;
    {
        const CMeasure m = Measure();
        x = caretgeom::PixelInRow(rows, offset, caret.column, *m.table, m.metrics);
        Disp().MeasuringDC().Release();
    }
    const int oldRow = m_caretRow;
    const int oldLine = GetLineOfRow(oldRow);
    auto remember = [&] {
        m_caretRow = row;
        m_caretX = x;
        Disp().caretRow = row;
        Disp().caretX = x;
    };
    if (!focused && !force) {
        // Painting still needs the caret's row (row line, ruler band).
        remember();
        return;
    }
    if (focused) MirrorRulerMark(m_leftMargin + m_caretX - GetScrollPos(SB_HORZ) * m_charWidth);
    if (scrollIntoView == 1) EnsureVisible(x, row);
    if (focused) {
        CPoint pt(m_leftMargin + x - GetScrollPos(SB_HORZ) * m_charWidth,
                  (row - GetScrollPos(SB_VERT)) * m_rowHeight + m_topMargin);
        if (!PointInBody(pt)) pt.y = -m_rowHeight;
        pt.y += m_textOffset;
        if (m_caretPoint.x >= 0 && m_caretPoint != pt) {
            const CRect old(m_caretPoint.x, m_caretPoint.y, m_caretPoint.x + m_caretWidth,
                            m_caretPoint.y + m_textHeight);
            InvalidateRect(&old, FALSE);
        }
        if (m_model.IsOverwrite() && CaretWidthAt() != m_caretWidth) CreateEditCaret(true);
        ::SetCaretPos(pt.x, pt.y);
        m_caretPoint = pt;
        if (HIMC imc = ::ImmGetContext(m_hWnd)) {
            COMPOSITIONFORM cf{};
            const CRect client = GetScrollClientRect();
            if (pt.x < 0) {
                cf.dwStyle = CFS_DEFAULT;
            } else {
                cf.dwStyle = CFS_POINT;
                cf.ptCurrentPos = pt;
                if (pt.x >= client.Width() - m_rightMargin) cf.ptCurrentPos = CPoint(m_leftMargin, pt.y + m_rowHeight);
            }
            ::ImmSetCompositionWindow(imc, &cf);
            COMPOSITIONFORM area{};
            area.dwStyle = CFS_RECT;
            area.ptCurrentPos = cf.ptCurrentPos;
            area.rcArea = CRect(m_leftMargin, m_topMargin, client.Width() - m_rightMargin,
                                client.Height() - m_bottomMargin);
            ::ImmSetCompositionWindow(imc, &area);
            ::ImmReleaseContext(m_hWnd, imc);
        }
        MirrorRulerMark(pt.x);
    }
    // Also unfocused: a search from a modeless dialog moves the caret, and
    // the status bar's caret position must follow it.
    const int displayColumn = m_data->GetDisplayColumn(caret.line, caret.column, Measure().metrics);
    Disp().MeasuringDC().Release();
    SendParent(WM_EDIT_CARETMOVED, static_cast<WPARAM>(displayColumn), static_cast<LPARAM>(caret.line));
    OnCaretMoved();
    if (row != oldRow) {
        MirrorRedrawMargin(oldRow);
        MirrorRedrawMargin(row);
        if (m_style & ECS_SHOW_ROW_LINE) {
            MirrorRedrawLine(oldLine);
            MirrorRedrawLine(caret.line);
        }
    }
    remember();
    if (m_style & ECS_SHOW_BRACKETS_BOLD) UpdateBoldBrackets();
}

int CEditCtrl::CaretWidthAt() {
    if (!m_model.IsOverwrite() || !m_data) return 2;
    const char32_t ch = m_data->GetCaretChar();
    if (!ch || ch == '\t') return std::max(2, m_charWidth);
    const int w = Measure().Advance(ch);
    Disp().MeasuringDC().Release();
    return std::max(2, w);
}

// Movement ----------------------------------------------------------------------------

void CEditCtrl::MoveCaretRows(int n, bool extend, bool scrollView) {
    if (!m_data) return;
    int preferred = m_data->GetCaretX();
    if (preferred < 0) preferred = m_caretX;
    const int vpos = GetScrollPos(SB_VERT);
    const int x = m_leftMargin + preferred - GetScrollPos(SB_HORZ) * m_charWidth;
    const EditPos from = m_data->GetCaretPos();
    const EditPos target = PosFromPoint(x, (m_caretRow + n - vpos) * m_rowHeight + m_topMargin, true);
    m_model.BeginOrClearSelection(extend);
    m_data->SetCaretPos(target.line, target.column);
    m_data->SetCaretX(preferred);
    if (extend) m_model.ExtendSelectionTo(target);
    if (scrollView) OnScrollBy(0, n, FALSE);
    UpdateCaret(1, false, target.line == from.line && x >= m_leftMargin + 2 * m_charWidth);
}

void CEditCtrl::MovePageUp(bool extend) {
    const int n = m_visibleRows > 1 ? m_visibleRows - 1 : 1;
    MoveCaretRows(-n, extend, true);
}

void CEditCtrl::MovePageDown(bool extend) {
    const int n = m_visibleRows > 1 ? m_visibleRows - 1 : 1;
    MoveCaretRows(n, extend, true);
}

// What the editor model asks of this window ----------------------------------------------

int CEditCtrl::ColumnX(EditPos pos) {
    const int x = GetColumnX(pos.line, pos.column);
    Disp().MeasuringDC().Release();
    return x;
}

int CEditCtrl::ColumnAtX(int line, int x) {
    const CMeasure m = Measure();
    const int column = CalcCharIndexAtX(m_data->GetLineText(line), *m.table, m.metrics, x);
    Disp().MeasuringDC().Release();
    return column;
}

CEditModelView::TabMetrics CEditCtrl::TabMetricsAtCaret() {
    const EditPos c = m_data->GetCaretPos();
    const CMeasure m = Measure();
    const TabMetrics t{m.TextWidth(m_data->GetLineText(c.line), c.column), m.Advance(' '), m.TabStop()};
    Disp().MeasuringDC().Release();
    return t;
}

void CEditCtrl::SelectionMoved(bool had, EditPos oldStart, EditPos oldEnd) {
    const CEditDispData& d = DispData();
    if (d.boxSelection) {
        // Lines that left the box, then the whole new box (its columns may have changed).
        if (had) {
            if (oldStart.line < d.selStart.line) InvalidateLines(oldStart.line, d.selStart.line - 1);
            if (oldEnd.line > d.selEnd.line) InvalidateLines(d.selEnd.line + 1, oldEnd.line);
        }
        MirrorInvalidateLines(d.selStart.line, d.selEnd.line);
        return;
    }
    if (m_paneMode && had)
        Disp().BroadcastMessage(m_hWnd, WM_EDIT_SYNC_REDRAWLINES, std::min(oldStart.line, d.selStart.line),
                                std::max(oldEnd.line, d.selEnd.line));
    else if (m_paneMode)
        Disp().BroadcastMessage(m_hWnd, WM_EDIT_SYNC_REDRAWLINES, d.selStart.line, d.selEnd.line);
    for (const auto& span : selmodel::StreamRedrawLines(had ? oldStart : EditPos{-1, -1}, oldEnd, d.selStart,
                                                        d.selEnd, d.selAnchor.line))
        InvalidateLines(span.first, span.second);
}

void CEditCtrl::SelectionLinesDropped(int first, int last) { MirrorInvalidateLines(first, last); }

void CEditCtrl::SelectionChanged() { SendParent(WM_EDIT_SELCHANGED); }

void CEditCtrl::CaretMoved(bool scroll, bool force, bool preferPreviousRow) {
    UpdateCaret(scroll ? 1 : 0, force, preferPreviousRow);
}

void CEditCtrl::RepaintAll() { RedrawAll(); }

void CEditCtrl::UpdateBoldBrackets() {
    if (!m_data || !LanguageOf(m_data->GetSyntaxRules())) return;
    const int vpos = GetScrollPos(SB_VERT);
    const int rows = DispData().displayRows;
    if (m_caretRow < vpos || m_caretRow >= vpos + m_visibleRows) return;
    auto rowStart = [&](int row) {
        const int line = GetLineOfRow(row);
        return EditPos{caretgeom::RowStart(m_data->GetLineRows(line), row - GetFirstRowOfLine(line)), line};
    };
    const EditPos first = rowStart(vpos);
    const EditPos last = vpos + m_visibleRows < rows ? rowStart(vpos + m_visibleRows) : EditPos{-1, -1};
    const BracketPair pair = FindBracketPair(*m_data, m_data->GetCaretPos(), *LanguageOf(m_data->GetSyntaxRules()), first, last);
    EditPos* cached = Disp().boldBracket;
    const EditPos found[2] = {pair.open, pair.close};
    for (int i = 0; i < 2; ++i) {
        if (cached[i] == found[i]) continue;
        if (cached[i].line >= 0) {
            if (LineAttrSlot* slot = Disp().AttrCache().Get(cached[i].line))
                if (cached[i].column >= 0 && cached[i].column <= slot->count)
                    slot->items[cached[i].column].flags &= ~kAttrBoldBracket;
            MirrorRedrawLine(cached[i].line);
        }
        cached[i] = found[i];
        if (found[i].line >= 0) MirrorRedrawLine(found[i].line);
    }
}

// Repainting ---------------------------------------------------------------------------

void CEditCtrl::RedrawLine(int line) {
    if (!m_data || !IsWindow() || line < 0 || line >= m_data->GetLineCount()) return;
    const int vpos = GetScrollPos(SB_VERT);
    const int first = GetFirstRowOfLine(line);
    const int last = first + std::max(1, m_data->GetLineRowCount(line)) - 1;
    if (last < vpos || first >= vpos + m_visibleRows) return;
    const CRect client = GetScrollClientRect();
    const int top = std::max(m_topMargin, m_topMargin + (first - vpos) * m_rowHeight);
    const int bottom = std::min(client.Height() - m_bottomMargin, m_topMargin + (last + 1 - vpos) * m_rowHeight);
    if (bottom <= top) return;
    const CRect body(m_leftMargin, top, client.Width(), bottom);
    InvalidateRect(&body, FALSE);
    const CRect marks(0, top, m_leftBase, bottom);
    InvalidateRect(&marks, FALSE);
}

void CEditCtrl::InvalidateLines(int first, int last) {
    if (!m_data || !IsWindow()) return;
    if (first > last) std::swap(first, last);
    // Only the visible lines: a selection over a million lines costs a screen.
    const int vpos = GetScrollPos(SB_VERT);
    const int firstVisible = GetLineOfRow(vpos);
    const int lastVisible = GetLineOfRow(vpos + m_visibleRows);
    for (int line = std::max(first, firstVisible); line <= std::min(last, lastVisible); ++line) RedrawLine(line);
}

void CEditCtrl::RedrawMargin(int row) {
    const int vpos = GetScrollPos(SB_VERT);
    if (row < vpos || row >= vpos + m_visibleRows) return;
    const int y = (row - vpos) * m_rowHeight + m_topMargin;
    const CRect r(0, y, m_leftMargin, y + m_rowHeight);
    InvalidateRect(&r, FALSE);
}

void CEditCtrl::RulerMark(int x) {
    if (!(m_style & ECS_SHOW_COL_NUM)) return;
    const CRect client = GetScrollClientRect();
    if (x - m_leftMargin < 0 || x - m_leftMargin >= client.Width()) return;
    const CRect r(x, 0, x + m_charWidth, m_topMargin);
    InvalidateRect(&r, FALSE);
}

void CEditCtrl::MirrorRedrawLine(int line) {
    RedrawLine(line);
    if (m_paneMode && m_data) Disp().BroadcastMessage(m_hWnd, WM_EDIT_SYNC_REDRAWLINE, line, 0);
}

void CEditCtrl::MirrorInvalidateLines(int first, int last) {
    InvalidateLines(first, last);
    if (m_paneMode && m_data) Disp().BroadcastMessage(m_hWnd, WM_EDIT_SYNC_REDRAWLINES, first, last);
}

void CEditCtrl::MirrorRedrawMargin(int row) {
    RedrawMargin(row);
    if (m_paneMode && m_data) Disp().BroadcastMessage(m_hWnd, WM_EDIT_SYNC_REDRAWMARGIN, row, 0);
}

void CEditCtrl::MirrorRulerMark(int x) {
    RulerMark(x);
    if (m_paneMode && m_data) Disp().BroadcastMessage(m_hWnd, WM_EDIT_SYNC_RULERMARK, static_cast<WPARAM>(x), 0);
}

void CEditCtrl::LineChanged(int linesBefore, const CEditLine* caretLineRecord, int rowsBefore, int firstLine,
                            bool remeasure) {
    if (!m_data || !IsWindow()) return;
    const int lines = m_data->GetLineCount();
    const int caretLine = m_data->GetCaretPos().line;
    if (remeasure && m_paneMode) {
        int* info = Disp().lineChange;
        info[0] = linesBefore;
        info[1] = caretLine;
        info[2] = rowsBefore;
        info[3] = firstLine;
        Disp().BroadcastMessage(m_hWnd, WM_EDIT_SYNC_LINECHANGED, reinterpret_cast<WPARAM>(info), 0);
    }
    // Every window keeps its own row index, so a receiver measures too.
    CEditLine* rec = m_data->GetLine(caretLine);
    const bool widest = caretLineRecord == m_data->GetWidestLine();
    if (lines == linesBefore && (!widest || rec == caretLineRecord)) {
        auto width = [&] { return caretLine < m_rowIndex.LineCount() ? m_rowIndex.Width(caretLine) : 0; };
        const int widthBefore = width();
        RecalcLineWidth(false, caretLine, 1);
        // The widest line that grew is still the widest; one that shrank is not known to be.
        if (!widest || width() >= widthBefore) {
            if (m_data->GetLineRowCount(caretLine) != rowsBefore) InvalidateAll(FALSE);
            UpdateScrollBars();
            RedrawLine(caretLine);
            return;
        }
    }
    RecalcLineWidth(false, firstLine, std::max(lines - linesBefore + 1, 2));
    RecalcMargins();
    UpdateScrollBars();
    Disp().AttrCache().Clear();
    InvalidateAll(FALSE);
}

void CEditCtrl::OnSyncLineChanged(WPARAM wParam) {
    // The parameter is a pointer: only the block our own text handed out,
    // sent from this thread, is read.
    if (!m_data || ::InSendMessage() || wParam != reinterpret_cast<WPARAM>(Disp().lineChange)) return;
    const int* info = Disp().lineChange;
    LineChanged(info[0], m_data->GetLine(info[1]), info[2], info[3], false);
}
