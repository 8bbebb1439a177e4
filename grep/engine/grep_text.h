// One file's text as the grep worker searches it: decoded to UTF-16 in one
// buffer whose line ends are turned into terminators, so every line is a
// NUL-terminated text the regex engine reads in place.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "textengine/kanjicode.h"
#include "textengine/regex_line_host.h"

class GrepText {
public:
    // Decodes bytes known to be in code, without a signature. Lines end at
    // CR LF, LF or CR; the text after the last line end is one more (maybe
    // empty) line.
    void DecodeRange(const char* bytes, std::size_t size, KanjiCode code);
    // One line: bytes known to hold no line end. A NUL reads as a blank,
    // as in DecodeRange.
    void DecodeLine(const char* bytes, std::size_t size, KanjiCode code);
    // The encoding a file is read in (Detect guesses) and its signature's size.
    static KanjiCode ResolveCode(std::string_view bytes, KanjiCode code, std::size_t* skip);

    int LineCount() const { return int(starts_.size()); }
    const char16_t* LineText(int line, int* length) const {
        *length = lengths_[std::size_t(line)];
        return units_.get() + starts_[std::size_t(line)];
    }

private:
    // Decodes into units_ with a terminator behind: the units written.
    std::size_t DecodeUnits(const char* bytes, std::size_t size, KanjiCode code);

    std::unique_ptr<char16_t[]> units_;  // not cleared between files
    std::size_t capacity_ = 0;
    std::vector<int> starts_;
    std::vector<int> lengths_;
};

inline RegexTextOps RegexLineOps(const GrepText& text) { return RegexLineHost<GrepText>::Make(&text); }
