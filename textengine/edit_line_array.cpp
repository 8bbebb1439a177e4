#include "textengine/edit_line_array.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "textengine/mpool.h"

CEditLineArray::~CEditLineArray() { std::free(m_items); }

void CEditLineArray::MoveGap(int at) {
    const int gap = m_gapEnd - m_gapStart;
    if (gap == 0) {
        m_gapStart = m_gapEnd = at;
        return;
    }
    if (at < m_gapStart) {
        const int n = m_gapStart - at;
        std::memmove(m_items + m_gapEnd - n, m_items + at, std::size_t(n) * sizeof(CEditLine*));
        std::memset(m_items + at, 0, std::size_t(n < gap ? n : gap) * sizeof(CEditLine*));
    } else if (at > m_gapStart) {
        const int n = at - m_gapStart;
        std::memmove(m_items + m_gapStart, m_items + m_gapEnd, std::size_t(n) * sizeof(CEditLine*));
        std::memset(m_items + m_gapEnd + n - (n < gap ? n : gap), 0, std::size_t(n < gap ? n : gap) * sizeof(CEditLine*));
    }
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
    mpool_advise_sequential(items, std::size_t(cap) * sizeof(CEditLine*), false);
    MoveGap(m_count);
    if (m_count) std::memcpy(items, m_items, std::size_t(m_count) * sizeof(CEditLine*));
    std::free(m_items);
    m_items = items;
    m_capacity = int(cap);
    m_gapStart = m_count;
    m_gapEnd = m_capacity;
    return 0;
}

int CEditLineArray::Insert(int at, CEditLine* const* records, int n) {
    if (n <= 0) return 0;
    if (Reserve(n) != 0) return 1;
    MoveGap(at);
    std::memcpy(m_items + m_gapStart, records, std::size_t(n) * sizeof(CEditLine*));
    m_gapStart += n;
    m_count += n;
    return 0;
}

void CEditLineArray::Remove(int at, int n) {
    if (n <= 0) return;
    MoveGap(at + n);
    std::memset(m_items + at, 0, std::size_t(n) * sizeof(CEditLine*));
    m_gapStart = at;
    m_count -= n;
}

void CEditLineArray::Swap(CEditLineArray& other) {
    std::swap(m_items, other.m_items);
    std::swap(m_count, other.m_count);
    std::swap(m_capacity, other.m_capacity);
    std::swap(m_gapStart, other.m_gapStart);
    std::swap(m_gapEnd, other.m_gapEnd);
}

void CEditLineArray::RemoveAll() {
    if (m_items) std::memset(m_items, 0, std::size_t(m_capacity) * sizeof(CEditLine*));
    m_count = 0;
    m_gapStart = 0;
    m_gapEnd = m_capacity;
}
