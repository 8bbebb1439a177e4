#include "grep/engine/grep_lines.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "textengine/cpu_features.h"
#ifdef WENDREL_HAS_X86_EXTENSIONS
#include <immintrin.h>
#endif

namespace {

inline bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

#ifdef __SSE2__
inline __m128i Load(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Bit i set where p[i] is CR or LF.
inline unsigned LineEndMask(const char* p) {
    const __m128i x = Load(p);
    return unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('\n')),
                                                   _mm_cmpeq_epi8(x, _mm_set1_epi8('\r')))));
}
#endif

}  // namespace

#ifdef WENDREL_HAS_X86_EXTENSIONS
// CountLineEnds over whole 32-byte blocks from *i; moves *i past them.
__attribute__((target("avx2"))) std::size_t CountLineEndsAvx2(const char* b, std::size_t size, std::size_t* at,
                                                              std::size_t to) {
    const __m256i lf = _mm256_set1_epi8('\n'), cr = _mm256_set1_epi8('\r'), zero = _mm256_setzero_si256();
    std::size_t count = 0, i = *at;
    while (to - i >= 32 && size - i >= 33) {
        __m256i acc = zero;
        for (int k = 0; k < 255 && to - i >= 32 && size - i >= 33; ++k, i += 32) {
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
            const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i + 1));
            const __m256i loneCr = _mm256_andnot_si256(_mm256_cmpeq_epi8(next, lf), _mm256_cmpeq_epi8(x, cr));
            acc = _mm256_sub_epi8(_mm256_sub_epi8(acc, _mm256_cmpeq_epi8(x, lf)), loneCr);
        }
        const __m256i sums = _mm256_sad_epu8(acc, zero);  // four sums, each far below 2^32
        const __m128i half = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
        count += std::size_t(unsigned(_mm_cvtsi128_si32(half))) +
                 std::size_t(unsigned(_mm_cvtsi128_si32(_mm_srli_si128(half, 8))));
    }
    *at = i;
    return count;
}
#endif

std::size_t CountLineEnds(const char* b, std::size_t size, std::size_t from, std::size_t to) {
    std::size_t count = 0, i = from;
#ifdef WENDREL_HAS_X86_EXTENSIONS
    if (CpuHasAvx2()) count += CountLineEndsAvx2(b, size, &i, to);
#endif
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), zero = _mm_setzero_si128();
    // Each block adds at most one to a byte counter: add them up every 255.
    while (to - i >= 16 && size - i >= 17) {
        __m128i acc = zero;
        for (int k = 0; k < 255 && to - i >= 16 && size - i >= 17; ++k, i += 16) {
            const __m128i x = Load(b + i);
            const __m128i loneCr = _mm_andnot_si128(_mm_cmpeq_epi8(Load(b + i + 1), lf), _mm_cmpeq_epi8(x, cr));
            acc = _mm_sub_epi8(_mm_sub_epi8(acc, _mm_cmpeq_epi8(x, lf)), loneCr);
        }
        const __m128i sums = _mm_sad_epu8(acc, zero);
        count += std::size_t(_mm_extract_epi16(sums, 0)) + std::size_t(_mm_extract_epi16(sums, 4));
    }
#endif
    for (; i < to; ++i)
        count += b[i] == '\n' || (b[i] == '\r' && !(i + 1 < size && b[i + 1] == '\n'));
    return count;
}

std::size_t LineStartOf(const char* b, std::size_t floor, std::size_t at) {
    std::size_t hi = at;
#ifdef __SSE2__
    while (hi - floor >= 16) {
        hi -= 16;
        if (const unsigned mask = LineEndMask(b + hi)) return hi + (31 - unsigned(__builtin_clz(mask))) + 1;
    }
#endif
    while (hi > floor)
        if (IsLineEnd(b[--hi])) return hi + 1;
    return floor;
}

std::size_t LineEndFrom(const char* b, std::size_t size, std::size_t at) {
    std::size_t i = at;
#ifdef __SSE2__
    for (; size - i >= 16; i += 16)
        if (const unsigned mask = LineEndMask(b + i)) return i + unsigned(__builtin_ctz(mask));
#endif
    while (i < size && !IsLineEnd(b[i])) ++i;
    return i;
}
