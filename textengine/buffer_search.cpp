#include "textengine/buffer_search.h"

#include <deque>
#include <optional>
#include <string_view>
#include <vector>

#include "textengine/platform_hooks.h"
#include "textengine/regex_line_host.h"
#include "textengine/undo_data.h"
#include "textengine/utf16.h"

namespace {

RegexPos ToRegex(EditPos p) { return RegexPos{p.line, p.column}; }
EditPos ToEdit(RegexPos p) { return EditPos{p.col, p.line}; }

const CEditData& DataOf(void* host) { return *static_cast<const EditDataRegexHost*>(host)->data; }

// The selection in effect, or false when there is none or it is empty.
bool Selection(const CEditData& data, EditPos* start, EditPos* end) {
    const CEditDispData& d = data.GetDispData();
    if (d.selStart.line < 0 || d.selStart == d.selEnd) return false;
    *start = d.selStart;
    *end = d.selEnd;
    return true;
}

// Where the selection begins (which 0) or ends (which 1) on line.
bool SelectionColumnOn(const CEditData& data, int line, int which, int* column) {
    EditPos s, e;
    if (!Selection(data, &s, &e) || line < s.line || line > e.line) return false;
    if (data.GetDispData().boxSelection) {
        int left, right;
        data.GetBoxColumns(line, left, right);
        *column = which == 0 ? left : right;
    } else if (which == 0) {
        *column = line == s.line ? s.column : 0;
    } else {
        *column = line == e.line ? e.column : data.GetLineLength(line);
    }
    return true;
}

int AnchorStart(void* host, RegexPos pos) {
    EditPos s, e;
    int column;
    return Selection(DataOf(host), &s, &e) && pos.line == s.line &&
           SelectionColumnOn(DataOf(host), pos.line, 0, &column) && pos.col == column;
}
int AnchorEnd(void* host, RegexPos pos) {
    EditPos s, e;
    int column;
    return Selection(DataOf(host), &s, &e) && pos.line == e.line &&
           SelectionColumnOn(DataOf(host), pos.line, 1, &column) && pos.col == column;
}
int AnchorLineStart(void* host, RegexPos pos) {
    int column;
    return SelectionColumnOn(DataOf(host), pos.line, 0, &column) && pos.col == column;
}
int AnchorLineEnd(void* host, RegexPos pos) {
    int column;
    return SelectionColumnOn(DataOf(host), pos.line, 1, &column) && pos.col == column;
}


// A walk over lines asks whether to stop every so many lines. It gives up
// (as the engine does within one line) when the matching work runs past a
// start allowance plus an allowance per character walked: plain patterns
// stay far below it on any text, lines that each cost a pathological
// pattern its memo's worth end the walk within a second or two.
constexpr int kLinesBetweenStopPolls = 64;
constexpr long long kSearchWalkBudget = 10000000;
constexpr long long kSearchWorkPerChar = 64;

// One search from *pos; limitLine >= 0 keeps the match start on that line.
int Find(CompiledRegex* re, const RegexTextOps& ops, const CEditData& data, RegexPos* pos, RegexPos* end,
         int limitLine) {
    if (!re->search) return 0;
    const RegexPos limit = limitLine >= 0 ? RegexPos{limitLine, data.GetLineLength(limitLine)} : RegexPos{-1, -1};
    const int r = re->search(re, &ops, pos, end, limit);
    if (r < 0) return kSearchFailed;
    if (r == 1 && limitLine >= 0 && pos->line != limitLine) return 0;
    return r;
}

// One character on within the line; false at or after its end.
bool StepInLine(const CEditData& data, RegexPos* pos) {
    const int length = data.GetLineLength(pos->line);
    if (pos->col >= length) return false;
    const char16_t* text = data.GetLineText(pos->line);
    pos->col += pos->col + 1 < length && utf16_is_pair(text + pos->col) ? 2 : 1;
    return true;
}

// One character on, across a line end; false at the end of the text.
bool StepChar(const CEditData& data, EditPos* pos) {
    RegexPos p = ToRegex(*pos);
    if (!StepInLine(data, &p)) {
        if (p.line + 1 >= data.GetLineCount()) return false;
        p = RegexPos{p.line + 1, 0};
    }
    *pos = ToEdit(p);
    return true;
}

void Keep(CompiledRegex* re, RegexPos start, RegexPos end) {
    re->match_start = start;
    re->match_end = end;
}

// The last match on line (restarting one character after each start).
int LastOnLine(const CEditData& data, const RegexTextOps& ops, CompiledRegex* re, int line, RegexPos* start,
               RegexPos* end) {
    RegexPos pos{line, 0};
    int found = 0;
    for (;;) {
        RegexPos s = pos, e;
        const int r = Find(re, ops, data, &s, &e, line);
        if (r < 0) return r;
        if (r == 0) break;
        *start = s;
        *end = e;
        found = 1;
        pos = s;
        if (!StepInLine(data, &pos)) break;
    }
    return found;
}

// Next match from cur: on cur's line, then on the lines below.
int FindFrom(const CEditData& data, CompiledRegex* re, EditPos cur, EditPos* match, int* length) {
    const int column = SearchRegex(data, cur.line, cur.column, 1, length, re);
    if (column == kSearchFailed) return kSearchFailed;
    if (column >= 0) {
        *match = EditPos{column, cur.line};
        return 1;
    }
    const int rest = data.GetLineCount() - cur.line - 1;
    *length = SearchRegexLines(data, match, 1, cur.line + 1, rest, re);
    if (*length == kSearchFailed || *length == kSearchDeclined) return *length;
    return *length >= 0 ? 1 : 0;
}

}  // namespace

