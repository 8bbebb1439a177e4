#include "grep/engine/grep_lines.h"

#include <cstdint>

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

namespace {

// The lone CRs among a block's CRs: those whose next byte is no LF (the
// block's last byte looks at next, the byte after the block).
inline std::size_t LoneCrs(std::uint64_t cr, std::uint64_t lf, bool nextIsLf) {
    return std::size_t(__builtin_popcountll(cr & ~(lf >> 1 | std::uint64_t(nextIsLf) << 63)));
}

inline bool LfAt(const char* b, std::size_t size, std::size_t i) { return i < size && b[i] == '\n'; }

}  // namespace

// CountLineEnds counts the LFs of a block with vector adds and looks at its
// CRs only when it holds one, as most files have none or only CR LF.
#ifdef WENDREL_HAS_X86_EXTENSIONS
// Over whole 64-byte blocks from *at; moves *at past them.
__attribute__((target("avx2,popcnt"))) std::size_t CountLineEndsAvx2(const char* b, std::size_t size,
                                                                     std::size_t* at, std::size_t to) {
    const __m256i lf = _mm256_set1_epi8('\n'), cr = _mm256_set1_epi8('\r'), zero = _mm256_setzero_si256();
    std::size_t count = 0, i = *at;
    while (to - i >= 64) {
        // Each byte counter takes at most one a block: added up every 255.
        __m256i acc1 = zero, acc2 = zero;
        for (int k = 0; k < 255 && to - i >= 64; ++k, i += 64) {
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
            const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i + 32));
            const __m256i lx = _mm256_cmpeq_epi8(x, lf), ly = _mm256_cmpeq_epi8(y, lf);
            acc1 = _mm256_sub_epi8(acc1, lx);
            acc2 = _mm256_sub_epi8(acc2, ly);
            const __m256i cx = _mm256_cmpeq_epi8(x, cr), cy = _mm256_cmpeq_epi8(y, cr);
            const __m256i crs = _mm256_or_si256(cx, cy);
            if (!_mm256_testz_si256(crs, crs)) {
                const std::uint64_t crBits = std::uint64_t(unsigned(_mm256_movemask_epi8(cx))) |
                                             std::uint64_t(unsigned(_mm256_movemask_epi8(cy))) << 32;
                const std::uint64_t lfBits = std::uint64_t(unsigned(_mm256_movemask_epi8(lx))) |
                                             std::uint64_t(unsigned(_mm256_movemask_epi8(ly))) << 32;
                count += LoneCrs(crBits, lfBits, LfAt(b, size, i + 64));
            }
        }
        const __m256i sums = _mm256_add_epi64(_mm256_sad_epu8(acc1, zero), _mm256_sad_epu8(acc2, zero));
        const __m128i half = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
        count += std::size_t(unsigned(_mm_cvtsi128_si32(half))) +
                 std::size_t(unsigned(_mm_cvtsi128_si32(_mm_srli_si128(half, 8))));
    }
    // A short rest (the stretch between two hits often is one) from one
    // block read on past to, while the bytes last.
    if (i < to && size - i >= 64) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i + 32));
        const std::uint64_t lfBits = std::uint64_t(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(x, lf)))) |
                                     std::uint64_t(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(y, lf)))) << 32;
        const std::uint64_t crBits = std::uint64_t(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(x, cr)))) |
                                     std::uint64_t(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(y, cr)))) << 32;
        const std::uint64_t keep = (std::uint64_t(1) << (to - i)) - 1;
        count += std::size_t(__builtin_popcountll(lfBits & keep)) + LoneCrs(crBits & keep, lfBits, LfAt(b, size, i + 64));
        i = to;
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
    while (to - i >= 32) {
        __m128i acc1 = zero, acc2 = zero;
        for (int k = 0; k < 255 && to - i >= 32; ++k, i += 32) {
            const __m128i x = Load(b + i), y = Load(b + i + 16);
            const __m128i lx = _mm_cmpeq_epi8(x, lf), ly = _mm_cmpeq_epi8(y, lf);
            acc1 = _mm_sub_epi8(acc1, lx);
            acc2 = _mm_sub_epi8(acc2, ly);
            const __m128i cx = _mm_cmpeq_epi8(x, cr), cy = _mm_cmpeq_epi8(y, cr);
            if (_mm_movemask_epi8(_mm_or_si128(cx, cy))) {
                auto bits = [](__m128i lo, __m128i hi) {
                    return std::uint64_t(unsigned(_mm_movemask_epi8(lo)) | unsigned(_mm_movemask_epi8(hi)) << 16);
                };
                // 32 bits: the next byte's LF goes to bit 32, shifted into 31.
                const std::uint64_t lfs = bits(lx, ly) | std::uint64_t(LfAt(b, size, i + 32)) << 32;
                count += LoneCrs(bits(cx, cy), lfs, false);
            }
        }
        const __m128i sums = _mm_add_epi64(_mm_sad_epu8(acc1, zero), _mm_sad_epu8(acc2, zero));
        count += std::size_t(_mm_extract_epi16(sums, 0)) + std::size_t(_mm_extract_epi16(sums, 4));
    }
#endif
    for (; i < to; ++i) count += b[i] == '\n' || (b[i] == '\r' && !LfAt(b, size, i + 1));
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
