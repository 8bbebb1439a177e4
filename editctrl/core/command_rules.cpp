#include "editctrl/core/command_rules.h"

#include <algorithm>
#include <climits>

#include "textengine/utf16.h"

int LineStartColumn(const char16_t* text, int length, int caretColumn, bool always) {
    if (always) return 0;
    int first = 0;
    while (first < length && (text[first] == u'\t' || text[first] == u' ' || text[first] == 0x3000)) ++first;
    // Home toggles between the first non-blank and column 0.
    return caretColumn == first && caretColumn != 0 ? 0 : first;
}

void SelectedLineSpan(EditPos start, EditPos end, int& first, int& last) {
    first = start.line;
    last = end.line;
    if (last > first && end.column == 0) --last;
}

int FindBookmarkLine(const CEditData& data, int from, int to, int step) {
    if (step != 1 && step != -1) return -1;
    const int count = data.GetLineCount();
    for (int line = from; step > 0 ? line <= to : line >= to; line += step) {
        if (line < 0 || line >= count) {
            if ((step > 0) == (line >= count)) break;  // walked off the text
            continue;
        }
        if (data.GetLineFlags(line, kLineFlagBookmark)) return line;
    }
    return -1;
}

WrapGeometry WrapForWindow(int clientWidth, int leftMargin, int rightMargin, int charWidth, bool breakAdjust) {
    charWidth = std::max(charWidth, 1);
    const int columns = std::max((clientWidth - rightMargin - leftMargin) / charWidth - (breakAdjust ? 3 : 1), 20);
    const long long width = static_cast<long long>(columns) * charWidth;
    return WrapGeometry{columns, width > 0 && width < INT_MAX ? static_cast<int>(width) : 400};
}

WrapGeometry WrapForColumns(int columns, int charWidth) {
    if (columns <= 0 || columns == INT_MAX) columns = 80;
    const long long width = static_cast<long long>(columns) * charWidth;
    return WrapGeometry{columns, width > 0 && width < INT_MAX ? static_cast<int>(width) : 400};
}

std::u16string UnindentPattern(int tabSize, bool box) {
    std::u16string p = box ? u"\\=^" : u"^";
    p += u"((\\t)|( {1,";
    for (char c : std::to_string(std::max(tabSize, 1))) p += static_cast<char16_t>(c);
    p += u"}))";
    return p;
}

int ColumnFromDisplayColumn(std::u16string_view text, int displayColumn, int tabSize,
                            bool (*isWide)(char32_t cp, void* user), void* user) {
    if (displayColumn < 1) return 0;
    tabSize = std::max(tabSize, 1);
    int sum = 0;
    std::size_t at = 0;
    while (at < text.size() && sum < displayColumn) {
        const char32_t cp = at + 1 < text.size() || !utf16_is_high_surrogate(text[at])
                                ? utf16_get_code_point(text.data() + at)
                                : char32_t(text[at]);
        sum = cp == u'\t' ? (sum / tabSize + 1) * tabSize : sum + (isWide && isWide(cp, user) ? 2 : 1);
        at += cp >= 0x10000 ? 2 : 1;
    }
    return static_cast<int>(at);
}

bool IsUrlScheme(std::u16string_view text) {
    for (std::u16string_view scheme : {u"http://", u"https://", u"ftp://", u"www."})
        if (text.substr(0, scheme.size()) == scheme) return true;
    return false;
}

bool LinkRangeAt(const LineAttrItem* items, int count, int column, int& start, int& end) {
    if (!items || column < 0 || column >= count || !(items[column].flags & kAttrLink)) return false;
    start = column;
    while (start > 0 && (items[start - 1].flags & kAttrLink)) --start;
    end = column;
    while (end < count && (items[end].flags & kAttrLink)) ++end;
    return true;
}