RegexTextOps EditDataRegexOps(const EditDataRegexHost& host) {
    RegexTextOps ops = RegexLineHost<EditDataRegexHost>::Make(&host);
    ops.anchor[0] = AnchorStart;
    ops.anchor[1] = AnchorEnd;
    ops.anchor[2] = AnchorLineStart;
    ops.anchor[3] = AnchorLineEnd;
    return ops;
}

int SearchRegex(const CEditData& data, int line, int column, int direction, int* length, CompiledRegex* re) {
    if (!re || line < 0 || line >= data.GetLineCount()) return kSearchNotFound;
    const EditDataRegexHost host{&data};
    const RegexTextOps ops = EditDataRegexOps(host);
    if (direction == 1) {
        RegexPos s{line, column}, e;
        const int r = Find(re, ops, data, &s, &e, line);
        if (r <= 0) return r < 0 ? r : kSearchNotFound;
        Keep(re, s, e);
        *length = ops.distance(ops.host, s, e);
        return s.col;
    }
    RegexPos s{line, 0}, e;
    int r = Find(re, ops, data, &s, &e, line);
    if (r <= 0) return r < 0 ? r : kSearchNotFound;
    if (column > 0 && (e.line != line || e.col > column || (e.line == s.line && e.col == s.col)))
        return kSearchNotFound;
    RegexPos best = s, bestEnd = e;
    for (RegexPos pos = s; StepInLine(data, &pos);) {
        RegexPos s2 = pos, e2;
        r = Find(re, ops, data, &s2, &e2, line);
        if (r < 0) return r;
        if (r == 0 || e2.line != line || e2.col > column) break;
        best = s2;
        bestEnd = e2;
        pos = s2;
    }
    Keep(re, best, bestEnd);
    *length = ops.distance(ops.host, best, bestEnd);
    return best.col;
}

int SearchRegexLines(const CEditData& data, EditPos* pos, int direction, int firstLine, int lineCount,
                     CompiledRegex* re) {
    if (!re) return kSearchNotFound;
    const EditDataRegexHost host{&data};
    const RegexTextOps ops = EditDataRegexOps(host);
    const int count = data.GetLineCount();
    long long work = 0;
    for (int i = 0, line = firstLine; i < lineCount && line >= 0 && line < count; ++i, line += direction) {
        if (i % kLinesBetweenStopPolls == kLinesBetweenStopPolls - 1 && te_search_should_stop())
            return kSearchDeclined;
        RegexPos s{line, 0}, e;
        const int r = direction == 1 ? Find(re, ops, data, &s, &e, line) : LastOnLine(data, ops, re, line, &s, &e);
        if (r < 0) return r;
        // Each line has a budget of its own; the walk as a whole has one too,
        // so that many costly lines end with the same verdict as one.
        work += re->work - kSearchWorkPerChar * (data.GetLineLength(line) + 1);
        if (work > kSearchWalkBudget) return kSearchFailed;
        if (r == 0) continue;
        Keep(re, s, e);
        *pos = ToEdit(s);
        return ops.distance(ops.host, s, e);
    }
    return kSearchNotFound;
}

int SearchWithWrap(const CEditData& data, EditPos* pos, int direction, int wrap, const EditPos* start,
                   const WrapQuestion& askToWrap, CompiledRegex* re, int* wrapped) {
    const EditPos from = start ? *start : data.GetCaretPos();
    if (direction != 1 && direction != -1) return kSearchNotFound;
    *wrapped = 0;
    int length;
    if (direction == 1 || from.column > 0) {
        const int column = SearchRegex(data, from.line, from.column, direction, &length, re);
        if (column == kSearchFailed) return kSearchFailed;
        if (column >= 0) {
            *pos = EditPos{column, from.line};
            return length;
        }
    }
    const int count = data.GetLineCount();
    length = direction == 1 ? SearchRegexLines(data, pos, 1, from.line + 1, count - from.line - 1, re)
                            : SearchRegexLines(data, pos, -1, from.line - 1, from.line, re);
    if (length != kSearchNotFound || wrap != 1) return length;
    if (askToWrap && !askToWrap(direction)) return kSearchDeclined;
    *wrapped = 1;
    return direction == 1 ? SearchRegexLines(data, pos, 1, 0, from.line + 1, re)
                          : SearchRegexLines(data, pos, -1, count - 1, count - from.line, re);
}

