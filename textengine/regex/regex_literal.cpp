// The literal searcher: Horspool's shift over the whole UTF-16 unit range.
// The case-insensitive kind folds each text unit as it reads it, so a search
// never copies the text.
#include <cstring>
#include <new>

#include "textengine/regex/regex_internal.h"

namespace {

inline char16_t fold_unit(char16_t u) {
    if ((u >= 'A' && u <= 'Z') || (u >= 0xFF21 && u <= 0xFF3A)) return char16_t(u + 32);
    return u;
}

template <bool ICase>
int find_impl(const LiteralSearcher* ls, const char16_t* text, int n, int from) {
    const int m = ls->length;
    const char16_t* pat = ls->pattern;
    const char16_t last = pat[m - 1];
    int q = from;
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
            // A hit must not split a surrogate pair at either end.
            if (j < 0 && !(q > 0 && regex_high_surrogate(text[q - 1]) && regex_low_surrogate(text[q])) &&
                !(regex_high_surrogate(text[q + m - 1]) && q + m < n && regex_low_surrogate(text[q + m])))
                return q;
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
