// A text host over an array of lines, each line end read as one "\n" (the
// last line has none), as the text buffer presents its lines to the regex
// engine. Used by `wdev regex`, the benchmark and the engine's tests.
#pragma once

#include <string>
#include <vector>

#include "textengine/regex/regex.h"

struct RegexLinesHost {
    std::vector<std::u16string> lines;

    static RegexLinesHost from_text(const std::u16string& text) {
        RegexLinesHost h;
        std::u16string cur;
        for (size_t i = 0; i < text.size(); ++i) {
            char16_t c = text[i];
            if (c == u'\r' || c == u'\n') {
                if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
                h.lines.push_back(cur);
                cur.clear();
            } else {
                cur += c;
            }
        }
        h.lines.push_back(cur);
        return h;
    }

    RegexTextOps ops() {
        RegexTextOps o{};
        o.host = this;
        o.char_at = [](void* h, RegexPos p) { return self(h)->at(p); };
        o.get_line = [](void* h, int line, int* len) -> const char16_t* {
            auto* s = self(h);
            if (line < 0) {
                *len = 0;
                return u"";
            }
            if (line >= int(s->lines.size())) return nullptr;
            *len = int(s->lines[size_t(line)].size());
            return s->lines[size_t(line)].c_str();
        };
        o.next = [](void* h, RegexPos* p) {
            auto* s = self(h);
            int len = s->len(p->line);
            if (p->col >= len) {
                if (p->line + 1 < int(s->lines.size())) {
                    ++p->line;
                    p->col = 0;
                }
            } else {
                const char16_t* t = s->lines[size_t(p->line)].c_str();
                p->col += (t[p->col] >= 0xD800 && t[p->col] <= 0xDBFF && t[p->col + 1] >= 0xDC00 &&
                           t[p->col + 1] <= 0xDFFF)
                              ? 2
                              : 1;
            }
            return s->at(*p);
        };
        o.previous = [](void* h, RegexPos* p) -> const char16_t* {
            auto* s = self(h);
            if (p->line <= 0 && p->col <= 0) return nullptr;
            if (p->col == 0) {
                --p->line;
                p->col = s->len(p->line);
            } else {
                const char16_t* t = s->lines[size_t(p->line)].c_str();
                p->col -= (p->col >= 2 && t[p->col - 2] >= 0xD800 && t[p->col - 2] <= 0xDBFF &&
                           t[p->col - 1] >= 0xDC00 && t[p->col - 1] <= 0xDFFF)
                              ? 2
                              : 1;
            }
            return s->at(*p);
        };
        o.next_line_start = [](void* h, RegexPos* p) {
            if (p->line + 1 >= int(self(h)->lines.size())) return 0;
            ++p->line;
            p->col = 0;
            return 1;
        };
        o.distance = [](void* h, RegexPos a, RegexPos b) {
            auto* s = self(h);
            if (a.line == b.line) return b.col - a.col;
            int d = s->len(a.line) - a.col + 1;
            for (int l = a.line + 1; l < b.line; ++l) d += s->len(l) + 1;
            return d + b.col;
        };
        o.is_line_start = [](void*, RegexPos p) { return p.col == 0 ? 1 : 0; };
        return o;
    }

private:
    static RegexLinesHost* self(void* h) { return static_cast<RegexLinesHost*>(h); }
    int len(int line) const {
        return line >= 0 && line < int(lines.size()) ? int(lines[size_t(line)].size()) : 0;
    }
    const char16_t* at(RegexPos p) const {
        if (p.line < 0 || p.line >= int(lines.size())) return u"";
        const std::u16string& t = lines[size_t(p.line)];
        if (p.col < int(t.size())) return t.c_str() + p.col;
        return p.line + 1 < int(lines.size()) ? u"\n" : t.c_str() + t.size();
    }
};
