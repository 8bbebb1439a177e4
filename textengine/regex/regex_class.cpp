// Bracket classes and the built-in sets \d \w \s \l.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "textengine/regex/regex_syntax.h"

namespace {

void set_bit(RegexCharClass* cc, int32_t c) {
    cc->bitmap[c >> 5] |= 1u << (c & 31);
}

void clear_bit(RegexCharClass* cc, int32_t c) {
    cc->bitmap[c >> 5] &= ~(1u << (c & 31));
}

void set_bits(RegexCharClass* cc, int32_t lo, int32_t hi) {
    for (int32_t c = lo; c <= hi; ++c) set_bit(cc, c);
}

// The built-in set of one escape letter (lower case), as 128 bits.
void builtin_set(char16_t letter, int options, uint32_t out[4]) {
    std::memset(out, 0, 4 * sizeof(uint32_t));
    auto add = [&](int lo, int hi) {
        for (int c = lo; c <= hi; ++c) out[c >> 5] |= 1u << (c & 31);
    };
    switch (letter) {
    case 'd':
        add('0', '9');
        break;
    case 'w':
        add('0', '9');
        add('A', 'Z');
        add('a', 'z');
        add('_', '_');
        break;
    case 's':
        add('\t', '\t');
        add('\f', '\f');
        add(' ', ' ');
        if (options & REGEX_OPT_SPACE_LF) add('\n', '\n');
        break;
    case 'l':
        add('\t', '\n');
        add('\f', '\r');
        add(' ', ' ');
        break;
    }
}

bool is_set_letter(char16_t c) {
    switch (c) {
    case 'd': case 's': case 'w': case 'l': case 'D': case 'S': case 'W':
        return true;
    }
    return false;
}

void apply_set(RegexCharClass* cc, char16_t letter, int options) {
    bool complement = letter == 'D' || letter == 'S' || letter == 'W';
    uint32_t bits[4];
    builtin_set(complement ? char16_t(letter + 32) : letter, options, bits);
    for (int i = 0; i < 4; ++i) cc->bitmap[i] |= complement ? ~bits[i] : bits[i];
    if (complement) {
        cc->flags |= REGEX_CLASS_ABOVE_255;
        clear_bit(cc, '\n');
    }
}

struct PosixName {
    const char16_t* text;  // after "[", up to and including "]"
    int32_t ranges[3][2];
};

const PosixName kPosix[] = {
    {u":ascii:]", {{0, 127}, {1, 0}, {1, 0}}},
    {u":alpha:]", {{'A', 'Z'}, {'a', 'z'}, {1, 0}}},
    {u":alnum:]", {{'A', 'Z'}, {'a', 'z'}, {'0', '9'}}},
    {u":digit:]", {{'0', '9'}, {1, 0}, {1, 0}}},
    {u":upper:]", {{'A', 'Z'}, {1, 0}, {1, 0}}},
    {u":lower:]", {{'a', 'z'}, {1, 0}, {1, 0}}},
};

// One element of a class text: a character, a set escape or a POSIX name.
struct Element {
    enum { kChar, kSet, kPosix } type;
    int32_t cp;
    char16_t letter;
    const PosixName* posix;
    bool dash;  // a "-", plain or escaped
};

// Reads the element at p; null when it is malformed (a bad \x).
const char16_t* read_element(const char16_t* p, const char16_t* end, Element* e) {
    int n;
    e->type = Element::kChar;
    e->dash = false;
    if (*p == '\\') {
        if (p + 1 >= end) {
            e->cp = '\\';
            return p + 1;
        }
        char16_t c = p[1];
        if (is_set_letter(c)) {
            e->type = Element::kSet;
            e->letter = c;
            return p + 2;
        }
        switch (c) {
        case 'f': e->cp = '\f'; return p + 2;
        case 'n': e->cp = '\n'; return p + 2;
        case 'r': e->cp = '\r'; return p + 2;
        case 't': e->cp = '\t'; return p + 2;
        case 'x': {
            const char16_t* after;
            int32_t v = regex_decode_hex_escape(p + 1, end, &after);
            if (v < 0) return nullptr;
            e->cp = v;
            return after;
        }
        }
        e->cp = regex_read_cp(p + 1, end, &n);
        e->dash = e->cp == '-';
        return p + 1 + n;
    }
    if (*p == '[') {
        for (const PosixName& name : kPosix) {
            size_t len = std::char_traits<char16_t>::length(name.text);
            if (size_t(end - p - 1) >= len &&
                std::char_traits<char16_t>::compare(p + 1, name.text, len) == 0) {
                e->type = Element::kPosix;
                e->posix = &name;
                return p + 1 + len;
            }
        }
    }
    e->cp = regex_read_cp(p, end, &n);
    e->dash = e->cp == '-';
    return p + n;
}

// "[:name:]" at p (name of letters) whose name is none of the known ones.
bool unknown_posix_name(const char16_t* p, const char16_t* end) {
    if (end - p < 5 || p[0] != '[' || p[1] != ':') return false;
    const char16_t* q = p + 2;
    while (q < end && ((*q >= 'a' && *q <= 'z') || (*q >= 'A' && *q <= 'Z'))) ++q;
    if (q == p + 2 || end - q < 2 || q[0] != ':' || q[1] != ']') return false;
    for (const PosixName& name : kPosix) {
        const size_t len = std::char_traits<char16_t>::length(name.text);
        if (size_t(q + 2 - (p + 1)) == len && std::char_traits<char16_t>::compare(p + 1, name.text, len) == 0)
            return false;
    }
    return true;
}

// Moves the collected items into the program's arena.
template <typename T>
bool to_arena(RegexProgram* prog, const std::vector<T>& items, T** array, int* count) {
    if (items.empty()) return true;
    *array = static_cast<T*>(regex_arena_alloc(&prog->arena, items.size() * sizeof(T)));
    if (!*array) return false;
    std::memcpy(*array, items.data(), items.size() * sizeof(T));
    *count = int(items.size());
    return true;
}

class ClassBuilder {
public:
    ClassBuilder(RegexCharClass* cc, int options)
        : cc_(cc), icase_(options & REGEX_OPT_ICASE), iwidth_(options & REGEX_OPT_IWIDTH) {}

