// Line texts of a loaded file packed end to end in large chunks, with no
// block header or rounding per line: a file of short lines costs little more
// than its UTF-16 text. A line keeps its text here until it is first changed
// (capacity 0 and not the shared empty text); then it takes a block of its
// own. The chunks go all at once, when the buffer they belong to loads
// another file or dies.
//
// A line is built where it will stay, at the free end of the newest chunk,
// while its end is still unread: pieces are appended to the open text, and
// Close hands it out. A line too long for the chunk moves to a new one.
#pragma once

#include <cstddef>

class CTextArena {
public:
    CTextArena() = default;
    ~CTextArena() { Release(); }
    CTextArena(const CTextArena&) = delete;
    CTextArena& operator=(const CTextArena&) = delete;

    // Appends n units to the open text; false when memory is short (the open
    // text stays as it was). atMost, when not 0, is how many more units the
    // text can grow by at most, after these: the bound keeps a long line
    // from taking room it can never use.
    bool Append(const char16_t* units, std::size_t n, std::size_t atMost = 0);
    // Units in the open text.
    std::size_t OpenLength() const { return m_open; }
    // Ends the open text with a NUL and hands it out; null when it is empty
    // (nothing is taken then).
    char16_t* Close();
    // Frees every chunk: every text handed out becomes invalid.
    void Release();
    void Swap(CTextArena& other);
    // Bytes taken from the system.
    std::size_t ReservedBytes() const { return m_reserved; }

private:
    struct Chunk {
        Chunk* next;
        std::size_t bytes;
    };
    bool Grow(std::size_t units, std::size_t atMost);

    Chunk* m_chunks = nullptr;
    char16_t* m_cursor = nullptr;  // the open text begins here
    char16_t* m_end = nullptr;
    std::size_t m_open = 0;
    std::size_t m_nextBytes = kFirstChunk;
    std::size_t m_reserved = 0;

    static constexpr std::size_t kFirstChunk = std::size_t(256) << 10;
    // Chunks double up to whole huge pages; a tail too small for the next
    // line stays unused, so the last chunk wastes at most one chunk's tail.
    static constexpr std::size_t kMaxChunk = std::size_t(8) << 20;
};
