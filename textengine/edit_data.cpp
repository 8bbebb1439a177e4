#include "textengine/edit_data.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "textengine/invariant.h"
#include "textengine/platform_hooks.h"
#include "textengine/syntax_rules.h"
#include "textengine/utf16.h"

namespace {

CEditData::IndentHook g_indentHook = nullptr;

char16_t* copy_string(const char16_t* s) {
    if (!s || !*s) return nullptr;
    const std::size_t n = utf16_length(s) + 1;
    auto* copy = new char16_t[n];
    std::memcpy(copy, s, n * sizeof(char16_t));
    return copy;
}

// Null and the empty string are the same: neither sets anything.
bool same_string(const char16_t* a, const char16_t* b) {
    if (!a || !*a || !b || !*b) return (!a || !*a) && (!b || !*b);
    return utf16_compare(a, b) == 0;
}

int find_break(const char16_t* text, int from, int count) {
    for (int i = from; i < count; ++i)
        if (text[i] == u'\r' || text[i] == u'\n') return i;
    return count;
}

int break_length(const char16_t* text, int at, int count) {
    return text[at] == u'\r' && at + 1 < count && text[at + 1] == u'\n' ? 2 : 1;
}

}  // namespace

void CEditData::SetIndentHook(IndentHook hook) { g_indentHook = hook; }

bool CEditData::IsDefaultBreakChar(char32_t cp) {
    switch (cp) {
    case 0: case u'\t': case u'\n': case u'\r': case u' ':
    case 0x3000: case 0x3001: case 0x3002: case 0xFF0C: case 0xFF0E:
        return true;
    default:
        return false;
    }
}

bool CEditData::IsBreakChar(char32_t cp) const {
    return m_syntaxRules ? m_syntaxRules->IsBreakChar(cp) : IsDefaultBreakChar(cp);
}

// Construction and state -----------------------------------------------------

CEditData::CEditData() : m_disp(this) {
    m_undo = new CUndoData(CUndoData::kDefaultGroups);
    Clear();
}

CEditData::~CEditData() {
    delete m_undo;
    delete[] m_lastConfinement;
    delete[] m_firstConfinement;
    FreeLines(0, m_lines.Count());
}

void CEditData::FreeLines(int at, int n) {
    bool widestGone = false;
    for (int i = at; i < at + n; ++i) {
        CEditLine* line = m_lines.At(i);
        widestGone |= line == m_widestLine;
        CEditLine::Destroy(line);
    }
    m_lines.Remove(at, n);
    if (widestGone) {
        // The control re-measures; until then name a line that still exists,
        // of no known width.
        m_widestLine = m_lines.Count() ? m_lines.At(at > 0 ? at - 1 : 0) : nullptr;
        m_widestWidth = 0;
    }
}

void CEditData::Clear() {
    FreeLines(0, m_lines.Count());
    m_loadedText.Release();  // no line holds a loaded text now
    CEditLine* line = CEditLine::Create();
    if (!line || m_lines.Insert(0, &line, 1) != 0) throw std::bad_alloc();
    m_charCount = 0;
    m_maxLength = -1;
    m_caret = {0, 0};
    m_widestLine = line;
    m_widestWidth = 0;
    m_caretX = 0;
    m_editCounter = 0;
    SetLineEndType(LineEndType::CRLF);
}

void CEditData::Reset() {
    m_disp.ResetSelection();
    Clear();
    ResetUndo();
}

void CEditData::SetLineEndType(LineEndType type) {
    m_lineEndType = type;
    m_lineEndChars[0] = type == LineEndType::LF ? u'\n' : u'\r';
    m_lineEndChars[1] = type == LineEndType::CRLF ? u'\n' : 0;
    m_lineEndLength = type == LineEndType::CRLF ? 2 : 1;
}

