#include "textengine/kanjidetect_blocks.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifdef WENDREL_HAS_X86_EXTENSIONS
#include <immintrin.h>
#endif

#ifdef __SSE2__
size_t PassSjisBlocks(const uint8_t* p, size_t n, size_t i, size_t* failed) {
    const __m128i bias = _mm_set1_epi8(char(0x80));
    // Unsigned comparisons through the sign bit: x ^ 0x80 as signed.
    auto below = [&](__m128i x, int v) {
        return _mm_cmplt_epi8(_mm_xor_si128(x, bias), _mm_set1_epi8(char(v ^ 0x80)));
    };
    auto inRange = [&](__m128i x, int lo, int hi) {
        return _mm_andnot_si128(below(x, lo), below(x, hi + 1));
    };
    size_t resume = i;
    for (; n - i >= 21; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
        const __m128i lead = _mm_or_si128(inRange(x, 0x81, 0x9F), inRange(x, 0xE0, 0xFC));
        const __m128i cannotTrail = _mm_or_si128(below(next, 0x40), _mm_cmpeq_epi8(next, _mm_set1_epi8(0x7F)));
        const __m128i bad = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(x, bias), _mm_cmpeq_epi8(x, _mm_setzero_si128())),
            _mm_or_si128(_mm_andnot_si128(below(x, 0xFD), _mm_set1_epi8(-1)), _mm_and_si128(lead, cannotTrail)));
        if (const unsigned stop = unsigned(_mm_movemask_epi8(bad))) {
            *failed = i + unsigned(__builtin_ctz(stop));
            return resume;
        }
        if (const unsigned low = unsigned(_mm_movemask_epi8(below(x, 0x40))))
            resume = i + (31 - size_t(__builtin_clz(low))) + 1;
    }
    *failed = i;
    return resume;
}

size_t PassUtf8Blocks(const uint8_t* p, size_t n, bool& threeByte) {
    // Bytes from 0xC0 (0xE0, ...) up are those above -65 (-33, ...) as
    // signed numbers that also have the high bit.
    auto above = [](__m128i x, int v) {
        return uint32_t(_mm_movemask_epi8(_mm_cmpgt_epi8(x, _mm_set1_epi8(char(v)))));
    };
    size_t i = 0;
    uint32_t carry = 0;  // continuation bytes wanted at the block's start
    uint32_t lastLeads = 0, threeBytes = 0;
    for (; n - i >= 20; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const uint32_t high = uint32_t(_mm_movemask_epi8(x));
        const uint32_t c0 = above(x, -65) & high, e0 = above(x, -33) & high, f0 = above(x, -17) & high;
        const uint32_t nul = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_setzero_si128())));
        const uint32_t bad = (above(x, -9) & high) | nul;
        const uint32_t cont = high & ~c0;
        const uint32_t lead3 = e0 & ~f0, lead34 = e0, leads = c0;
        const uint32_t wanted = leads << 1 | lead34 << 2 | f0 << 3;
        if (bad || ((wanted & 0xFFFF) | carry) != cont) break;
        threeBytes |= lead3;
        carry = wanted >> 16;
        lastLeads = leads;
    }
    threeByte |= threeBytes != 0;
    // A sequence left open (only the last block taken can leave one) is
    // read again from its lead.
    return carry ? i - 16 + 31 - size_t(__builtin_clz(lastLeads)) : i;
}
#endif

