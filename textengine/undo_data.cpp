#include "textengine/undo_data.h"

#include <cstdlib>
#include <cstring>

#include "textengine/platform_hooks.h"

// Undo texts are small and short-lived: 1 KiB chunks, blocks above 512 bytes
// taken one by one.
constinit MPool UndoTextPool(64, 64);
constinit CMemPool UndoRecordPool(sizeof(UndoRecord), 128);

namespace {
constexpr int kRingStep = 64;
constexpr int kFirstTextBytes = 64;
}  // namespace

CUndoData::CUndoData(int maxGroups) : m_maxGroups(maxGroups < 2 ? 2 : maxGroups) {
    Grow(m_maxGroups < kRingStep ? m_maxGroups : kRingStep);
}

CUndoData::~CUndoData() { FreeAll(); }

UndoRecord* CUndoData::AllocRecord(int serial, int kind) {
    auto* rec = static_cast<UndoRecord*>(UndoRecordPool.Alloc());
    if (rec) *rec = {serial, kind, 0, 0, 0, 0, nullptr, nullptr, nullptr};
    return rec;
}

void CUndoData::FreeRecords(UndoRecord* oldest) {
    while (oldest) {
        UndoRecord* next = oldest->next;
        mpool_free(oldest->text);
        UndoRecordPool.Free(oldest);
        oldest = next;
    }
}

void CUndoData::FreeChain(int entry) {
    if (entry < 0 || entry >= m_allocated || !m_ring[entry]) return;
    FreeRecords(m_ring[entry]);
    m_ring[entry] = nullptr;
}

void CUndoData::FreeAll() {
    for (int i = 0; i < m_allocated; ++i) FreeChain(i);
    FreeRecords(m_lazyHead);  // outside the ring until its group ends
    m_lazyHead = m_lazyTail = nullptr;
    mpool_system_free(m_ring);
    m_ring = nullptr;
    m_allocated = 0;
    m_current = nullptr;
}

int CUndoData::Grow(int entries) {
    if (entries < 1) entries = 1;
    for (int i = entries; i < m_allocated; ++i) FreeChain(i);  // a smaller ring drops what it no longer holds
    auto* ring = static_cast<UndoRecord**>(mpool_system_alloc(std::size_t(entries) * sizeof(UndoRecord*)));
    if (!ring) {
        te_memory_short(TextEngineShortage::UndoHistory);
        return 1;
    }
    const int keep = m_allocated < entries ? m_allocated : entries;
    if (keep) std::memcpy(ring, m_ring, std::size_t(keep) * sizeof(UndoRecord*));
    for (int i = keep; i < entries; ++i) ring[i] = nullptr;
    mpool_system_free(m_ring);
    m_ring = ring;
    m_allocated = entries;
    return 0;
}

void CUndoData::Reset() {
    FreeAll();
    m_top = m_serial = m_openKind = m_depth = 0;
    m_baseSerial = 0;
    Grow(m_maxGroups < kRingStep ? m_maxGroups : kRingStep);
}

// Makes the entry behind the top a fresh group with the given head: 0 or 1.
int CUndoData::OpenEntry(int serial, UndoRecord* head) {
    const int top = Next(m_top);
    const int behind = Next(top);
    if (behind >= m_allocated || top >= m_allocated) {
        // Grow by at least 64 entries and by half again, so that a long
        // session does not copy the ring over and over.
        const long long need = (long long)(behind > top ? behind : top) + 1;
        long long want = (long long)m_allocated + (m_allocated / 2 > kRingStep ? m_allocated / 2 : kRingStep);
        if (want < need) want = need + kRingStep;
        if (want > m_maxGroups) want = m_maxGroups;
        if (Grow(int(want)) != 0) return 1;
    }
    const int now = Entry(m_top) ? Entry(m_top)->serial : m_baseSerial;
    // Everything that could be redone goes, however far it reaches.
    for (int i = top, n = 0; n < m_maxGroups && Entry(i) && Entry(i)->serial > now; i = Next(i), ++n)
        FreeChain(i);
    // A full ring loses its oldest group; the text keeps that group's change.
    if (UndoRecord* oldest = Entry(behind)) {
        if (oldest->serial <= now) m_baseSerial = oldest->serial;
        FreeChain(behind);
    }
    FreeChain(top);
    m_top = top;
    m_ring[top] = head;
    head->serial = serial;
    return 0;
}

