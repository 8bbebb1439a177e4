// The block passes of encoding detection: they take 16 or 32 bytes at a time
// where the byte-by-byte scorers would find nothing to object to, and hand
// back a place where those scorers go on. Used by kanjidetect.cpp only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "textengine/cpu_features.h"

#ifdef __SSE2__
// Shift_JIS from the character start i: 16-byte blocks that keep the rules
// however their bytes pair up (no 0x80, 0xFD-0xFF or NUL, and no byte of a
// lead's range followed by one that can't trail: below 0x40, or 0x7F), all
// more than four bytes from the end. Returns a character start to go on
// from: just past the last byte below 0x40 in the blocks taken, which can
// only stand alone, or i when there is none. *failed is the first byte the
// blocks could not pass, or where they ended.
size_t PassSjisBlocks(const uint8_t* p, size_t n, size_t i, size_t* failed);

// UTF-8 from a sequence start: 16-byte blocks of valid sequences (no NUL),
// the continuation bytes a sequence still wants carried into the next block,
// all more than four bytes from the end. Returns the sequence start the byte
// scan goes on from; sets threeByte when a three-byte sequence was passed.
size_t PassUtf8Blocks(const uint8_t* p, size_t n, bool& threeByte);
#endif

#ifdef WENDREL_HAS_X86_EXTENSIONS
// PassUtf8Blocks with 32-byte blocks, where AVX2 runs.
size_t PassUtf8BlocksAvx2(const uint8_t* p, size_t n, bool& threeByte);
// The same from the text's start in chunks of 256 bytes, each tested whole
// with vector operations alone (every byte against the leads up to three
// places before it); stops before the first chunk that breaks a rule and
// backs off to the sequence start the block passes go on from.
size_t PassUtf8ChunksAvx2(const uint8_t* p, size_t n, bool& threeByte);
#endif
