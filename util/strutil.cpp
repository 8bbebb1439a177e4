#include "util/strutil.h"

#include "textengine/utf16.h"

namespace {

// Code point at p and its width in units; a lone surrogate stands alone.
char32_t CodePointAt(const char16_t* p, int* units) {
    *units = utf16_units_at(p);
    return utf16_get_code_point(p);
}

// Reads a quoted field from just behind its opening quote: "" stands for
// one quote, a lone one ends the field. Returns the position behind it.
// atEnd tells where the text ends (a terminator or the end of a view).
template <class AtEnd, class Put>
const char16_t* ReadQuoted(const char16_t* p, AtEnd atEnd, Put put) {
    for (; !atEnd(p); ++p) {
        if (*p == u'"') {
            if (atEnd(p + 1) || p[1] != u'"') return p + 1;
            ++p;
        }
        put(*p);
    }
    return p;
}

constexpr auto AtTerminator = [](const char16_t* p) { return *p == 0; };

// One delimited field of [p, end) into out; returns the delimiter's
// position, or end.
template <class AtEnd>
const char16_t* ReadCsvField(const char16_t* p, AtEnd atEnd, std::u16string& out, char16_t delimiter) {
    out.clear();
    if (!atEnd(p) && *p == u'"') {
        p = ReadQuoted(p + 1, atEnd, [&](char16_t u) { out += u; });
        while (!atEnd(p) && *p != delimiter) ++p;
    } else {
        while (!atEnd(p) && *p != delimiter) out += *p++;
    }
    return p;
}

bool IsSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDFFF; }

char32_t FoldCase(char32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xFF21 && c <= 0xFF3A)) return c + 32;
    return c;
}

}  // namespace

char16_t* TrimTrailingNewline(char16_t* text, char16_t ch) {
    if (!text) return nullptr;
    char16_t* end = text;
    while (*end) ++end;
    char16_t* p = end;
    while (p > text && (p[-1] == u'\r' || p[-1] == u'\n' || (ch && p[-1] == ch))) --p;
    if (p == end) return nullptr;
    *p = 0;
    return p;
}

const char16_t* GetCsvField(const char16_t* text, std::u16string& out, char16_t delimiter) {
    out.clear();
    if (!text) return nullptr;
    const char16_t* p = ReadCsvField(text, AtTerminator, out, delimiter);
    return *p ? p + 1 : nullptr;
}

bool GetCsvField(std::u16string_view& rest, std::u16string& out, char16_t delimiter) {
    const char16_t* const end = rest.data() + rest.size();
    const char16_t* p = ReadCsvField(rest.data(), [end](const char16_t* q) { return q == end; }, out, delimiter);
    if (p == end) {
        rest = {};
        return false;
    }
    rest.remove_prefix(std::size_t(p - rest.data()) + 1);
    return true;
}

const char16_t* GetTsvField(const char16_t* text, char16_t* out, std::size_t capacity) {
    std::size_t n = 0;
    auto put = [&](char16_t u) {
        if (out && n + 1 < capacity) out[n] = u;
        ++n;
    };
    const char16_t* p = text;
    if (*p == u'"') {
        p = ReadQuoted(p + 1, AtTerminator, put);
    } else {
        while (*p && *p != u'\t' && *p != u'\n') {
            if (*p == u'\r') {
                if (p[1] == u'\n') ++p;
                break;
            }
            put(*p++);
        }
    }
    if (out && capacity > 0) out[n < capacity ? n : capacity - 1] = 0;
    return p;
}

int CountChar(const char16_t* text, char32_t ch) {
    int count = 0;
    int units;
    for (const char16_t* p = text; *p; p += units)
        if (CodePointAt(p, &units) == ch) ++count;
    return count;
}

int CompareNoCase(const char16_t* a, const char16_t* b) {
    // Units outside the surrogates are code points of their own: compared
    // as they come until a surrogate needs the pair read whole.
    for (; !IsSurrogate(*a) && !IsSurrogate(*b); ++a, ++b) {
        const char32_t ca = FoldCase(*a);
        const char32_t cb = FoldCase(*b);
        if (ca != cb) return int(ca) - int(cb);
        if (ca == 0) return 0;
    }
    int ua, ub;
    for (;;) {
        const char32_t ca = FoldCase(CodePointAt(a, &ua));
        const char32_t cb = FoldCase(CodePointAt(b, &ub));
        if (ca != cb) return int(ca) - int(cb);
        if (ca == 0) return 0;
        a += ua;
        b += ub;
    }
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    // Surrogates never fold, so comparing unit by unit is enough.
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    return true;
}

int CommonPrefixNoCase(const char16_t* a, const char16_t* b, int maxUnits) {
    int n = 0;
    for (; *a && *b && !IsSurrogate(*a) && !IsSurrogate(*b); ++a, ++b) {
        if (FoldCase(*a) != FoldCase(*b) || n + 1 > maxUnits) return n;
        ++n;
    }
    int ua, ub;
    while (*a && *b) {
        const char32_t ca = FoldCase(CodePointAt(a, &ua));
        const char32_t cb = FoldCase(CodePointAt(b, &ub));
        if (ca != cb || ua != ub || n + ua > maxUnits) break;
        n += ua;
        a += ua;
        b += ub;
    }
    return n;
}

void ToLowerAscii(char16_t* text) {
    for (; *text; ++text)
        if (*text >= u'A' && *text <= u'Z') *text += 32;
}

void ToLowerAscii(std::u16string& text) {
    for (char16_t& u : text)
        if (u >= u'A' && u <= u'Z') u += 32;
}

const char16_t* FindChar(const char16_t* text, char32_t ch) {
    int units;
    for (const char16_t* p = text; *p; p += units)
        if (CodePointAt(p, &units) == ch) return p;
    return nullptr;
}