#ifdef WENDREL_HAS_X86_EXTENSIONS
__attribute__((target("avx2"))) size_t PassUtf8BlocksAvx2(const uint8_t* p, size_t n, bool& threeByte) {
    const __m256i m65 = _mm256_set1_epi8(-65), m33 = _mm256_set1_epi8(-33), m17 = _mm256_set1_epi8(-17);
    const __m256i m9 = _mm256_set1_epi8(-9), zero = _mm256_setzero_si256();
#define ABOVE(x, k) uint64_t(uint32_t(_mm256_movemask_epi8(_mm256_cmpgt_epi8(x, k))))
    size_t i = 0;
    uint64_t carry = 0, lastLeads = 0, threeBytes = 0;
    for (; n - i >= 36; i += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        const uint64_t high = uint32_t(_mm256_movemask_epi8(x));
        const uint64_t c0 = ABOVE(x, m65) & high, e0 = ABOVE(x, m33) & high, f0 = ABOVE(x, m17) & high;
        const uint64_t bad = (ABOVE(x, m9) & high) | uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(x, zero)));
        const uint64_t cont = high & ~c0;
        const uint64_t wanted = c0 << 1 | e0 << 2 | f0 << 3;
        if (bad || ((wanted & 0xFFFFFFFFu) | carry) != cont) break;
        threeBytes |= e0 & ~f0;
        carry = wanted >> 32;
        lastLeads = c0;
    }
#undef ABOVE
    threeByte |= threeBytes != 0;
    // Only the last block taken can leave a sequence open.
    return carry ? i - 32 + 63 - size_t(__builtin_clzll(lastLeads)) : i;
}
#endif

#ifdef WENDREL_HAS_X86_EXTENSIONS
__attribute__((target("avx2"))) size_t PassUtf8ChunksAvx2(const uint8_t* p, size_t n, bool& threeByte) {
    constexpr size_t kChunk = 256;
    const __m256i zero = _mm256_setzero_si256();
    const __m256i after2 = _mm256_set1_epi8(char(0xBF)), after3 = _mm256_set1_epi8(char(0xDF));
    const __m256i after4 = _mm256_set1_epi8(char(0xEF)), badFrom = _mm256_set1_epi8(char(0xF6));
    const __m256i allOnes = _mm256_set1_epi8(-1);
    const __m256i contTop = _mm256_set1_epi8(-64), lead3Floor = _mm256_set1_epi8(-33);
    const __m256i lead3Top = _mm256_set1_epi8(-16);
    __m256i prev = zero;  // the block before (none at the start)
    bool seenThree = false;  // a three-byte lead in the chunks taken: no need to look for more
    size_t i = 0;
    for (; n - i >= kChunk + 4; i += kChunk) {
        __m256i errors = zero, chunkThrees = zero, last = prev;
        for (size_t k = 0; k < kChunk; k += 32) {
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + k));
            // The bytes one, two and three places back, across the blocks.
            const __m256i joined = _mm256_permute2x128_si256(last, x, 0x21);
            const __m256i back1 = _mm256_alignr_epi8(x, joined, 15), back2 = _mm256_alignr_epi8(x, joined, 14);
            const __m256i back3 = _mm256_alignr_epi8(x, joined, 13);
            // A continuation byte is wanted after a lead of two bytes or more,
            // two after one of three or more, three after one of four.
            const __m256i wanted = _mm256_or_si256(
                _mm256_or_si256(_mm256_subs_epu8(back1, after2), _mm256_subs_epu8(back2, after3)),
                _mm256_subs_epu8(back3, after4));
            const __m256i free = _mm256_cmpeq_epi8(wanted, zero);
            const __m256i cont = _mm256_cmpgt_epi8(contTop, x);  // 0x80-0xBF
            // NUL and 0xF8-0xFF are the bytes from 0xF7 up once one is taken off.
            const __m256i bad = _mm256_subs_epu8(_mm256_add_epi8(x, allOnes), badFrom);
            errors = _mm256_or_si256(errors, _mm256_or_si256(_mm256_cmpeq_epi8(cont, free), bad));
            if (!seenThree)
                chunkThrees = _mm256_or_si256(
                    chunkThrees, _mm256_and_si256(_mm256_cmpgt_epi8(x, lead3Floor), _mm256_cmpgt_epi8(lead3Top, x)));
            last = x;
        }
        if (!_mm256_testz_si256(errors, errors)) break;
        seenThree = seenThree || !_mm256_testz_si256(chunkThrees, chunkThrees);
        prev = last;
    }
    threeByte |= seenThree;
    // Back to the start of a sequence the last chunk taken may have left open.
    while (i > 0 && (p[i] & 0xC0) == 0x80) --i;
    return i;
}
#endif
