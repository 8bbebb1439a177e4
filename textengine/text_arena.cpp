#include "textengine/text_arena.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "textengine/mpool.h"

namespace {

// Chunks above the usual sizes come in whole huge pages, as those do.
constexpr std::size_t kLargeStep = std::size_t(2) << 20;

// The 32-bit programs must not reserve what they may never use.
constexpr bool kWideAddresses = sizeof(void*) >= 8;

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

// A new chunk for an open text that needs room for `need` units, which
// moves there; the chunk it leaves is freed when it held nothing else.
bool CTextArena::Grow(std::size_t need, std::size_t atMost) {
    if (need > kMaxUnits || atMost > kMaxUnits) return false;
    const std::size_t needBytes = sizeof(Chunk) + need * sizeof(char16_t);
    const bool alone = m_chunks && m_open != 0 && m_cursor == reinterpret_cast<char16_t*>(m_chunks + 1);
    auto round = [](std::size_t bytes) { return (bytes + kLargeStep - 1) & ~(kLargeStep - 1); };
    const std::size_t most = atMost != 0 ? needBytes + atMost * sizeof(char16_t) : SIZE_MAX;
    // Sizes to try, best first: a usual chunk; for a line longer than that,
    // twice its size, never more than it can still become; and what it needs.
    std::size_t sizes[3] = {m_nextBytes, 0, needBytes};
    if (m_nextBytes < needBytes) sizes[0] = round(2 * needBytes < most ? 2 * needBytes : most);
    // A line that fills a chunk of its own is long: where address space is
    // plenty it takes at once all the room it can still use (pages are only
    // taken as they are written), so it is copied no more.
    if (alone && kWideAddresses && atMost != 0) {
        sizes[1] = sizes[0];
        sizes[0] = round(most);
    }
    Chunk* chunk = nullptr;
    std::size_t bytes = 0;
    for (std::size_t size : sizes) {
        if (size < needBytes) continue;
        chunk = static_cast<Chunk*>(mpool_system_alloc(size));
        if (chunk) {
            bytes = size;
            break;
        }
    }
    if (!chunk) return false;
    chunk->bytes = bytes;
    auto* text = reinterpret_cast<char16_t*>(chunk + 1);
    if (m_open != 0) std::memcpy(text, m_cursor, m_open * sizeof(char16_t));
    Chunk* old = m_chunks;
    if (alone) {
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