void CEditData::SetLastConfinementStr(const char16_t* s) {
    if (!same_string(m_lastConfinement, s)) m_lines.CountChange();
    delete[] m_lastConfinement;
    m_lastConfinement = copy_string(s);
    m_breakAdjust = m_wordWrap || m_lastConfinement || m_firstConfinement;
}

void CEditData::SetFirstConfinementStr(const char16_t* s) {
    if (!same_string(m_firstConfinement, s)) m_lines.CountChange();
    delete[] m_firstConfinement;
    m_firstConfinement = copy_string(s);
    m_breakAdjust = m_wordWrap || m_lastConfinement || m_firstConfinement;
}

void CEditData::SetWordWrapAtWordEnds(bool on) {
    if (m_wordWrap != on) m_lines.CountChange();
    m_wordWrap = on;
    m_breakAdjust = m_wordWrap || m_lastConfinement || m_firstConfinement;
}

bool CEditData::IsEmpty() const { return m_lines.Count() == 1 && m_lines.At(0)->length == 1; }

bool CEditData::IsModified() const { return m_undo->GetCurrentSerial() != m_savedPoint; }

void CEditData::MarkSaved() {
    for (int i = 0, n = m_lines.Count(); i < n; ++i) m_lines.At(i)->changeMark = -1;
    m_savedPoint = m_undo->GetCurrentSerial();
    ReportModifiedChange();
}

void CEditData::NotifyChanged() {
    m_lines.CountChange();  // whatever changed, a layout taken before it is not trusted
    if (m_listener) m_listener->OnEditDataChanged();
    ReportModifiedChange();
}

void CEditData::ReportModifiedChange() {
    const bool modified = IsModified();
    if (modified == m_reportedModified) return;
    m_reportedModified = modified;
    if (m_listener) m_listener->OnModifiedChanged(modified);
}

void CEditData::SetWidestLine(int line, int width) {
    m_widestWidth = width;
    m_widestLine = GetLine(line);
}

CEditLine* CEditData::GetLine(int i) const {
    return i >= 0 && i < m_lines.Count() ? m_lines.At(i) : CEditLine::Dummy();
}

// Caret and positions --------------------------------------------------------

char32_t CEditData::GetCharAt(int line, int column) const {
    if (column < 0 || line < 0 || line >= m_lines.Count()) return 0;
    const CEditLine* rec = m_lines.At(line);
    return column < rec->Length() ? utf16_get_code_point(rec->text + column) : 0;
}

char32_t CEditData::GetCaretChar() const {
    const CEditLine* rec = GetLine(m_caret.line);
    const int col = m_caret.column;
    if (col >= rec->Length()) return 0;
    if (col > 0 && utf16_is_low_surrogate(rec->text[col]) && utf16_is_high_surrogate(rec->text[col - 1]))
        return utf16_get_code_point(rec->text + col - 1);
    return utf16_get_code_point(rec->text + col);
}

char32_t CEditData::GetCharBeforeCaret() const {
    const int col = m_caret.column;
    if (col == 0) return m_caret.line > 0 ? u'\r' : 0;
    const CEditLine* rec = GetLine(m_caret.line);
    if (col >= 2 && utf16_is_low_surrogate(rec->text[col - 1]) && utf16_is_high_surrogate(rec->text[col - 2]))
        return utf16_get_code_point(rec->text + col - 2);
    return rec->text[col - 1];
}

bool CEditData::IsCaretAtLineEnd() const { return m_caret.column >= GetLineLength(m_caret.line); }

bool CEditData::IsCaretAtTextEnd() const { return m_caret.line >= m_lines.Count() - 1 && IsCaretAtLineEnd(); }

bool CEditData::Holds(EditPos pos) const {
    return pos.line >= 0 && pos.line < m_lines.Count() && pos.column >= 0 &&
           pos.column <= m_lines.At(pos.line)->Length();
}