EditPos AdvancePos(const CEditData& data, EditPos pos, int n) {
    const int last = data.GetLineCount() - 1;
    while (n > 0) {
        const int rest = data.GetLineLength(pos.line) - pos.column;
        if (n <= rest) {
            pos.column += n;
            break;
        }
        if (pos.line >= last) {
            pos.column = data.GetLineLength(pos.line);
            break;
        }
        n -= rest + 1;
        pos = EditPos{0, pos.line + 1};
    }
    return pos;
}

std::u16string GetReplacementText(const CEditData& data, EditPos match, int length, const char16_t* tmpl,
                                  CompiledRegex* re) {
    const EditDataRegexHost host{&data};
    const RegexTextOps ops = EditDataRegexOps(host);
    const RegexPos s = ToRegex(match), e = ToRegex(AdvancePos(data, match, length));
    const int size = regex_expand_template(&ops, s, e, tmpl, re, nullptr, 0);
    std::u16string out(std::size_t(size > 0 ? size : 1), u'\0');
    regex_expand_template(&ops, s, e, tmpl, re, out.data(), out.size());
    out.resize(std::size_t(size > 0 ? size - 1 : 0));
    return out;
}

int ReplaceAll(CEditData& data, const char16_t* replacement, int expand, const EditPos* selStart,
               const EditPos* selEnd, int* count, CompiledRegex* re, int box) {
    if (count) *count = 0;
    if (!re || !replacement) return 0;
    const bool useTemplate = expand && regex_template_has_sequences(replacement);
    const bool inSelection = selStart && selEnd;
    box = inSelection && box;
    const EditPos caret = data.GetCaretPos();
    EditPos limit = inSelection ? *selEnd : EditPos{0, 0};

    // Every match is found on the unchanged text first, so replacements never
    // feed later matches and a regex failure leaves the text untouched. The
    // expansions share one string.
    struct Match {
        EditPos start, end;
        std::size_t text, length;  // the expansion in `expansions`
    };
    std::deque<Match> matches;
    std::u16string expansions;
    bool multiLine = false;
    EditPos cur{0, 0};
    if (inSelection) {
        cur = *selStart;
        if (box) {
            int left, right;
            data.GetBoxColumns(selStart->line, left, right);
            cur.column = left;
        }
    }
    int boxLine = -1, boxLeft = 0, boxRight = 0;
    for (;;) {
        EditPos m;
        int length;
        const int found = FindFrom(data, re, cur, &m, &length);
        if (found == kSearchFailed || found == kSearchDeclined) return found;
        if (found == 0) break;
        const EditPos mEnd = AdvancePos(data, m, length);
        if (inSelection && !box && (mEnd.line > limit.line || (mEnd.line == limit.line && mEnd.column > limit.column)))
            break;
        if (box) {
            if (mEnd.line > limit.line) break;
            if (m.line != boxLine) {
                boxLine = m.line;
                data.GetBoxColumns(m.line, boxLeft, boxRight);
            }
            if (mEnd.line != m.line || m.column < boxLeft) {
                cur = m;
                if (!StepChar(data, &cur)) break;
                continue;
            }
            if (mEnd.column > boxRight) {
                if (m.line >= limit.line) break;
                cur = EditPos{0, m.line + 1};
                continue;
            }
        }
        Match match{m, mEnd, expansions.size(), 0};
        if (useTemplate) {
            expansions += GetReplacementText(data, m, length, replacement, re);
            match.length = expansions.size() - match.text;
        }
        multiLine = multiLine || mEnd.line != m.line;
        matches.push_back(match);
        cur = mEnd;
        if (length == 0 && !StepChar(data, &cur)) break;
    }
    if (matches.empty()) return 0;
    const std::u16string_view fixed(replacement);
    auto textOf = [&](const Match& m) {
        return useTemplate ? std::u16string_view(expansions).substr(m.text, m.length) : fixed;
    };
    auto hasBreak = [](std::u16string_view t) { return t.find_first_of(u"\r\n") != std::u16string_view::npos; };
    if (!useTemplate) multiLine = multiLine || hasBreak(fixed);
    else multiLine = multiLine || hasBreak(expansions);

    CUndoGroupGuard group(data.GetUndo(), 0);
    int result = 0;
    int done = 0;
    if (!multiLine) {
        // Each line is rebuilt once and exchanged in place; one record keeps
        // the old texts.
        long long oldUnits = 0;
        for (std::size_t i = 0; i < matches.size();) {
            const int line = matches[i].start.line;
            oldUnits += 4 + data.GetLineLength(line);
            while (i < matches.size() && matches[i].start.line == line) ++i;
        }
        if (!data.BeginLineTexts(oldUnits)) return 1;  // short of memory: nothing changed
        std::u16string rebuilt;
        for (std::size_t i = 0; i < matches.size();) {
            const int line = matches[i].start.line;
            const char16_t* text = data.GetLineText(line);
            const int length = data.GetLineLength(line);
            rebuilt.clear();
            int at = 0;
            int shift = 0;
            int onLine = 0;
            for (; i < matches.size() && matches[i].start.line == line; ++i, ++onLine) {
                const Match& m = matches[i];
                rebuilt.append(text + at, std::size_t(m.start.column - at));
                const std::u16string_view with = textOf(m);
                rebuilt.append(with);
                if (line == limit.line && m.end.column <= limit.column)
                    shift += int(with.size()) - (m.end.column - m.start.column);
                at = m.end.column;
            }
            rebuilt.append(text + at, std::size_t(length - at));
            if (!data.ExchangeLineText(line, rebuilt.data(), int(rebuilt.size()))) {
                result = 1;
                break;
            }
            done += onLine;
            if (line == limit.line) limit.column += shift;
        }
        data.NotifyChanged();
    } else {
        // From the last match back, so earlier positions stay valid.
        for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
            bool replaced = data.DeleteText(it->start, it->end, 1);
            if (replaced) {
                data.SetCaretPos(it->start.line, it->start.column);
                const std::u16string with(textOf(*it));
                replaced = data.InsertText(with.c_str(), 0);
            }
            if (!replaced) {
                result = 1;
                break;
            }
            ++done;
            const EditPos after = data.GetCaretPos();
            if (limit.line == it->end.line) limit.column += after.column - it->end.column;
            limit.line += after.line - it->end.line;
        }
    }
    if (count) *count = done;
    EditPos back = inSelection && caret == *selEnd ? limit : caret;
    back = data.ClampPos(back);
    data.SetCaretPos(back.line, back.column);
    return result;
}

