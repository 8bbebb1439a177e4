#include "textengine/edit_line_array.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "textengine/mpool.h"

namespace {

// Moves the gap of one pointer array from gapStart to at; the slots the gap
// leaves behind are zeroed, so a fresh slot is always null.
template <class T>
void MoveGapOf(T** items, int gapStart, int gap, int at) {
    if (at < gapStart) {
        const int n = gapStart - at;
        std::memmove(items + at + gap, items + at, std::size_t(n) * sizeof(T*));
        std::memset(items + at, 0, std::size_t(n < gap ? n : gap) * sizeof(T*));
    } else if (at > gapStart) {
        const int n = at - gapStart;
        std::memmove(items + gapStart, items + gapStart + gap, std::size_t(n) * sizeof(T*));
        std::memset(items + gapStart + gap + n - (n < gap ? n : gap), 0, std::size_t(n < gap ? n : gap) * sizeof(T*));
    }
}

}  // namespace

CEditLineArray::~CEditLineArray() {
    DropWraps();
    std::free(m_items);
}

void CEditLineArray::MoveGap(int at) {
    if (at == m_gapStart) return;
    const int gap = m_gapEnd - m_gapStart;
    if (gap == 0) {
        m_gapStart = m_gapEnd = at;
        return;
    }
    MoveGapOf(m_items, m_gapStart, gap, at);
    if (m_wraps) MoveGapOf(m_wraps, m_gapStart, gap, at);
    m_gapStart = at;
    m_gapEnd = at + gap;
}

int CEditLineArray::Reserve(int n) {
    if (m_count + n + 5 < m_capacity) return 0;
    long long cap = m_capacity ? m_capacity : kInitialCapacity;
    while (m_count + n + 5 >= cap) cap = cap < 0x100000 ? cap * 2 : cap + 0x100000;
    if (cap > 0x7FFFFFFF) return 1;
    // A fresh zeroed array: the slots beyond the lines are not touched until
    // used, which matters when a big file's line count was estimated high.
    auto* items = static_cast<CEditLine**>(std::calloc(std::size_t(cap), sizeof(CEditLine*)));
    if (!items) return 1;
    int** wraps = nullptr;
    if (m_wraps && !(wraps = static_cast<int**>(std::calloc(std::size_t(cap), sizeof(int*))))) {
        std::free(items);
        return 1;
    }
    mpool_advise_sequential(items, std::size_t(cap) * sizeof(CEditLine*), false);
    MoveGap(m_count);
    if (m_count) std::memcpy(items, m_items, std::size_t(m_count) * sizeof(CEditLine*));
    if (wraps && m_count) std::memcpy(wraps, m_wraps, std::size_t(m_count) * sizeof(int*));
    std::free(m_items);
    std::free(m_wraps);
    m_items = items;
    m_wraps = wraps;
    m_capacity = int(cap);
    m_gapStart = m_count;
    m_gapEnd = m_capacity;
    return 0;
}

int CEditLineArray::Insert(int at, CEditLine* const* records, int n) {
    if (n <= 0) return 0;
    if (Reserve(n) != 0) return 1;
    ++m_generation;
    MoveGap(at);
    std::memcpy(m_items + m_gapStart, records, std::size_t(n) * sizeof(CEditLine*));
    m_gapStart += n;
    m_count += n;
    return 0;
}

void CEditLineArray::FreeWraps(int from, int to) {
    if (!m_wraps) return;
    for (int i = from; i < to; ++i) {
        mpool_free(m_wraps[i]);
        m_wraps[i] = nullptr;
    }
}

void CEditLineArray::Remove(int at, int n) {
    if (n <= 0) return;
    ++m_generation;
    MoveGap(at + n);
    std::memset(m_items + at, 0, std::size_t(n) * sizeof(CEditLine*));
    FreeWraps(at, at + n);
    m_gapStart = at;
    m_count -= n;
}

void CEditLineArray::Swap(CEditLineArray& other) {
    ++m_generation;  // each array's own count goes on: neither equals what it was
    ++other.m_generation;
    std::swap(m_items, other.m_items);
    std::swap(m_wraps, other.m_wraps);
    std::swap(m_count, other.m_count);
    std::swap(m_capacity, other.m_capacity);
    std::swap(m_gapStart, other.m_gapStart);
    std::swap(m_gapEnd, other.m_gapEnd);
}

void CEditLineArray::RemoveAll() {
    ++m_generation;
    if (m_items) std::memset(m_items, 0, std::size_t(m_capacity) * sizeof(CEditLine*));
    FreeWraps(0, m_capacity);
    m_count = 0;
    m_gapStart = 0;
    m_gapEnd = m_capacity;
}

void CEditLineArray::SwapLines(int a, int b) {
    ++m_generation;
    std::swap(m_items[Index(a)], m_items[Index(b)]);
    if (m_wraps) std::swap(m_wraps[Index(a)], m_wraps[Index(b)]);
}

int CEditLineArray::Reorder(int first, int count, const int* from) {
    if (count <= 0) return 0;
    std::vector<CEditLine*> records;
    std::vector<int*> wraps;
    try {
        records.resize(std::size_t(count));
        if (m_wraps) wraps.resize(std::size_t(count));
    } catch (const std::bad_alloc&) {
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        records[std::size_t(i)] = At(first + i);
        if (m_wraps) wraps[std::size_t(i)] = WrapsAt(first + i);
    }
    ++m_generation;
    for (int i = 0; i < count; ++i) {
        m_items[Index(first + i)] = records[std::size_t(from[i])];
        if (m_wraps) m_wraps[Index(first + i)] = wraps[std::size_t(from[i])];
    }
    return 0;
}

bool CEditLineArray::SetWraps(int i, int* block) {
    if (!m_wraps) {
        if (!block) return true;
        m_wraps = static_cast<int**>(std::calloc(std::size_t(m_capacity), sizeof(int*)));
        if (!m_wraps) return false;
    }
    m_wraps[Index(i)] = block;
    return true;
}

void CEditLineArray::DropWraps() {
    FreeWraps(0, m_capacity);
    std::free(m_wraps);
    m_wraps = nullptr;
}