EditPos CEditData::ClampPos(EditPos pos) const {
    const int last = m_lines.Count() - 1;
    pos.line = pos.line < 0 ? 0 : pos.line > last ? last : pos.line;
    const CEditLine* rec = m_lines.At(pos.line);
    const int len = rec->Length();
    pos.column = pos.column < 0 ? 0 : pos.column > len ? len : pos.column;
    if (pos.column > 0 && utf16_is_high_surrogate(rec->text[pos.column - 1]) &&
        utf16_is_low_surrogate(rec->text[pos.column]))
        --pos.column;
    return pos;
}

EditPos CEditData::MovePos(EditPos pos, int n) const {
    pos = ClampPos(pos);
    const int last = m_lines.Count() - 1;
    long long rest = n < 0 ? -(long long)n : n;
    if (n < 0) {
        while (rest > 0) {
            if (rest <= pos.column) {
                pos.column -= int(rest);
                break;
            }
            rest -= pos.column;
            if (pos.line == 0) {
                pos.column = 0;
                break;
            }
            --pos.line;
            --rest;
            pos.column = m_lines.At(pos.line)->Length();
        }
    } else {
        while (rest > 0) {
            const int len = m_lines.At(pos.line)->Length();
            if (rest <= len - pos.column) {
                pos.column += int(rest);
                break;
            }
            rest -= len - pos.column;
            if (pos.line == last) {
                pos.column = len;
                break;
            }
            ++pos.line;
            --rest;
            pos.column = 0;
        }
    }
    const char16_t* text = m_lines.At(pos.line)->text;
    if (pos.column > 0 && utf16_is_high_surrogate(text[pos.column - 1]) && utf16_is_low_surrogate(text[pos.column]))
        pos.column += n < 0 ? -1 : 1;
    return pos;
}

void CEditData::SetCaretPos(int line, int column) {
    m_caret = ClampPos({column, line});
    m_undo->CloseCoalescing();
    m_caretX = -1;
}

void CEditData::MoveCaretChars(int n) {
    if (n == 0) return;
    m_undo->CloseCoalescing();
    m_caret = MovePos(m_caret, n);
    m_caretX = -1;
}

void CEditData::MoveCaretLines(int n) {
    m_caret = ClampPos({m_caret.column, m_caret.line + n});
}

void CEditData::MoveCaretLinesHome(int n) {
    if (n == 0) return;
    m_undo->CloseCoalescing();
    MoveCaretLines(n);
    m_caret.column = 0;
    m_caretX = -1;
}

// Change marks and recording -------------------------------------------------

void CEditData::MarkLine(CEditLine* line) {
    const int s = m_replaySerial;
    switch (m_replayDirection) {
    case 0:
        if (line->changeMark == -1) line->changeMark = m_undo->GetCurrentSerial();
        break;
    case 1:  // undoing group s: towards the saved state when it lies below s
    case 2: {
        const bool away = m_replayDirection == 1 ? m_savedPoint >= s : m_savedPoint < s;
        if (away) {
            if (line->changeMark == -1) line->changeMark = s;
        } else if (line->changeMark == s) {
            line->changeMark = -1;
        }
        break;
    }
    }
}

bool CEditData::RecordText(const char16_t* text, int count) {
    if (m_replayDirection != 0 || count <= 0) return true;
    const int kind = m_undo->GetOpenKind();
    if (kind < UndoKindInsert || kind > UndoKindDelete) return true;
    return m_undo->AppendRecordText(text, count) == 0;
}

void CEditData::RemoveLastRecordedUnit(char16_t unit) {
    UndoRecord* rec = m_undo->GetCurrentRecord();
    if (m_replayDirection == 0 && rec && m_undo->GetOpenKind() == UndoKindInsert && rec->length > 0 &&
        rec->text[rec->length - 1] == unit)
        --rec->length;
}

