// CCodeAssistList: what the completion list does with its candidates as the
// user types: it picks the best candidate for the typed word, marks (or, in
// filter mode, drops) the others, moves the chosen row and tells whether a
// row is chosen. The window showing it does the drawing through
// CodeAssistListView; the current row is the shown table's current cell.
#pragma once

#include <string_view>

#include "assist/core/code_assist_data.h"

// What the list asks of the window showing it.
class CodeAssistListView {
public:
    virtual ~CodeAssistListView() = default;
    // table is now the shown one: fit its columns and lay it out.
    virtual void ShowTable(CCodeAssistData& table) {}
    // The whole current row highlighted or not.
    virtual void SetRowHighlight(bool on) {}
    virtual void Repaint() {}
    // The row count changed: size and place the window again.
    virtual void Reposition() {}
    // The current cell of the shown table changed (show it, repaint).
    virtual void CurrentRowChanged() {}
};

enum CodeAssistListState : int {
    ASSIST_ROW_CHOSEN = 0,   // a row chosen: accepting it is possible
    ASSIST_NO_ROW = 1,       // shown with no row chosen
    ASSIST_NEVER_SHOWN = 2,  // initial
};

class CCodeAssistList {
public:
    static constexpr int kDefaultWideCap = 240;

    CCodeAssistList() = default;
    CCodeAssistList(const CCodeAssistList&) = delete;
    CCodeAssistList& operator=(const CCodeAssistList&) = delete;

    void SetView(CodeAssistListView* view) { m_view = view ? view : &m_noView; }
    // Nonzero: candidates that do not match are removed from the shown copy.
    void SetFilterMode(bool on) { m_filterMode = on; }
    bool FilterMode() const { return m_filterMode; }
    void SetWideCap(int cap) { m_wideCap = cap; }

    // Shows source (or, in filter mode, a copy of it); no row chosen. The
    // source's rows stay as they are until it is shown again.
    void SetSourceData(CCodeAssistData* source);
    // Follows word: marks or drops the candidates not starting with it and
    // gives in *best the first row sharing the longest prefix with it (-1
    // none). testOnly changes nothing but the marks. True when some
    // candidate starts with the whole word, ignoring case.
    bool MatchPrefix(std::u16string_view word, int* best, bool testOnly);
    // MatchPrefix, then the best row becomes current; a row counts as
    // chosen only when a candidate starts with the whole word.
    void FilterByPrefix(std::u16string_view word);
    // The next (previous) row starting with word; with an empty word the
    // next (previous) row, wrapping around when asked.
    void SelectNextMatch(bool wrap, std::u16string_view word);
    void SelectPrevMatch(bool wrap, std::u16string_view word);

    int State() const { return m_state; }
    // State 0 (whole row highlighted) or 1.
    void SetChosen(bool chosen);
    // The shown table's current row, -1 when none.
    int CurrentRow() const;
    void SetCurrentRow(int row);
    void ClearCurrentRow();
    int RowCount() const { return m_shown ? m_shown->GetRowCount() : 0; }

    CCodeAssistData* Shown() const { return m_shown; }
    CCodeAssistData* Source() const { return m_source; }

private:
    void CopyAllRows();
    void SelectMatch(int direction, bool wrap, std::u16string_view word);
    bool MatchSortedPrefix(std::u16string_view word, int* best);

    CodeAssistListView m_noView;
    CodeAssistListView* m_view = &m_noView;
    int m_state = ASSIST_NEVER_SHOWN;
    bool m_filterMode = false;
    bool m_sourceSorted = false;  // the source's rows in CompareNoCase order
    CCodeAssistData* m_shown = nullptr;
    CCodeAssistData* m_source = nullptr;
    CCodeAssistData m_copy;
    int m_wideCap = kDefaultWideCap;
};

// A-Z and full-width Ａ-Ｚ lowered; other code points as they are.
char32_t FoldAssistChar(char32_t cp);
// The folded first code point of text (a pair combined), 0 when empty.
char32_t FoldedFirstChar(std::u16string_view text);
