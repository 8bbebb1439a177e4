// Helpers shared by the regex tests: UTF-8 in, UTF-16 to the engine.
#pragma once

#include <string>

#include "textengine/regex/regex.h"

inline std::u16string u16(const char* utf8) {
    std::u16string out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
        char32_t c;
        if (*p < 0x80) {
            c = *p++;
        } else if ((*p & 0xE0) == 0xC0) {
            c = char32_t(*p++ & 0x1F) << 6;
            c |= *p++ & 0x3F;
        } else if ((*p & 0xF0) == 0xE0) {
            c = char32_t(*p++ & 0x0F) << 12;
            c |= char32_t(*p++ & 0x3F) << 6;
            c |= *p++ & 0x3F;
        } else {
            c = char32_t(*p++ & 0x07) << 18;
            c |= char32_t(*p++ & 0x3F) << 12;
            c |= char32_t(*p++ & 0x3F) << 6;
            c |= *p++ & 0x3F;
        }
        if (c >= 0x10000) {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

inline std::string u8(const std::u16string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

struct RegexPtr {
    CompiledRegex* re;
    explicit RegexPtr(CompiledRegex* r) : re(r) {}
    ~RegexPtr() { regex_free(re); }
    RegexPtr(const RegexPtr&) = delete;
    RegexPtr& operator=(const RegexPtr&) = delete;
    CompiledRegex* get() const { return re; }
    explicit operator bool() const { return re != nullptr; }
};