bool CEditData::OpenRecord(int kind, EditPos pos) {
    if (m_undo->NewRecord(kind, 0) != 0) return false;
    UndoRecord* rec = m_undo->GetCurrentRecord();
    rec->line = pos.line;
    rec->column = pos.column;
    return true;
}

// Editing --------------------------------------------------------------------

int CEditData::CheckMaxLength(char16_t ch) const {
    if (m_maxLength <= 0) return 0;
    const long long used = (long long)(m_lines.Count() - 1) * m_lineEndLength + m_charCount;
    return m_maxLength < used + (ch == u'\r' ? m_lineEndLength : 1);
}

bool CEditData::InputChar(char16_t ch) {
    if (ch == u'\n') return true;
    // Typing goes in at the caret, which every edit leaves inside the text.
    WENDREL_ASSERT(Holds(m_caret));
    CEditLine* line = m_lines.At(m_caret.line);
    if (CheckMaxLength(ch)) {
        te_message_beep(kBeepExclamation);
        // Never leave half a pair behind.
        const int col = m_caret.column;
        if (utf16_is_low_surrogate(ch) && col > 0 && utf16_is_high_surrogate(line->text[col - 1])) {
            const char16_t high = line->text[col - 1];
            line->DeleteChars(col - 1, 1);
            --m_caret.column;
            --m_charCount;
            RemoveLastRecordedUnit(high);
        }
        return false;
    }
    if (ch == u'\r') return NewLine();
    if (line->InsertChars(m_caret.column, &ch, 1) != 0) return false;
    if (!RecordText(&ch, 1)) {
        line->DeleteChars(m_caret.column, 1);
        return false;
    }
    ++m_caret.column;
    ++m_charCount;
    MarkLine(line);
    return true;
}

bool CEditData::NewLine() {
    if (m_lines.Reserve(1) != 0) return false;
    CEditLine* line = m_lines.At(m_caret.line);
    CEditLine* fresh = CEditLine::Create();
    if (!fresh) return false;
    const int col = m_caret.column;
    const int tail = line->Length() - col;
    if (tail > 0 && fresh->InsertChars(0, line->text + col, tail) != 0) {
        CEditLine::Destroy(fresh);
        return false;
    }
    if (!RecordText(u"\r", 1)) {
        CEditLine::Destroy(fresh);
        return false;
    }
    line->DeleteChars(col, tail);
    fresh->flags = line->flags | CEditLine::FlagTextChanged;
    line->flags = CEditLine::FlagTextChanged;
    m_lines.Insert(m_caret.line + 1, &fresh, 1);  // room reserved above
    MarkLine(line);
    MarkLine(fresh);
    m_caret = {0, m_caret.line + 1};
    return true;
}

void CEditData::CopyIndentation() {
    const CEditLine* prev = GetLine(m_caret.line - 1);
    for (int i = 0; i < prev->Length(); ++i) {
        const char16_t u = prev->text[i];
        if (u != u'\t' && u != u' ' && u != 0x3000) break;
        if (!InputChar(u)) break;
    }
}

bool CEditData::TypeChar(char32_t ch) {
    ++m_editCounter;
    const bool indent = ((m_indentMode == 1 || m_indentMode == 2) && ch == u'\r') ||
                        (m_indentMode == 2 && (ch == u'{' || ch == u'}' || ch == u':'));
    // The indentation added after the char belongs to the same undo step.
    CUndoGroupGuard group(indent ? m_undo : nullptr, 0);
    // A typing record replays as one run of text, so it continues only where
    // the last typed char ended (a vertical caret move leaves it open).
    const bool coalesce = m_undo->GetOpenKind() == UndoKindInsert && m_caret == m_typedEnd &&
                          (ch == m_lastTyped || (!IsBreakChar(ch) && !IsBreakChar(m_lastTyped)));
    if (!coalesce && !OpenRecord(UndoKindInsert, m_caret)) return false;
    bool ok;
    if (ch >= 0x10000) {
        char16_t pair[2];
        utf16_put_code_point(pair, ch);
        ok = InputChar(pair[0]);
        if (ok) ok = InputChar(pair[1]);
    } else {
        ok = InputChar(char16_t(ch));
    }
    m_lastTyped = ch;
    if (ok && indent) {
        if (g_indentHook) g_indentHook(*this, ch);
        else if (m_indentMode == 1) CopyIndentation();
    }
    m_typedEnd = m_caret;
    m_caretX = -1;
    group.Release();
    NotifyChanged();
    return ok;
}

