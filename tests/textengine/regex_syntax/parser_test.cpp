// The parser: the node graph each construct yields (as regex_dump prints
// it), the patterns that are invalid, group bookkeeping and resource bounds.
#include <gtest/gtest.h>

#include <string>

#include "textengine/regex/regex_dump.h"
#include "textengine/regex/regex.h"
#include "textengine/regex/regex_node.h"

namespace {

constexpr int I = REGEX_COMPILE_ICASE;
constexpr int W = REGEX_COMPILE_IWIDTH;

std::string dump(const std::u16string& pattern, int flags = 0) {
    RegexProgram prog;
    std::string out = regex_parse(&prog, pattern.c_str(), int(pattern.size()), flags) == 0
                          ? regex_dump(prog.root)
                          : "INVALID";
    regex_program_free(&prog);
    return out;
}

struct ParseCase {
    std::u16string pattern;
    int flags;
    const char* graph;
};

std::string utf8(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        if (c < 0x80) out += char(c);
        else out += "\\u" + std::to_string(int(c));
    }
    return out;
}

void check(const ParseCase* begin, const ParseCase* end) {
    for (const ParseCase* c = begin; c != end; ++c)
        EXPECT_EQ(dump(c->pattern, c->flags), c->graph) << utf8(c->pattern);
}

TEST(RegexParser, AtomsAndEscapes) {
    const ParseCase cases[] = {
        {u"abc", 0, "'a' 'b' 'c'"},
        {u")]", 0, "')' ']'"},
        {u".", 0, "."},
        {u"(?s).", 0, ".s"},
        {u"(?s:.).", 0, ".s ."},
        {u"^$", 0, "^ $"},
        {u"\\A\\Z\\z\\b\\B\\K", 0, "\\A \\Z \\z \\b \\B \\K"},
        {u"\\=A\\=z\\=^\\=$\\=q", 0, "\\=A \\=z \\=^ \\=$ 'q'"},
        {u"\\f\\n\\r\\t\\e\\.", 0, "'U+000C' 'U+000A' 'U+000D' 'U+0009' 'e' '.'"},
        {u"\\x41\\x{3042}", 0, "'A' 'U+3042'"},
        {u"\\Qa.b|\\E", 0, "'a' '.' 'b' '|'"},
        {u"\\Qa(", 0, "'a' '('"},
        {u"\\k<x>\\kx(?<x>)", 0, "\\k<x> 'k' 'x' (1 1)"},
        {u"\\d\\w", 0, "[0-9] [0-9A-Z_a-z]"},
        {u"Ａa", I, "'U+FF41'/i 'a'/i"},
        {u"Ａ", W, "'A'/w"},
        {u"Ａ", I | W, "'a'/iw"},
        {u"\U0001F600", 0, "'U+1F600'"},
        {u"\xD83D", 0, "'U+D83D'"},                  // a lone surrogate stays one literal
        {u"\\x4F", 0, "INVALID"},
        {u"\\x{}", 0, "INVALID"},
        {u"\\x{110000}", 0, "INVALID"},
        {u"\\x-.", 0, "INVALID"},
        {u"a\\", 0, "INVALID"},
        {u"\\k<>", 0, "INVALID"},
    };
    check(std::begin(cases), std::end(cases));
}

