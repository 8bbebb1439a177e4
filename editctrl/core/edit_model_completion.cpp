// The editor model's keyword completion: the word before the caret cycles
// through the keywords of the text's language that begin with it.
#include "editctrl/core/edit_model.h"
#include "editctrl/syntax/strtoken.h"

void CEditModel::CompleteKeyword(bool backwards) {
    if (m_readOnly || !m_data) return;
    const CStrToken* lang = LanguageOf(m_data->GetSyntaxRules());
    const char32_t before = m_data->GetCharBeforeCaret();
    if (!lang || !before || before == '\r' || lang->IsBreakChar(before)) return;
    int cycle = -1;
    if (m_completionStart >= 0) {
        // Back to the typed prefix; the cycle goes on from its index.
        const EditSnapshot snap = Snapshot();
        m_data->Undo();
        m_view.LineEdited(snap);
        cycle = m_completionStart;
    }
    const EditPos caret = m_data->GetCaretPos();
    if (caret.column == 0) return;
    const int caretX = m_data->GetCaretX();
    m_data->MoveWord(-1);
    const EditPos start = m_data->GetCaretPos();
    m_data->SetCaretPos(caret.line, caret.column);
    m_data->SetCaretX(caretX);
    if (start.line != caret.line) return;
    if (cycle < 0) {
        const int length = caret.column - start.column;
        if (length <= 0 || static_cast<std::size_t>(length) > kMaxCompletionPrefix) return;
        m_completionPrefix.assign(m_data->GetLineText(caret.line) + start.column, static_cast<std::size_t>(length));
    }
    char16_t keyword[256];
    const int next = lang->NextKeywordByPrefix(m_completionPrefix, cycle, keyword, sizeof(keyword), backwards);
    m_completionStart = -1;
    if (next < 0) {
        m_view.CaretMoved(true, false, false);
        return;
    }
    const EditSnapshot snap = Snapshot();
    m_data->ReplaceRange(start, caret, keyword);
    m_view.LineEdited(snap);
    m_view.CaretMoved(true, false, false);
    m_completionStart = next;
}