bool CEditData::InsertTab(int caretX, int blankWidth, int tabStopWidth) {
    if (!m_tabAsSpace || blankWidth <= 0 || tabStopWidth <= 0) return TypeChar(u'\t');
    if (caretX < 0) caretX = 0;
    const long long reach = (long long)caretX + blankWidth;
    const long long target = (reach + tabStopWidth - 1) / tabStopWidth * tabStopWidth;
    bool ok = true;
    if ((long long)caretX + blankWidth / 2 < target) {
        for (long long n = (target - caretX) / blankWidth; n > 0 && ok; --n) ok = TypeChar(u' ');
    }
    m_caretX = -1;
    return ok;
}

bool CEditData::InsertText(const char16_t* text, int updateCaretX) {
    ++m_editCounter;
    if (!text || !*text) {
        NotifyChanged();
        return true;
    }
    if (!OpenRecord(UndoKindInsert, m_caret)) return false;
    bool ok = true;
    if (m_maxLength <= 0) {
        ok = InsertBlock(text);
    } else {
        for (const char16_t* p = text; *p && ok; ++p) {
            if (*p == u'\n' && p > text && p[-1] == u'\r') continue;
            ok = InputChar(*p == u'\n' ? u'\r' : *p);
        }
    }
    m_undo->CloseCoalescing();
    if (!ok || updateCaretX) m_caretX = -1;
    // Also after a refusal at the limit: what was inserted stays and the
    // layout must see it.
    NotifyChanged();
    return ok;
}

bool CEditData::InsertBlock(const char16_t* text) { return text ? InsertBlock(text, int(utf16_length(text))) : true; }

bool CEditData::InsertBlock(const char16_t* text, int count) {
    if (!text || count <= 0) return true;
    WENDREL_ASSERT(Holds(m_caret));
    CEditLine* line = m_lines.At(m_caret.line);
    const int col = m_caret.column;
    const int firstBreak = find_break(text, 0, count);
    if (firstBreak == count) {
        if (line->InsertChars(col, text, count) != 0) return false;
        if (!RecordText(text, count)) {
            line->DeleteChars(col, count);
            return false;
        }
        m_caret.column += count;
        m_charCount += count;
        MarkLine(line);
        return true;
    }

    // Build every new line first, so that running out of memory leaves the
    // text as it was.
    const int tail = line->Length() - col;
    int n = 0, cap = 256;
    auto* fresh = static_cast<CEditLine**>(std::malloc(std::size_t(cap) * sizeof(CEditLine*)));
    bool failed = !fresh;
    long long units = firstBreak;
    int lastLen = 0;
    for (int at = firstBreak; !failed && at < count;) {
        const int start = at + break_length(text, at, count);
        const int end = find_break(text, start, count);
        const bool last = end == count;
        const int len = end - start;
        if (n == cap) {
            cap *= 2;
            auto* grown = static_cast<CEditLine**>(std::realloc(fresh, std::size_t(cap) * sizeof(CEditLine*)));
            if (!grown) { failed = true; break; }
            fresh = grown;
        }
        CEditLine* rec = CEditLine::Create();
        if (!rec) { failed = true; break; }
        fresh[n++] = rec;
        const int total = len + (last ? tail : 0);
        if (total > 0) {
            if (rec->SetCapacity((total + 1) * int(sizeof(char16_t))) != 0) { failed = true; break; }
            std::memcpy(rec->text, text + start, std::size_t(len) * sizeof(char16_t));
            if (last) std::memcpy(rec->text + len, line->text + col, std::size_t(tail) * sizeof(char16_t));
            rec->text[total] = 0;
            rec->length = total + 1;
        }
        rec->flags = CEditLine::FlagTextChanged;
        units += len;
        lastLen = len;
        at = end;
    }
    if (!failed && m_lines.Reserve(n) != 0) failed = true;
    if (!failed && line->InsertChars(col, text, firstBreak) != 0) failed = true;
    if (!failed) {
        // Record the inserted text with every break as one CR.
        bool recorded = true;
        for (int at = 0; at < count && recorded;) {
            const int end = find_break(text, at, count);
            recorded = RecordText(text + at, end - at) && (end == count || RecordText(u"\r", 1));
            at = end == count ? count : end + break_length(text, end, count);
        }
        if (!recorded) {
            line->DeleteChars(col, firstBreak);
            failed = true;
        }
    }
    if (failed) {
        for (int i = 0; i < n; ++i) CEditLine::Destroy(fresh[i]);
        std::free(fresh);
        return false;
    }
    // The caret line keeps its head and the first piece; its old tail now
    // ends the last new line.
    line->DeleteChars(col + firstBreak, tail);
    m_lines.Insert(m_caret.line + 1, fresh, n);
    MarkLine(line);
    for (int i = 0; i < n; ++i) MarkLine(fresh[i]);
    std::free(fresh);
    m_charCount += int(units);
    m_caret = {lastLen, m_caret.line + n};
    return true;
}