    void add_single(int32_t c) {
        if (icase_) c = regex_case_fold(c);
        // Singles are folded like the tested character, so under ignore-width
        // [Ｑ] holds Ｑ and Q alike.
        if (iwidth_) c = regex_width_fold(c);
        if (c <= 255) {
            set_bit(cc_, c);
            if (icase_ && c >= 'a' && c <= 'z') set_bit(cc_, c - 32);
        } else {
            singles_.push_back(c);
            if (icase_ && c >= 0xFF41 && c <= 0xFF5A) singles_.push_back(c - 32);
        }
    }

    bool add_range(int32_t lo, int32_t hi) {
        if (iwidth_) {
            lo = regex_width_fold(lo);
            hi = regex_width_fold(hi);
        }
        if (hi < lo) return false;
        if (icase_) {
            add_raw(regex_case_upper(lo), regex_case_upper(hi));
            add_raw(regex_case_fold(lo), regex_case_fold(hi));
        } else {
            add_raw(lo, hi);
        }
        return true;
    }

    bool finish(RegexProgram* prog) {
        // Sorted, so that a long list is searched by halves (see regex_class_contains).
        std::sort(singles_.begin(), singles_.end());
        singles_.erase(std::unique(singles_.begin(), singles_.end()), singles_.end());
        return to_arena(prog, ranges_, &cc_->ranges, &cc_->range_count) &&
               to_arena(prog, singles_, &cc_->singles, &cc_->single_count);
    }

private:
    // A range straddling 255 sets its low part in the bitmap and keeps the
    // rest as a range, so [ -\x{ffff}] holds "A".
    void add_raw(int32_t lo, int32_t hi) {
        if (lo > hi) return;
        if (lo <= 255) set_bits(cc_, lo, hi < 255 ? hi : 255);
        if (hi > 255) ranges_.push_back({lo > 256 ? lo : 256, hi});
    }

    RegexCharClass* cc_;
    bool icase_, iwidth_;
    std::vector<RegexRange> ranges_;
    std::vector<int32_t> singles_;
};

RegexCharClass* new_class(RegexProgram* prog, int options) {
    auto* cc = static_cast<RegexCharClass*>(regex_arena_alloc(&prog->arena, sizeof(RegexCharClass)));
    if (cc && (options & REGEX_OPT_IWIDTH)) cc->flags |= REGEX_CLASS_WIDTH_FOLD;
    return cc;
}

}  // namespace

RegexCharClass* regex_build_class(RegexProgram* prog, const char16_t* p, const char16_t* end,
                                  int options, int* error) {
    *error = REGEX_COMPILE_NO_MEMORY;
    RegexCharClass* cc = new_class(prog, options);
    if (!cc) return nullptr;
    *error = REGEX_COMPILE_INVALID;
    if (p < end && *p == '^') {
        cc->flags |= REGEX_CLASS_NEGATED;
        ++p;
    }
    ClassBuilder builder(cc, options);
    Element e;
    while (p < end) {
        if (unknown_posix_name(p, end)) {
            *error = REGEX_COMPILE_UNKNOWN_CLASS;
            return nullptr;
        }
        p = read_element(p, end, &e);
        if (!p) return nullptr;
        if (e.type == Element::kSet) {
            apply_set(cc, e.letter, options);
            continue;
        }
        if (e.type == Element::kPosix) {
            for (const auto& r : e.posix->ranges) {
                if (r[0] <= r[1]) set_bits(cc, r[0], r[1]);
            }
            continue;
        }
        // A character followed by a dash and another character is a range.
        if (p < end) {
            Element dash;
            const char16_t* q = read_element(p, end, &dash);
            if (q && dash.dash && q < end) {
                Element high;
                const char16_t* r = read_element(q, end, &high);
                if (!r) return nullptr;
                if (high.type == Element::kChar) {
                    if (!builder.add_range(e.cp, high.cp)) return nullptr;
                    p = r;
                    continue;
                }
            }
        }
        builder.add_single(e.cp);
    }
    if (cc->flags & REGEX_CLASS_NEGATED) set_bit(cc, '\n');  // [^x] never matches LF
    *error = REGEX_COMPILE_NO_MEMORY;
    if (!builder.finish(prog)) return nullptr;
    *error = REGEX_COMPILE_OK;
    return cc;
}

RegexCharClass* regex_escape_class(RegexProgram* prog, char16_t letter, int options) {
    RegexCharClass* cc = new_class(prog, options);
    if (cc) apply_set(cc, letter, options);
    return cc;
}
