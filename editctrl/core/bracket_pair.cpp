#include "editctrl/core/bracket_pair.h"

#include "editctrl/syntax/strtoken.h"
#include "textengine/layout.h"

char16_t OpenerOf(char16_t closing) {
    switch (closing) {
    case u')': return u'(';
    case u']': return u'[';
    case u'}': return u'{';
    case u'>': return u'<';
    default: return 0;
    }
}

namespace {

char16_t CloserOf(char16_t opening) {
    switch (opening) {
    case u'(': return u')';
    case u'[': return u']';
    case u'{': return u'}';
    case u'<': return u'>';
    default: return 0;
    }
}

}  // namespace

bool FindMatchingBracketAtCaret(const CEditData& data, char32_t ch, EditPos& pos) {
    const CStrToken* language = LanguageOf(data.GetSyntaxRules());
    if (!language || ch >= 256) return false;
    const int kind = language->GetBracketKind(ch);
    if (kind != 1 && kind != 2) return false;
    const EditPos caret = data.GetCaretPos();
    if (data.GetCharClass(caret.line, caret.column, nullptr) != CharClassCode) return false;
    if (kind == 2) {
        const char16_t close = CloserOf(static_cast<char16_t>(ch));
        return close && data.FindMatchingBracket(ch, close, 1, EditPos{-1, -1}, 1, pos);
    }
    const char16_t open = OpenerOf(static_cast<char16_t>(ch));
    return open && data.FindMatchingBracket(open, ch, 1, EditPos{-1, -1}, -1, pos);
}

BracketPair FindBracketPair(const CEditData& data, EditPos caret, const CStrToken& lang, EditPos firstVisible,
                            EditPos lastVisible) {
    BracketPair pair;
    caret = data.ClampPos(caret);
    EditPos backLimit = firstVisible;
    char16_t winner = 0;
    for (char16_t close : lang.BracketChars()) {
        const char16_t open = OpenerOf(close);
        if (!open) continue;
        EditPos found;
        // Each find narrows the search of the next kinds to what lies nearer.
        if (data.ScanForBracket(open, close, 1, backLimit, -1, caret, found)) {
            pair.open = found;
            backLimit = found;
            winner = close;
        }
    }
    if (winner) {
        EditPos found;
        if (data.ScanForBracket(OpenerOf(winner), winner, 1, lastVisible, 1, caret, found)) pair.close = found;
        return pair;
    }
    const char32_t at = data.GetCharAt(caret.line, caret.column);
    if (at < 256 && lang.GetBracketKind(at) == 1 && data.GetCharClass(caret.line, caret.column, nullptr) == CharClassCode) {
        pair.close = caret;
        return pair;
    }
    for (char16_t close : lang.BracketChars()) {
        const char16_t open = OpenerOf(close);
        EditPos found;
        EditPos limit = pair.close.line >= 0 ? pair.close : lastVisible;
        if (open && data.ScanForBracket(open, close, 1, limit, 1, caret, found)) pair.close = found;
    }
    return pair;
}
