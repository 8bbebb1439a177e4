// Find, replace, filter, indent by pattern and the search-hit highlight of
// the editing window. The searches themselves run in the text.
#include <algorithm>

#include "editctrl/core/command_rules.h"
#include "editctrl/edit_ctrl.h"
#include "editctrl/wait_cursor.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "textengine/buffer_search.h"
#include "textengine/platform_hooks.h"

namespace {

constexpr wchar_t kBadPattern[] = L"不正な正規表現です";
constexpr wchar_t kGaveUp[] = L"正規表現の照合が複雑すぎるため、検索を中断しました";
constexpr wchar_t kMessageCaption[] = L"メッセージ";

// While a search runs, Esc pressed stops it.
class EscapeStopsSearch {
public:
    EscapeStopsSearch() {
        s_escWasDown = (::GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0;
        // The program's other hooks stay in place beside the stop.
        m_old = te_set_platform(TextEnginePlatform{});
        TextEnginePlatform hooks = m_old;
        hooks.search_should_stop = &EscPressed;
        te_set_platform(hooks);
    }
    ~EscapeStopsSearch() { te_set_platform(m_old); }
    EscapeStopsSearch(const EscapeStopsSearch&) = delete;
    EscapeStopsSearch& operator=(const EscapeStopsSearch&) = delete;

private:
    // A press of Esc, not its state: a key held (or reported held) since
    // before the search does not stop it. Asking for the queue's state first
    // takes in the input that arrived meanwhile.
    static bool EscPressed() {
        ::GetQueueStatus(QS_KEY);
        const bool down = (::GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0;
        const bool pressed = down && !s_escWasDown;
        s_escWasDown = down;
        return pressed;
    }
    static inline bool s_escWasDown = false;
    TextEnginePlatform m_old;
};

// The highlighted pattern found in a line through the window's search cache.
class CacheHighlight : public CHighlightMatcher {
public:
    explicit CacheHighlight(const CRegexCache& cache) : m_cache(cache) {}
    bool Find(const CEditData& data, int line, int from, int* start, int* end) override {
        CompiledRegex* re = m_cache.Get();
        if (!m_cache.highlightOn || !re) return false;
        int length = 0;
        const int column = SearchRegex(data, line, from, 1, &length, re);
        if (column < 0) return false;  // none, or the engine gave up: nothing marked
        *start = column;
        *end = column + length;
        return true;
    }

private:
    const CRegexCache& m_cache;
};

}  // namespace

WrapQuestion CEditCtrl::WrapQuestionOfWindow() const {
    if (!(m_style & ECS_SEARCH_LOOP_MSG)) return nullptr;  // goes round silently
    const HWND owner = m_hWnd;
    return [owner](int direction) {
        const wchar_t* question = direction == 1 ? L"ファイルの終わりまで検索しました。\nファイルの先頭から検索しますか？"
                                                 : L"ファイルの先頭まで検索しました。\nファイルの終わりから検索しますか？";
        return ShowMessageBox(owner, question, L"Message", MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
    };
}

void CEditCtrl::ReportSearchFailure() { ShowMessageBox(m_hWnd, kGaveUp, kMessageCaption, MB_ICONINFORMATION); }

void CEditCtrl::SetSearchHighlight(const wchar_t* pattern, BOOL matchCase, BOOL matchWidth, BOOL useRegex) {
    m_searchCache.highlightOn = true;
    m_searchCache.Compile(AsU16(pattern ? pattern : L""), matchCase, matchWidth, useRegex);
    if (!m_searchHits) m_searchHits = std::make_unique<CacheHighlight>(m_searchCache);
    SetHighlight(m_searchHits.get());
    RedrawAll();
}

void CEditCtrl::ClearSearchHighlight() {
    if (!m_searchCache.highlightOn) return;
    m_searchCache.highlightOn = false;
    SetHighlight(nullptr);
    RedrawAll();
}

void CEditCtrl::SelectFound(EditPos start, EditPos end) {
    // The match's start comes into view first, then the caret at its end.
    m_data->SetCaretPos(start.line, start.column);
    UpdateCaret(1, true);
    m_model.SelectRange({start.column, start.line}, {end.column, end.line}, false);
}

int CEditCtrl::ShowFindResult(int length, EditPos at) {
    if (length == kSearchFailed) {
        ReportSearchFailure();
        return 1;
    }
    if (length == kSearchNotFound) {
        if (m_style & ECS_SEARCH_LOOP_MSG) ShowMessageBox(m_hWnd, L"見つかりません", L"検索", MB_ICONINFORMATION);
        return 1;
    }
    if (length < 0) return 1;  // the user would not wrap around
    const EditPos end = AdvancePos(*m_data, at, length);
    m_emptyMatchAt = length == 0 ? at : EditPos{-1, -1};
    SelectFound(at, end);
    return 0;
}

int CEditCtrl::FindString(const wchar_t* pattern, int direction, BOOL matchCase, BOOL matchWidth, BOOL useRegex,
                          int* wrapped) {
    int wrappedLocal = 0;
    if (!wrapped) wrapped = &wrappedLocal;
    *wrapped = 0;
    if (!m_data) return 1;
    if (!pattern || !*pattern) {
        ClearSearchHighlight();
        return 1;
    }
    if (direction != 1 && direction != -1) return 1;
    CWaitCursor wait;
    CEditDispData& disp = DispData();
    const EditPos caretBefore = m_data->GetCaretPos();
    const bool selected = m_model.HasSelection();
    // Where the search starts: past the match just found.
    EditPos from = caretBefore;
    if (selected) {
        if (direction == 1)
            from = m_data->MovePos(disp.selStart, 1);
        else
            from = disp.selStart.line == disp.selEnd.line ? m_data->MovePos(disp.selEnd, -1) : disp.selStart;
    } else if (useRegex && direction == 1 && caretBefore == m_emptyMatchAt) {
        // An empty match was just found here: never the same one again.
        from = m_data->IsCaretAtTextEnd() ? EditPos{0, 0} : m_data->MovePos(caretBefore, 1);
    }
    CompiledRegex* re = m_searchCache.Compile(AsU16(pattern), matchCase, matchWidth, useRegex);
    if (!re) {
        ShowMessageBox(m_hWnd, kBadPattern, kMessageCaption, MB_ICONINFORMATION);
        return 1;
    }
    SetSearchHighlight(pattern, matchCase, matchWidth, useRegex);
    EditPos at{0, 0};
    int length;
    {
        EscapeStopsSearch escape;
        length = SearchWithWrap(*m_data, &at, direction, 1, &from, WrapQuestionOfWindow(), re, wrapped);
    }
    if (length < 0) {
        // Nothing found: the caret and the selection stay as they were.
        m_data->SetCaretPos(caretBefore.line, caretBefore.column);
        UpdateCaret(0);
    }
    return ShowFindResult(length, at);
}

int CEditCtrl::FindReplace(const wchar_t* pattern, const wchar_t* replacement, int direction, BOOL matchCase,
                           BOOL matchWidth, BOOL useRegex, BOOL replaceAll, BOOL inSelection, int* count,
                           int* wrapped) {
    int countLocal = 0, wrappedLocal = 0;
    if (!count) count = &countLocal;
    if (!wrapped) wrapped = &wrappedLocal;
    if (replaceAll) return ReplaceAll(pattern, replacement, matchCase, matchWidth, useRegex, inSelection, count);
    *count = 0;
    *wrapped = 0;
    if (!m_data || !pattern || !*pattern || (direction != 1 && direction != -1)) return 1;
    CompiledRegex* re = m_searchCache.Compile(AsU16(pattern), matchCase, matchWidth, useRegex);
    if (!re) {
        ShowMessageBox(m_hWnd, kBadPattern, kMessageCaption, MB_ICONINFORMATION);
        return 1;
    }
    SetSearchHighlight(pattern, matchCase, matchWidth, useRegex);
    CWaitCursor wait;
    CEditDispData& disp = DispData();
    const bool selected = m_model.HasSelection();
    const EditPos start = selected ? disp.selStart : m_data->GetCaretPos();
    EditPos at{0, 0};
    int length;
    {
        EscapeStopsSearch escape;
        length = SearchWithWrap(*m_data, &at, direction, 1, &start, WrapQuestionOfWindow(), re, wrapped);
    }
    if (length >= 0 && at == start) {
        const EditPos end = AdvancePos(*m_data, at, length);
        if (!selected) {
            if (length > 0) return ShowFindResult(length, at);
        } else if (disp.selEnd == end && !disp.boxSelection) {
            if (m_model.IsReadOnly()) return 1;
            const std::u16string text = useRegex ? GetReplacementText(*m_data, at, length, AsU16(replacement), re)
                                                 : std::u16string(AsU16(replacement ? replacement : L""));
            m_model.ClearSelection(true);
            m_data->ReplaceRange(at, end, text.c_str());
            *count = 1;
            // A backward search goes on before the replacement.
            if (direction == -1) m_data->SetCaretPos(at.line, at.column);
            LinesChanged(true);
            return FindString(pattern, direction, matchCase, matchWidth, useRegex, wrapped);
        }
    }
    return ShowFindResult(length, at);
}

int CEditCtrl::RunPatternEdit(const wchar_t* pattern, BOOL matchCase, BOOL matchWidth, BOOL useRegex, int* count,
                              const std::function<int(CompiledRegex* re, int& count)>& edit) {
    int countLocal = 0;
    if (!count) count = &countLocal;
    *count = 0;
    if (!m_data || m_model.IsReadOnly() || !pattern || !*pattern) return 1;
    RegexHolder re{CompileSearchPattern(AsU16(pattern), matchCase, matchWidth, useRegex)};
    if (!re.regex) {
        ShowMessageBox(m_hWnd, kBadPattern, kMessageCaption, MB_ICONINFORMATION);
        return 1;
    }
    CWaitCursor wait;
    int result;
    {
        EscapeStopsSearch escape;
        result = edit(re.regex, *count);
    }
    regex_holder_free(&re);
    if (result == kSearchFailed) {
        *count = 0;
        ReportSearchFailure();
        return 1;
    }
    if (result == kSearchDeclined) {  // stopped with Esc: nothing changed
        *count = 0;
        return 1;
    }
    LinesChanged(true);
    return result == 0 ? 0 : 1;
}

int CEditCtrl::ReplaceAll(const wchar_t* pattern, const wchar_t* replacement, BOOL matchCase, BOOL matchWidth,
                          BOOL useRegex, BOOL inSelection, int* count) {
    return RunPatternEdit(pattern, matchCase, matchWidth, useRegex, count, [&](CompiledRegex* re, int& n) {
        CEditDispData& disp = DispData();
        const char16_t* with = AsU16(replacement ? replacement : L"");
        if (!(inSelection && m_model.HasSelection())) {
            const int result = ::ReplaceAll(*m_data, with, useRegex, nullptr, nullptr, &n, re, 0);
            if (result == 0) m_model.ClearSelection(true);
            return result;
        }
        const EditPos start = disp.selStart, end = disp.selEnd;
        const CEditModel::EndFromTextEnd mark = m_model.SelectionEndFromTextEnd();
        if (disp.boxSelection) Measure();  // the box's columns are measured in this window's font
        const int result = ::ReplaceAll(*m_data, with, useRegex, &start, &end, &n, re, disp.boxSelection);
        if (disp.boxSelection) Disp().MeasuringDC().Release();
        if (result == 0) m_model.KeepSelectionEnd(mark);
        return result;
    });
}

int CEditCtrl::FilterLines(const wchar_t* pattern, BOOL matchCase, BOOL matchWidth, BOOL useRegex, BOOL inSelection,
                           int* count, BOOL deleteMatching) {
    return RunPatternEdit(pattern, matchCase, matchWidth, useRegex, count, [&](CompiledRegex* re, int& n) {
        CEditDispData& disp = DispData();
        const bool within = inSelection && m_model.HasSelection();
        int first = 0, last = -1;
        if (within) SelectedLineSpan(disp.selStart, disp.selEnd, first, last);
        const CEditModel::EndFromTextEnd mark =
            within ? m_model.SelectionEndFromTextEnd() : CEditModel::EndFromTextEnd{0, 0};
        const int result = ::FilterLines(*m_data, FilterLinesArgs{first, last, &n, re, deleteMatching ? 1 : 0});
        if (result == kSearchFailed || result == kSearchDeclined) return result;
        if (within && n > 0 && m_data->GetLineCount() - 1 - mark.lines >= disp.selStart.line) {
            m_model.KeepSelectionEnd(mark);
        } else if (!within || n > 0) {
            m_model.ClearSelection(true);
        }
        return result;
    });
}

void CEditCtrl::LinesChanged(bool showCaret) {
    Relayout(1);
    if (showCaret) UpdateCaret(1, true);
}

void CEditCtrl::Indent(BOOL unindent, BOOL tabAsSpaces, int tabSize, wchar_t ch) {
    if (!m_data || m_model.IsReadOnly()) return;
    CEditDispData& disp = DispData();
    const bool selected = m_model.HasSelection();
    const bool box = selected && disp.boxSelection;
    const bool wholeLines = selected && !box &&
                            (disp.selStart.line != disp.selEnd.line ||
                             (disp.selStart.column == 0 && disp.selEnd.column == m_data->GetLineLength(disp.selEnd.line)));
    if (!box && !wholeLines && !(unindent && ch == L'\t')) {
        // Over a part of one line the character is typed in place of it.
        InsertChar(static_cast<char32_t>(ch));
        return;
    }
    if (!unindent) {
        std::u16string insertion = tabAsSpaces ? std::u16string(std::size_t(std::max(tabSize, 1)), u' ')
                                               : std::u16string(1, static_cast<char16_t>(ch));
        if (!box) m_model.SelectWholeLines();
        int count;
        ReplaceAll(box ? L"\\=^" : L"^", AsWide(insertion.c_str()), TRUE, TRUE, TRUE, TRUE, &count);
        return;
    }
    const bool hadSelection = selected && (box || wholeLines);
    const EditPos caret = m_data->GetCaretPos();
    const int lengthBefore = m_data->GetLineLength(caret.line);
    CUndoGroupGuard group(m_data->GetUndo(), 0);
    m_data->RecordCaretForUndo();
    if (!box) m_model.SelectWholeLines();
    int count;
    ReplaceAll(AsWide(UnindentPattern(tabSize, box).c_str()), L"", TRUE, TRUE, TRUE, TRUE, &count);
    if (!hadSelection) {
        // The caret stays on its character.
        m_model.ClearSelection(true);
        const int removed = lengthBefore - m_data->GetLineLength(caret.line);
        m_data->SetCaretPos(caret.line, std::max(0, caret.column - removed));
        UpdateCaret(1, true);
    }
    m_data->RecordCaretForUndo();
}
