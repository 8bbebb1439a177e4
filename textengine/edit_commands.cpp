// Whole-text commands of a buffer: line sort, word and blank movement,
// indentation and width conversion, bracket matching.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "textengine/edit_data.h"
#include "textengine/invariant.h"
#include "textengine/jwidth.h"
#include "textengine/layout.h"
#include "textengine/prefetch.h"
#include "textengine/utf16.h"

namespace {

// A converted indentation run longer than this is not built; the line keeps
// its indentation.
constexpr int kMaxIndentRun = 1023;


bool same_word_class(int ref, int c) {
    if (ref == 0 || c == 0) return false;  // a line end differs from everything
    if (ref == c) return true;
    // The prolonged sound mark belongs to a hiragana or katakana run.
    if (ref == 16) return c == 12 || c == 13;
    return c == 16 && (ref == 12 || ref == 13);
}


// A line's sort key: eight of its units from an offset packed so that
// comparing the numbers compares those units in order, with no visit to the
// text; units past its end count as 0.
struct LineSortKey {
    std::uint64_t head[2];
    const char16_t* text;
    int length;
    int line;  // relative to the range's start
};

constexpr int kSortHeadUnits = 8;

void FillSortHead(LineSortKey& key, int from) {
    key.head[0] = key.head[1] = 0;
    for (int i = 0; i < kSortHeadUnits; ++i)
        key.head[i / 4] = key.head[i / 4] << 16 | (from + i < key.length ? key.text[from + i] : 0u);
}

// Two texts equal in their first `from` units, compared from there: -1, 0
// or 1 by unit values, a text before its longer continuations.
int CompareLineTails(const LineSortKey& x, const LineSortKey& y, int from) {
    const int n = std::min(x.length, y.length);
    int i = std::min(n, from);
    if constexpr (std::endian::native == std::endian::little) {
        // Four units at a time; the lowest differing bits name the first
        // differing unit.
        for (; i + 4 <= n; i += 4) {
            std::uint64_t p, q;
            std::memcpy(&p, x.text + i, sizeof p);
            std::memcpy(&q, y.text + i, sizeof q);
            if (p != q) {
                const int k = i + std::countr_zero(p ^ q) / 16;
                return x.text[k] < y.text[k] ? -1 : 1;
            }
        }
    }
    for (; i < n; ++i)
        if (x.text[i] != y.text[i]) return x.text[i] < y.text[i] ? -1 : 1;
    return x.length < y.length ? -1 : x.length > y.length ? 1 : 0;
}

// Below this many keys equal so far, a group is sorted by comparing the
// texts themselves; above it, by the next eight units, packed once per key.
constexpr std::ptrdiff_t kTextCompareGroup = 24;

// Sorts keys whose texts are equal in their first `from` units, by their
// texts (descending when asked) and then by their lines. Each pass packs the
// next eight units and sorts by them; the keys they leave equal are sorted
// again from eight units on. A text's units are read once per pass, not
// once per comparison, which on a large text would fetch it from memory
// each time.
void SortLineKeys(LineSortKey* keys, std::ptrdiff_t count, bool descending) {
    struct Group {
        LineSortKey* first;
        std::ptrdiff_t count;
        int from;
    };
    std::vector<Group> todo{{keys, count, 0}};
    while (!todo.empty()) {
        const Group g = todo.back();
        todo.pop_back();
        LineSortKey* const first = g.first;
        LineSortKey* const last = g.first + g.count;
        const int from = g.from;
        if (g.count <= kTextCompareGroup) {
            std::sort(first, last, [from, descending](const LineSortKey& x, const LineSortKey& y) {
                const int c = CompareLineTails(x, y, from);
                return c != 0 ? (descending ? c > 0 : c < 0) : x.line < y.line;
            });
            continue;
        }
        if (from > 0) {
            // The texts lie anywhere in memory: each is asked for ahead.
            constexpr std::ptrdiff_t kAhead = 8;
            for (LineSortKey* k = first; k != last; ++k) {
                if (last - k > kAhead) PrefetchForRead(k[kAhead].text + from);
                FillSortHead(*k, from);
            }
        }
        // A text that ends within these eight units is ordered by its
        // length among the equal ones (padding and U+0000 pack alike); the
        // rest share one mark above every such length.
        const int past = from + kSortHeadUnits + 1;
        auto mark = [past](const LineSortKey& k) { return std::min(k.length, past); };
        // Keys that all agree here (many copies of one long line) keep their
        // order, which is by line: only their next units can change it.
        const bool allAgree = std::all_of(first + 1, last, [&mark, first](const LineSortKey& k) {
            return k.head[0] == first->head[0] && k.head[1] == first->head[1] && mark(k) == mark(*first);
        });
        if (allAgree) {
            if (mark(*first) == past) todo.push_back({first, g.count, from + kSortHeadUnits});
            continue;
        }
        std::sort(first, last, [&mark, descending](const LineSortKey& x, const LineSortKey& y) {
            if (x.head[0] != y.head[0]) return descending ? x.head[0] > y.head[0] : x.head[0] < y.head[0];
            if (x.head[1] != y.head[1]) return descending ? x.head[1] > y.head[1] : x.head[1] < y.head[1];
            const int mx = mark(x), my = mark(y);
            if (mx != my) return descending ? mx > my : mx < my;
            return x.line < y.line;
        });
        for (LineSortKey* run = first; run != last;) {
            LineSortKey* end = run + 1;
            while (end != last && end->head[0] == run->head[0] && end->head[1] == run->head[1] &&
                   mark(*end) == mark(*run))
                ++end;
            if (end - run > 1 && mark(*run) == past) todo.push_back({run, end - run, from + kSortHeadUnits});
            run = end;
        }
    }
}

}  // namespace