bool CEditData::JoinWithPrevious(int index) {
    CEditLine* prev = m_lines.At(index - 1);
    CEditLine* line = m_lines.At(index);
    if (prev->InsertChars(prev->Length(), line->text, line->Length()) != 0) return false;
    prev->flags = line->flags | CEditLine::FlagTextChanged;
    if (m_widestLine == line) m_widestLine = prev;  // holding its text, as wide at least until re-measured
    FreeLines(index, 1);
    MarkLine(prev);
    return true;
}

bool CEditData::Backspace() {
    ++m_editCounter;
    m_caret = ClampPos(m_caret);
    if (m_caret.column == 0 && m_caret.line == 0) return true;
    if ((m_undo->GetOpenKind() != UndoKindBackspace || m_caret != m_typedEnd) &&
        !OpenRecord(UndoKindBackspace, m_caret))
        return false;
    bool ok = true;
    if (m_caret.column > 0) {
        CEditLine* line = m_lines.At(m_caret.line);
        // A pair goes as a whole: low half first, so undo types it back in order.
        const int col = m_caret.column;
        const int n = col >= 2 && utf16_is_low_surrogate(line->text[col - 1]) &&
                              utf16_is_high_surrogate(line->text[col - 2]) ? 2 : 1;
        const char16_t removed[2] = {line->text[col - 1], n == 2 ? line->text[col - 2] : u'\0'};
        ok = RecordText(removed, n);
        if (ok) {
            line->DeleteChars(col - n, n);
            m_caret.column -= n;
            m_charCount -= n;
            MarkLine(line);
        }
    } else {
        const EditPos joined{m_lines.At(m_caret.line - 1)->Length(), m_caret.line - 1};
        ok = RecordText(u"\r", 1);
        if (ok) ok = JoinWithPrevious(m_caret.line);
        if (ok) m_caret = joined;
    }
    if (UndoRecord* rec = m_undo->GetCurrentRecord(); rec && m_undo->GetOpenKind() == UndoKindBackspace) {
        rec->line = m_caret.line;
        rec->column = m_caret.column;
    }
    m_typedEnd = m_caret;
    m_caretX = -1;
    NotifyChanged();
    return ok;
}

