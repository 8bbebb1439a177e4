#include "editctrl/edit_measure.h"

char32_t CodePointAt(const char16_t* text, int n, int i, int* units) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
        *units = 2;
        return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    }
    *units = 1;
    return c;
}