int CEditData::GetWordCharType(char32_t cp) const {
    if (cp == 0) return 0;
    if (cp == u'\t' || cp == u' ') return 2;
    if (IsBreakChar(cp)) return 1;
    if (cp < 0x100) return 3;
    if (cp >= 0x3040 && cp <= 0x309F) return 12;
    if (cp == 0x30FC) return 16;
    if ((cp >= 0x30A0 && cp <= 0x30FF) || (cp >= 0x31F0 && cp <= 0x31FF)) return 13;
    if ((cp >= 0xFF01 && cp <= 0xFF0F) || (cp >= 0xFF1A && cp <= 0xFF20) || (cp >= 0xFF3B && cp <= 0xFF40) ||
        (cp >= 0xFF5B && cp <= 0xFF60))
        return 10;
    if ((cp >= 0xFF10 && cp <= 0xFF19) || (cp >= 0xFF21 && cp <= 0xFF3A) || (cp >= 0xFF41 && cp <= 0xFF5A))
        return 11;
    if (cp >= 0xFF61 && cp <= 0xFF9F) return 14;
    return 15;
}

// Line sort ------------------------------------------------------------------

bool CEditData::SortLinesAscending(int a, int b) { return SortLines(a, b, false); }
bool CEditData::SortLinesDescending(int a, int b) { return SortLines(a, b, true); }

