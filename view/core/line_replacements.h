// The text operations on the selected lines that are one regular-expression
// replacement: the pattern and the replacement template each one runs, and
// the texts the small insertions put in. No window is needed to build them.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

enum class LineEdit {
    TrimLeading,
    TrimTrailing,
    InsertQuote,
    DeleteQuote,
    InsertComment,
    DeleteComment,
    DeleteNewlines,
};

struct LineReplacement {
    std::u16string pattern;      // a regular expression, case- and width-sensitive
    std::u16string replacement;  // a replacement template ("\1", "$&" ... expanded)
    bool wholeLines;             // the selection is first widened to whole lines
};

// rowComment is the language's first row-comment marker; the comment
// operations give nothing without one. The marker is matched and inserted
// exactly as it stands, whatever regex or template characters it holds.
std::optional<LineReplacement> LineReplacementFor(LineEdit edit, std::u16string_view rowComment = {});

// text as a pattern that matches exactly that text.
std::u16string EscapeRegexLiteral(std::u16string_view text);
// text as a replacement template that inserts exactly that text.
std::u16string EscapeReplacementTemplate(std::u16string_view text);

// The date-and-time insertion: "%H:%M %Y/%m/%d" of the given local time.
std::u16string FormatInsertedDateTime(const std::tm& local);
