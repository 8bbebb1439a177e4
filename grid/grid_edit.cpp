// Editing cells through the one in-place editing window, copying cells as
// TAB-separated text, pasting, deleting, and the Ctrl shortcuts.
#include <windows.h>

#include <imm.h>

#include <climits>
#include <cstring>
#include <memory>

#include "editctrl/edit_ctrl.h"
#include "editctrl/wait_cursor.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "grid/core/grid_copy_text.h"
#include "grid/core/grid_navigation.h"
#include "grid/grid_ctrl.h"
#include "textengine/edit_data.h"

namespace {

void ShowError(HWND owner, const wchar_t* text) { ShowMessageBox(owner, text, L"Error", MB_OK | MB_ICONERROR); }

}  // namespace

void CGridCtrl::CreateEditor() {
    if (m_editor || !m_hWnd || !m_data->IsEditable()) return;
    m_editData = std::make_unique<CEditData>();
    m_editor = std::make_unique<CEditCtrl>();
    m_editor->SetEditData(m_editData.get());
    if (!m_editor->Create(WS_CHILD, CRect(0, 0, 100, 10), m_hWnd, kEditorId)) {
        m_editor.reset();
        m_editData.reset();
        return;
    }
    m_editor->SetStyle(EditorStyleFromGridStyle(m_style));
    if (m_font) m_editor->SetFont(m_font);
    // Every key pressed in the editor reaches the grid too.
    const LONG_PTR previous = ::SetWindowLongPtrW(*m_editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditorProc));
    ::SetWindowLongPtrW(*m_editor, GWLP_USERDATA, previous);
}

LRESULT CALLBACK CGridCtrl::EditorProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_KEYDOWN) ::PostMessageW(::GetParent(hwnd), WM_GRID_EDITKEYDOWN, wParam, lParam);
    // TAB, Enter and Esc end the editing; they are not typed into the cell.
    if (msg == WM_CHAR && (wParam == L'\t' || wParam == L'\r' || wParam == L'\n' || wParam == 0x1B)) return 0;
    return previous ? ::CallWindowProcW(previous, hwnd, msg, wParam, lParam) : ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool CGridCtrl::IsEditing() const { return m_editor && m_editor->IsWindow() && ::IsWindowVisible(*m_editor); }

void CGridCtrl::PlaceEditor() {
    if (!m_editor || !m_editor->IsWindow()) return;
    const GridCell cur = m_data->m_curCell;
    if (cur.row < 0 || cur.col < 0) return;
    CRect r = GetCellRect(cur.row, cur.col);
    m_editor->MoveWindow(r.left, r.top, r.Width() - 1, r.Height() - 1, IsEditing());
}

void CGridCtrl::ResetEditorIme() {
    if (!m_editor || !m_editor->IsWindow()) return;
    HIMC imc = ::ImmGetContext(*m_editor);
    if (!imc) return;
    if (::ImmGetOpenStatus(imc)) {
        ::ImmSetOpenStatus(imc, FALSE);
        ::ImmSetOpenStatus(imc, TRUE);
    }
    ::ImmReleaseContext(*m_editor, imc);
}

bool CGridCtrl::BeginEdit(bool caretAtStart) {
    const GridCell cur = m_data->m_curCell;
    if (IsEditing() || cur.row < 0 || cur.col < 0 || !m_data->IsEditable()) return false;
    if (!m_data->IsCellEditable(cur.row, cur.col)) return false;
    CreateEditor();
    if (!m_editor) return false;
    OnBeginEdit();

    const GridColor* colors = m_data->Disp().colors;
    const COLORREF background = CellBackground(cur.row, cur.col);
    m_editor->SetColor(BG_COLOR, background);
    m_editor->SetColor(TEXT_COLOR, colors[GRID_TEXT]);
    m_editor->SetColor(PEN_COLOR, colors[GRID_MARK]);
    m_editor->SetColor(SELECTED_COLOR, colors[GRID_SELECTED_BG]);
    m_editor->SetColor(SEARCH_COLOR, colors[GRID_MATCH_BG]);
    const int stateRow = (m_style & GRID_RECORDS_AS_COLUMNS) ? cur.col : cur.row;
    const bool marked = m_data->IsCellModified(cur.row, cur.col) || m_data->IsRowDeleted(stateRow) ||
                        m_data->IsRowInserted(stateRow);
    std::uint32_t style = EditorStyleFromGridStyle(m_style);
    if (!marked) {
        style |= ECS_MODIFIED_BACKGROUND;
        m_editor->SetModifiedColors(background, colors[GRID_MODIFIED_BG]);
    }
    m_editor->SetStyle(style);

    m_editor->Model().ClearSelection(false);
    if (m_search.highlightOn)
        m_editor->SetSearchHighlight(AsWide(m_searchPattern.c_str()), m_searchMatchCase, m_searchMatchWidth,
                                     m_searchRegex);
    else
        m_editor->ClearSearchHighlight();

    m_editData->Clear();
    const int limit = m_data->GetMaxTextLen(cur.row, cur.col);
    m_editData->SetMaxLength(limit == INT_MAX ? -1 : limit);
    m_editData->InsertText(m_data->GetCopyText(cur.row, cur.col), 1);
    m_editData->MarkSaved();
    if (caretAtStart) m_editData->SetCaretPos(0, 0);
    m_editor->Relayout(0);
    m_editor->UpdateModifiedColor();

    ClearSelection(true);
    EnsureCellVisible(cur);
    PlaceEditor();
    m_editor->ShowWindow(SW_SHOW);
    m_editor->SetFocus();
    return true;
}

