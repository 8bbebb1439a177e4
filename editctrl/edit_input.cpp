// Typed characters, the control's own key map (keyword completion on Esc),
// the caret's shape and the focus.
#include <windows.h>
#include <imm.h>

#include <algorithm>

#include "editctrl/core/bracket_pair.h"
#include "editctrl/edit_ctrl.h"
#include "editctrl/syntax/strtoken.h"
#include "framework/wide.h"

namespace {

bool KeyDown(int key) { return ::GetKeyState(key) < 0; }

constexpr UINT kNoBlinkTime = 86400000;

}  // namespace

// The caret blink time is the user's, system-wide: read once per process,
// put back only by a control that changed it.
UINT OriginalCaretBlinkTime() {
    static const UINT original = ::GetCaretBlinkTime();
    return original;
}

void CEditCtrl::TextEdited(const EditSnapshot& before, int firstLine, bool severalLines) {
    m_model.ResetCompletion();
    if (severalLines && m_data->GetLineCount() == before.lines) {
        // A box edit: every line of it changed, the count did not.
        const int last = std::max(m_data->GetCaretPos().line, before.caretLine);
        RecalcLineWidth(false, firstLine, last - firstLine + 1);
        UpdateScrollBars();
        Disp().AttrCache().Clear();
        RedrawAll();
    } else {
        LineChanged(before.lines, before.record, before.rows, severalLines ? firstLine : before.caretLine);
    }
    if (!(m_style & ECS_NO_COMMENT_SYNTAX)) UpdateLineStates(std::min(firstLine, m_data->GetCaretPos().line),
                                                            m_data->GetCaretPos().line);
    UpdateCaret(1, true);
}

void CEditCtrl::InsertChar(char32_t ch) {
    if (m_model.IsReadOnly() || !m_data) return;
    if (ch == 8 || ch == 27) return;
    if (!m_model.CombineTyped(ch)) return;
    if ((ch == '\t' || ch == '\r') && (m_style & ECS_SINGLE_LINE)) return;
    if (ch == '\t' && m_model.IsMultiLineSelection()) {
        Indent(KeyDown(VK_SHIFT), m_data->GetTabAsSpace(), Disp().Widths().TabSize(), L'\t');
        return;
    }
    m_model.Type(ch);
    const CStrToken* lang = LanguageOf(m_data->GetSyntaxRules());
    if ((m_style & ECS_BRACKET_FLASH) && lang && ch < 256 && lang->GetBracketKind(ch) == 1) {
        const EditPos after = m_data->GetCaretPos();
        const int caretX = m_data->GetCaretX();
        m_data->SetCaretPos(after.line, after.column - 1);
        FlashMatchingBracket(ch);
        m_data->SetCaretPos(after.line, after.column);
        m_data->SetCaretX(caretX);
    }
}

void CEditCtrl::OnChar(UINT ch) {
    if (!KeyDown(VK_CONTROL) || ch >= 0x20) {
        InsertChar(ch);
        return;
    }
    if (!(m_style & ECS_CTRL_KEYS_FROM_CHAR)) return;
    switch (ch) {
    case 1: m_model.SelectAll(); break;
    case 3: CopyAndClear(); break;
    case 22: Paste(false, false); break;
    case 24: Cut(); break;
    case 25: m_model.Redo(); break;
    case 26: m_model.Undo(); break;
    default: break;
    }
}

void CEditCtrl::OnKeyDown(UINT key) {
    if (!m_data) return;
    if (m_style & ECS_HOST_MAPS_KEYS) {
        if (key == VK_ESCAPE) m_model.ClearSelection(true);
        return;
    }
    const bool shift = KeyDown(VK_SHIFT), ctrl = KeyDown(VK_CONTROL);
    switch (key) {
    case VK_BACK: m_model.BackSpace(); break;
    case VK_ESCAPE:
        if (m_model.HasSelection())
            m_model.ClearSelection(true);
        else
            m_model.CompleteKeyword(shift);
        break;
    case VK_PRIOR:
        if (ctrl) ScrollPageUp();
        else MovePageUp(shift);
        break;
    case VK_NEXT:
        if (ctrl) ScrollPageDown();
        else MovePageDown(shift);
        break;
    case VK_END:
        if (ctrl) m_model.MoveToTextEnd(shift);
        else m_model.MoveToLineEnd(shift);
        break;
    case VK_HOME:
        if (ctrl) m_model.MoveToTextStart(shift);
        else m_model.MoveToLineStart(shift, true);
        break;
    case VK_LEFT:
        if (ctrl) m_model.MoveWordLeft(shift);
        else m_model.MoveCharOrCollapse(-1, shift);
        break;
    case VK_RIGHT:
        if (ctrl) m_model.MoveWordRight(shift);
        else m_model.MoveCharOrCollapse(1, shift);
        break;
    case VK_UP:
        if (ctrl) ScrollLineUp();
        else MoveCaretRows(-1, shift, false);
        break;
    case VK_DOWN:
        if (ctrl) ScrollLineDown();
        else MoveCaretRows(1, shift, false);
        break;
    case VK_DELETE: m_model.DeleteChar(); break;
    default: break;
    }
}

