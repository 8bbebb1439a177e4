// Line ends in a file's raw bytes, as the grep worker counts them: LF, CR LF
// (one end) and a lone CR. The scans take 16 bytes at a time.
#pragma once

#include <cstddef>

// The line ends in [from, to) of bytes[0, size). A CR ends a line unless an
// LF follows it, which then ends the line (so CR LF counts once, at the LF).
std::size_t CountLineEnds(const char* bytes, std::size_t size, std::size_t from, std::size_t to);

// The start of the line that holds bytes[at], looking no further back than
// floor (itself a line start).
std::size_t LineStartOf(const char* bytes, std::size_t floor, std::size_t at);

// The first CR or LF at or after at, or size.
std::size_t LineEndFrom(const char* bytes, std::size_t size, std::size_t at);
