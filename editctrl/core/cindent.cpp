#include "editctrl/core/cindent.h"

#include <algorithm>

#include "textengine/edit_data.h"
#include "textengine/layout.h"
#include "textengine/utf16.h"

namespace {

// Indentation, for copying and stripping alike.
bool IsIndentUnit(char16_t u) { return u == u'\t' || u == u' ' || u == 0x3000; }
// Blanks of the line scans.
bool IsScanBlank(char32_t c) { return c == u'\t' || c == u' '; }

bool EndsStatement(char32_t c) { return c == u':' || c == u';' || c == u'{' || c == u'}'; }

bool IsWordUnit(char16_t u) {
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_' || u >= 0x80;
}

// Display columns of an indentation text (TAB to the next stop, a
// full-width space two).
int IndentColumns(const std::u16string& s, int tabSize) {
    int col = 0;
    for (char16_t u : s) col = u == u'\t' ? (col / tabSize + 1) * tabSize : col + (u == 0x3000 ? 2 : 1);
    return col;
}

// The caret put back somewhere that survives edits before it (SetCaretPos
// clamps; the bracket search runs from the caret).
class CaretScope {
public:
    explicit CaretScope(CEditData& text) : m_text(text), m_saved(text.GetCaretPos()) {}
    ~CaretScope() { m_text.SetCaretPos(m_saved.line, m_saved.column); }

private:
    CEditData& m_text;
    EditPos m_saved;
};

}  // namespace

CCIndent& CCIndent::Instance() {
    static CCIndent indenter;
    return indenter;
}

CCIndent::CCIndent() {
    for (char16_t c : {u'\r', u':', u'{', u'}'}) m_trigger[c] = true;
}

void CCIndent::OnTyped(CEditData& text, char32_t ch) { Instance().OnChar(text, ch); }

void CCIndent::OnChar(CEditData& text, char32_t ch) {
    if (!IsTrigger(ch)) return;
    m_text = &text;
    const int mode = text.GetIndentMode();
    if (mode == 1) {
        if (ch == u'\r' && text.GetCaretPos().line > 0) CopyIndent(text.GetCaretPos().line - 1, 1, false, true);
        return;
    }
    if (mode != 2) return;
    switch (ch) {
    case u'\r': OnLineBreak(); break;
    case u':': OnColon(); break;
    case u'{': OnOpenBrace(); break;
    case u'}': OnCloseBrace(); break;
    default: break;
    }
}

int CCIndent::IndentLength(int line) const {
    const char16_t* text = m_text->GetLineText(line);
    const int length = m_text->GetLineLength(line);
    int n = 0;
    while (n < length && IsIndentUnit(text[n])) ++n;
    return n;
}

char32_t CCIndent::GetLastSignificantChar(int line) const {
    if (line < 0 || line >= m_text->GetLineCount()) return 0;
    const char16_t* text = m_text->GetLineText(line);
    const int length = m_text->GetLineLength(line);
    CCharClassCache cache;
    // A line that begins inside a block comment counts from the comment's end.
    bool leadingComment = m_text->GetLineFlags(line, CEditLine::FlagInBlockComment) != 0;
    char32_t last = 0;
    for (int i = 0; i < length;) {
        const int units = utf16_units_at(text + i);
        const int cls = m_text->GetCharClass(line, i, &cache);
        if (cls == CharClassBlockComment || cls == CharClassLineComment) {
            if (!leadingComment) break;
        } else {
            leadingComment = false;
            const char32_t c = utf16_get_code_point(text + i);
            if (!IsScanBlank(c)) last = c;
        }
        i += units;
    }
    return leadingComment ? 0 : last;
}

char32_t CCIndent::GetFirstSignificantChar(int line) const {
    const char16_t* text = m_text->GetLineText(line);
    const int length = m_text->GetLineLength(line);
    for (int i = 0; i < length; ++i)
        if (!IsScanBlank(text[i])) return utf16_get_code_point(text + i);
    return 0;
}

void CCIndent::StripIndent(int line) {
    const int n = IndentLength(line);
    if (n == 0) return;
    EditPos caret = m_text->GetCaretPos();
    if (caret.line == line) caret.column = std::max(0, caret.column - n);
    m_text->DeleteText(EditPos{0, line}, EditPos{n, line}, 1);
    m_text->SetCaretPos(caret.line, caret.column);
}

