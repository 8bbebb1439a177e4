// Multi-line syntax state of lines (block comments, markup tags) and the
// syntax class of a character.
#include <cstring>

#include "textengine/edit_data.h"
#include "textengine/syntax_rules.h"

namespace {

struct LineState {
    bool inComment = false;
    bool inTag = false;
};

// Walks a line from its start state to its end state.
LineState walk_line(const CSyntaxRules& rules, const char16_t* text, int len, LineState s, bool tags) {
    const int closeLen = rules.CloseCommentLength();
    const int openLen = rules.OpenCommentLength();
    int pos = 0;
    while (pos < len) {
        if (s.inComment) {
            // The closer is searched in the text itself, not token by token.
            while (pos < len && !rules.IsCloseCommentAt({text + pos, std::size_t(len - pos)})) ++pos;
            if (pos >= len) break;
            pos += closeLen > 0 ? closeLen : 1;
            s.inComment = false;
            continue;
        }
        const std::u16string_view rest(text + pos, std::size_t(len - pos));
        if (rules.IsLineCommentAt(rest)) break;
        if (rules.IsOpenCommentAt(rest)) {
            s.inComment = true;
            pos += openLen > 0 ? openLen : 1;
            continue;
        }
        int n = rules.GetTokenLength(rest);
        if (n <= 0 || n > len - pos) n = n <= 0 ? 1 : len - pos;
        if (tags && !rules.IsClaimedTokenAt(rest)) {
            // Markup brackets count wherever they stand, also inside a word.
            for (int i = pos; i < pos + n; ++i) {
                if (text[i] == u'<') s.inTag = true;
                else if (text[i] == u'>') s.inTag = false;
            }
        }
        pos += n;
    }
    return s;
}

int flags_of(LineState s, bool tags) {
    return (s.inComment ? CEditLine::FlagInBlockComment : 0) | (tags && s.inTag ? CEditLine::FlagInTag : 0);
}

LineState state_of(int flags) {
    return {(flags & CEditLine::FlagInBlockComment) != 0, (flags & CEditLine::FlagInTag) != 0};
}

}  // namespace

bool CCharClassCache::Reserve(int n) {
    if (n <= m_capacity) return true;
    long long cap = m_classes == m_inline ? 1024 : m_capacity;
    while (cap < n) cap *= 2;
    if (cap > 0x7FFFFFFF) return false;
    auto* grown = static_cast<unsigned char*>(std::malloc(std::size_t(cap)));
    if (!grown) return false;
    std::memcpy(grown, m_classes, std::size_t(m_filled));
    if (m_classes != m_inline) std::free(m_classes);
    m_classes = grown;
    m_capacity = int(cap);
    return true;
}

void CEditData::UpdateLineStates(int first, int last, int options, bool& changed) {
    changed = false;
    if ((options & LineStateSkip) || !m_syntaxRules) return;
    const CSyntaxRules& rules = *m_syntaxRules;
    const bool tags = (options & LineStateTags) != 0;
    const int mask = CEditLine::FlagInBlockComment | (tags ? CEditLine::FlagInTag : 0);
    const int n = m_lines.Count();
    if (first < 0) first = 0;
    if (last < 0 || last >= n) last = n - 1;

    LineState state;
    if (first > 0 && first < n) {
        const CEditLine* prev = m_lines.At(first - 1);
        state = walk_line(rules, prev->text, prev->Length(), state_of(prev->flags & mask), tags);
    }
    for (int i = first; i < n; ++i) {
        CEditLine* rec = m_lines.At(i);
        const int flags = (rec->flags & ~mask) | flags_of(state, tags);
        const bool differs = flags != rec->flags;
        // Past the range only a changed start state can change what follows.
        if (i > last && !differs) break;
        if (differs) {
            rec->flags = flags;
            changed = true;
        }
        state = walk_line(rules, rec->text, rec->Length(), state, tags);
    }
}

int CEditData::GetCharClass(int line, int column, CCharClassCache* cache) const {
    const CEditLine* rec = GetLine(line);
    const char16_t* text = rec->text;
    const int len = rec->Length();
    const CSyntaxRules* rules = m_syntaxRules;
    if (!rules || column < 0) return CharClassCode;

    CCharClassCache local;
    CCharClassCache& c = cache ? *cache : local;
    if (c.m_line != line || c.m_text != text || c.m_filled > len) {
        c.m_line = line;
        c.m_text = text;
        c.m_filled = 0;
        c.m_state = rec->flags & CEditLine::FlagInBlockComment ? CharClassBlockComment : CharClassCode;
    }
    const int want = column < len ? column + 1 : len;
    if (!c.Reserve(len)) {
        c.m_line = -1;  // short of memory: plain code is the harmless answer
        return CharClassCode;
    }
    const int openLen = rules->OpenCommentLength();
    const int closeLen = rules->CloseCommentLength();
    auto fill = [&](int n, int cls) {
        if (n > len - c.m_filled) n = len - c.m_filled;
        if (n <= 0) n = 0;
        std::memset(c.m_classes + c.m_filled, cls, std::size_t(n));
        c.m_filled += n;
    };
    while (c.m_filled < want) {
        const int pos = c.m_filled;
        const std::u16string_view rest(text + pos, std::size_t(len - pos));
        if (c.m_state == CharClassLineComment) {
            fill(len - pos, CharClassLineComment);
        } else if (c.m_state == CharClassBlockComment) {
            if (rules->IsCloseCommentAt(rest)) {
                fill(closeLen > 0 ? closeLen : 1, CharClassBlockComment);
                c.m_state = CharClassCode;
            } else {
                fill(1, CharClassBlockComment);
            }
        } else if (rules->IsLineCommentAt(rest)) {
            c.m_state = CharClassLineComment;
        } else if (rules->IsOpenCommentAt(rest)) {
            fill(openLen > 0 ? openLen : 1, CharClassBlockComment);
            c.m_state = CharClassBlockComment;
        } else {
            const int n = rules->GetTokenLength(rest);
            fill(n > 0 ? n : 1, rules->IsClaimedTokenAt(rest) ? CharClassClaimed : CharClassCode);
        }
    }
    if (column < c.m_filled) return c.m_classes[column];
    return c.m_state;  // at or beyond the line's end: the state reached there
}
