// Line texts of a loaded file packed end to end in large chunks, with no
// block header or rounding per line: a file of short lines costs little more
// than its UTF-16 text. A line keeps its text here until it is first changed
// (capacity 0 and not the shared empty text); then it takes a block of its
// own. The chunks go all at once, when the buffer they belong to loads
// another file or dies.
#pragma once

#include <cstddef>

class CTextArena {
public:
    CTextArena() = default;
    ~CTextArena() { Release(); }
    CTextArena(const CTextArena&) = delete;
    CTextArena& operator=(const CTextArena&) = delete;

    // Room for units UTF-16 units, or null when memory is short.
    char16_t* Alloc(std::size_t units);
    // Frees every chunk: every text handed out becomes invalid.
    void Release();
    void Swap(CTextArena& other);
    // Bytes taken from the system.
    std::size_t ReservedBytes() const { return m_reserved; }

private:
    struct Chunk {
        Chunk* next;
    };
    Chunk* m_chunks = nullptr;
    char16_t* m_cursor = nullptr;
    char16_t* m_end = nullptr;
    std::size_t m_nextBytes = kFirstChunk;
    std::size_t m_reserved = 0;

    static constexpr std::size_t kFirstChunk = std::size_t(256) << 10;
    // Chunks double up to whole huge pages; a tail too small for the next
    // line stays unused, so the last chunk wastes at most one chunk's tail.
    static constexpr std::size_t kMaxChunk = std::size_t(8) << 20;
};
