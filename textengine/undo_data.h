// The undo store of one text buffer: a ring of groups, each a chain of
// records that say what one user action changed. The buffer fills and
// replays it (CEditData::Undo / Redo); the store also yields the change
// serial behind the modified state and the line change marks.
#pragma once

#include <climits>

#include "textengine/invariant.h"
#include "textengine/mempool.h"
#include "textengine/mpool.h"

extern MPool UndoTextPool;
extern CMemPool UndoRecordPool;

enum UndoKind : int {
    UndoKindGroup = 0,      // group head or nesting marker; nothing to replay
    UndoKindInsert = 1,     // text inserted at the position
    UndoKindBackspace = 2,  // units removed before the caret, nearest first; position = caret after
    UndoKindDelete = 3,     // text removed at or after the position
    UndoKindCaret = 4,      // caret marker
    UndoKindSwap = 5,       // lines `line` and `column` swapped
    UndoKindLineOrder = 6,  // a line sort: line = first line, text = the new order
    UndoKindLineTexts = 7,  // line texts exchanged: text = per line its index and length (2 units each), then its other text
    UndoKindLineRuns = 8,   // whole lines deleted: text = per line (ascending) its index and length, then its text
};

// A line break inside recorded text is stored as one CR.
struct UndoRecord {
    int serial;
    int kind;
    int line;
    int column;
    int length;        // UTF-16 units; 1 on a lazily begun head not yet in the ring
    int capacity;      // bytes of text
    char16_t* text;    // from UndoTextPool; not NUL-terminated while recording
    UndoRecord* next;  // newer
    UndoRecord* prev;  // older
};

// The 32-bit product keeps the record at nine words.
static_assert(sizeof(void*) != 4 || sizeof(UndoRecord) == 36);

class CUndoData {
public:
    static constexpr int kDefaultGroups = 2;  // one undoable group
    static constexpr int kUnlimited = INT_MAX;

    explicit CUndoData(int maxGroups = kDefaultGroups);
    ~CUndoData();
    CUndoData(const CUndoData&) = delete;
    CUndoData& operator=(const CUndoData&) = delete;

    // Opens a record: inside a group (or with force) chained behind the
    // current one, else as a new ring entry. 0, or 1 when memory is short.
    // The caller writes the position into the record.
    int NewRecord(int kind, int force);
    void BeginGroup(int lazy);
    void EndGroup();
    // Appends units to the current record (count -1: up to the NUL): 0 or 1.
    int AppendRecordText(const char16_t* text, int count);
    // Moves the current record's text to a block of bytes (0: 32): 0 or 1.
    int SetRecordCapacity(int bytes);
    void FreeChain(int entry);
    void FreeAll();
    // Reallocates the ring to entries: 0, or 1 after telling the user.
    int Grow(int entries);
    // Empties the store, keeping its maximum.
    void Reset();

    UndoRecord* GetCurrentRecord() const { return m_current; }
    // Serial of the state the text is in now.
    int GetCurrentSerial() const { return m_current ? m_current->serial : m_baseSerial; }
    int GetOpenKind() const { return m_openKind; }
    void SetOpenKind(int kind) { m_openKind = kind; }
    void CloseCoalescing() { m_openKind = 0; }
    int GetGroupDepth() const { return m_depth; }
    int GetMaxGroups() const { return m_maxGroups; }
    bool CanUndo() const { return (m_lazyHead ? Entry(m_top) : m_current) != nullptr; }
    bool CanRedo() const { return Entry(Next(m_top)) != nullptr; }

private:
    friend class CEditData;

    static UndoRecord* AllocRecord(int serial, int kind);
    static void FreeRecords(UndoRecord* oldest);
    int Next(int i) const { return i + 1 >= m_maxGroups ? 0 : i + 1; }
    int Prev(int i) const { return i == 0 ? m_maxGroups - 1 : i - 1; }
    UndoRecord* Entry(int i) const {
        WENDREL_ASSERT(i >= 0 && i < m_maxGroups);
        return i < m_allocated ? m_ring[i] : nullptr;
    }
    int OpenEntry(int serial, UndoRecord* head);
    void DropEntry(int entry);

    int m_top = 0;
    int m_serial = 0;
    int m_maxGroups;
    int m_allocated = 0;
    int m_openKind = 0;
    int m_depth = 0;
    UndoRecord* m_current = nullptr;
    UndoRecord** m_ring = nullptr;
    // Serial of the text when no group is left to undo: 0 at first, then the
    // newest group that fell out of a full ring.
    int m_baseSerial = 0;
    UndoRecord* m_lazyHead = nullptr;  // head of a lazily begun group not yet in the ring
    UndoRecord* m_lazyTail = nullptr;  // its newest record
};

// Closes a group when the scope ends, also on an early return or exception.
class CUndoGroupGuard {
public:
    CUndoGroupGuard(CUndoData* store, int lazy) : m_store(store), m_armed(store != nullptr) {
        if (m_store) m_store->BeginGroup(lazy);
    }
    ~CUndoGroupGuard() { Release(); }
    CUndoGroupGuard(const CUndoGroupGuard&) = delete;
    CUndoGroupGuard& operator=(const CUndoGroupGuard&) = delete;
    // Closes the group now.
    void Release() {
        if (m_armed && m_store) m_store->EndGroup();
        m_armed = false;
    }

private:
    CUndoData* m_store;
    bool m_armed;
};
