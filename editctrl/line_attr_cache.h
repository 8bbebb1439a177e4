// Per-character colour and mark attributes of recently drawn lines, so that
// painting does not re-tokenise unchanged lines. Direct-mapped: line i uses
// slot i mod n; a slot is valid only for the line index and the line record
// it was filled for while the record's text-changed flag stays clear, so an
// inserted or deleted line never reuses a stale slot.
#pragma once

#include <cstdint>
#include <vector>

class CEditData;
struct CEditLine;

// The attribute of one UTF-16 unit (and of the end of the line behind the
// last one).
struct LineAttrItem {
    uint32_t color;   // COLORREF from the colour table
    uint8_t kind;     // LineAttrKind
    uint8_t flags;    // LineAttrFlag bits
    uint16_t reserved;
};
static_assert(sizeof(LineAttrItem) == 8, "one attribute is two 32-bit words");

enum LineAttrKind : uint8_t {
    kAttrOrdinary = 0,
    kAttrTab = 1,
    kAttrFullWidthSpace = 2,
    kAttrLineEnd = 3,
    kAttrSpace = 4,
};

enum LineAttrFlag : uint8_t {
    kAttrSelected = 0x01,
    kAttrSearchHit = 0x02,
    kAttrLink = 0x04,
    kAttrBoldBracket = 0x08,
};

struct LineAttrSlot {
    int capacity = 0;               // items allocated
    LineAttrItem* items = nullptr;
    const CEditLine* record = nullptr;  // the line record it was filled for
    int line = -1;                  // the line index it was filled for; -1 = none
    int count = -1;                 // units of the line (the end item is items[count])
};

class CLineAttrCache {
public:
    explicit CLineAttrCache(const CEditData* owner);
    ~CLineAttrCache();
    CLineAttrCache(const CLineAttrCache&) = delete;
    CLineAttrCache& operator=(const CLineAttrCache&) = delete;

    // The slot filled for this line if it is still valid, else null.
    LineAttrSlot* Get(int line);
    // The line's slot emptied for filling: count items and the end item
    // zeroed, line index -1 until the caller stores line and record. Null
    // when memory is short.
    LineAttrSlot* Allocate(int line);
    // Marks a filled slot as describing the line's current record and clears
    // the record's text-changed flag.
    void Validate(LineAttrSlot* slot, int line);
    // Forgets every slot's line (the arrays stay).
    void Clear();
    // Frees all slots and makes n fresh ones (at least one).
    void Resize(int n);
    int GetSlotCount() const { return static_cast<int>(slots_.size()); }

private:
    void FreeSlots();

    const CEditData* owner_;
    std::vector<LineAttrSlot> slots_;
};
