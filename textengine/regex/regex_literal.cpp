// The literal searcher: sixteen starts at a time on the first and last units
// where AVX2 runs, eight where SSE2 runs, then (and on short texts) Sunday's
// shift over the whole UTF-16 unit range.
// The case-insensitive kind folds each text unit as it reads it (the block
// scans compare with both cases of a letter instead), so a search never
// copies the text.
#include <cstring>
#include <new>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include "textengine/cpu_features.h"
#ifdef WENDREL_HAS_X86_EXTENSIONS
#include <immintrin.h>
#endif

#include "textengine/regex/regex_internal.h"

namespace {

inline char16_t fold_unit(char16_t u) {
    if ((u >= 'A' && u <= 'Z') || (u >= 0xFF21 && u <= 0xFF3A)) return char16_t(u + 32);
    return u;
}

// A hit must not split a surrogate pair at either end.
inline bool splits_pair(const char16_t* text, int n, int q, int m) {
    return (q > 0 && regex_high_surrogate(text[q - 1]) && regex_low_surrogate(text[q])) ||
           (regex_high_surrogate(text[q + m - 1]) && q + m < n && regex_low_surrogate(text[q + m]));
}

// The unit that folds to a folded unit u besides u itself (u when none).
inline char16_t other_case(char16_t u) {
    if ((u >= 'a' && u <= 'z') || (u >= 0xFF41 && u <= 0xFF5A)) return char16_t(u - 32);
    return u;
}

// Whether the start c, whose first and last units the block scan passed,
// holds the whole pattern.
template <bool ICase>
inline bool confirm(const LiteralSearcher* ls, const char16_t* text, int n, int c) {
    const int m = ls->length;
    const char16_t* pat = ls->pattern;
    int j = 1;
    for (; j < m - 1; ++j) {
        char16_t t = text[c + j];
        if (ICase) t = fold_unit(t);
        if (t != pat[j]) break;
    }
    return j >= m - 1 && !splits_pair(text, n, c, m);
}

#ifdef WENDREL_HAS_X86_EXTENSIONS
// Sixteen starts at a time; as find_in_blocks below.
template <bool ICase>
__attribute__((target("avx2"))) int find_in_blocks_avx2(const LiteralSearcher* ls, const char16_t* text, int n,
                                                        int* q) {
    const int m = ls->length;
    const char16_t* pat = ls->pattern;
    const __m256i first = _mm256_set1_epi16(short(pat[0])), last = _mm256_set1_epi16(short(pat[m - 1]));
    const __m256i first2 = _mm256_set1_epi16(short(other_case(pat[0])));
    const __m256i last2 = _mm256_set1_epi16(short(other_case(pat[m - 1])));
    int at = *q;
    for (; at <= n - m - 15; at += 16) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + at));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + at + m - 1));
        __m256i ea = _mm256_cmpeq_epi16(a, first), eb = _mm256_cmpeq_epi16(b, last);
        if (ICase) {
            ea = _mm256_or_si256(ea, _mm256_cmpeq_epi16(a, first2));
            eb = _mm256_or_si256(eb, _mm256_cmpeq_epi16(b, last2));
        }
        unsigned mask = unsigned(_mm256_movemask_epi8(_mm256_and_si256(ea, eb)));
        for (mask &= 0x55555555u; mask; mask &= mask - 1) {
            const int c = at + __builtin_ctz(mask) / 2;
            if (confirm<ICase>(ls, text, n, c)) return c;
        }
    }
    *q = at;
    return -1;
}
#endif