TEST(RegexParser, BackReferences) {
    const ParseCase cases[] = {
        {u"(a)\\1", 0, "(1 'a' 1) \\1"},
        {u"(a)\\1", I, "(1 'a'/i 1) \\1/i"},
        {u"\\12()", 0, "\\1 '2' (1 1)"},                    // more than the groups opened: one digit
        {u"(a)\\12", 0, "(1 'a' 1) \\1 '2'"},
        {u"(a)\\g1\\g{1}", 0, "(1 'a' 1) \\1 \\1"},
        {u"(a)(b)\\g{-1}\\g-2", 0, "(1 'a' 1) (2 'b' 2) \\2 \\1"},
        {u"(a)\\g{-2}", 0, "INVALID"},                // resolves below group 1
        {u"\\g{-1}", 0, "INVALID"},
        {u"\\g{11}", 0, "INVALID"},
        {u"\\g{99999999999}", 0, "INVALID"},
        {u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)\\11", 0,
         "(1 'a' 1) (2 'b' 2) (3 'c' 3) (4 'd' 4) (5 'e' 5) (6 'f' 6) (7 'g' 7) (8 'h' 8) (9 'i' 9) "
         "(10 'j' 10) 'k' \\1 '1'"},
        {u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)\\10", 0,
         "(1 'a' 1) (2 'b' 2) (3 'c' 3) (4 'd' 4) (5 'e' 5) (6 'f' 6) (7 'g' 7) (8 'h' 8) (9 'i' 9) "
         "(10 'j' 10) \\10"},
    };
    check(std::begin(cases), std::end(cases));
}

TEST(RegexParser, AlternationAndOptions) {
    const ParseCase cases[] = {
        {u"a|b", 0, "|('a','b')"},
        {u"a|b|c", 0, "|(|('a','b'),'c')"},          // tried left to right
        {u"(?:a|b)x", 0, "|('a' #1:'x','b' @1)"},
        {u"|", 0, "|(,)"},
        {u"(?i)a|b", 0, "|('a'/i,'b'/i)"},           // an option covers later alternatives
        {u"a(?i)b|c", 0, "|('a' 'b'/i,'c'/i)"},
        {u"((?i)a)b", 0, "(1 'a'/i 1) 'b'"},          // and ends with its group
        {u"(?i:a)a", 0, "'a'/i 'a'"},
        {u"(?i-i:a)", I, "'a'"},
        {u"(?w-i)Ａ", I, "'A'/w"},
        {u"(?)a", 0, "'a'"},
        {u"(?z)", 0, "INVALID"},
        {u"(?i--s)", 0, "INVALID"},
        {u"(?P=x)", 0, "INVALID"},
    };
    check(std::begin(cases), std::end(cases));
}

TEST(RegexParser, Quantifiers) {
    const ParseCase cases[] = {
        {u"a*", 0, "#1:*('a' @1,)"},
        {u"a*?b", 0, "#1:*?('a' @1,'b')"},
        {u"a+", 0, "#1:'a' +(@1,)"},
        {u"a+?", 0, "#1:'a' +?(@1,)"},
        {u"a?", 0, "?('a',)"},
        {u"a??", 0, "?\?('a',)"},
        {u"a(?#x)*", 0, "#1:*('a' @1,)"},
        {u"a{3}", 0, "'a' 'a' 'a'"},
        {u"a{2,3}", 0, "'a' 'a' ?('a',)"},
        {u"a{2,3}?", 0, "'a' 'a' ?\?('a',)"},
        {u"a{2,}", 0, "'a' 'a' #1:*('a' @1,)"},
        {u"a{0,2}", 0, "?('a' ?('a',),)"},
        {u"a{,2}", 0, "?('a' ?('a',),)"},
        {u"a{ 1 , 2 }", 0, "'a' ?('a',)"},
        {u"a{,}", 0, "#1:*('a' @1,)"},
        {u"a{0}", 0, ""},
        {u"a{}", 0, ""},
        {u"a{3,1}", 0, "INVALID"},
        {u"(a){2}", 0, "(1 'a' 1) (1 'a' 1)"},       // copies share the group number
        {u"(a){2}(b)", 0, "(1 'a' 1) (1 'a' 1) (2 'b' 2)"},
        {u"a*+", 0, "{?+0,'a'}"},
        {u"a++b", 0, "{?+1,'a'} 'b'"},
        {u"a?+", 0, "{?+0,1 'a'}"},
        {u"a{2,5}+", 0, "{?+2,5 'a'}"},
        {u"(a*)*", 0, "#1:*(P (1 #2:*('a' @2,1) @1),)"},  // an empty-matching body is checked
        {u"(?:a|)+", 0, "#1:|('a' #2:+(P @1,),@2)"},
        {u"(?:\\b)*", 0, "#1:*(P \\b @1,)"},
        {u"(?:(?=a)b)*", 0, "#1:*({?= 'a'} 'b' @1,)"},
        {u"()\\1*", 0, "(1 1) #1:*(P \\1 @1,)"},
        {u"*a", 0, "INVALID"},
        {u"a**", 0, "INVALID"},
        {u"a|*", 0, "INVALID"},
        {u"{", 0, "INVALID"},
        {u"a{x}", 0, "INVALID"},
        {u"a{1,2,3}", 0, "INVALID"},
        {u"a{100001}", 0, "INVALID"},
    };
    check(std::begin(cases), std::end(cases));
}