int FilterLines(CEditData& data, const FilterLinesArgs& args) {
    if (args.count) *args.count = 0;
    const int lineCount = data.GetLineCount();
    int last = args.lastLine < 0 || args.lastLine >= lineCount ? lineCount - 1 : args.lastLine;
    const int first = args.firstLine < 0 ? 0 : args.firstLine;
    data.SetCaretPos(first, 0);
    data.GetUndo()->CloseCoalescing();
    if (!args.re) return 0;

    // The line ranges to delete, found on the unchanged text; the last line
    // of the range is examined like every other.
    std::vector<std::pair<int, int>> ranges;
    for (int line = first; line <= last;) {
        EditPos m;
        int length;
        const int found = FindFrom(data, args.re, EditPos{0, line}, &m, &length);
        if (found == kSearchFailed || found == kSearchDeclined) return found;
        const bool inRange = found == 1 && m.line <= last;
        const int endLine = inRange ? AdvancePos(data, m, length).line : last;
        if (args.deleteMatching) {
            if (!inRange) break;
            ranges.emplace_back(m.line, endLine);
        } else {
            const int to = inRange ? m.line - 1 : last;
            if (to >= line) ranges.emplace_back(line, to);
            if (!inRange) break;
        }
        line = endLine + 1;
    }

    int deleted = 0;
    int result = 0;
    std::optional<CUndoGroupGuard> group;
    long long lines = 0;
    for (const auto& run : ranges) lines += run.second - run.first + 1;
    if (!ranges.empty() && lines < data.GetLineCount()) {
        // Whole lines go with one record that keeps their texts.
        group.emplace(data.GetUndo(), 0);
        if (data.DeleteLineRuns(ranges.data(), int(ranges.size()))) {
            deleted = int(lines);
            data.NotifyChanged();
            ranges.clear();
        }
    }
    for (auto it = ranges.rbegin(); it != ranges.rend() && !data.IsEmpty(); ++it) {
        if (!group) group.emplace(data.GetUndo(), 0);
        EditPos from, to;
        data.GetLineRange(it->first, it->second, from, to);
        if (!data.DeleteText(from, to, 1)) {
            result = 1;
            break;
        }
        deleted += it->second - it->first + 1;
    }
    const EditPos caret = data.ClampPos(EditPos{0, first});
    data.SetCaretPos(caret.line, caret.column);
    if (args.count) *args.count = deleted;
    return result;
}

void regex_holder_free(RegexHolder* holder) {
    if (!holder) return;
    regex_free(holder->regex);
    holder->regex = nullptr;
}