#ifdef __SSE2__
// Eight starts at a time tested on the pattern's first and last units (in
// either case for ICase), each survivor then in full; *q is left at the
// first start not covered.
template <bool ICase>
int find_in_blocks(const LiteralSearcher* ls, const char16_t* text, int n, int* q) {
    const int m = ls->length;
    const char16_t* pat = ls->pattern;
    const __m128i first = _mm_set1_epi16(short(pat[0])), last = _mm_set1_epi16(short(pat[m - 1]));
    const __m128i first2 = _mm_set1_epi16(short(other_case(pat[0])));
    const __m128i last2 = _mm_set1_epi16(short(other_case(pat[m - 1])));
    int at = *q;
    for (; at <= n - m - 7; at += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at + m - 1));
        __m128i ea = _mm_cmpeq_epi16(a, first), eb = _mm_cmpeq_epi16(b, last);
        if (ICase) {
            ea = _mm_or_si128(ea, _mm_cmpeq_epi16(a, first2));
            eb = _mm_or_si128(eb, _mm_cmpeq_epi16(b, last2));
        }
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(ea, eb)));
        for (mask &= 0x5555; mask; mask &= mask - 1) {
            const int c = at + __builtin_ctz(mask) / 2;
            if (confirm<ICase>(ls, text, n, c)) return c;
        }
    }
    *q = at;
    return -1;
}
#endif

template <bool ICase>
int find_impl(const LiteralSearcher* ls, const char16_t* text, int n, int from) {
    const int m = ls->length;
    const char16_t* pat = ls->pattern;
    const char16_t last = pat[m - 1];
    int q = from;
    // (Short texts, as most lines are, skip the wide scan's setup.)
#ifdef WENDREL_HAS_X86_EXTENSIONS
    if (n - q >= m + 63 && CpuHasAvx2()) {
        if (int hit = find_in_blocks_avx2<ICase>(ls, text, n, &q); hit >= 0) return hit;
    }
#endif
#ifdef __SSE2__
    if (n - q >= m + 7) {
        if (int hit = find_in_blocks<ICase>(ls, text, n, &q); hit >= 0) return hit;
    }
#endif
    while (q <= n - m) {
        char16_t u = text[q + m - 1];
        if (ICase) u = fold_unit(u);
        if (u == last) {
            int j = m - 2;
            while (j >= 0) {
                char16_t t = text[q + j];
                if (ICase) t = fold_unit(t);
                if (t != pat[j]) break;
                --j;
            }
            if (j < 0 && !splits_pair(text, n, q, m)) return q;
        }
        // Shift by the unit just after the window (the terminator gives 1).
        if (q + m >= n) {
            ++q;
            continue;
        }
        char16_t after = text[q + m];
        if (ICase) after = fold_unit(after);
        q += ls->shift[after];
    }
    return -1;
}

}  // namespace

LiteralSearcher* literal_searcher_new(const char16_t* text, int length, bool icase) {
    if (length <= 0) return nullptr;
    auto* ls = new (std::nothrow) LiteralSearcher;
    if (!ls) return nullptr;
    ls->pattern = new (std::nothrow) char16_t[size_t(length) + 1];
    if (!ls->pattern) {
        delete ls;
        return nullptr;
    }
    ls->icase = icase;
    ls->length = length;
    for (int i = 0; i < length; ++i) ls->pattern[i] = icase ? fold_unit(text[i]) : text[i];
    ls->pattern[length] = 0;
    // Sunday's variant: the shift is decided by the unit after the window.
    const uint8_t full = uint8_t(length + 1 > 255 ? 255 : length + 1);
    std::memset(ls->shift, full, sizeof ls->shift);
    for (int j = 0; j < length; ++j) {
        int s = length - j;
        ls->shift[ls->pattern[j]] = uint8_t(s > 255 ? 255 : s);
    }
    ls->shift[0] = 1;
    return ls;
}

void literal_searcher_free(LiteralSearcher* ls) {
    if (!ls) return;
    delete[] ls->pattern;
    delete ls;
}

int literal_searcher_find(const LiteralSearcher* ls, const char16_t* text, int n, int from) {
    if (!ls || ls->length == 0 || n - from < ls->length) return -1;
    return ls->icase ? find_impl<true>(ls, text, n, from) : find_impl<false>(ls, text, n, from);
}
