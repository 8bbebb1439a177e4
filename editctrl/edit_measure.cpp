#include "editctrl/edit_measure.h"
#include "textengine/utf16.h"

char32_t CodePointAt(const char16_t* text, int n, int i, int* units) {
    return utf16_decode(text, std::size_t(i), std::size_t(n), units);
}