bool CEditData::SortLines(int a, int b, bool descending) {
    ++m_editCounter;
    if (a > b) std::swap(a, b);
    a = std::max(a, 0);
    b = std::min(b, m_lines.Count() - 1);
    if (a >= b) return true;
    const int count = b - a + 1;
    std::vector<CEditLine*> recs(static_cast<std::size_t>(count));
    std::vector<LineSortKey> keys(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        CEditLine* rec = m_lines.At(a + i);
        recs[std::size_t(i)] = rec;
        LineSortKey& key = keys[std::size_t(i)];
        key.text = rec->text;
        key.length = rec->Length();
        key.line = i;
        FillSortHead(key, 0);
    }
    // Equal texts are ordered by their line, so the sort is stable; no
    // input makes it quadratic or deep.
    SortLineKeys(keys.data(), count, descending);
    // order[i] = the line that goes to slot i.
    std::vector<int> order(static_cast<std::size_t>(count));
    int first = count;
    for (int i = 0; i < count; ++i) {
        order[std::size_t(i)] = keys[std::size_t(i)].line;
        if (first == count && order[std::size_t(i)] != i) first = i;
    }
    if (first == count) return true;
    keys = {};

    // One record holds the whole new order, so undo restores it in one step.
    CUndoGroupGuard group(m_undo, 0);
    if (!RecordCaretForUndo() || !OpenRecord(UndoKindLineOrder, {count, a})) return false;
    std::vector<char16_t> packed(std::size_t(count) * 2);
    for (int i = 0; i < count; ++i) {
        const unsigned v = unsigned(order[std::size_t(i)]);
        packed[2 * std::size_t(i)] = char16_t(v & 0xFFFF);
        packed[2 * std::size_t(i) + 1] = char16_t(v >> 16);
    }
    if (m_undo->AppendRecordText(packed.data(), int(packed.size())) != 0) {
        m_undo->GetCurrentRecord()->length = 0;  // replays as nothing
        return false;
    }
    if (m_lines.Reorder(a, count, order.data()) != 0) {
        m_undo->GetCurrentRecord()->length = 0;
        return false;
    }
    // The moved lines marked in their old order, in which their records
    // mostly lie in memory, rather than scattered in the new.
    std::vector<bool> moved(static_cast<std::size_t>(count));
    for (int i = first; i < count; ++i)
        if (order[std::size_t(i)] != i) moved[std::size_t(order[std::size_t(i)])] = true;
    for (int i = 0; i < count; ++i)
        if (moved[std::size_t(i)]) MarkLine(recs[std::size_t(i)]);
    m_undo->CloseCoalescing();
    group.Release();
    NotifyChanged();
    return true;
}

bool CEditData::ReplayLineOrder(const UndoRecord* rec, int direction) {
    const int a = rec->line, count = rec->column;
    if (count <= 0 || rec->length != 2 * count || a < 0 || a + count > m_lines.Count()) return true;
    std::vector<int> order(static_cast<std::size_t>(count));
    // back[v] = the slot line v went to; -1 until seen, so a line named twice
    // is refused rather than kept in two slots.
    std::vector<int> back(static_cast<std::size_t>(count), -1);
    for (int i = 0; i < count; ++i) {
        const int v = int(rec->text[2 * i] | unsigned(rec->text[2 * i + 1]) << 16);
        if (v < 0 || v >= count || back[std::size_t(v)] >= 0) return false;
        order[std::size_t(i)] = v;
        back[std::size_t(v)] = i;
    }
    if (direction == 1) order.swap(back);  // undo: slot i goes back where it came from
    if (m_lines.Reorder(a, count, order.data()) != 0) return false;
    for (int i = 0; i < count; ++i)
        if (order[std::size_t(i)] != i) MarkLine(m_lines.At(a + i));
    return true;
}

// Caret movement -------------------------------------------------------------

namespace {

// The character ending right before column (0 at column 0).
char32_t char_before(const CEditData& d, EditPos p) {
    if (p.column <= 0) return 0;
    const char16_t* text = d.GetLineText(p.line);
    const int i = p.column;
    if (i >= 2 && utf16_is_low_surrogate(text[i - 1]) && utf16_is_high_surrogate(text[i - 2]))
        return utf16_get_code_point(text + i - 2);
    return text[i - 1];
}

char32_t char_at(const CEditData& d, EditPos p) { return d.GetCharAt(p.line, p.column); }

bool at_line_end(const CEditData& d, EditPos p) { return p.column >= d.GetLineLength(p.line); }

}  // namespace

EditPos CEditData::WordStepFrom(EditPos p, int n) const {
    p = ClampPos(p);
    if (n <= 0) {
        if (p.line == 0 && p.column == 0) return p;
        int ref = GetWordCharType(char_before(*this, p));
        p = MovePos(p, -1);
        while (p.column > 0) {
            const int c = GetWordCharType(char_before(*this, p));
            if (!same_word_class(ref, c)) break;
            if (ref == 16) ref = c;
            p = MovePos(p, -1);
        }
    } else {
        int ref = GetWordCharType(char_at(*this, p));
        p = MovePos(p, 1);
        while (!at_line_end(*this, p)) {
            const int c = GetWordCharType(char_at(*this, p));
            if (!same_word_class(ref, c)) break;
            if (ref == 16) ref = c;
            p = MovePos(p, 1);
        }
    }
    return p;
}

