#include "editctrl/core/bracket_pair.h"

#include "editctrl/syntax/strtoken.h"

char16_t OpenerOf(char16_t closing) {
    switch (closing) {
    case u')': return u'(';
    case u']': return u'[';
    case u'}': return u'{';
    case u'>': return u'<';
    default: return 0;
    }
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