bool CGridCtrl::EndEdit() {
    if (!IsEditing()) return false;
    ResetEditorIme();
    const GridCell cur = m_data->m_curCell;
    if (cur.row < 0 || cur.col < 0 || !m_data->IsEditable() || !m_data->IsCellEditable(cur.row, cur.col))
        return false;
    bool taken = true;
    if (m_editData->IsModified()) {
        const std::u16string text = m_editData->GetText();
        if (m_data->SetCellText(cur.row, cur.col, text.c_str(), -1) != 0) {
            const std::u16string reason = m_data->GetLastError();
            // Without a reason the editor stays open with what was typed.
            if (reason.empty()) return false;
            ShowError(m_hWnd, AsWide(reason.c_str()));
            taken = false;
        }
        RedrawCell(cur.row, cur.col);
        RedrawRowHeader((m_style & GRID_RECORDS_AS_COLUMNS) ? cur.col : cur.row);
    }
    const bool hadFocus = ::GetFocus() == m_editor->GetSafeHwnd();
    m_editData->Clear();
    m_editor->ShowWindow(SW_HIDE);
    if (hadFocus) SetFocus();
    NotifyParent(WM_GRID_CELLEDITED, WPARAM(cur.col), LPARAM(cur.row), true);
    return taken;
}

void CGridCtrl::OnEditKeyDown(UINT key) {
    if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE) return;
    if (!IsEditing()) return;
    const bool taken = EndEdit();
    if (key == VK_ESCAPE) {
        EnsureCellVisible(m_data->m_curCell);
    } else if (taken) {
        PostMessage(WM_KEYDOWN, key, 0);
    }
}

void CGridCtrl::OnEditKillFocus(HWND gained) {
    if (!IsEditing()) return;
    if (gained == m_hWnd || IsSplitterPane())
        EndEdit();
    else
        m_focusLeftWhileEditing = true;
}

void CGridCtrl::OnChar(UINT ch) {
    if (m_data->m_dragState == GRID_DRAG_RUNNING) return;
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    if (!ctrl) {
        if (!m_data->IsEditable() || ch == L'\t' || ch == L'\r' || ch == 0x1B) return;
        if (!IsEditing()) {
            if (!BeginEdit(false)) return;
            m_editor->Model().SelectAll();
        }
        if (ch == L'\b') {
            m_editor->PostMessage(WM_KEYDOWN, VK_BACK, 1);
            m_editor->PostMessage(WM_KEYUP, VK_BACK, 0xC0000001);
        } else {
            m_editor->PostMessage(WM_CHAR, ch, 1);
        }
        return;
    }
    if (!(m_style & GRID_CTRL_KEYS)) return;
    switch (ch) {
    case 0x01:  // Ctrl+A
        SelectAll();
        break;
    case 0x03:  // Ctrl+C
        Copy();
        break;
    case 0x16:  // Ctrl+V
        Paste();
        break;
    case 0x18:  // Ctrl+X
        Cut();
        break;
    case 0x19:  // Ctrl+Y
    case 0x1A:  // Ctrl+Z
        if (IsEditing()) {
            if (ch == 0x19)
                m_editor->Model().Redo();
            else
                m_editor->Model().Undo();
        } else if (m_data->IsEditable()) {
            if (ch == 0x19)
                m_data->Redo();
            else
                m_data->Undo();
            AfterModelUndo();
        }
        break;
    default:
        break;
    }
}