int CCIndent::FindPreviousCodeLine(int line) const {
    for (int l = std::min(line, m_text->GetLineCount()) - 1; l >= 0; --l) {
        if (GetLastSignificantChar(l) == 0) continue;
        // The line's end leaves no block comment open.
        if (m_text->GetCharClass(l, m_text->GetLineLength(l), nullptr) != CharClassBlockComment) return l;
    }
    return -1;
}

int CCIndent::FindStatementStart(int line) const {
    int start = line;
    while (start > 0) {
        const char32_t c = GetLastSignificantChar(start - 1);
        if (c == 0 || EndsStatement(c)) break;
        --start;
    }
    return start;
}

std::u16string CCIndent::WantedIndent(int fromLine, bool oneLevelMore) const {
    std::u16string indent(m_text->GetLineText(fromLine), std::size_t(IndentLength(fromLine)));
    if (oneLevelMore) indent += u'\t';
    if (!m_text->GetTabAsSpace()) return indent;
    const int tabSize = std::max(1, m_text->GetDispData().widths.TabSize());
    std::u16string spaces;
    for (char16_t u : indent) {
        if (u == u'\t') {
            const int col = IndentColumns(spaces, tabSize);
            spaces.append(std::size_t((col / tabSize + 1) * tabSize - col), u' ');
        } else {
            spaces += u;
        }
    }
    return spaces;
}

int CCIndent::CopyIndent(int fromLine, int mode, bool oneLevelMore, bool check) {
    const EditPos caret = m_text->GetCaretPos();
    const int line = caret.line;
    const int n = IndentLength(line);
    const std::u16string wanted = WantedIndent(fromLine, oneLevelMore);
    if (check && std::u16string_view(m_text->GetLineText(line), std::size_t(n)) == wanted) {
        if (mode == 1 && caret.column < n) m_text->SetCaretPos(line, n);
        return m_text->GetCaretPos().column;
    }
    StripIndent(line);
    m_text->SetCaretPos(line, 0);
    for (char16_t u : wanted)
        if (!m_text->TypeChar(u)) break;
    // The caret stays on the character it stood on, or at the new
    // indentation's end when it stood inside the old one.
    const int indentEnd = m_text->GetCaretPos().column;
    m_text->SetCaretPos(line, indentEnd + std::max(0, caret.column - n));
    return m_text->GetCaretPos().column;
}

bool CCIndent::CaretInCommentOrString() const {
    const EditPos caret = m_text->GetCaretPos();
    // The class of the character just typed.
    const int cls = m_text->GetCharClass(caret.line, std::max(0, caret.column - 1), nullptr);
    return cls >= CharClassBlockComment && cls <= CharClassClaimed;
}

void CCIndent::OnLineBreak() {
    const int line = m_text->GetCaretPos().line;
    int b = line - 1;
    if (b < 0) return;
    const int endClass = m_text->GetCharClass(b, m_text->GetLineLength(b), nullptr);
    if (endClass == CharClassBlockComment) {
        CopyIndent(b, 1, false, true);
        return;
    }
    if (GetLastSignificantChar(b) == 0) {
        if (GetFirstSignificantChar(b) == 0 && m_text->GetLineLength(b) > 0) StripIndent(b);
        b = FindPreviousCodeLine(b);
        if (b < 0) return;
    }
    if (GetFirstSignificantChar(b) == u'#') {
        CopyIndent(b, 1, false, true);
        return;
    }
    if (GetFirstSignificantChar(line) != u'}') {
        switch (GetLastSignificantChar(b)) {
        case u':':
        case u'{': CopyIndent(b, 1, true, true); break;
        case u';': CopyIndent(FindStatementStart(b), 1, false, true); break;
        case u'}': CopyIndent(b, 1, false, true); break;
        default: CopyIndent(FindStatementStart(b), 1, true, true); break;
        }
        return;
    }
    // A line that begins with "}" lines up with the statement of its "{".
    EditPos open;
    bool found;
    {
        CaretScope keep(*m_text);
        m_text->SetCaretPos(line, IndentLength(line) + 1);
        found = m_text->FindMatchingBracket(u'{', u'}', 0, EditPos{-1, -1}, -1, open);
    }
    if (found) CopyIndent(FindStatementStart(open.line), 1, false, true);
}

