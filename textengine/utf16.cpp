#include "textengine/utf16.h"

namespace {

inline char32_t fold_ascii(char32_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

template <bool Fold>
int compare(const char16_t* a, const char16_t* b) {
    for (;;) {
        char32_t ca = utf16_get_code_point(a);
        char32_t cb = utf16_get_code_point(b);
        if (Fold) {
            ca = fold_ascii(ca);
            cb = fold_ascii(cb);
        }
        if (ca != cb) return int(ca) - int(cb);
        if (ca == 0) return 0;
        a += utf16_units_at(a);
        b += utf16_units_at(b);
    }
}

}  // namespace

int utf16_compare(const char16_t* a, const char16_t* b) { return compare<false>(a, b); }

int utf16_compare_ascii_nocase(const char16_t* a, const char16_t* b) { return compare<true>(a, b); }
