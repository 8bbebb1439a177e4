// Cutting a pattern into tokens. Every scan is bounded by the pattern's end,
// so an unbalanced construct is an error, never a read past the pattern.
#include "textengine/regex/regex_syntax.h"

namespace {

bool is_ascii_letter(char16_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Units of the code point at p (a pair only when it is a real pair).
int cp_units(const char16_t* p, const char16_t* end) {
    int n;
    regex_read_cp(p, end, &n);
    return n;
}

// Passes over a nested "(" ... ")" or "{" ... "}" at p, skipping escaped
// characters and whole classes; null when unbalanced.
const char16_t* skip_nested(const char16_t* p, const char16_t* end, char16_t open, char16_t close) {
    int depth = 0;
    while (p < end) {
        char16_t c = *p;
        if (c == '\\') {
            if (p + 1 >= end) return nullptr;
            p += 1 + cp_units(p + 1, end);
            continue;
        }
        if (c == '[') {
            p = regex_skip_class(p, end);
            if (!p) return nullptr;
            continue;
        }
        if (c == open) {
            ++depth;
        } else if (c == close) {
            if (--depth == 0) return p + 1;
        }
        ++p;
    }
    return nullptr;
}

const char16_t* skip_group(const char16_t* p, const char16_t* end) {
    return skip_nested(p, end, u'(', u')');
}

bool starts_comment(const char16_t* p, const char16_t* end) {
    return end - p >= 3 && p[0] == '(' && p[1] == '?' && p[2] == '#';
}

bool is_hex_length_char(char16_t c) {
    return c == '-' || c == '.' || c == '/' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// Length of the escape whose "\" is at p, or -1 when it is malformed.
int escape_length(const char16_t* p, const char16_t* end) {
    const char16_t* q = p + 1;
    if (q >= end) return -1;  // a lone "\" ends the pattern
    char16_t c = *q;
    if (c >= '1' && c <= '9') {
        ++q;
        while (q < end && *q >= '0' && *q <= '9') ++q;
        return int(q - p);
    }
    switch (c) {
    case '=':
        if (q + 1 >= end) return -1;
        return 2 + cp_units(q + 1, end);
    case 'Q':
        for (const char16_t* r = q + 1; r + 1 < end; ++r) {
            if (r[0] == '\\' && r[1] == 'E') return int(r + 2 - p);
        }
        return int(end - p);
    case 'g': {
        ++q;
        bool brace = q < end && *q == '{';
        if (brace) ++q;
        if (q < end && *q == '-') ++q;
        if (q >= end || *q < '1' || *q > '9') return -1;
        while (q < end && *q >= '0' && *q <= '9') ++q;
        if (brace) {
            if (q >= end || *q != '}') return -1;
            ++q;
        }
        return int(q - p);
    }
    case 'k':
        if (q + 1 < end && (q[1] == '<' || q[1] == '\'')) {
            char16_t close = q[1] == '<' ? u'>' : u'\'';
            for (const char16_t* r = q + 2; r < end; ++r) {
                if (*r == close) return int(r + 1 - p);
            }
            return -1;
        }
        return 2;
    case 'x':
        if (q + 1 < end && q[1] == '{') {
            for (const char16_t* r = q + 2; r < end; ++r) {
                if (*r == '}') return int(r + 1 - p);
                if (!is_hex_length_char(*r)) return -1;
            }
            return -1;
        }
        if (q + 2 < end && is_hex_length_char(q[1]) && is_hex_length_char(q[2])) return 4;
        return -1;
    default:
        return 1 + cp_units(q, end);
    }
}

}  // namespace

const char16_t* regex_skip_class(const char16_t* p, const char16_t* end) {
    ++p;  // "["
    if (p < end && *p == '^') ++p;
    if (p < end && *p == ']') ++p;
    int level = 1;
    while (p < end) {
        char16_t c = *p;
        if (c == '\\') {
            if (p + 1 >= end) return nullptr;
            p += 1 + cp_units(p + 1, end);
            continue;
        }
        if (c == '[' && p + 2 < end && p[1] == ':' && is_ascii_letter(p[2])) {
            ++level;
            p += 2;
            continue;
        }
        if (c == ']' && --level == 0) return p + 1;
        ++p;
    }
    return nullptr;
}

const char16_t* regex_skip_comments(const char16_t* p, const char16_t* end) {
    while (starts_comment(p, end)) {
        p = skip_group(p, end);
        if (!p) return nullptr;
    }
    return p;
}

int regex_next_token(const char16_t* p, const char16_t* end, RegexToken* out) {
    p = regex_skip_comments(p, end);
    if (!p) return -1;
    if (p >= end || *p == 0) return 0;
    out->start = p;
    char16_t c = *p;
    const char16_t* q;
    switch (c) {
    case '*':
    case '+':
    case '?':
    case '{':
        if (c == '{') {
            q = skip_nested(p, end, u'{', u'}');
            if (!q) return -1;
        } else {
            q = p + 1;
        }
        if (q < end && (*q == '?' || *q == '+')) ++q;
        out->kind = REGEX_TOK_QUANTIFIER;
        out->length = int(q - p);
        return 1;
    case '(':
        q = skip_group(p, end);
        if (!q) return -1;
        out->kind = REGEX_TOK_GROUP;  // comments were skipped above
        out->length = int(q - p);
        return 1;
    case '[':
        q = regex_skip_class(p, end);
        if (!q) return -1;
        out->kind = REGEX_TOK_CLASS;
        out->length = int(q - p);
        return 1;
    case '\\': {
        int n = escape_length(p, end);
        if (n < 0) return -1;
        out->kind = REGEX_TOK_ESCAPE;
        out->length = n;
        return 1;
    }
    case '.':
        out->kind = REGEX_TOK_DOT;
        break;
    case '|':
        out->kind = REGEX_TOK_BAR;
        break;
    case '^':
        out->kind = REGEX_TOK_CARET;
        break;
    case '$':
        out->kind = REGEX_TOK_DOLLAR;
        break;
    default:
        out->kind = REGEX_TOK_LITERAL;
        out->length = cp_units(p, end);
        return 1;
    }
    out->length = 1;
    return 1;
}

int32_t regex_decode_hex_escape(const char16_t* p, const char16_t* end, const char16_t** after) {
    // p points at "x"
    const char16_t* q = p + 1;
    int32_t value = 0;
    int digits = 0;
    if (q < end && *q == '{') {
        for (++q; q < end && *q != '}'; ++q) {
            int d = regex_hex_digit(*q);
            if (d < 0) return -1;
            value = value * 16 + d;
            if (value > 0x10FFFF) return -1;
            ++digits;
        }
        if (q >= end) return -1;
        ++q;
    } else {
        for (; digits < 2 && q < end; ++q, ++digits) {
            int d = regex_hex_digit(*q);
            if (d < 0) return -1;
            value = value * 16 + d;
        }
        if (digits < 2) return -1;
    }
    if (digits == 0) return -1;
    *after = q;
    return value;
}