void CCIndent::OnColon() {
    if (CaretInCommentOrString()) return;
    const EditPos caret = m_text->GetCaretPos();
    const int line = caret.line;
    const char16_t* text = m_text->GetLineText(line);
    const int length = m_text->GetLineLength(line);
    if (std::u16string_view(text, std::size_t(length)).find(u'?') != std::u16string_view::npos) return;
    const bool doubleColon = caret.column >= 2 && text[caret.column - 2] == u':';
    // Only a line that holds one word before the colon(s) so far is a label
    // or a qualified name to place; a colon inside an expression or a
    // range-for leaves the line where the user put it.
    const int wordStart = IndentLength(line);
    const int wordEnd = caret.column - (doubleColon ? 2 : 1);
    if (wordEnd <= wordStart) return;
    for (int i = wordStart; i < wordEnd; ++i)
        if (!IsWordUnit(text[i])) return;
    if (doubleColon) {
        int above = line - 1;
        if (above < 0) return;
        if (GetLastSignificantChar(above) == 0) above = FindPreviousCodeLine(above);
        if (above < 0) return;
        CopyIndent(FindStatementStart(above), 0, false, true);
        return;
    }
    // A label lines up with the statement of the block it is in: the block
    // that the nearest line above beginning with a letter at column 0 opens.
    int head = line - 1;
    for (; head >= 0; --head) {
        const char16_t c = m_text->GetLineText(head)[0];
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) break;
    }
    if (head < 0) return;
    EditPos open, close;
    bool found = false;
    {
        CaretScope keep(*m_text);
        m_text->SetCaretPos(head, 0);
        // The first "{" at or after the line's start (the search reads from
        // the character after the caret, so it begins from one before).
        EditPos brace{-1, -1};
        for (int l = head; l < m_text->GetLineCount() && brace.line < 0; ++l) {
            CCharClassCache cache;
            const char16_t* t = m_text->GetLineText(l);
            for (int i = 0, n = m_text->GetLineLength(l); i < n; ++i) {
                if (t[i] == u'{' && m_text->GetCharClass(l, i, &cache) == CharClassCode) {
                    brace = EditPos{i, l};
                    break;
                }
            }
        }
        if (brace.line >= 0) {
            open = brace;
            m_text->SetCaretPos(brace.line, brace.column);
            found = m_text->FindMatchingBracket(u'{', u'}', 1, EditPos{-1, -1}, 1, close);
        }
    }
    if (found) CopyIndent(FindStatementStart(open.line), 0, false, true);
}

void CCIndent::OnCloseBrace() {
    if (CaretInCommentOrString()) return;
    const EditPos caret = m_text->GetCaretPos();
    // Only a "}" that begins its line.
    if (caret.column - 1 != IndentLength(caret.line)) return;
    EditPos open;
    // From after the typed "}", which counts itself.
    if (!m_text->FindMatchingBracket(u'{', u'}', 0, EditPos{-1, -1}, -1, open)) return;
    CopyIndent(FindStatementStart(open.line), 0, false, true);
}

void CCIndent::OnOpenBrace() {
    if (CaretInCommentOrString()) return;
    const EditPos caret = m_text->GetCaretPos();
    // A: the typed "{" itself (its line is the caret line); B: the "{" of the
    // block it is typed in, searched from before it.
    const int lineA = caret.line;
    EditPos b;
    bool foundB;
    {
        CaretScope keep(*m_text);
        m_text->SetCaretPos(caret.line, caret.column - 1);
        foundB = m_text->FindMatchingBracket(u'{', u'}', 1, EditPos{-1, -1}, -1, b);
    }
    if (foundB && b.line < lineA) {
        CopyIndent(FindStatementStart(lineA), 0, false, true);
    } else if (foundB) {
        CopyIndent(FindStatementStart(b.line), 0, true, true);
    } else {
        StripIndent(caret.line);
    }
}
