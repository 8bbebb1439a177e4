#include "view/core/line_replacements.h"


namespace {

// Characters the regex language gives a meaning outside a class; a "\"
// before any of them makes it a literal.
bool IsRegexSpecial(char16_t c) {
    switch (c) {
    case u'\\': case u'^': case u'$': case u'.': case u'|': case u'?': case u'*': case u'+':
    case u'(': case u')': case u'[': case u']': case u'{': case u'}':
        return true;
    }
    return false;
}

}  // namespace

std::u16string EscapeRegexLiteral(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() * 2);
    for (char16_t c : text) {
        if (IsRegexSpecial(c)) out += u'\\';
        out += c;
    }
    return out;
}

std::u16string EscapeReplacementTemplate(std::u16string_view text) {
    // Only "\" and "$" start sequences; "\" before a letter would make
    // "\n" or "\t" of it, so nothing else is touched.
    std::u16string out;
    out.reserve(text.size() * 2);
    for (char16_t c : text) {
        if (c == u'\\' || c == u'$') out += u'\\';
        out += c;
    }
    return out;
}

std::optional<LineReplacement> LineReplacementFor(LineEdit edit, std::u16string_view rowComment) {
    switch (edit) {
    case LineEdit::TrimLeading:
        return LineReplacement{u"^[\\s\u3000]+", u"", true};
    case LineEdit::TrimTrailing:
        return LineReplacement{u"[\\s\u3000]+$", u"", true};
    case LineEdit::InsertQuote:
        return LineReplacement{u"^", u"> ", true};
    case LineEdit::DeleteQuote:
        return LineReplacement{u"^>\\s?", u"", true};
    case LineEdit::InsertComment:
        if (rowComment.empty()) return std::nullopt;
        return LineReplacement{u"^", EscapeReplacementTemplate(rowComment), true};
    case LineEdit::DeleteComment:
        if (rowComment.empty()) return std::nullopt;
        return LineReplacement{u"^(" + EscapeRegexLiteral(rowComment) + u")", u"", true};
    case LineEdit::DeleteNewlines:
        return LineReplacement{u"\\n", u"", false};
    }
    return std::nullopt;
}

std::u16string FormatInsertedDateTime(const std::tm& local) {
    char text[64];
    const std::size_t n = std::strftime(text, sizeof text, "%H:%M %Y/%m/%d", &local);
    return std::u16string(text, text + n);
}