EditPos CEditData::BlanksSkippedFrom(EditPos p, int n) const {
    p = ClampPos(p);
    if (n > 0) {
        while (GetWordCharType(char_at(*this, p)) == 2) p = MovePos(p, 1);
    } else {
        while (p.column > 0 && GetWordCharType(char_before(*this, p)) == 2) p = MovePos(p, -1);
    }
    return p;
}

EditPos CEditData::BlankRunFrom(EditPos p, int n, const char32_t blanks[3]) const {
    auto blank = [&](char32_t cp) { return cp != 0 && (cp == blanks[0] || cp == blanks[1] || cp == blanks[2]); };
    p = ClampPos(p);
    if (n <= 0) {
        if (p.column == 0) return MovePos(p, -1);
        const bool state = blank(char_before(*this, p));
        p = MovePos(p, -1);
        while (p.column > 0 && blank(char_before(*this, p)) == state) p = MovePos(p, -1);
    } else if (at_line_end(*this, p)) {
        p = MovePos(p, 1);
    } else {
        const bool state = blank(char_at(*this, p));
        p = MovePos(p, 1);
        while (!at_line_end(*this, p) && blank(char_at(*this, p)) == state) p = MovePos(p, 1);
    }
    return p;
}

void CEditData::MoveCaretTo(EditPos p) {
    WENDREL_ASSERT(Holds(p));  // the motions hand over clamped positions
    m_undo->CloseCoalescing();
    m_caretX = -1;
    m_caret = p;
}

void CEditData::MoveWord(int n) { MoveCaretTo(WordStepFrom(m_caret, n)); }

void CEditData::SkipBlanks(int n) { MoveCaretTo(BlanksSkippedFrom(m_caret, n)); }

void CEditData::MoveToWordEdge(int n) {
    EditPos p = ClampPos(m_caret);
    if (n <= 0) {
        while (p.column > 0 && !IsBreakChar(char_before(*this, p))) p = MovePos(p, -1);
    } else {
        while (!at_line_end(*this, p) && !IsBreakChar(char_at(*this, p))) p = MovePos(p, 1);
    }
    MoveCaretTo(p);
}

void CEditData::MoveToBlank(int n, const char32_t blanks[3]) { MoveCaretTo(BlankRunFrom(m_caret, n, blanks)); }

// Conversions ----------------------------------------------------------------

bool CEditData::TabsToSpaces(int first, int last) { return ConvertIndentation(first, last, false); }
bool CEditData::SpacesToTabs(int first, int last) { return ConvertIndentation(first, last, true); }

// Leading TABs become tab-size blanks each, or each full tab size of leading
// blanks one TAB. One undo group, opened at the first change; the caret
// keeps its character.
bool CEditData::ConvertIndentation(int first, int last, bool toTabs) {
    if (first > last) std::swap(first, last);
    first = std::max(first, 0);
    last = std::min(last, m_lines.Count() - 1);
    const int tab = m_disp.widths.TabSize();
    EditPos caret = m_caret;
    CUndoGroupGuard group(m_undo, 1);  // lazy: no step when nothing changes
    bool recorded = false;
    bool ok = true;
    for (int line = first; line <= last && ok; ++line) {
        const char16_t* text = GetLineText(line);
        const char16_t lead = toTabs ? u' ' : u'\t';
        int run = 0;
        while (text[run] == lead) ++run;
        // replaced units become built units of the other kind.
        const int replaced = toTabs ? run / tab * tab : run;
        const long long built = toTabs ? run / tab : (long long)run * tab;
        if (replaced == 0 || built > kMaxIndentRun) continue;
        if (!recorded) {
            if (!RecordCaretForUndo()) return false;
            recorded = true;
        }
        ok = DeleteText({0, line}, {replaced, line}, 1);
        if (ok) {
            SetCaretPos(line, 0);
            ok = InsertText(std::u16string(std::size_t(built), toTabs ? u'\t' : u' ').c_str(), 1);
        }
        if (ok && caret.line == line) {
            // A caret inside the run goes to the same character's new place.
            if (caret.column >= replaced)
                caret.column += int(built) - replaced;
            else
                caret.column = toTabs ? caret.column / tab : caret.column * tab;
        }
    }
    m_caret = ClampPos(caret);
    return ok;
}

