// Text in and out for the regex subcommands: files decoded to UTF-16 (byte
// order marks, then UTF-8), arguments and output in UTF-8.
#pragma once

#include <cstdio>
#include <string>

// With the text file codec in the tree, files are read with its encoding
// detection (Shift_JIS, EUC-JP, JIS, UTF-8, UTF-16).
#if __has_include("textengine/kanjitextfile.h")
#include "textengine/kanjitextfile.h"
#define WDEV_HAVE_KANJI_TEXT_FILE 1
#endif

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace wdev {

// The output formats are exact: no CR added before LF on Windows.
inline void binary_stdout() {
#ifdef _WIN32
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

inline std::u16string utf8_to_u16(const std::string& s, bool* ok = nullptr) {
    std::u16string out;
    if (ok) *ok = true;
    for (size_t i = 0; i < s.size();) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool good = extra >= 0 && i + size_t(extra) < s.size() + (extra == 0 ? 1 : 0);
        for (int k = 1; good && k <= extra; ++k) {
            unsigned char t = static_cast<unsigned char>(s[i + size_t(k)]);
            if ((t & 0xC0) != 0x80) good = false;
            c = (c << 6) | (t & 0x3F);
        }
        if (!good || c > 0x10FFFF) {
            if (ok) *ok = false;
            out += char16_t(0xFFFD);
            ++i;
            continue;
        }
        i += size_t(extra) + 1;
        if (c >= 0x10000) {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

inline std::string u16_to_utf8(const char16_t* s, size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
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

inline std::string u16_to_utf8(const std::u16string& s) { return u16_to_utf8(s.data(), s.size()); }

// Reads a file and decodes it: a UTF-16 or UTF-8 byte order mark decides,
// else UTF-16 when every other byte is zero, else UTF-8. False when the
// file cannot be read.
inline bool read_text_file(const std::string& path, std::u16string* text) {
#ifdef WDEV_HAVE_KANJI_TEXT_FILE
    CKanjiTextFile file;
    std::u16string wide = utf8_to_u16(path);
    if (!file.Open(wide.c_str(), "r")) return false;
    text->clear();
    size_t n = 0;
    while (const char16_t* chunk = file.ReadChunk(&n)) text->append(chunk, n);
    return !file.Failed();
#else
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::string bytes;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
    auto utf16 = [&](size_t from, bool big) {
        text->clear();
        for (size_t i = from; i + 1 < bytes.size(); i += 2) {
            unsigned a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
            text->push_back(char16_t(big ? (a << 8 | b) : (b << 8 | a)));
        }
    };
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        utf16(2, false);
    } else if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
        utf16(2, true);
    } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        *text = utf8_to_u16(bytes.substr(3));
    } else {
        // No mark: mostly-ASCII UTF-16 shows zero bytes on one side.
        size_t zero_odd = 0, zero_even = 0, sample = bytes.size() < 4096 ? bytes.size() : 4096;
        for (size_t i = 0; i < sample; ++i)
            if (bytes[i] == 0) ++(i % 2 ? zero_odd : zero_even);
        if (sample >= 2 && zero_odd > sample / 4)
            utf16(0, false);
        else if (sample >= 2 && zero_even > sample / 4)
            utf16(0, true);
        else
            *text = utf8_to_u16(bytes);
    }
    return true;
#endif
}

}  // namespace wdev
