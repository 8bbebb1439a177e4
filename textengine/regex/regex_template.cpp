// Replacement templates and the string replace.
#include <cstring>
#include <new>

#include "textengine/regex/regex_internal.h"

namespace {

inline bool dollar_sequence(char16_t c) {
    return c == '&' || c == '\'' || c == '+' || c == '`' || (c >= '1' && c <= '9');
}

// Bounded writer: counts everything, stores what fits (keeping room for NUL).
struct Out {
    char16_t* buf;
    size_t cap;  // units including the NUL
    size_t len = 0;
    void put(char16_t c) {
        if (buf && len + 1 < cap) buf[len] = c;
        ++len;
    }
};

void copy_span(Out& out, const RegexTextOps* ops, RegexPos pos, int count) {
    if (count <= 0) return;
    const char16_t* cur = ops->char_at(ops->host, pos);
    int done = 0;
    while (done < count && *cur) {
        RegexPos before = pos;
        const char16_t* c0 = cur;
        cur = regex_step(ops, &pos, cur);
        int k = pos.line == before.line ? pos.col - before.col : 1;
        if (k <= 0) break;
        for (int i = 0; i < k && done < count; ++i, ++done) out.put(c0[i]);
    }
}

void copy_group(Out& out, const RegexTextOps* ops, const CompiledRegex* re, int g) {
    if (g < 0 || g >= re->prog.group_count) return;
    const RegexGroupSlot& s = re->last_groups[g];
    if (s.length < 0) return;
    copy_span(out, ops, RegexPos{s.start_line, s.start_col}, s.length);
}

}  // namespace

int regex_template_has_sequences(const char16_t* t) {
    if (!t) return 0;
    for (; *t; ++t) {
        if (*t == '\\' && t[1]) return 1;
        if (*t == '$' && dollar_sequence(t[1])) return 1;
    }
    return 0;
}

int regex_copy_text(char16_t* out, size_t out_units, const RegexTextOps* ops, RegexPos pos, int count) {
    Out o{out, out_units + 1};
    copy_span(o, ops, pos, count);
    return int(o.len < out_units ? o.len : out_units);
}

int regex_expand_template(const RegexTextOps* ops, RegexPos start, RegexPos end, const char16_t* t,
                          const CompiledRegex* re, char16_t* out, size_t out_units) {
    Out o{out, out_units};
    while (t && *t) {
        const char16_t c = *t;
        const bool backslash = c == '\\' && t[1];
        const bool dollar = c == '$' && dollar_sequence(t[1]);
        if (!backslash && !dollar) {
            o.put(c);
            ++t;
            continue;
        }
        const char16_t k = t[1];
        t += 2;
        if (k == '&') {
            copy_span(o, ops, start, ops->distance(ops->host, start, end));
        } else if (k == '`') {
            copy_span(o, ops, RegexPos{start.line, 0}, start.col);
        } else if (k == '\'') {
            RegexPos p = end;
            const char16_t* cur = ops->char_at(ops->host, p);
            while (*cur && *cur != '\n') {
                const char16_t* c0 = cur;
                RegexPos before = p;
                cur = regex_step(ops, &p, cur);
                int n = p.line == before.line ? p.col - before.col : 1;
                // A CR LF pair stops the copy before its CR.
                for (int i = 0; i < n && c0[i] != '\n' && !(c0[i] == '\r' && c0[i + 1] == '\n'); ++i) o.put(c0[i]);
                if (p.line != before.line) break;
            }
        } else if (k >= '1' && k <= '9') {
            // All digits when that many groups exist, else the first only.
            int g = k - '0';
            const char16_t* d = t;
            long long more = g;
            while (*d >= '0' && *d <= '9' && more <= REGEX_MAX_GROUPS) {
                more = more * 10 + (*d - '0');
                ++d;
            }
            if (d != t && more <= re->prog.group_count) {
                g = int(more);
                t = d;
            }
            copy_group(o, ops, re, g - 1);
        } else if (k == '+') {
            if (*t == '{') {
                const char16_t* close = t + 1;
                while (*close && *close != '}') ++close;
                if (*close == '}') {
                    int g = regex_find_group(&re->prog, t + 1, int(close - (t + 1)));
                    copy_group(o, ops, re, g);
                    t = close + 1;
                    continue;
                }
            }
            copy_group(o, ops, re, re->last_closed);
        } else if (backslash && k == 'n') {
            o.put('\n');
        } else if (backslash && k == 't') {
            o.put('\t');
        } else {
            o.put(k);
        }
    }
    if (out && out_units > 0) out[o.len < out_units ? o.len : out_units - 1] = 0;
    return int(o.len) + 1;
}

