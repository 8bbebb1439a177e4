// Layout support shared by the buffer and its display data: the width table
// and measuring source, the syntax class cache of a drawing pass, and the
// option bits of the line-state update.
#pragma once

#include <cstdlib>

#include "textengine/text_metrics.h"

class CSyntaxRules;

// One line as the layout cut it into display rows.
struct LineRows {
    const char16_t* text;
    int length;          // units, without the terminator
    int count;           // rows; 1 when the line is not wrapped
    const int* starts;   // the starts of the count - 1 rows after the first; null when none

    // First unit of a row, and the unit after its last.
    int Start(int row) const { return row <= 0 ? 0 : row >= count || !starts ? length : starts[row - 1]; }
    int End(int row) const { return row + 1 < count ? Start(row + 1) : length; }
};

// Syntax classes of a character (CEditData::GetCharClass).
enum CharClass : int {
    CharClassCode = 1,
    CharClassBlockComment = 2,
    CharClassLineComment = 3,
    CharClassClaimed = 4,  // inside a token the language measures itself (quoted text)
};

// Options of CEditData::UpdateLineStates.
enum LineStateOption : int {
    LineStateSkip = 0x80,  // colouring is off: nothing to track
    LineStateTags = 0x100, // also track markup tags ('<' ... '>')
};

// The classes of one line, filled up to the furthest position asked during
// one drawing pass and reused for the positions after it.
class CCharClassCache {
public:
    CCharClassCache() = default;
    ~CCharClassCache() {
        if (m_classes != m_inline) std::free(m_classes);
    }
    CCharClassCache(const CCharClassCache&) = delete;
    CCharClassCache& operator=(const CCharClassCache&) = delete;

    // Forgets the line (after an edit).
    void Reset() { m_line = -1; }

private:
    friend class CEditData;
    // Room for n classes: 1024 bytes on the heap first, then doubling.
    bool Reserve(int n);

    unsigned char m_inline[256];
    unsigned char* m_classes = m_inline;
    int m_capacity = int(sizeof(m_inline));
    int m_line = -1;
    int m_filled = 0;
    const char16_t* m_text = nullptr;
    int m_state = CharClassCode;
};
