// Replacement templates and the string replace.
#include <gtest/gtest.h>

#include "regex_test_util.h"

namespace {

struct ReplaceCase {
    const char* pattern;
    const char* tmpl;
    bool all;
    const char* text;
    const char* expected;
};

TEST(RegexReplace, Table) {
    const ReplaceCase cases[] = {
        {"o", "[$&]", true, "foo", "f[o][o]"},
        {"o", "[$&]", false, "foo", "f[o]o"},
        {"x*", "-", true, "abc", "-a-b-c-"},
        {"a*", "-", true, "baaac", "-b--c-"},
        {"a*", "-", true, "aab", "--b-"},
        {"(a)|(b)", "[$2]", true, "a", "[]"},
        {"b", "\\$1", true, "abc", "a$1c"},
        {"b", "$x", true, "abc", "a$xc"},
        {"b", "\\n\\t\\\\", true, "abc", "a\n\t\\c"},
        {"b", "\\&$", true, "abc", "ab$c"},  // "\&" is the match too
        {"(\\w+) (\\w+)", "$2 $1", true, "hello world", "world hello"},
        {"(\\w+) (\\w+)", "\\2 \\1", true, "hello world", "world hello"},
        {"b", "<$`|$'>", true, "ab\ncd", "a<a|>\ncd"},
        {"c", "<$`|$'>", true, "ab\ncd", "ab\n<ab\n|d>d"},
        {"(a)(b)?", "$+", true, "ab a", "b a"},
        {"(?<w>\\d+)x", "$+{w}/$+{v}", true, "12x", "12/"},
        {"(a)", "$10", true, "a", "a0"},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "$10", true, "abcdefghij", "j"},
        {"日本", "にほん", true, "日本語の日本", "にほん語のにほん"},
        {"z", "y", true, "abc", "abc"},
        {"😀", "[$&]", true, "a😀b", "a[😀]b"},
        {"$", "!", true, "ab", "ab!"},
        // A CR LF stays whole: edits at a break go before its CR.
        {"^", "> ", true, "a\r\n\r\nb", "> a\r\n> \r\n> b"},
        {"(^)", "> ", true, "\r\na", "> \r\n> a"},
        {"$", "!", true, "a\r\nb\r\n", "a!\r\nb!\r\n!"},
        {"(a$)", "[$1]", true, "a\r\nb", "[a]\r\nb"},
        {"(^)(\\n)", "[$1|$2]", true, "a\r\n\r\nb", "a\r\n[|\r\n]b"},
    };
    for (const auto& c : cases) {
        std::u16string pat = u16(c.pattern), tmpl = u16(c.tmpl), text = u16(c.text);
        RegexPtr re(regex_compile_n(pat.data(), int(pat.size()), 0));
        ASSERT_TRUE(re) << c.pattern;
        const char16_t* out =
            regex_replace_string(re.get(), text.c_str(), tmpl.c_str(), c.all, nullptr, 0, nullptr, nullptr);
        ASSERT_NE(out, nullptr) << c.pattern;
        EXPECT_EQ(u8(out), c.expected) << c.pattern << " -> " << c.tmpl;
        regex_free_replace_result(out, text.c_str(), nullptr);
    }
}

TEST(RegexReplace, NoMatchGivesTheTextItself) {
    RegexPtr re(regex_compile(u"q", 0));
    const char16_t* text = u"abc";
    EXPECT_EQ(regex_replace_string(re.get(), text, u"x", true, nullptr, 0, nullptr, nullptr), text);
    EXPECT_EQ(regex_replace_string(nullptr, text, u"x", true, nullptr, 0, nullptr, nullptr), text);
}

TEST(RegexReplace, CallerBufferUsedWhileItFits) {
    RegexPtr re(regex_compile(u"b", 0));
    char16_t buf[8];
    const char16_t* out = regex_replace_string(re.get(), u"abc", u"XY", true, buf, 8, nullptr, nullptr);
    EXPECT_EQ(out, buf);
    EXPECT_EQ(std::u16string(out), u"aXYc");
    // Too small: the result moves to the heap, the buffer is never overrun.
    char16_t tiny[3] = {u'#', u'#', u'#'};
    out = regex_replace_string(re.get(), u"abcabcabc", u"XYZW", true, tiny, 2, nullptr, nullptr);
    ASSERT_NE(out, nullptr);
    EXPECT_NE(out, tiny);
    EXPECT_EQ(tiny[2], u'#');
    EXPECT_EQ(std::u16string(out), u"aXYZWcaXYZWcaXYZWc");
    regex_free_replace_result(out, nullptr, tiny);
}

TEST(RegexReplace, CallbackGivesTheTextOrStops) {
    RegexPtr re(regex_compile(u"(\\d)", 0));
    struct Count {
        int calls = 0;
    } count;
    auto cb = [](void* user, CompiledRegex* r) -> const char16_t* {
        auto* c = static_cast<Count*>(user);
        ++c->calls;
        return r->last_groups[0].start_col == 1 ? u"one" : u"other";
    };
    const char16_t* out = regex_replace_string(re.get(), u"a1b2", nullptr, true, nullptr, 0, cb, &count);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::u16string(out), u"aonebother");
    EXPECT_EQ(count.calls, 2);
    regex_free_replace_result(out, nullptr, nullptr);
    auto stop = [](void*, CompiledRegex*) -> const char16_t* { return nullptr; };
    EXPECT_EQ(regex_replace_string(re.get(), u"a1", nullptr, true, nullptr, 0, stop, nullptr), nullptr);
}

TEST(RegexTemplate, SequencesAndMeasuring) {
    EXPECT_EQ(regex_template_has_sequences(u"plain $x text"), 0);
    EXPECT_EQ(regex_template_has_sequences(u"a$1"), 1);
    EXPECT_EQ(regex_template_has_sequences(u"a\\n"), 1);
    EXPECT_EQ(regex_template_has_sequences(u"trailing\\"), 0);
    RegexPtr re(regex_compile(u"(b+)", 0));
    const char16_t* text = u"abbbc";
    RegexStringHost host{text, 5};
    RegexTextOps ops = regex_string_ops(&host);
    ASSERT_EQ(regex_search_string(re.get(), text, 0, nullptr, nullptr), 1);
    const RegexPos s = re.get()->match_start, e = re.get()->match_end;
    EXPECT_EQ(regex_expand_template(&ops, s, e, u"<$1$1>", re.get(), nullptr, 0), 9);
    char16_t small[4];
    EXPECT_EQ(regex_expand_template(&ops, s, e, u"<$1$1>", re.get(), small, 4), 9);
    EXPECT_EQ(std::u16string(small), u"<bb");
}

}  // namespace
