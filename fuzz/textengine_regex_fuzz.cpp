// Fuzz target: compile any pattern under any flags, then search, replace
// and search through a multi-line host. The input is read as UTF-16 units:
// the first unit holds the flags, a unit 0xFFFF ends the pattern, the rest
// is the subject.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "textengine/regex/regex_internal.h"
#include "textengine/regex_line_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    std::u16string units(size / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) units[i] = char16_t(data[2 * i] | data[2 * i + 1] << 8);
    const int mode = units[0];
    size_t sep = units.find(char16_t(0xFFFF), 1);
    std::u16string pattern = units.substr(1, sep == std::u16string::npos ? std::u16string::npos : sep - 1);
    std::u16string subject = sep == std::u16string::npos ? std::u16string() : units.substr(sep + 1);
    if (pattern.size() > 300 || subject.size() > 2000) return 0;
    // The engine works on NUL-terminated text: a NUL inside ends it.
    subject = subject.substr(0, subject.find(u'\0'));

    const int flags = mode & 3;
    CompiledRegex* re;
    if (mode & 4) {
        std::u16string text = pattern.substr(0, pattern.find(u'\0'));
        re = regex_compile_literal(text.c_str(), flags);
    } else {
        re = regex_compile_n(pattern.data(), int(pattern.size()), flags);
    }
    if (!re) return 0;
    re->budget = 20000;

    // Remembered failures, the one try per line of leading dots and the look
    // for a required character never change a result: the same pattern tried
    // at every position by the plain machine finds the same first match and
    // groups (when neither gives up).
    if (!(mode & 4) && re->prog.root) {
        CompiledRegex* plain = regex_compile_n(pattern.data(), int(pattern.size()), flags);
        if (!plain) __builtin_trap();
        plain->budget = 20000;
        regex_memo_free(plain->memo);
        plain->memo = nullptr;
        plain->search = regex_strategy_every;
        delete plain->required;
        plain->required = nullptr;
        plain->run_atom = nullptr;
        if (re->memo) re->memo->eager = true;
        // A small stack makes deep tries drop the choice points sure to fail,
        // where the plain machine keeps every one.
        const int frame_limit = re->frame_limit;
        if (mode & 32) re->frame_limit = 34 + ((mode >> 6) & 63);
        for (int from = 0; from <= int(subject.size()); from += 1 + int(subject.size()) / 3) {
            int c1 = -1, l1 = -1, c2 = -1, l2 = -1;
            const int r1 = regex_search_string_n(re, subject.c_str(), int(subject.size()), from, &c1, &l1);
            const int r2 = regex_search_string_n(plain, subject.c_str(), int(subject.size()), from, &c2, &l2);
            if (r1 < 0 || r2 < 0) continue;
            if (r1 != r2 || (r1 == 1 && (c1 != c2 || l1 != l2))) __builtin_trap();
            for (int g = 0; r1 == 1 && g < re->prog.group_count; ++g)
                if (std::memcmp(&re->last_groups[g], &plain->last_groups[g], sizeof(RegexGroupSlot)) != 0)
                    __builtin_trap();
        }
        regex_free(plain);
        if (re->memo) re->memo->eager = false;
        re->frame_limit = frame_limit;
    }

    int from = 0, col, len;
    for (int guard = 0; guard < 200; ++guard) {
        int r = regex_search_string_n(re, subject.c_str(), int(subject.size()), from, &col, &len);
        if (r != 1) break;
        if (col < from || col + len > int(subject.size())) __builtin_trap();
        from = col + (len > 0 ? len : 1);
        if (from > int(subject.size())) break;
    }
    if (mode & 8) {
        const char16_t* out =
            regex_replace_string(re, subject.c_str(), u"<$&|$1|\\2|$+|$`|$'>", true, nullptr, 0, nullptr, nullptr);
        regex_free_replace_result(out, subject.c_str(), nullptr);
    }
    if (mode & 16) {
        const RegexTextLines host(subject);
        RegexTextOps ops = host.Ops();
        if (regex_search_ops(re, &ops) == 1) {
            char16_t buf[64];
            regex_expand_template(&ops, re->match_start, re->match_end, u"$&$1$'", re, buf, 64);
        }
    }
    regex_free(re);
    return 0;
}