TEST(RegexParser, GroupsAndLookaround) {
    const ParseCase cases[] = {
        {u"(a)", 0, "(1 'a' 1)"},
        {u"(?:a)", 0, "'a'"},
        {u"(?<x>a)(?'y'b)(?P<z>c)", 0, "(1 'a' 1) (2 'b' 2) (3 'c' 3)"},
        {u"(?=ab)c", 0, "{?= 'a' 'b'} 'c'"},
        {u"(?!a)", 0, "{?! 'a'}"},
        {u"(?>a+)b", 0, "{?> #1:'a' +(@1,} 'b')"},
        {u"(?<=ab|cd)x", 0, "{?<=2 |('a' 'b' #1:} 'x','c' 'd' @1)"},
        {u"(?<!a)b", 0, "{?<!1 'a'} 'b'"},
        {u"(?<=\\d{3})x", 0, "{?<=3 [0-9] [0-9] [0-9]} 'x'"},
        {u"(?<=(a)(?=b+))", 0, "{?<=1 (1 'a' 1) {?= #1:'b' +(@1,}})"},
        {u"(?<=a{2}+)", 0, "{?<=2 {?+2,2 'a'}}"},
        {u"(?<=(?s).)", 0, "{?<=1 .s}"},
        {u"(?<=a|bc)x", 0, "INVALID"},
        {u"(?<=a+)x", 0, "INVALID"},
        {u"(?<=a?)x", 0, "INVALID"},
        {u"(?<=a{1,2})x", 0, "INVALID"},
        {u"(?<=(a)\\1)x", 0, "INVALID"},              // a back-reference has no fixed width
        {u"(?<=(?R))", 0, "INVALID"},
        {u"(?<>a)", 0, "INVALID"},
        {u"(?<x", 0, "INVALID"},
    };
    check(std::begin(cases), std::end(cases));
}

TEST(RegexParser, RecursionAndConditionals) {
    const ParseCase cases[] = {
        {u"(?R)", 0, "(?R) P"},
        {u"a(?0)", 0, "'a' (?R) P"},
        {u"(a)(?1)", 0, "(1 'a' 1) (?1) P"},
        {u"(?1)(a)", 0, "(?1) P (1 'a' 1)"},          // a later group is fine
        {u"(?&n)(?<n>x)", 0, "(?1) P (1 'x' 1)"},
        {u"(?2)(a)", 0, "INVALID"},                   // no such group
        {u"(?&m)(?<n>x)", 0, "INVALID"},
        {u"(?1x)", 0, "INVALID"},
        {u"(?R1)", 0, "INVALID"},
        {u"(a)?(?(1)b|c)", 0, "?((1 'a' 1) #1:?(g1)('b','c'),@1)"},
        {u"()(?(1)a)", 0, "(1 1) ?(g1)('a',)"},
        {u"()(?(1)a|b|c)", 0, "(1 1) ?(g1)('a',|('b','c'))"},
        {u"(?(<n>)a|b)(?<n>c)", 0, "?(<n>)('a' #1:(1 'c' 1),'b' @1)"},
        {u"(?(R)a|b)(?(R2)c)", 0, "?(R)('a' #1:?(R2)('c',),'b' @1)"},
        {u"(?(?=a)ab|cd)", 0, "?({?= 'a'}})('a' 'b','c' 'd')"},
        {u"(?(Rx)a)", 0, "?('R' 'x'})('a',)"},
        {u"(?(12)a)", 0, "INVALID"},
        {u"(?(0)a)", 0, "INVALID"},
        {u"(?(a", 0, "INVALID"},
    };
    check(std::begin(cases), std::end(cases));
}