namespace {

// The growing result of a replace: starts in the caller's buffer when one
// is given, moves to the heap when more is needed.
struct Result {
    char16_t* data;
    size_t cap;
    size_t len = 0;
    char16_t* caller;
    bool ok = true;

    bool reserve(size_t need) {
        if (need <= cap) return true;
        size_t n = cap ? cap : 16;
        while (n < need) n *= 2;
        auto* bigger = new (std::nothrow) char16_t[n];
        if (!bigger) return ok = false;
        if (len) std::memcpy(bigger, data, len * sizeof(char16_t));
        if (data != caller) delete[] data;
        data = bigger;
        cap = n;
        return true;
    }
    bool append(const char16_t* s, size_t n) {
        if (!reserve(len + n + 1)) return false;
        if (n) std::memcpy(data + len, s, n * sizeof(char16_t));
        len += n;
        return true;
    }
    void drop() {
        if (data != caller) delete[] data;
        data = nullptr;
    }
};

}  // namespace

const char16_t* regex_replace_string(CompiledRegex* re, const char16_t* text, const char16_t* tmpl, bool all,
                                     char16_t* buffer, size_t buffer_units, RegexReplaceCallback callback,
                                     void* user) {
    if (!re || !text) return text;
    RegexStringHost host{text, 0};
    while (text[host.length]) ++host.length;
    const int n = host.length;
    RegexTextOps ops = regex_string_ops(&host);
    const bool expand = !callback && regex_template_has_sequences(tmpl);
    const char16_t* plain = tmpl ? tmpl : u"";
    size_t plain_len = 0;
    while (plain[plain_len]) ++plain_len;

    Result res{buffer, buffer ? buffer_units : 0, 0, buffer};
    if (!buffer && !res.reserve(size_t(n) * 2 + 16)) return nullptr;
    bool any = false;
    int copied = 0;       // text before this column is in the result
    int from = 0;         // next search column
    int prev_start = -1;  // start of the previous match
    for (;;) {
        int col = 0, len = 0;
        int r = regex_search_string_n(re, text, n, from, &col, &len);
        if (r < 0) {
            res.drop();
            return nullptr;
        }
        if (r == 0) break;
        if (len == 0 && col == prev_start) {
            // The same empty match again: pass one character and go on.
            if (col >= n) break;
            // A pair and a CR LF are each one character.
            int step = ((regex_high_surrogate(text[col]) && regex_low_surrogate(text[col + 1])) ||
                        (text[col] == u'\r' && text[col + 1] == u'\n'))
                           ? 2
                           : 1;
            from = col + step;
            continue;
        }
        any = true;
        if (!res.append(text + copied, size_t(col - copied))) break;
        RegexPos ms{0, col}, me{0, col + len};
        if (callback) {
            const char16_t* rep = callback(user, re);
            if (!rep) {
                res.drop();
                return nullptr;
            }
            size_t rl = 0;
            while (rep[rl]) ++rl;
            if (!res.append(rep, rl)) break;
        } else if (expand) {
            int need = regex_expand_template(&ops, ms, me, tmpl, re, nullptr, 0);
            if (!res.reserve(res.len + size_t(need) + 1)) break;
            regex_expand_template(&ops, ms, me, tmpl, re, res.data + res.len, size_t(need));
            res.len += size_t(need - 1);
        } else if (!res.append(plain, plain_len)) {
            break;
        }
        copied = col + len;
        prev_start = col;
        from = col + len;
        if (!all) break;
    }
    if (!res.ok) {
        res.drop();
        return nullptr;
    }
    if (!any) {
        res.drop();
        return text;
    }
    if (!res.append(text + copied, size_t(n - copied))) {
        res.drop();
        return nullptr;
    }
    res.data[res.len] = 0;
    return res.data;
}

void regex_free_replace_result(const char16_t* result, const char16_t* text, const char16_t* buffer) {
    if (result && result != text && result != buffer) delete[] result;
}
