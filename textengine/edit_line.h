// One line of a text buffer and the pools its records and texts live in.
#pragma once

#include "textengine/mempool.h"
#include "textengine/mpool.h"

// Line texts and row-start arrays: chunks double from 256 KiB to 8 MiB.
extern MPool LineTextPool;

// One record per line, kept small: a file of short lines pays it once a line.
// What the layout measures (widths, rows, row starts) lives with the layout.
struct CEditLine {
    enum : int {
        FlagInBlockComment = 0x1,  // the line begins inside a block comment
        FlagInTag = 0x4,           // the line begins inside a markup tag
        FlagTextChanged = 0x8,     // text changed since the line was last measured
        FlagBookmark = 0x10,       // the user marked the line
    };

    char16_t* text;     // NUL-terminated; the shared empty string until first written, or a
                        // loaded file's text (text_arena.h) until first changed
    int capacity;       // bytes of the line's own text block; 0 while the text is not its own
    int length;         // UTF-16 units including the terminator
    int flags;
    int changeMark;     // serial of the undo group that first changed it since the save; -1 none

    // A fresh empty record from LineRecordPool, or null when memory is short.
    static CEditLine* Create();
    // The same for a caller that holds MPoolLock.
    static CEditLine* CreateLocked();
    // Frees the text and the record.
    static void Destroy(CEditLine* line);
    // The shared read-only empty record (stands for every line outside the text).
    static CEditLine* Dummy();

    int Length() const { return length - 1; }
    bool IsSharedText() const;
    // The unit at index is a high surrogate (index within the text).
    bool IsLeadSurrogateAt(int index) const;

    // Makes the text block hold bytes: 0, or 1 (text untouched) when the
    // block can't be had.
    int SetCapacity(int bytes);
    // Inserts count units before unit at: 0, or 1 when memory is short.
    int InsertChars(int at, const char16_t* chars, int count);
    // Removes count units at at; gives back spare room beyond 128 bytes.
    int DeleteChars(int at, int count);
};

// Five words in the 32-bit build, three in the 64-bit one.
static_assert(sizeof(void*) != 4 || sizeof(CEditLine) == 20);
static_assert(sizeof(void*) != 8 || sizeof(CEditLine) == 24);

extern CMemPool LineRecordPool;