int CUndoData::NewRecord(int kind, int force) {
    UndoRecord* rec;
    // Inside a lazily begun group records go to its chain, even when an undo
    // in the meantime moved the current record back into the ring.
    UndoRecord* chain = m_depth > 0 && m_lazyHead ? m_lazyTail : m_current;
    if ((m_depth > 0 || force) && chain) {
        rec = AllocRecord(chain->serial, kind);
        if (!rec) return 1;
        UndoRecord* tail = chain;
        while (tail->next) tail = tail->next;
        tail->next = rec;
        rec->prev = tail;
    } else {
        rec = AllocRecord(0, kind);
        if (!rec) return 1;
        if (OpenEntry(m_serial + 1, rec) != 0) {
            UndoRecordPool.Free(rec);
            return 1;
        }
        ++m_serial;
    }
    if (m_lazyHead && rec->prev == m_lazyTail) m_lazyTail = rec;
    m_current = rec;
    m_openKind = kind;
    return 0;
}

void CUndoData::BeginGroup(int lazy) {
    if (!lazy || m_depth > 0) {
        NewRecord(UndoKindGroup, 0);
    } else {
        UndoRecord* head = AllocRecord(m_serial + 1, UndoKindGroup);
        if (head) {
            ++m_serial;
            head->length = 1;  // not in the ring yet
            m_current = m_lazyHead = m_lazyTail = head;
        }
        m_openKind = 0;
    }
    ++m_depth;
}

void CUndoData::EndGroup() {
    if (m_depth <= 0) return;
    if (--m_depth > 0) return;
    UndoRecord* head = m_lazyHead ? m_lazyHead : m_current;
    if (!head) return;
    while (head->prev) head = head->prev;
    // A group whose records change no text (markers, caret positions, empty
    // texts) is not worth an undo step.
    bool empty = true;
    for (UndoRecord* r = head; r && empty; r = r->next)
        empty = r->kind == UndoKindGroup || r->kind == UndoKindCaret ||
                (r->kind != UndoKindSwap && r->length == 0);
    const bool lazy = head == m_lazyHead;
    m_lazyHead = m_lazyTail = nullptr;
    if (empty) {
        if (lazy) {
            FreeRecords(head);
        } else {
            m_top = Prev(m_top);
            FreeChain(Next(m_top));
        }
        m_current = Entry(m_top);
        m_openKind = 0;
        return;
    }
    if (lazy) {
        // The group has its serial since BeginGroup; its records enter the
        // ring now under that serial.
        head->length = 0;
        if (OpenEntry(head->serial, head) != 0) {
            FreeRecords(head);
            m_current = Entry(m_top);
            return;
        }
        UndoRecord* tail = head;
        while (tail->next) tail = tail->next;
        m_current = tail;
    }
}

int CUndoData::SetRecordCapacity(int bytes) {
    UndoRecord* rec = m_current;
    if (!rec) return 1;
    if (bytes <= 0) bytes = 32;
    auto* text = static_cast<char16_t*>(mpool_alloc(&UndoTextPool, std::size_t(bytes)));
    if (!text) return 1;
    const int granted = int(mpool_block_size(text));
    int keep = rec->length * int(sizeof(char16_t));
    if (keep > granted) {
        keep = granted;
        rec->length = granted / int(sizeof(char16_t));
    }
    if (rec->text) {
        std::memcpy(text, rec->text, std::size_t(keep));
        mpool_free(rec->text);
    }
    rec->text = text;
    rec->capacity = granted;
    return 0;
}

int CUndoData::AppendRecordText(const char16_t* text, int count) {
    UndoRecord* rec = m_current;
    if (!rec) return 1;
    if (count < 0) {
        count = 0;
        while (text[count]) ++count;
    }
    if (count == 0) return 0;
    const long long need = (long long)(rec->length + count) * sizeof(char16_t);
    if (need >= rec->capacity) {
        long long cap = rec->capacity ? rec->capacity : kFirstTextBytes;
        while (cap <= need) cap *= 2;
        if (cap > 0x7FFFFFFF || SetRecordCapacity(int(cap)) != 0) return 1;
    }
    std::memcpy(rec->text + rec->length, text, std::size_t(count) * sizeof(char16_t));
    rec->length += count;
    return 0;
}
