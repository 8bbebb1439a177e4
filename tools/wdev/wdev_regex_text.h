// Text in and out for the regex subcommands: files decoded with the text
// codec's encoding detection, arguments and output in UTF-8.
#pragma once

#include <cstdio>
#include <string>

#include "textengine/bytestream.h"
#include "textengine/kanjitextfile.h"

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

// Reads a file and decodes it in the encoding the codec detects. False when
// the file cannot be read.
inline bool read_text_file(const std::string& path, std::u16string* text) {
    CKanjiTextFile file;
    std::u16string wide = Utf8ToUtf16(path);
    if (!file.Open(wide.c_str(), "r")) return false;
    text->clear();
    size_t n = 0;
    while (const char16_t* chunk = file.ReadChunk(&n)) text->append(chunk, n);
    return !file.Failed();
}

}  // namespace wdev
