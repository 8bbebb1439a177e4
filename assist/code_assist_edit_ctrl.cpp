#include "assist/code_assist_edit_ctrl.h"

#include "editctrl/core/edit_colors.h"
#include "editctrl/edit_disp_gdi.h"
#include "editctrl/syntax/strtoken.h"

CCodeAssistEditCtrl::CCodeAssistEditCtrl() = default;

CCodeAssistEditCtrl::~CCodeAssistEditCtrl() {
    // The popup names this control as its owner: it goes first.
    if (m_assist.IsWindow()) m_assist.DestroyWindow();
}

int CCodeAssistEditCtrl::OnCreate(CREATESTRUCTW* cs) {
    if (CEditCtrl::OnCreate(cs) == -1) return -1;
    m_source.InitColumns(false);
    m_assist.List().SetSourceData(&m_source);
    if (!m_assist.CreatePopup(m_hWnd)) return -1;
    return 0;
}

void CCodeAssistEditCtrl::OnDestroy() {
    // A file closed with the list open leaves nothing naming this control.
    HideAssistWnd();
    m_frameHook.Remove();
    if (m_assist.IsWindow()) m_assist.DestroyWindow();
    CEditCtrl::OnDestroy();
}

void CCodeAssistEditCtrl::SetFont(HFONT font) {
    m_assist.SetFont(font);
    CEditCtrl::SetFont(font);
}

int CCodeAssistEditCtrl::LineLength(int line) const {
    const CEditData* data = GetEditData();
    if (!data || line < 0 || line >= data->GetLineCount()) return -1;
    return data->GetLineLength(line);
}

void CCodeAssistEditCtrl::KeywordComplete(bool reverse) {
    CEditData* data = GetEditData();
    if (!data) return;
    if (Model().HasSelection()) {
        Model().ClearSelection(true);
        Model().ResetCompletion();
        return;
    }
    if (Model().IsReadOnly()) return;
    if (!m_useKeywordWindow) {
        Model().CompleteKeyword(reverse);
        return;
    }
    CCodeAssistList& list = m_assist.List();
    if (m_shown) {
        if (reverse)
            list.SelectPrevMatch(true, u"");
        else
            list.SelectNextMatch(true, u"");
        return;
    }
    const EditPos caret = data->GetCaretPos();
    if (caret.column == 0) return;
    const EditPos start = Model().WordEdge(-1);
    if (start.line != caret.line || start.column >= caret.column) return;
    const std::u16string word(data->GetLineText(caret.line) + start.column, std::size_t(caret.column - start.column));
    const CStrToken* lang = LanguageOf(data->GetSyntaxRules());
    if (!lang || lang->IsBreakChar(word.back())) return;
    if (m_source.FillFromKeywords(*lang, word) == 0) return;
    // The word runs from its edge: an accepted candidate replaces all of it.
    m_word.Open(caret.line, start.column, caret.column, LineLength(caret.line));
    if (m_source.GetRowCount() == 1) {
        list.SetFilterMode(false);
        list.SetSourceData(&m_source);
        AcceptRow(0);
        m_word.Close();
        return;
    }
    ShowAssistWnd();
    list.SetChosen(true);
    list.SetCurrentRow(reverse ? list.RowCount() - 1 : 0);
}

void CCodeAssistEditCtrl::ShowAssistWnd() {
    CCodeAssistList& list = m_assist.List();
    m_source.m_keywordColor = Disp().GetColor(KEYWORD_COLOR);
    m_source.m_keyword2Color = Disp().GetColor(KEYWORD2_COLOR);
    m_source.m_plainColor = Disp().GetColor(TEXT_COLOR);
    m_source.m_dimBackground = Disp().GetColor(BG_COLOR);
    m_source.m_dim = 0;
    list.SetFilterMode(false);
    list.SetSourceData(&m_source);
    list.ClearCurrentRow();
    list.SetChosen(false);

    const RowPos rp = LinePosToRowPos(m_word.Start(), m_word.Line());
    POINT p = PointFromRowPos(rp.xColumn, rp.row);
    ::ClientToScreen(m_hWnd, &p);
    CodeAssistPlacement at;
    at.x = p.x - 5;
    at.y = p.y + GetRowHeight();
    at.lineHeight = GetRowHeight();
    m_assist.SetPlacement(at);
    m_assist.Reposition();
    ::ShowWindow(m_assist.m_hWnd, SW_SHOWNA);
    m_frameHook.Install(::GetAncestor(m_hWnd, GA_ROOT));
    m_shown = true;
}

