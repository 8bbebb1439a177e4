// Cutting patterns into tokens: kinds and lengths, and the patterns the
// tokenizer itself rejects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "textengine/regex/regex_node.h"

namespace {

// "kind:length" per token, or "error" when the tokenizer fails.
std::string cut(const std::u16string& pattern) {
    const char16_t* p = pattern.data();
    const char16_t* end = p + pattern.size();
    std::string out;
    for (;;) {
        RegexToken t;
        int r = regex_next_token(p, end, &t);
        if (r < 0) return "error";
        if (r == 0) return out;
        if (!out.empty()) out += ' ';
        out += std::to_string(t.kind) + ":" + std::to_string(t.length);
        p = t.start + t.length;
    }
}

struct TokenCase {
    std::u16string pattern;
    const char* tokens;
};

TEST(RegexTokenizer, CutsTokensByKindAndLength) {
    const TokenCase cases[] = {
        {u"a.|^$", "0:1 2:1 6:1 8:1 9:1"},
        {u")]}", "0:1 0:1 0:1"},                        // stray closers are literals
        {u"a(b)c", "0:1 3:3 0:1"},
        {u"(a[)]b)", "3:7"},                            // ")" inside a class does not close
        {u"(a\\)b)", "3:6"},
        {u"(?#a(b)c)x", "0:1"},                         // comments never reach the parser
        {u"x(?#c)(?#d)*", "0:1 5:1"},
        {u"[]a]b", "1:4 0:1"},
        {u"[^]a]", "1:5"},
        {u"[[:alpha:]_]", "1:12"},
        {u"[[:word:]]", "1:10"},
        {u"[a\\]]", "1:5"},
        {u"a*b+?c?+", "0:1 5:1 0:1 5:2 0:1 5:2"},
        {u"a{2,3}?", "0:1 5:6"},
        {u"a{[}]}", "0:1 5:5"},                         // a class inside braces is passed over
        {u"\\12a", "7:3 0:1"},
        {u"\\=ab", "7:3 0:1"},
        {u"\\=\U0001F600", "7:4"},
        {u"\\Qa|b\\Ec", "7:7 0:1"},
        {u"\\Qa|b", "7:5"},                              // no \E: the rest of the pattern
        {u"\\g1\\g{-2}\\g{12}", "7:3 7:6 7:6"},
        {u"\\k<n>x\\k'm'\\kx", "7:5 0:1 7:5 7:2 0:1"},
        {u"\\x4f\\x{3042}", "7:4 7:8"},
        {u"\\\U0001F600", "7:3"},
        {u"\U0001F600a", "0:2 0:1"},
        {u"\xD83Dx", "0:1 0:1"},                        // a lone high surrogate is one unit
        {u"a\xD83D", "0:1 0:1"},
        {u"\\d\\(", "7:2 7:2"},
        {u"(a", "error"},
        {u"a)(", "error"},
        {u"[a", "error"},
        {u"[a\\]", "error"},
        {u"{", "error"},
        {u"a{2", "error"},
        {u"a\\", "error"},
        {u"\\g", "error"},
        {u"\\g{1", "error"},
        {u"\\g0", "error"},
        {u"\\g{-x}", "error"},
        {u"\\k<n", "error"},
        {u"\\x4F", "error"},                            // upper-case hex digits
        {u"\\x4", "error"},
        {u"\\x{30G}", "error"},
        {u"\\x{41", "error"},
        {u"\\=", "error"},
        {u"(?#a", "error"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cut(c.pattern), c.tokens) << std::string(c.pattern.begin(), c.pattern.end());
    }
}

TEST(RegexTokenizer, NulEndsThePattern) {
    std::u16string p(u"ab");
    p.insert(1, 1, u'\0');
    EXPECT_EQ(cut(p), "0:1");
}

}  // namespace
