#include "editctrl/line_attr_cache.h"

#include <cstdlib>
#include <cstring>

#include "textengine/edit_data.h"

CLineAttrCache::CLineAttrCache(const CEditData* owner) : owner_(owner), slots_(1) {}

CLineAttrCache::~CLineAttrCache() { FreeSlots(); }

void CLineAttrCache::FreeSlots() {
    for (LineAttrSlot& slot : slots_) std::free(slot.items);
    slots_.clear();
}

LineAttrSlot* CLineAttrCache::Get(int line) {
    if (line < 0 || line >= owner_->GetLineCount()) return nullptr;
    LineAttrSlot& slot = slots_[static_cast<size_t>(line) % slots_.size()];
    const CEditLine* record = owner_->GetLine(line);
    if (slot.line != line || slot.record != record || (record->flags & CEditLine::FlagTextChanged)) return nullptr;
    return &slot;
}

LineAttrSlot* CLineAttrCache::Allocate(int line) {
    LineAttrSlot& slot = slots_[static_cast<size_t>(line < 0 ? 0 : line) % slots_.size()];
    const int count = line >= 0 && line < owner_->GetLineCount() ? owner_->GetLineLength(line) : 1;
    slot.line = -1;
    slot.record = nullptr;
    if (count >= slot.capacity) {
        // Whole blocks of 1024 items, always one item beyond the text.
        const int capacity = (count + 1) / 1024 * 1024 + 1024;
        void* items = std::realloc(slot.items, static_cast<size_t>(capacity) * sizeof(LineAttrItem));
        if (!items) return nullptr;
        slot.items = static_cast<LineAttrItem*>(items);
        slot.capacity = capacity;
    }
    // The end-of-line item too: no mark of an earlier, longer line shows
    // past this one's text.
    std::memset(slot.items, 0, static_cast<size_t>(count + 1) * sizeof(LineAttrItem));
    slot.count = count;
    return &slot;
}

void CLineAttrCache::Validate(LineAttrSlot* slot, int line) {
    if (line < 0 || line >= owner_->GetLineCount()) return;
    CEditLine* record = owner_->GetLine(line);
    slot->line = line;
    slot->record = record;
    record->flags &= ~CEditLine::FlagTextChanged;
}

void CLineAttrCache::Clear() {
    for (LineAttrSlot& slot : slots_) {
        slot.line = -1;
        slot.count = -1;
        slot.record = nullptr;
    }
}

void CLineAttrCache::Resize(int n) {
    FreeSlots();
    slots_.resize(static_cast<size_t>(n < 1 ? 1 : n));
}