bool CEditData::ConvertWidth(EditPos from, EditPos to, int ascii, int kana, int toFull) {
    from = ClampPos(from);
    to = ClampPos(to);
    if (to < from) std::swap(from, to);
    const bool caretAtFrom = ClampPos(m_caret) == from;
    CUndoGroupGuard group(m_undo, 1);
    bool recorded = false;
    bool ok = true;
    std::u16string src;
    std::vector<char16_t> out(1024 / sizeof(char16_t));
    for (int line = from.line; line <= to.line && ok; ++line) {
        const int start = line == from.line ? from.column : 0;
        const int end = line == to.line ? to.column : GetLineLength(line);
        if (start >= end) continue;
        src.assign(GetLineText(line) + start, std::size_t(end - start));
        int changed;
        for (;;) {
            changed = toFull ? jwidth_to_fullwidth(src.c_str(), out.data(), out.size(), ascii, kana)
                             : jwidth_to_halfwidth(src.c_str(), out.data(), out.size(), ascii, kana);
            if (changed >= 0) break;
            out.resize(out.size() * 2);
        }
        if (changed == 0) continue;
        if (!recorded) {
            if (!RecordCaretForUndo()) return false;
            recorded = true;
        }
        const int written = int(utf16_length(out.data()));
        ok = DeleteText({start, line}, {end, line}, 1);
        if (ok) {
            SetCaretPos(line, start);
            ok = InsertText(out.data(), 1);
        }
        // The range's end follows the converted text.
        if (ok && line == to.line) to.column += written - (end - start);
    }
    m_caret = caretAtFrom ? from : ClampPos(to);
    m_caretX = -1;
    return ok;
}

// Bracket matching -----------------------------------------------------------

bool CEditData::FindMatchingBracket(char32_t open, char32_t close, int depth, EditPos limit, int direction,
                                    EditPos& pos) const {
    EditPos from = ClampPos(m_caret);
    if (direction > 0) {
        const EditPos next = MovePos(from, 1);
        if (next == from) return false;  // at the text's end
        from = next;
    }
    return ScanForBracket(open, close, depth, limit, direction, from, pos);
}

bool CEditData::ScanForBracket(char32_t open, char32_t close, int depth, EditPos limit, int direction, EditPos from,
                               EditPos& pos) const {
    CCharClassCache cache;
    const bool limited = limit.line >= 0;
    EditPos p = ClampPos(from);
    auto counts = [&](EditPos at) { return GetCharClass(at.line, at.column, &cache) == CharClassCode; };
    if (direction <= 0) {
        for (;;) {
            if (p.column == 0) {
                if (p.line == 0) return false;
                p = {GetLineLength(p.line - 1), p.line - 1};
                if (limited && p < limit) return false;
                continue;
            }
            p = MovePos(p, -1);
            if (limited && p < limit) return false;
            const char32_t cp = char_at(*this, p);
            if (cp != open && cp != close) continue;
            if (!counts(p)) continue;
            depth += cp == close ? 1 : -1;
            if (depth == 0) {
                pos = p;
                return true;
            }
        }
    }
    const int last = m_lines.Count() - 1;
    for (;;) {
        if (limited && !(p < limit)) return false;
        if (at_line_end(*this, p)) {
            if (p.line >= last) return false;
            p = {0, p.line + 1};
            continue;
        }
        const char32_t cp = char_at(*this, p);
        if ((cp == open || cp == close) && counts(p)) {
            depth += cp == open ? 1 : -1;
            if (depth == 0) {
                pos = p;
                return true;
            }
        }
        p.column += utf16_units_of(cp);
    }
}