// Removes [from, to) (ordered, clamped); with record the removed text goes to
// the open record first.
bool CEditData::DeleteRange(EditPos from, EditPos to, int record) {
    if (!(from < to)) return true;
    WENDREL_ASSERT(Holds(from) && Holds(to));
    CEditLine* first = m_lines.At(from.line);
    if (from.line == to.line) {
        const int n = to.column - from.column;
        if (record && !RecordText(first->text + from.column, n)) return false;
        first->DeleteChars(from.column, n);
        m_charCount -= n;
        MarkLine(first);
        return true;
    }
    CEditLine* last = m_lines.At(to.line);
    if (record) {
        bool ok = RecordText(first->text + from.column, first->Length() - from.column) &&
                  RecordText(u"\r", 1);
        for (int i = from.line + 1; ok && i < to.line; ++i) {
            const CEditLine* mid = m_lines.At(i);
            ok = RecordText(mid->text, mid->Length()) && RecordText(u"\r", 1);
        }
        if (!ok || !RecordText(last->text, to.column)) return false;
    }
    long long removed = first->Length() - from.column + to.column;
    for (int i = from.line + 1; i < to.line; ++i) removed += m_lines.At(i)->Length();
    // Append the rest of the last line before cutting, so a failure changes nothing.
    const int oldLen = first->Length();
    if (first->InsertChars(oldLen, last->text + to.column, last->Length() - to.column) != 0) return false;
    first->DeleteChars(from.column, oldLen - from.column);
    FreeLines(from.line + 1, to.line - from.line);
    m_charCount -= int(removed);
    MarkLine(first);
    return true;
}

bool CEditData::DeleteCharAtCaret() {
    ++m_editCounter;
    const EditPos from = ClampPos(m_caret);
    const EditPos to = MovePos(from, 1);
    m_caret = from;
    if (from == to) return true;
    // Never appended to a typing record: a deletion is its own step.
    if ((m_undo->GetOpenKind() != UndoKindDelete || from != m_typedEnd) && !OpenRecord(UndoKindDelete, from))
        return false;
    const bool ok = DeleteRange(from, to, 1);
    m_typedEnd = from;
    m_caretX = -1;
    NotifyChanged();
    return ok;
}

bool CEditData::DeleteText(EditPos from, EditPos to, int record) {
    ++m_editCounter;
    from = ClampPos(from);
    to = ClampPos(to);
    if (to < from) std::swap(from, to);
    if (from == to) record = 0;  // nothing removed: no undo step
    if (record && !OpenRecord(UndoKindDelete, from)) return false;
    const bool ok = DeleteRange(from, to, record);
    m_undo->CloseCoalescing();  // the caret moves: typing starts a new step
    if (ok) m_caret = from;
    m_caretX = -1;
    NotifyChanged();
    return ok;
}

bool CEditData::ReplaceRange(EditPos from, EditPos to, const char16_t* text) {
    CUndoGroupGuard group(m_undo, 0);
    const bool recorded = RecordCaretForUndo();
    const bool deleted = DeleteText(from, to, 1);
    const bool inserted = InsertText(text, 1);
    return recorded && deleted && inserted;
}

bool CEditData::SwapLines(int a, int b, int record) {
    ++m_editCounter;
    const int n = m_lines.Count();
    if (a < 0 || b < 0 || a >= n || b >= n) return false;
    if (a == b) return true;
    if (record) {
        if (!OpenRecord(UndoKindSwap, {b, a})) return false;
    }
    m_lines.SwapLines(a, b);
    MarkLine(m_lines.At(a));
    MarkLine(m_lines.At(b));
    NotifyChanged();
    return true;
}

// Undo -----------------------------------------------------------------------

void CEditData::ResetUndo() {
    m_undo->Reset();
    MarkSaved();
}