void CGridCtrl::AfterModelUndo() {
    const GridCell cur = m_data->m_curCell;
    m_data->ClampCurrentCell(cur.col, cur.row);
    const GridCell at = m_data->m_curCell;
    m_data->m_curCell = {-1, -1};
    SetCurrentCell(at);
    RelayoutAllPanes();
    EnsureCellVisible(m_data->m_curCell);
    NotifyParent(WM_GRID_CURCELLCHANGED, WPARAM(m_data->m_curCell.col), LPARAM(m_data->m_curCell.row));
    NotifyParent(WM_GRID_CELLEDITED, WPARAM(m_data->m_curCell.col), LPARAM(m_data->m_curCell.row), true);
}

void CGridCtrl::Copy() {
    if (m_data->m_curCell.row < 0) return;
    if (IsEditing()) {
        m_editor->Copy();
        return;
    }
    const GridRange range = CopyRange(*m_data);
    std::unique_ptr<CWaitCursor> wait;
    if (range.Cells() > 100) wait = std::make_unique<CWaitCursor>();
    const std::u16string text = BuildCopyText(*m_data, range, (m_style & GRID_QUOTE_COPY) != 0,
                                              (m_style & GRID_RECORDS_AS_COLUMNS) != 0);
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    void* locked = memory ? ::GlobalLock(memory) : nullptr;
    if (!locked) {
        if (memory) ::GlobalFree(memory);
        ShowError(m_hWnd, L"メモリ確保に失敗しました");
        return;
    }
    std::memcpy(locked, text.c_str(), bytes);
    ::GlobalUnlock(memory);
    // The clipboard is closed on every path, and the memory freed unless
    // the clipboard took it.
    if (!::OpenClipboard(m_hWnd)) {
        ::GlobalFree(memory);
        ShowError(m_hWnd, L"Cannot open the Clipboard");
        return;
    }
    const wchar_t* failure = nullptr;
    if (!::EmptyClipboard())
        failure = L"Cannot empty the Clipboard";
    else if (!::SetClipboardData(CF_UNICODETEXT, memory))
        failure = L"Unable to set Clipboard data";
    ::CloseClipboard();
    if (failure) {
        ::GlobalFree(memory);
        ShowError(m_hWnd, failure);
    }
}

void CGridCtrl::Paste() {
    if (!m_data->IsEditable()) return;
    if (IsEditing()) {
        m_editor->Paste(false, false);
        return;
    }
    std::u16string text;
    if (::OpenClipboard(m_hWnd)) {
        if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* p = static_cast<const wchar_t*>(::GlobalLock(h))) {
                const SIZE_T units = ::GlobalSize(h) / sizeof(wchar_t);
                SIZE_T n = 0;
                while (n < units && p[n]) ++n;
                text.assign(AsU16(p), n);
                ::GlobalUnlock(h);
            }
        }
        ::CloseClipboard();
    }
    if (m_data->m_curCell.row < 0) return;
    const GridCell saved = m_data->m_curCell;
    if (m_data->m_sel.IsMultiCell()) m_data->m_curCell = {m_data->m_sel.Left(), m_data->m_sel.first.row};
    const int result = m_data->PasteText(text.c_str());
    m_data->m_curCell = saved;
    RelayoutAllPanes();
    NotifyParent(WM_GRID_CELLEDITED, WPARAM(saved.col), LPARAM(saved.row), true);
    if (result != 0) {
        const std::u16string reason = m_data->GetLastError();
        if (!reason.empty()) ShowError(m_hWnd, AsWide(reason.c_str()));
    }
}

void CGridCtrl::Cut() {
    if (IsEditing()) {
        m_editor->Cut();
        return;
    }
    Copy();
    DeleteCells();
}

void CGridCtrl::DeleteCells() {
    const GridCell cur = m_data->m_curCell;
    if (!m_data->IsEditable() || cur.row < 0 || cur.col < 0) return;
    const GridSelection& sel = m_data->m_sel;
    if (sel.IsMultiCell()) {
        m_data->FillRange(sel.first, sel.second, u"", 0);
        RedrawRange(sel.first, sel.second);
    } else if (m_data->IsCellEditable(cur.row, cur.col)) {
        m_data->SetCellText(cur.row, cur.col, u"", 0);
        RedrawCell(cur.row, cur.col);
        RedrawRowHeader((m_style & GRID_RECORDS_AS_COLUMNS) ? cur.col : cur.row);
    }
    NotifyParent(WM_GRID_CELLEDITED, WPARAM(cur.col), LPARAM(cur.row), true);
}