void CEditCtrl::RangeDeleted(const EditSnapshot& before, int first, int last, bool box, bool showCaret) {
    if (box && first != last) {
        RecalcLineWidth(false, first, last - first + 1);
        UpdateScrollBars();
        Disp().AttrCache().Clear();
        RedrawAll();
    } else {
        LineChanged(before.lines, before.record, before.rows, first);
    }
    if (!(m_style & ECS_NO_COMMENT_SYNTAX)) UpdateLineStates(m_data->GetCaretPos().line, m_data->GetCaretPos().line);
    if (showCaret) UpdateCaret(1, true);
}

void CEditCtrl::LineEdited(const EditSnapshot& before) {
    LineChanged(before.lines, before.record, before.rows, before.caretLine);
}

void CEditCtrl::SetOverwrite(bool on) {
    m_model.SetOverwrite(on);
    if (HasFocus()) CreateEditCaret(true);
    UpdateCaret(0);
}

void CEditCtrl::CreateEditCaret(bool recreate) {
    if (!IsWindow()) return;
    if (recreate) {
        ::HideCaret(m_hWnd);
        ::DestroyCaret();
    }
    m_caretWidth = m_model.IsOverwrite() ? CaretWidthAt() : 2;
    bool imeOpen = false;
    if (m_style & ECS_IME_CARET) {
        if (HIMC imc = ::ImmGetContext(m_hWnd)) {
            imeOpen = ::ImmGetOpenStatus(imc) != FALSE;
            ::ImmReleaseContext(m_hWnd, imc);
        }
    }
    if (imeOpen && m_data) {
        CEditDispGdi& disp = Disp();
        const int key[3] = {1, m_caretWidth, m_textHeight};
        if (!disp.caretBitmap || !std::equal(key, key + 3, disp.caretBitmapKey)) {
            disp.caretBitmap.DeleteObject();
            CMemoryDC memory(CClientDC(m_hWnd), m_caretWidth, m_textHeight);
            if (memory.IsCreated()) {
                // The caret is drawn by inverting: this colour over the background shows the set one.
                const COLORREF fill = (disp.GetColor(IME_CARET_COLOR) ^ disp.GetColor(BG_COLOR)) & 0xFFFFFF;
                memory.FillSolidRect(RECT{0, 0, m_caretWidth, m_textHeight}, fill);
                disp.caretBitmap = memory.TakeBitmap();
                std::copy(key, key + 3, disp.caretBitmapKey);
            }
        }
        ::CreateCaret(m_hWnd, disp.caretBitmap.GetSafeHandle(), 0, 0);
    } else {
        ::CreateCaret(m_hWnd, nullptr, m_caretWidth, m_textHeight);
    }
    if (m_style & ECS_NO_CARET_BLINK) {
        OriginalCaretBlinkTime();
        ::SetCaretBlinkTime(kNoBlinkTime);
        m_changedBlinkTime = true;
    }
    ::ShowCaret(m_hWnd);
}

void CEditCtrl::FlashMatchingBracket(char32_t ch) {
    if (m_bracketBlinkTime <= 0 || !m_data || ch >= 256) return;
    CEditDispGdi& disp = Disp();
    for (EditPos& p : disp.flashBracket) {
        if (p.line >= 0) MirrorRedrawLine(p.line);
        p = {-1, -1};
    }
    KillTimer(kTimerBracket);
    const char16_t open = OpenerOf(static_cast<char16_t>(ch));
    EditPos partner;
    if (!open || !m_data->FindMatchingBracket(open, ch, 1, {-1, -1}, -1, partner)) return;
    disp.flashBracket[0] = partner;
    disp.flashBracket[1] = m_data->GetCaretPos();
    MirrorRedrawLine(partner.line);
    MirrorRedrawLine(disp.flashBracket[1].line);
    SetTimer(kTimerBracket, static_cast<UINT>(m_bracketBlinkTime));
}

void CEditCtrl::OnSetFocus(HWND lost) {
    CreateEditCaret(false);
    m_caretPoint = CPoint(-1, -1);
    UpdateCaret(0, true);
    LOGFONTW lf{};
    if (m_font && m_font.GetLogFont(&lf)) {
        if (HIMC imc = ::ImmGetContext(m_hWnd)) {
            ::ImmSetCompositionFontW(imc, &lf);
            ::ImmReleaseContext(m_hWnd, imc);
        }
    }
    SendParent(WM_EDIT_SETFOCUS, reinterpret_cast<WPARAM>(lost));
}

void CEditCtrl::OnKillFocus(HWND gained) {
    ::HideCaret(m_hWnd);
    ::DestroyCaret();
    m_caretPoint = CPoint(-1, -1);
    if (m_changedBlinkTime) {
        ::SetCaretBlinkTime(OriginalCaretBlinkTime());
        m_changedBlinkTime = false;
    }
    EndMouseCapture();
    SendParent(WM_EDIT_KILLFOCUS, reinterpret_cast<WPARAM>(gained));
}