TEST(RegexParser, GroupBookkeeping) {
    RegexProgram prog;
    const std::u16string p = u"(?<word>a)(b)(?'word'c)((?:d))";
    ASSERT_EQ(regex_parse(&prog, p.c_str(), -1, 0), 0);
    EXPECT_EQ(prog.group_count, 4);
    EXPECT_EQ(regex_find_group(&prog, u"word", 4), 0);  // the first of a shared name
    EXPECT_EQ(regex_find_group(&prog, u"Word", 4), -1);  // names are case-sensitive
    EXPECT_EQ(regex_find_group(&prog, u"", 0), -1);
    EXPECT_EQ(prog.group_name_lengths[1], 0);
    for (int g = 0; g < prog.group_count; ++g) {
        ASSERT_NE(prog.group_open[g], nullptr);
        EXPECT_EQ(prog.group_open[g]->kind, RN_OPEN);
        EXPECT_EQ(prog.group_open[g]->value, g);
    }
    regex_program_free(&prog);
    EXPECT_EQ(prog.root, nullptr);
    EXPECT_EQ(prog.arena.head, nullptr);
}

TEST(RegexParser, LiteralTextBuildsNoRegexLanguage) {
    RegexProgram prog;
    ASSERT_EQ(regex_parse_literal(&prog, u"C:\\Edit(1)Ｑ", -1, W), 0);
    EXPECT_EQ(regex_dump(prog.root), "'C'/w ':'/w 'U+005C'/w 'E'/w 'd'/w 'i'/w 't'/w '('/w '1'/w ')'/w 'Q'/w");
    regex_program_free(&prog);
    ASSERT_EQ(regex_parse_literal(&prog, u"", -1, 0), 0);
    EXPECT_EQ(regex_dump(prog.root), "");
    regex_program_free(&prog);
}

// Hostile patterns fail cleanly (or parse) instead of exhausting memory or
// the stack.
TEST(RegexParser, ResourceBounds) {
    std::u16string deep(REGEX_MAX_DEPTH + 1, u'(');
    deep += u'a';
    deep += std::u16string(REGEX_MAX_DEPTH + 1, u')');
    EXPECT_EQ(dump(deep), "INVALID");
    std::u16string ok(REGEX_MAX_DEPTH - 10, u'(');
    ok += u"?:a";
    ok += std::u16string(REGEX_MAX_DEPTH - 10, u')');
    ok.replace(0, ok.find(u'?'), std::u16string());
    EXPECT_NE(dump(u"(" + ok + u")"), "INVALID");
    EXPECT_EQ(dump(std::u16string(100000, u'(')), "INVALID");
    EXPECT_EQ(dump(u"(?:a{1000}){1000}"), "INVALID");  // node cap
    EXPECT_EQ(dump(u"((a{100000}){100000}){100000}"), "INVALID");

    // Wide lookbehinds are measured without recursion on the host stack.
    std::u16string alts = u"(?<=a";
    for (int i = 0; i < 30000; ++i) alts += u"|b";
    alts += u")x";
    RegexProgram prog;
    ASSERT_EQ(regex_parse(&prog, alts.c_str(), -1, 0), 0);
    const RegexNode* n = prog.root;
    while (n->kind == RN_EMPTY) n = n->next;
    EXPECT_EQ(n->kind, RN_LOOKBEHIND);
    EXPECT_EQ(n->value, 1);
    regex_program_free(&prog);
    std::u16string lit = u"(?<=" + std::u16string(50000, u'a') + u")";
    ASSERT_EQ(regex_parse(&prog, lit.c_str(), -1, 0), 0);
    for (n = prog.root; n->kind == RN_EMPTY;) n = n->next;
    EXPECT_EQ(n->value, 50000);
    regex_program_free(&prog);
}

