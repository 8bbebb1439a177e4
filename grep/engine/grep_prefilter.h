// A quick test on a file's raw bytes that tells when the file cannot hold a
// match, so most files of a search are never decoded. It looks for a text
// that every match must contain, in the form it takes in the encoding the
// file is read in. A file without that needle cannot match.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "textengine/kanjicode.h"

class GrepPrefilter {
public:
    // code: the encoding the files are read in (Detect: guessed per file).
    void Build(const std::u16string& searchText, bool regex, bool ignoreCase, bool ignoreWidth, KanjiCode code);
    bool Active() const { return !needles_.empty(); }

    // Every match lies on one line: a file can then be searched a block of
    // lines at a time, and line by line from the needle's places alone.
    bool LineLocal() const { return lineLocal_; }
    // The next place of the needle in code's form at or after from; npos when
    // none, or when code has no form (then the file takes the full path:
    // HasForm tells).
    bool HasForm(KanjiCode code) const { return NeedleFor(code) != nullptr; }
    std::size_t FindFrom(KanjiCode code, std::string_view bytes, std::size_t from) const;
    // Whether a line that holds the needle in code's form matches, with no
    // further test: a plain text, its case kept, in UTF-8, where a needle
    // can only sit on character starts.
    bool Exact(KanjiCode code) const { return exact_ && IsUtf8Form(code) && NeedleFor(code); }
    // Whether a NUL, which a file's text reads as a blank, could stand where
    // the needle in code's form has one: only then must a file with NULs
    // take the full path.
    bool NulsMatter(KanjiCode code) const {
        const Needle* n = NeedleFor(code);
        return n && n->bytes.find(' ') != std::string::npos;
    }

    // The text every match of a regex must contain: its longest run of plain
    // characters that no quantifier makes optional; empty when the pattern
    // is not simple enough to tell.
    static std::u16string RequiredText(const std::u16string& pattern);
    // Whether no match of the search text can reach beyond its line.
    static bool LineLocalText(const std::u16string& text, bool regex);

private:
    struct Needle {
        std::string bytes;
        std::array<unsigned char, 256> shift;
        std::vector<KanjiCode> codes;
        // The two places whose bytes are least common in Japanese text: the
        // block scan tests those first.
        std::size_t rare1 = 0, rare2 = 0;
    };
    const Needle* NeedleFor(KanjiCode code) const;
    static bool IsUtf8Form(KanjiCode code);
    std::size_t Find(const Needle& n, std::string_view hay, std::size_t from) const;

    std::vector<Needle> needles_;
    bool fold_ = false;  // ASCII letters compare without case
    bool lineLocal_ = false;
    bool exact_ = false;  // a plain text, compared with case
};
