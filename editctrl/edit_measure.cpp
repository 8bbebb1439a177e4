#include "editctrl/edit_measure.h"

#include <climits>
#include <cstring>
#include <string_view>

#include "editctrl/syntax/strtoken.h"
#include "textengine/edit_data.h"
#include "textengine/mpool.h"

char32_t CodePointAt(const char16_t* text, int n, int i, int* units) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
        *units = 2;
        return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    }
    *units = 1;
    return c;
}

int CalcTextWidth(const char16_t* text, int n, const CMeasure& m) {
    int x = 0;
    const int tab = m.TabStop();
    for (int i = 0; i < n;) {
        int u;
        const char32_t cp = CodePointAt(text, n, i, &u);
        if (cp == '\t')
            x = tab > 0 ? (x / tab + 1) * tab : x;
        else
            x += m.Advance(cp);
        i += u;
    }
    return x;
}

namespace {

bool InSet(const char16_t* set, char16_t c) {
    if (!set) return false;
    for (; *set; ++set)
        if (*set == c) return true;
    return false;
}

// A character 0-255 that is neither blank nor a break character.
bool IsWordClass3(const CEditData& data, char16_t c) {
    return c < 256 && c != ' ' && c != '\t' && !data.IsBreakChar(c);
}

// Start of the character before unit i.
int PrevChar(const char16_t* text, int i) {
    if (i >= 2 && text[i - 1] >= 0xDC00 && text[i - 1] < 0xE000 && text[i - 2] >= 0xD800 && text[i - 2] < 0xDC00)
        return i - 2;
    return i - 1;
}

}  // namespace

int FitChars(const char16_t* text, int n, int width, const CMeasure& m, const CEditData& data) {
    const int tab = m.TabStop();
    int x = 0, i = 0;
    while (i < n) {
        int u;
        const char32_t cp = CodePointAt(text, n, i, &u);
        if (cp == '\t') {
            if (x + 2 > width) break;
            x = tab > 0 ? (x / tab + 1) * tab : x;
        } else {
            const int a = m.Advance(cp);
            if (x + a > width) break;
            x += a;
        }
        i += u;
    }
    if (i == 0 && n > 0) {
        int u;
        CodePointAt(text, n, 0, &u);
        return u;  // every row holds a character
    }
    if (i >= n) return n;
    if (data.GetBreakAdjustment() && i > 2) {
        const char16_t* first = data.GetFirstConfinementStr();
        const char16_t* last = data.GetLastConfinementStr();
        if (InSet(first, text[i])) {
            if (i + 1 < n && InSet(first, text[i + 1]))
                i = PrevChar(text, i);
            else
                ++i;
        } else if (InSet(last, text[i - 1])) {
            i = PrevChar(text, i);
        }
    }
    if (data.GetWordWrapAtWordEnds() && i < n && IsWordClass3(data, text[i])) {
        int j = i;
        while (j > 0 && IsWordClass3(data, text[j - 1])) --j;
        if (i - j < 40 && j > 0) i = j;
    }
    return i;
}

int CalcLineWrap(CEditLine* line, int wrapWidth, const CMeasure& m, const CEditData& data) {
    if (wrapWidth == INT_MAX) return 1;
    const char16_t* text = line->text;
    const int n = line->Length();
    int rows = 1, at = 0;
    for (;;) {
        const int fit = FitChars(text + at, n - at, wrapWidth, m, data);
        at += fit;
        if (at >= n || fit <= 0) break;
        if (rows > line->wrapCapacity) {
            const int cap = line->wrapCapacity ? line->wrapCapacity * 2 : 4;
            int* grown = static_cast<int*>(mpool_alloc(&LineTextPool, sizeof(int) * static_cast<size_t>(cap)));
            if (!grown) break;  // short of memory: the rest stays on this row
            if (line->wrapOffsets) {
                std::memcpy(grown, line->wrapOffsets, sizeof(int) * static_cast<size_t>(line->wrapCapacity));
                mpool_free(line->wrapOffsets);
            }
            line->wrapOffsets = grown;
            line->wrapCapacity = cap;
        }
        line->wrapOffsets[rows - 1] = at;
        ++rows;
    }
    return rows;
}

namespace {

// The state at the end of a line given the state at its start.
int ScanLine(const CStrToken& lang, const char16_t* text, int n, int state, int options) {
    const std::u16string_view all(text, static_cast<size_t>(n));
    bool inComment = state & CEditLine::FlagInBlockComment;
    bool inTag = state & CEditLine::FlagInTag;
    const size_t closeLen = lang.CloseComment().size(), openLen = lang.OpenComment().size();
    int p = 0;
    while (p < n) {
        const std::u16string_view rest = all.substr(static_cast<size_t>(p));
        if (inComment) {
            if (closeLen && lang.IsCloseCommentAt(rest)) {
                inComment = false;
                p += static_cast<int>(closeLen);
            } else {
                ++p;
            }
            continue;
        }
        if (lang.IsLineCommentAt(rest)) break;
        if (openLen && lang.IsOpenCommentAt(rest)) {
            inComment = true;
            p += static_cast<int>(openLen);
            continue;
        }
        if (options & kScanTags) {
            if (text[p] == '<') inTag = true;
            else if (text[p] == '>') inTag = false;
        }
        const int t = lang.GetTokenLength(rest);
        p += t > 0 ? t : 1;
    }
    return (inComment ? CEditLine::FlagInBlockComment : 0) | (inTag && (options & kScanTags) ? CEditLine::FlagInTag : 0);
}

}  // namespace

bool UpdateLineStates(CEditData& data, int first, int last, int options) {
    const CStrToken* lang = data.GetLanguage();
    if ((options & kScanNoComments) || !lang) return false;
    const int count = data.GetLineCount();
    if (first < 0) first = 0;
    if (last < 0 || last >= count) last = count - 1;
    const int mask = CEditLine::FlagInBlockComment | CEditLine::FlagInTag;
    int state = 0;
    if (first > 0) {
        CEditLine* prev = data.GetLine(first - 1);
        state = ScanLine(*lang, prev->text, prev->Length(), prev->flags & mask, options);
    }
    bool changed = false;
    for (int i = first; i < count; ++i) {
        CEditLine* line = data.GetLine(i);
        const bool differs = (line->flags & mask) != state;
        if (differs) {
            line->flags = (line->flags & ~mask) | state | CEditLine::FlagTextChanged;
            changed = true;
        } else if (i > last) {
            break;  // past the range and settled
        }
        state = ScanLine(*lang, line->text, line->Length(), state, options);
    }
    return changed;
}
