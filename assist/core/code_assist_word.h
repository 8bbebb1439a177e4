// The word the completion list follows: from the word edge found when the
// list opened to the end of what has been typed since, on one line. An
// accepted candidate replaces all of it, so what was typed before the list
// opened is not kept in front of the candidate.
#pragma once

#include <string_view>

class CCodeAssistWord {
public:
    // The word runs from start to caret on line, whose length is lineLength.
    void Open(int line, int start, int caret, int lineLength);
    void Close() { m_open = false; }
    bool IsOpen() const { return m_open; }

    // After a caret move: a length change of the word's line (lineLength,
    // -1 when the line is gone) moves the word's end by as much. False when
    // the caret is off the word and the list is to close.
    bool FollowCaret(int caretLine, int caretCol, int lineLength);

    // The word's text in the word's line (lineText), "" when empty or closed.
    std::u16string_view Text(std::u16string_view lineText) const;
    // The columns an accepted candidate replaces, the end cut to the line.
    void ReplaceRange(int lineLength, int* start, int* end) const;

    int Line() const { return m_line; }
    int Start() const { return m_start; }
    int End() const { return m_end; }

private:
    bool m_open = false;
    int m_line = 0;
    int m_start = 0;
    int m_end = 0;
    int m_lineLength = 0;
};

// Where the list goes: under the word's line, or above it when the work
// area ends above the list's bottom. The scroll bar's width counts only when
// there are more rows than the list shows.
struct CodeAssistListRect {
    int x, y, width, height;
};
struct CodeAssistPlacement {
    int x = 0;           // screen x of the list's left edge
    int y = 0;           // screen y just under the word's line
    int lineHeight = 0;  // of the word's line
    int workBottom = 0;  // the work area's bottom
};
inline constexpr int kCodeAssistVisibleRows = 10;
CodeAssistListRect PlaceCodeAssistList(const CodeAssistPlacement& at, int rows, int rowHeight, int columnsWidth,
                                       int scrollBarWidth);