void CEditData::SetUndoUnlimited() {
    const bool modified = IsModified();
    delete m_undo;
    m_undo = new CUndoData(CUndoData::kUnlimited);
    // Keep the modified state: a fresh store's serial 0 is the saved point
    // only when the text was unmodified.
    m_savedPoint = modified ? -1 : 0;
    ReportModifiedChange();
}

bool CEditData::RecordCaretForUndo() {
    if (m_undo->NewRecord(UndoKindCaret, 1) != 0) return false;
    UndoRecord* rec = m_undo->GetCurrentRecord();
    rec->line = m_caret.line;
    rec->column = m_caret.column;
    // A caret record alone is a step: the text counts as modified from here.
    ReportModifiedChange();
    return true;
}

bool CEditData::DeleteForward(EditPos pos, int units) { return DeleteRange(pos, MovePos(pos, units), 0); }

bool CEditData::ReplayRecord(UndoRecord* rec, int direction) {
    const EditPos pos = ClampPos({rec->column, rec->line});
    const bool undo = direction == 1;
    bool ok = true;
    switch (rec->kind) {
    case UndoKindInsert:
        m_caret = pos;
        ok = undo ? DeleteForward(pos, rec->length) : InsertBlock(rec->text, rec->length);
        break;
    case UndoKindBackspace:
        m_caret = pos;
        if (undo) {
            for (int i = rec->length - 1; i >= 0 && ok; --i) ok = InputChar(rec->text[i]);
        } else {
            ok = DeleteForward(pos, rec->length);
        }
        break;
    case UndoKindDelete:
        m_caret = pos;
        if (undo) {
            ok = InsertBlock(rec->text, rec->length);
            m_caret = ClampPos(pos);
        } else {
            ok = DeleteForward(pos, rec->length);
        }
        break;
    case UndoKindCaret:
        m_caret = pos;
        break;
    case UndoKindSwap: {
        const int n = m_lines.Count();
        const int a = rec->line, b = rec->column;
        if (a >= 0 && b >= 0 && a < n && b < n && a != b) {
            m_lines.SwapLines(a, b);
            MarkLine(m_lines.At(a));
            MarkLine(m_lines.At(b));
        }
        break;
    }
    case UndoKindLineOrder:
        ok = ReplayLineOrder(rec, direction);
        break;
    case UndoKindLineTexts:
        ok = ReplayLineTexts(rec);
        break;
    case UndoKindLineRuns:
        ok = ReplayLineRuns(rec, direction);
        break;
    default:
        break;
    }
    return ok;
}

void CEditData::AfterReplay() {
    m_caret = ClampPos(m_caret);
    m_caretX = -1;
    if (m_undo->GetCurrentSerial() == m_savedPoint) MarkSaved();
    m_replayDirection = 0;
    NotifyChanged();
}

bool CEditData::Undo() {
    ++m_editCounter;
    CUndoData& u = *m_undo;
    u.CloseCoalescing();
    // While a lazily begun group is open the ring still holds the last step.
    UndoRecord* head = u.m_lazyHead ? u.Entry(u.m_top) : u.m_current;
    if (!head) return false;
    while (head->prev) head = head->prev;
    UndoRecord* newest = head;
    while (newest->next) newest = newest->next;
    m_replayDirection = 1;
    m_replaySerial = head->serial;
    for (UndoRecord* r = newest; r; r = r->prev) ReplayRecord(r, 1);
    u.m_top = u.Prev(u.m_top);
    u.m_current = u.Entry(u.m_top);
    AfterReplay();
    return true;
}

bool CEditData::Redo() {
    ++m_editCounter;
    CUndoData& u = *m_undo;
    u.CloseCoalescing();
    const int top = u.Next(u.m_top);
    UndoRecord* head = u.Entry(top);
    if (!head) return false;
    u.m_top = top;
    u.m_current = head;
    m_replayDirection = 2;
    m_replaySerial = head->serial;
    for (UndoRecord* r = head; r; r = r->next) ReplayRecord(r, 2);
    AfterReplay();
    return true;
}
