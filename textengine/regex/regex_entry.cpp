// The string host and the search entry points over it.
#include "textengine/regex/regex_internal.h"

namespace {

const char16_t kEmpty[1] = {0};

const char16_t* str_char_at(void* h, RegexPos pos) {
    auto* s = static_cast<RegexStringHost*>(h);
    if (pos.line > 0) return kEmpty;
    if (pos.col > s->length) return s->text + s->length;
    return s->text + pos.col;
}

const char16_t* str_get_line(void* h, int line, int* length) {
    auto* s = static_cast<RegexStringHost*>(h);
    if (line != 0) return nullptr;
    *length = s->length;
    return s->text;
}

const char16_t* str_next(void* h, RegexPos* pos) {
    auto* s = static_cast<RegexStringHost*>(h);
    const char16_t* t = s->text;
    int c = pos->col;
    if (c < s->length) {
        c += (regex_high_surrogate(t[c]) && regex_low_surrogate(t[c + 1])) ? 2 : 1;
        if (c < s->length && t[c] == u'\r' && t[c + 1] == u'\n') ++c;
    }
    pos->col = c;
    return t + c;
}

const char16_t* str_previous(void* h, RegexPos* pos) {
    auto* s = static_cast<RegexStringHost*>(h);
    const char16_t* t = s->text;
    int c = pos->col;
    if (c <= 0 || pos->line != 0) return nullptr;
    if (c > s->length) c = s->length + 1;
    c -= (c >= 2 && regex_high_surrogate(t[c - 2]) && regex_low_surrogate(t[c - 1])) ? 2 : 1;
    if (t[c] == u'\r' && t[c + 1] == u'\n') {
        // Back from a CR LF's LF: the break is one character, so the one
        // before is the character before its CR, none at the text's start.
        if (c == 0) return nullptr;
        --c;
    }
    pos->col = c;
    return t + c;
}

int str_next_line_start(void* h, RegexPos* pos) {
    auto* s = static_cast<RegexStringHost*>(h);
    for (int c = pos->col; c < s->length; ++c) {
        if (s->text[c] == u'\n') {
            pos->col = c + 1;
            return 1;
        }
    }
    return 0;
}

int str_distance(void*, RegexPos from, RegexPos to) { return to.col - from.col; }

int str_is_line_start(void* h, RegexPos pos) {
    auto* s = static_cast<RegexStringHost*>(h);
    int c = pos.col;
    if (c > s->length) return 0;
    if (c > 0 && s->text[c] == u'\n' && s->text[c - 1] == u'\r') --c;  // a CR LF starts at its CR
    return c == 0 || s->text[c - 1] == u'\n';
}

}  // namespace

RegexTextOps regex_string_ops(RegexStringHost* host) {
    RegexTextOps ops{};
    ops.host = host;
    ops.char_at = str_char_at;
    ops.get_line = str_get_line;
    ops.next = str_next;
    ops.previous = str_previous;
    ops.next_line_start = str_next_line_start;
    ops.distance = str_distance;
    ops.is_line_start = str_is_line_start;
    return ops;
}

int regex_search_string_n(CompiledRegex* re, const char16_t* text, int length, int start, int* match_col,
                          int* match_len) {
    if (match_len) *match_len = 0;
    if (!re || !text) return REGEX_ERR_NONE_REGEX;
    RegexStringHost host{text, length};
    if (start < 0) start = 0;
    if (start > length) return 0;
    RegexTextOps ops = regex_string_ops(&host);
    RegexPos pos{0, start};
    RegexPos end{0, start};
    int r = re->search(re, &ops, &pos, &end, RegexPos{-1, 0});
    if (r == 1) {
        // The matcher stands on a CR LF at its LF; the caller gets the
        // break's start, so an edit there keeps the pair whole.
        auto at_crlf_lf = [&](int c) { return c > start && text[c] == u'\n' && text[c - 1] == u'\r'; };
        if (at_crlf_lf(pos.col)) --pos.col;
        if (at_crlf_lf(end.col)) --end.col;
        for (int g = 0; g < re->prog.group_count; ++g) {
            RegexGroupSlot& slot = re->last_groups[g];
            if (slot.length < 0) continue;
            if (at_crlf_lf(slot.start_col)) --slot.start_col;
            if (at_crlf_lf(slot.end_col)) --slot.end_col;
            slot.length = slot.end_col - slot.start_col;
        }
        re->match_start = pos;
        re->match_end = end;
        if (match_col) *match_col = pos.col;
        if (match_len) *match_len = end.col - pos.col;
    }
    return r;
}

int regex_search_string(CompiledRegex* re, const char16_t* text, int start, int* match_col, int* match_len) {
    int n = 0;
    if (text)
        while (text[n]) ++n;
    return regex_search_string_n(re, text, n, start, match_col, match_len);
}

int regex_search_string_from_start(CompiledRegex* re, const char16_t* text) {
    return regex_search_string(re, text, 0, nullptr, nullptr);
}

int regex_search_ops(CompiledRegex* re, const RegexTextOps* ops) {
    if (!re) return REGEX_ERR_NONE_REGEX;
    RegexPos pos{0, 0};
    RegexPos end{0, 0};
    int r = re->search(re, ops, &pos, &end, RegexPos{-1, 0});
    if (r == 1) {
        re->match_start = pos;
        re->match_end = end;
    }
    return r;
}
