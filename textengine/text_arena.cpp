#include "textengine/text_arena.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "textengine/mpool.h"

namespace {

// Chunks above the usual sizes come in whole huge pages, as those do.
constexpr std::size_t kLargeStep = std::size_t(2) << 20;

constexpr std::size_t kMaxUnits = (SIZE_MAX / 8) / sizeof(char16_t);

}  // namespace

bool CTextArena::Append(const char16_t* units, std::size_t n, std::size_t atMost) {
    if (n == 0) return true;
    if (n > kMaxUnits - m_open) return false;
    const std::size_t need = m_open + n + 1;  // and the NUL that Close writes
    if (static_cast<std::size_t>(m_end - m_cursor) < need && !Grow(need, atMost)) return false;
    std::memcpy(m_cursor + m_open, units, n * sizeof(char16_t));
    m_open += n;
    return true;
}

char16_t* CTextArena::Close() {
    if (m_open == 0) return nullptr;
    char16_t* text = m_cursor;
    text[m_open] = 0;
    m_cursor += m_open + 1;
    m_open = 0;
    return text;
}

// A new chunk for an open text that needs room for `need` units. A line that
// outgrows a usual chunk takes twice its size (within what it can still
// become), so a line of any length is copied about once in all; the chunk it
// leaves is freed when it held nothing else.
bool CTextArena::Grow(std::size_t need, std::size_t atMost) {
    if (need > kMaxUnits || atMost > kMaxUnits) return false;
    const std::size_t needBytes = sizeof(Chunk) + need * sizeof(char16_t);
    std::size_t bytes = m_nextBytes;
    if (bytes < needBytes) {
        bytes = 2 * needBytes;
        if (atMost != 0) {
            const std::size_t most = needBytes + atMost * sizeof(char16_t);
            if (most < bytes) bytes = most;
        }
        bytes = (bytes + kLargeStep - 1) & ~(kLargeStep - 1);
    }
    auto* chunk = static_cast<Chunk*>(mpool_system_alloc(bytes));
    if (!chunk && bytes > needBytes) {
        bytes = needBytes;
        chunk = static_cast<Chunk*>(mpool_system_alloc(bytes));
    }
    if (!chunk) return false;
    chunk->bytes = bytes;
    auto* text = reinterpret_cast<char16_t*>(chunk + 1);
    if (m_open != 0) std::memcpy(text, m_cursor, m_open * sizeof(char16_t));
    Chunk* old = m_chunks;
    if (old && m_open != 0 && m_cursor == reinterpret_cast<char16_t*>(old + 1)) {
        chunk->next = old->next;  // it held only the open text
        m_reserved -= old->bytes;
        mpool_system_free(old);
    } else {
        chunk->next = old;
    }
    m_chunks = chunk;
    m_reserved += bytes;
    m_cursor = text;
    m_end = reinterpret_cast<char16_t*>(reinterpret_cast<char*>(chunk) + bytes);
    if (m_nextBytes < kMaxChunk) m_nextBytes *= 2;
    return true;
}

void CTextArena::Release() {
    while (Chunk* chunk = m_chunks) {
        m_chunks = chunk->next;
        mpool_system_free(chunk);
    }
    m_cursor = m_end = nullptr;
    m_open = 0;
    m_nextBytes = kFirstChunk;
    m_reserved = 0;
}

void CTextArena::Swap(CTextArena& other) {
    std::swap(m_chunks, other.m_chunks);
    std::swap(m_cursor, other.m_cursor);
    std::swap(m_end, other.m_end);
    std::swap(m_open, other.m_open);
    std::swap(m_nextBytes, other.m_nextBytes);
    std::swap(m_reserved, other.m_reserved);
}
