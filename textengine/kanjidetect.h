// Guessing the encoding of a text from its first bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "textengine/kanjicode.h"

// Bytes the encoding guess looks at.
constexpr size_t kDetectBytes = 65536;

// The KanjiCode of bytes[0, n): signatures, JIS escapes, UTF-16 without
// signature, then the multibyte guess; pure 7-bit text keeps defaultCode
// (a UTF-16 default becomes Shift_JIS). An empty text gives defaultCode.
KanjiCode DetectKanjiCode(const uint8_t* bytes, size_t n, KanjiCode defaultCode);

// The multibyte guess alone: SJIS, UTF8NoSig, EUC or Detect when no
// candidate scored. A text of kDetectBytes or more is taken as cut at the
// read limit and its last four bytes are not judged; a shorter one is the
// whole file and every byte counts.
KanjiCode DetectCharCode(const uint8_t* bytes, size_t n);

// The weight the guess gives a character frequent in Japanese prose, by its
// bytes in each encoding; 0 for any other character.
int FrequentCharWeightSjis(uint8_t lead, uint8_t trail);
int FrequentCharWeightEuc(uint8_t lead, uint8_t trail);
int FrequentCharWeightUtf8(uint8_t lead, uint8_t trail1, uint8_t trail2);