void CCodeAssistEditCtrl::HideAssistWnd() {
    if (!m_shown) return;
    m_shown = false;
    m_word.Close();
    m_frameHook.Remove();
    if (m_assist.IsWindow()) ::ShowWindow(m_assist.m_hWnd, SW_HIDE);
}

std::u16string CCodeAssistEditCtrl::GetAssistWord() const {
    const CEditData* data = GetEditData();
    const int length = LineLength(m_word.Line());
    if (!m_shown || length < 0) return {};
    return std::u16string(m_word.Text({data->GetLineText(m_word.Line()), std::size_t(length)}));
}

bool CCodeAssistEditCtrl::AcceptRow(int row) {
    CCodeAssistData* table = m_assist.List().Shown();
    if (!table || row < 0 || row >= table->GetRowCount()) return false;
    int start, end;
    m_word.ReplaceRange(std::max(LineLength(m_word.Line()), 0), &start, &end);
    if (start < end) Model().SelectRange({start, m_word.Line()}, {end, m_word.Line()}, false);
    InsertCandidate(table->GetCellText(row, CCodeAssistData::COL_TEXT),
                    table->GetCellText(row, CCodeAssistData::COL_KIND),
                    table->GetCellText(row, CCodeAssistData::COL_EXTRA));
    return true;
}

void CCodeAssistEditCtrl::InsertCandidate(const char16_t* text, const char16_t*, const char16_t*) {
    Model().ReplaceSelection(text, false);
}

bool CCodeAssistEditCtrl::IsAssistChar(UINT ch) {
    if (ch == '\t' || ch == '\n' || ch == '\r') return true;
    const CEditData* data = GetEditData();
    const CStrToken* lang = data ? LanguageOf(data->GetSyntaxRules()) : nullptr;
    return lang && lang->IsBreakChar(char32_t(ch));
}

bool CCodeAssistEditCtrl::ProcessKey(UINT ch) {
    if (!m_shown) return false;
    CCodeAssistList& list = m_assist.List();
    const bool acceptKey = ch == '\t' || ch == '\n' || ch == '\r';
    if (list.State() != ASSIST_ROW_CHOSEN) {
        if (!acceptKey) return false;
        if (list.CurrentRow() < 0) list.SelectNextMatch(false, u"");
        list.SetChosen(true);
        return true;
    }
    const int row = list.CurrentRow();
    if (row < 0) {
        HideAssistWnd();
        return false;
    }
    // Keep the word's range: hiding closes it.
    const CCodeAssistWord word = m_word;
    HideAssistWnd();
    m_word = word;
    AcceptRow(row);
    m_word.Close();
    if (!acceptKey) CEditCtrl::OnChar(ch);
    return true;
}

BOOL CCodeAssistEditCtrl::PreTranslateMessage(MSG* msg) {
    if (m_shown && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
        HideAssistWnd();
        return TRUE;
    }
    return CEditCtrl::PreTranslateMessage(msg);
}

void CCodeAssistEditCtrl::OnCaretMoved() {
    if (!m_shown) return;
    const EditPos caret = GetEditData()->GetCaretPos();
    if (!m_word.FollowCaret(caret.line, caret.column, LineLength(m_word.Line()))) HideAssistWnd();
}