TEST(RegexParser, NodeCapAndSerials) {
    RegexProgram prog;
    RegexNode* a = regex_new_node(&prog, RN_EMPTY);
    RegexNode* b = regex_new_node(&prog, RN_CHAR);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->serial + 1, b->serial);
    EXPECT_EQ(b->next, nullptr);
    prog.serial = REGEX_MAX_NODES;
    EXPECT_EQ(regex_new_node(&prog, RN_EMPTY), nullptr);
    // Big requests get a block of their own and stay aligned.
    void* big = regex_arena_alloc(&prog.arena, 5000);
    void* small = regex_arena_alloc(&prog.arena, 3);
    ASSERT_TRUE(big && small);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(small) % sizeof(void*), 0u);
    regex_program_free(&prog);
}

}  // namespace

namespace {

TEST(RegexCompileErrors, EachPatternTheEngineCannotHonourHasItsReason) {
    std::u16string many;  // 50,000 alternatives
    for (int i = 0; i < 50000; ++i) many += i ? u"|ab" : u"ab";
    struct Case {
        std::u16string pattern;
        int error;
    } const cases[] = {
        {u"a{2,1}", REGEX_COMPILE_BAD_RANGE},
        {u"a{2,}", REGEX_COMPILE_OK},
        {u"\\9", REGEX_COMPILE_NO_GROUP},
        {u"(a)\\2", REGEX_COMPILE_NO_GROUP},
        {u"\\2(a)(b)", REGEX_COMPILE_OK},  // a group may follow its reference
        {u"(a)\\g{-2}", REGEX_COMPILE_NO_GROUP},
        {u"(?(2)a|b)", REGEX_COMPILE_NO_GROUP},
        {u"(a)(?2)", REGEX_COMPILE_NO_GROUP},
        {u"\\k<y>", REGEX_COMPILE_NO_NAME},
        {u"(?<x>a)\\k<y>", REGEX_COMPILE_NO_NAME},
        {u"\\k<x>(?<x>a)", REGEX_COMPILE_OK},
        {u"(?(<y>)a|b)", REGEX_COMPILE_NO_NAME},
        {u"(?&y)", REGEX_COMPILE_NO_NAME},
        {u"[[:foo:]]", REGEX_COMPILE_UNKNOWN_CLASS},
        {u"[[:alpha:]]", REGEX_COMPILE_OK},
        {many, REGEX_COMPILE_TOO_LARGE},
        {u"a{100001}", REGEX_COMPILE_TOO_LARGE},
        {std::u16string(300, u'(') + std::u16string(300, u')'), REGEX_COMPILE_TOO_LARGE},
        {u"(a", REGEX_COMPILE_INVALID},
        {u"*a", REGEX_COMPILE_INVALID},
    };
    for (const Case& c : cases) {
        int error = -1;
        CompiledRegex* re = regex_compile_checked(c.pattern.data(), int(c.pattern.size()), 0, &error);
        EXPECT_EQ(error, c.error) << utf8(c.pattern.substr(0, 20));
        EXPECT_EQ(re != nullptr, c.error == REGEX_COMPILE_OK) << utf8(c.pattern.substr(0, 20));
        regex_free(re);
    }
    // Every reason reads differently, and the plain one is the editor's.
    EXPECT_EQ(std::u16string(regex_compile_error_text(REGEX_COMPILE_INVALID)), u"不正な正規表現です");
    for (int a = REGEX_COMPILE_INVALID; a <= REGEX_COMPILE_NO_MEMORY; ++a)
        for (int b = a + 1; b <= REGEX_COMPILE_NO_MEMORY; ++b)
            EXPECT_NE(std::u16string(regex_compile_error_text(a)), regex_compile_error_text(b)) << a << " " << b;
}

}  // namespace
