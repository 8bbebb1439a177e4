// UTF-16 to UTF-8 for test messages (the syntax tests' texts are all BMP).
#pragma once

#include <string>

inline std::string Narrow(std::u16string_view s) {
    std::string out;
    for (char16_t u : s) {
        if (u < 0x80) {
            out += char(u);
        } else if (u < 0x800) {
            out += char(0xC0 | (u >> 6));
            out += char(0x80 | (u & 0x3F));
        } else {
            out += char(0xE0 | (u >> 12));
            out += char(0x80 | ((u >> 6) & 0x3F));
            out += char(0x80 | (u & 0x3F));
        }
    }
    return out;
}