void CCodeAssistEditCtrl::ChooseFirstRow() {
    CCodeAssistList& list = m_assist.List();
    if (list.State() != ASSIST_ROW_CHOSEN) list.SetChosen(true);
}

bool CCodeAssistEditCtrl::ListLineUp(bool byWord) {
    if (!m_shown) return false;
    m_assist.List().SelectPrevMatch(false, byWord ? GetAssistWord() : std::u16string());
    return true;
}

bool CCodeAssistEditCtrl::ListLineDown(bool byWord) {
    if (!m_shown) return false;
    m_assist.List().SelectNextMatch(false, byWord ? GetAssistWord() : std::u16string());
    return true;
}

bool CCodeAssistEditCtrl::ListPageUp() {
    if (!m_shown) return false;
    ChooseFirstRow();
    CCodeAssistList& list = m_assist.List();
    list.SetCurrentRow(std::max(list.CurrentRow() - m_assist.GetVertPageSize(), 0));
    return true;
}

bool CCodeAssistEditCtrl::ListPageDown() {
    if (!m_shown) return false;
    ChooseFirstRow();
    CCodeAssistList& list = m_assist.List();
    list.SetCurrentRow(std::min(std::max(list.CurrentRow(), 0) + m_assist.GetVertPageSize(), list.RowCount() - 1));
    return true;
}

bool CCodeAssistEditCtrl::ListFirst() {
    if (!m_shown) return false;
    ChooseFirstRow();
    m_assist.List().SetCurrentRow(0);
    return true;
}

bool CCodeAssistEditCtrl::ListLast() {
    if (!m_shown) return false;
    ChooseFirstRow();
    m_assist.List().SetCurrentRow(m_assist.List().RowCount() - 1);
    return true;
}

LRESULT CCodeAssistEditCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CHAR:
        if (m_shown) {
            const UINT ch = UINT(wParam);
            if (IsAssistChar(ch)) {
                const std::u16string w = GetAssistWord() + char16_t(ch);
                int best;
                if (m_assist.List().MatchPrefix(w, &best, true))
                    m_assist.List().MatchPrefix(w, &best, false);
                else if (ProcessKey(ch))
                    return 0;
            }
            OnChar(ch);
            if (m_shown) m_assist.List().FilterByPrefix(GetAssistWord());
            return 0;
        }
        break;
    case WM_KEYDOWN:
        if (m_shown && wParam == VK_ESCAPE) HideAssistWnd();
        break;
    case WM_IME_CHAR: {
        const LRESULT r = CEditCtrl::WindowProc(msg, wParam, lParam);
        if (m_shown) m_assist.List().FilterByPrefix(GetAssistWord());
        return r;
    }
    case WM_CODEASSIST_ACCEPT: {
        const int row = m_assist.List().CurrentRow();
        const bool chosen = m_assist.List().State() == ASSIST_ROW_CHOSEN;
        const CCodeAssistWord word = m_word;
        HideAssistWnd();
        m_word = word;
        if (chosen && row >= 0) AcceptRow(row);
        m_word.Close();
        return 0;
    }
    case WM_CODEASSIST_CLOSE: {
        const bool wasShown = m_shown;
        HideAssistWnd();
        // Another application took over: the main window, kept looking
        // active for the list, now looks inactive.
        if (!wParam && wasShown) ::PostMessageW(::GetAncestor(m_hWnd, GA_ROOT), WM_NCACTIVATE, FALSE, 0);
        return 0;
    }
    case WM_LBUTTONDOWN:
        HideAssistWnd();
        break;
    case WM_KILLFOCUS: {
        const HWND gained = reinterpret_cast<HWND>(wParam);
        if (gained && gained != m_hWnd && gained != m_assist.m_hWnd && gained != ::GetParent(m_hWnd)) HideAssistWnd();
        break;
    }
    default:
        break;
    }
    return CEditCtrl::WindowProc(msg, wParam, lParam);
}
