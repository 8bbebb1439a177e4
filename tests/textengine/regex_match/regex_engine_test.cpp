// Captures, strategies, resource bounds, the literal entry point and the
// multi-line text access.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "regex_test_util.h"
#include "textengine/cpu_features.h"
#include "textengine/regex/regex_internal.h"
#include "textengine/regex_line_host.h"

namespace {

RegexPtr compile(const char* pattern, int flags = 0) {
    std::u16string p = u16(pattern);
    return RegexPtr(regex_compile_n(p.data(), int(p.size()), flags));
}

// Groups of the last match as "g1|g2|..." with "~" for an unset group.
std::string groups_of(const CompiledRegex* re, const std::u16string& subj) {
    std::string out;
    for (int g = 0; g < re->prog.group_count; ++g) {
        if (g) out += "|";
        const RegexGroupSlot& s = re->last_groups[g];
        out += s.length < 0 ? "~" : u8(subj.substr(size_t(s.start_col), size_t(s.length)));
    }
    return out;
}

struct CaptureCase {
    const char* pattern;
    const char* subject;
    const char* groups;
};

TEST(RegexCaptures, Table) {
    const CaptureCase cases[] = {
        {"(a)(b)?", "a", "a|~"},
        {"(a|b)*", "abab", "b"},
        {"(a+)(a+)", "aaaa", "aaa|a"},
        {"(?<x>\\d+)-(\\d+)", "12-345", "12|345"},
        {"(a)|(b)", "b", "~|b"},
        {"(?:(a)|b)+", "ab", "a"},
        {"(?=(ab))a", "ab", "ab"},
        {"(?>(a+))b", "aab", "aa"},
        {"((a)b)+", "abab", "ab|a"},
        {"(a)(?:(?1))", "aa", "a"},
        {"(x)?(?(1)y|z)", "z", "~"},
        {"(?(?=(a))ab|c)", "ab", "a"},
        {"(a?)*+", "aa", ""},  // the last round matched empty
        {"(a(b))++", "abab", "ab|b"},
    };
    for (const auto& c : cases) {
        RegexPtr re = compile(c.pattern);
        ASSERT_TRUE(re) << c.pattern;
        std::u16string subj = u16(c.subject);
        ASSERT_EQ(regex_search_string(re.get(), subj.c_str(), 0, nullptr, nullptr), 1) << c.pattern;
        EXPECT_EQ(groups_of(re.get(), subj), c.groups) << c.pattern;
    }
}

TEST(RegexStrategy, ChosenFromTheFirstNode) {
    std::string long127 = "ab" + std::string(125, 'x');
    std::string long129(129, 'y');
    const struct {
        std::string pattern;
        int strategy;
    } cases[] = {
        {"abc", REGEX_STRATEGY_LITERAL},
        {"abc|abd", REGEX_STRATEGY_FIRST_CHAR},
        {"ab", REGEX_STRATEGY_FIRST_CHAR},
        {long127, REGEX_STRATEGY_LITERAL},
        {long129, REGEX_STRATEGY_FIRST_CHAR},
        {"^x", REGEX_STRATEGY_LINE_START},
        {"\\bx", REGEX_STRATEGY_WORD_BOUNDARY},
        {"[ab]c", REGEX_STRATEGY_FIRST_SET},
        {"foo|bar|baz", REGEX_STRATEGY_FIRST_SET},
        {"日本|東京", REGEX_STRATEGY_FIRST_SET},
        {".x", REGEX_STRATEGY_EVERY},
        {"x*", REGEX_STRATEGY_EVERY},
        {"(?=abc)abcd", REGEX_STRATEGY_LITERAL},
        {"(?!abc)x", REGEX_STRATEGY_EVERY},
        {".*x", REGEX_STRATEGY_LEADING_DOTS},
        {"(.+?)x", REGEX_STRATEGY_LEADING_DOTS},
        {"(.*)\\1", REGEX_STRATEGY_EVERY},  // the captures decide: every start counts
    };
    for (const auto& c : cases) {
        RegexPtr re = compile(c.pattern.c_str());
        ASSERT_TRUE(re) << c.pattern;
        EXPECT_EQ(re.get()->strategy, c.strategy) << c.pattern;
    }
}

TEST(RegexStrategy, NegativeLookaheadIsNoLiteralPrefix) {
    RegexPtr re = compile("(?!abc)[a-z]+");
    int col = -1, len = 0;
    ASSERT_EQ(regex_search_string(re.get(), u"abc", 0, &col, &len), 1);
    EXPECT_EQ(col, 1);
}

TEST(RegexStrategy, GraphDroppedOnlyForOneWholeString) {
    RegexPtr one = compile("hello");
    EXPECT_TRUE(one.get()->graph_dropped);
    // Two strings of different flags: the second must still be checked.
    RegexPtr two = compile("abc(?i)def");
    EXPECT_FALSE(two.get()->graph_dropped);
    EXPECT_EQ(regex_search_string(two.get(), u"abcxyz", 0, nullptr, nullptr), 0);
    RegexPtr cap = compile("(abc)");
    EXPECT_FALSE(cap.get()->graph_dropped);
}

TEST(RegexStrategy, FirstSetScansAgreeWithAWalk) {
    // Random texts long enough for the block scans, each searched by the
    // product's strategy (with and without the wide scan) and by the plain
    // walk over every position.
    std::mt19937 random(5);
    const std::u16string alphabet = u"abcxAB ぁあんァフデオａＢ\xD83D\xDE00\r\n";
    // The long classes are listed out of order, as a pasted list would be.
    const std::string many = "ヴんをろるりらよゆやもめむみまほへふひはのぬにねなとてつちたそせすしさこけくきかおえういあbＢ";
    const struct {
        std::string pattern;
        int flags;
    } patterns[] = {{"[ぁ-ん]+", 0}, {"ファイル|デ|オプ", 0}, {"[a-c]x", 0}, {"(?i)ab|x", 0}, {"[^a]b", 0},
                    {"[ぁんa-c]+b|フ", 0}, {"(?:あ|ん|a|b|x|A|デ)c", 0}, {"\\w+", 0},
                    {"[" + many + "]+", 0}, {"[^" + many + "]", 0}, {"[" + many + "]", REGEX_COMPILE_IWIDTH},
                    {"[^" + many + "]b", REGEX_COMPILE_IWIDTH}};
    for (const auto& [p, flags] : patterns) {
        RegexPtr product = compile(p.c_str(), flags);
        RegexPtr plain = compile(p.c_str(), flags);
        ASSERT_TRUE(product && plain) << p;
        plain.get()->search = regex_strategy_every;
        plain.get()->run_atom = nullptr;  // the machine itself, too
        for (int round = 0; round < 60; ++round) {
            std::u16string text;
            const int n = int(random() % 90);
            for (int i = 0; i < n; ++i) text += alphabet[random() % alphabet.size()];
            AllowCpuExtensions(round % 2 == 0);
            for (int from = 0; from <= n; from += 7) {
                int c1 = -1, l1 = -1, c2 = -1, l2 = -1;
                const int r1 = regex_search_string_n(product.get(), text.c_str(), n, from, &c1, &l1);
                const int r2 = regex_search_string_n(plain.get(), text.c_str(), n, from, &c2, &l2);
                ASSERT_EQ(r1, r2) << p << " round " << round;
                ASSERT_EQ(c1, c2) << p << " round " << round;
                ASSERT_EQ(l1, l2) << p << " round " << round;
            }
        }
    }
    AllowCpuExtensions(true);
}

TEST(RegexSearch, StartColumnAndRepeatedSearch) {
    RegexPtr re = compile("a+");
    std::u16string s = u"baa aaa a";
    std::vector<std::pair<int, int>> found;
    int from = 0, col, len;
    while (regex_search_string(re.get(), s.c_str(), from, &col, &len) == 1) {
        found.emplace_back(col, len);
        from = col + len;
    }
    EXPECT_EQ(found, (std::vector<std::pair<int, int>>{{1, 2}, {4, 3}, {8, 1}}));
    EXPECT_EQ(regex_search_string(nullptr, s.c_str(), 0, &col, &len), -1);
    EXPECT_EQ(len, 0);
}

TEST(RegexSearch, LineStartFromTheMiddleOfALine) {
    RegexPtr re = compile("^x");
    int col = -1;
    ASSERT_EQ(regex_search_string(re.get(), u"xax\nxb", 1, &col, nullptr), 1);
    EXPECT_EQ(col, 4);
}

// Faults that once read past the text or looped.
TEST(RegexBounds, LoneHighSurrogateAtTheEnd) {
    std::u16string subject = u"a";
    subject += char16_t(0xD800);
    RegexPtr any = compile("(?s).");
    int col, len;
    ASSERT_EQ(regex_search_string(any.get(), subject.c_str(), 1, &col, &len), 1);
    EXPECT_EQ(len, 1);
    RegexPtr pair = compile("\\x{10000}");
    EXPECT_EQ(regex_search_string(pair.get(), subject.c_str(), 0, &col, &len), 0);
    // A pattern ending in a lone high surrogate.
    std::u16string pat = u"a";
    pat += char16_t(0xD800);
    RegexPtr lone(regex_compile_n(pat.data(), int(pat.size()), 0));
    ASSERT_TRUE(lone);
    EXPECT_EQ(regex_search_string(lone.get(), subject.c_str(), 0, &col, &len), 1);
    EXPECT_EQ(len, 2);
}

TEST(RegexBounds, StarOverAMillionUnitsNeedsNoFramePerRound) {
    std::u16string line(1000000, u'x');
    line += u"end";
    RegexPtr re = compile(".*end");
    int col, len;
    ASSERT_EQ(regex_search_string(re.get(), line.c_str(), 0, &col, &len), 1);
    EXPECT_EQ(len, 1000003);
    RegexPtr cls = compile("[a-z]+d");
    ASSERT_EQ(regex_search_string(cls.get(), line.c_str(), 0, &col, &len), 1);
    EXPECT_EQ(len, 1000003);
}

TEST(RegexBounds, RunningOutOfFramesIsAnErrorNotNoMatch) {
    std::u16string s;
    for (int i = 0; i < 100000; ++i) s += u"ab";
    s += u"c";  // the character every match holds is there: the machine must run
    // The back-reference keeps failed states unrecorded, so every choice
    // point stays on the stack.
    RegexPtr re = compile("(x)?(?:.b|\\1)*c");
    int col, len;
    EXPECT_EQ(regex_search_string(re.get(), s.c_str(), 0, &col, &len), REGEX_ERR_STACK);
    EXPECT_EQ(regex_replace_string(re.get(), s.c_str(), u"x", true, nullptr, 0, nullptr, nullptr), nullptr);
    // The regex stays usable.
    EXPECT_EQ(regex_search_string(re.get(), u"ababc", 0, &col, &len), 1);
    EXPECT_EQ(len, 5);
}

TEST(RegexBounds, ExponentialBacktrackingHitsTheBudget) {
    std::u16string s = std::u16string(40, u'a') + u"bc";
    RegexPtr re = compile("(a|aa)*\\1c");  // a back-reference: failures cannot be remembered
    re.get()->budget = 100000;
    EXPECT_EQ(regex_search_string(re.get(), s.c_str(), 0, nullptr, nullptr), REGEX_ERR_BUDGET);
}

TEST(RegexBounds, EmptyLoopsTerminate) {
    for (const char* p : {"(a?)*+b", "(a?)*b", "(|a)*b", "(a*)*b", "(a*)+b", "(?:a?)*?b", "(a?){2,}+b"}) {
        RegexPtr re = compile(p);
        ASSERT_TRUE(re) << p;
        std::u16string s(12, u'a');
        int r = regex_search_string(re.get(), s.c_str(), 0, nullptr, nullptr);
        EXPECT_EQ(r, 0) << p;
    }
}

TEST(RegexBounds, LongLiteralChainsCompileInLinearTime) {
    RegexPtr re = compile("x-{100000}");
    ASSERT_TRUE(re);
    std::u16string s = u"x" + std::u16string(100000, u'-');
    int col = -1, len = -1;
    ASSERT_EQ(regex_search_string(re.get(), s.c_str(), 0, &col, &len), 1);
    EXPECT_EQ(len, 100001);
}

TEST(RegexBounds, LeftRecursionFails) {
    RegexPtr re = compile("(?R)a|b");
    ASSERT_TRUE(re);
    int col, len;
    EXPECT_EQ(regex_search_string(re.get(), u"baa", 0, &col, &len), 1);
}

TEST(RegexLiteral, TextIsNeverPatternLanguage) {
    for (int flags : {0, 1, 2, 3}) {
        RegexPtr re(regex_compile_literal(u"C:\\Edit(1)", flags));
        ASSERT_TRUE(re);
        int col, len;
        ASSERT_EQ(regex_search_string(re.get(), u"open C:\\Edit(1) now", 0, &col, &len), 1) << flags;
        EXPECT_EQ(col, 5);
        EXPECT_EQ(len, 10);
    }
    RegexPtr wide(regex_compile_literal(u"ABC", REGEX_COMPILE_IWIDTH | REGEX_COMPILE_ICASE));
    int col, len;
    ASSERT_EQ(regex_search_string(wide.get(), u"xａｂｃ", 0, &col, &len), 1);
    EXPECT_EQ(col, 1);
    RegexPtr empty(regex_compile_literal(u"", 0));
    ASSERT_TRUE(empty);
    EXPECT_EQ(regex_search_string(empty.get(), u"abc", 0, &col, &len), 0);
    RegexPtr empty_w(regex_compile_literal(u"", REGEX_COMPILE_IWIDTH));
    ASSERT_TRUE(empty_w);
    EXPECT_EQ(regex_search_string(empty_w.get(), u"abc", 0, &col, &len), 0);
    RegexPtr icase(regex_compile_literal(u"AbC", REGEX_COMPILE_ICASE));
    ASSERT_EQ(regex_search_string(icase.get(), u"xxabc", 0, &col, &len), 1);
    EXPECT_EQ(col, 2);
}

TEST(RegexLiteral, SearcherNeverSplitsAPair) {
    // The low half of a pair followed by "x" must not match a lone low unit.
    std::u16string pat;
    pat += char16_t(0xDE00);
    pat += u"xy";
    std::u16string text = u"😀xy";
    RegexPtr re(regex_compile_literal(pat.c_str(), 0));
    EXPECT_EQ(regex_search_string(re.get(), text.c_str(), 0, nullptr, nullptr), 0);
}

// The literal search against a walk over every start, on texts long and
// short enough for both its block scan and its shift loop: case kept (with
// pairs that a hit must not split) and ASCII case ignored.
TEST(RegexLiteral, SearchAgreesWithAWalk) {
    std::mt19937 random(11);
    const std::u16string kept = u"aＢ\xD83D\xDE00", folded = u"aAbBxＡａ";
    for (int round = 0; round < 400; ++round) {
        const bool icase = round % 2;
        AllowCpuExtensions(round % 4 < 2);  // the wide block scan and the baseline one
        const std::u16string& alphabet = icase ? folded : kept;
        auto pick = [&](std::size_t n) {
            std::u16string t;
            for (std::size_t i = 0; i < n; ++i) t += alphabet[random() % alphabet.size()];
            return t;
        };
        const std::u16string pat = pick(3 + random() % 6), text = pick(random() % 160);  // long enough for the wide scan
        RegexPtr re(regex_compile_literal(pat.c_str(), icase ? REGEX_COMPILE_ICASE : 0));
        ASSERT_TRUE(re);
        auto fold = [&](char16_t c) {
            return icase && ((c >= 'A' && c <= 'Z') || (c >= 0xFF21 && c <= 0xFF3A)) ? char16_t(c + 32) : c;
        };
        auto hi = [](char16_t c) { return c >= 0xD800 && c < 0xDC00; };
        auto lo = [](char16_t c) { return c >= 0xDC00 && c < 0xE000; };
        const int n = int(text.size()), m = int(pat.size());
        for (int from = 0; from <= n; ++from) {
            int want = -1;
            for (int q = from; q + m <= n && want < 0; ++q) {
                int j = 0;
                while (j < m && fold(text[q + j]) == fold(pat[j])) ++j;
                const bool split = (q > 0 && hi(text[q - 1]) && lo(text[q])) || (q + m < n && hi(text[q + m - 1]) && lo(text[q + m]));
                if (j == m && !split) want = q;
            }
            int col = -1, len = 0;
            const int found = regex_search_string(re.get(), text.c_str(), from, &col, &len);
            ASSERT_EQ(found == 1 ? col : -1, want) << round << " from " << from;
        }
    }
    AllowCpuExtensions(true);
}

// The engine over a host of several lines, read as the buffer presents them.
struct LinesCase {
    const char* pattern;
    std::vector<std::pair<int, int>> starts;  // (line, col) of every match
};

TEST(RegexLines, MatchesAcrossLineEnds) {
    const RegexTextLines host(u"abc\nxab\n\nab c\r\nend");
    RegexTextOps ops = host.Ops();
    const LinesCase cases[] = {
        {"ab", {{0, 0}, {1, 1}, {3, 0}}},
        {"abc", {{0, 0}}},
        {"^", {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}},
        {"$", {{0, 3}, {1, 3}, {2, 0}, {3, 4}, {4, 3}}},
        {"c\\nx", {{0, 2}}},
        {"\\n\\n", {{1, 3}}},
        {"(?s)b.*d", {{0, 1}}},
        {"b.*", {{0, 1}, {1, 2}, {3, 1}}},
        {"\\bab", {{0, 0}, {3, 0}}},
        {"[c\\n]+", {{0, 2}, {1, 3}, {3, 3}}},
        {"(?<=\\n)e", {{4, 0}}},
        {"d\\Z", {{4, 2}}},
    };
    for (const auto& c : cases) {
        RegexPtr re = compile(c.pattern);
        ASSERT_TRUE(re) << c.pattern;
        std::vector<std::pair<int, int>> got;
        RegexPos pos{0, 0};
        for (int guard = 0; guard < 100; ++guard) {
            RegexPos end;
            RegexPos at = pos;
            int r = re.get()->search(re.get(), &ops, &at, &end, RegexPos{-1, 0});
            ASSERT_GE(r, 0);
            if (r == 0) break;
            got.emplace_back(at.line, at.col);
            if (end.line == at.line && end.col == at.col) {
                const char16_t* cur = ops.char_at(ops.host, end);
                if (*cur == 0) break;
                pos = end;
                regex_step(&ops, &pos, cur);
            } else {
                pos = end;
            }
        }
        EXPECT_EQ(got, c.starts) << c.pattern;
    }
}

TEST(RegexLines, LimitStopsTheSearch) {
    const RegexTextLines host(u"aaa\nbbb\nccc");
    RegexTextOps ops = host.Ops();
    for (const char* p : {"c", "ccc", "[c]", "^c", "c|d"}) {
        RegexPtr re = compile(p);
        RegexPos at{0, 0}, end;
        EXPECT_EQ(re.get()->search(re.get(), &ops, &at, &end, RegexPos{1, 3}), 0) << p;
        at = {0, 0};
        EXPECT_EQ(re.get()->search(re.get(), &ops, &at, &end, RegexPos{2, 0}), 1) << p;
    }
}

TEST(RegexLines, SearchOpsAndTemplatesThroughAHost) {
    const RegexTextLines host(u"one two\nthree four");
    RegexTextOps ops = host.Ops();
    RegexPtr re = compile("(t\\w+) (\\w+)");
    ASSERT_EQ(regex_search_ops(re.get(), &ops), 1);
    EXPECT_EQ(re.get()->match_start.line, 1);
    EXPECT_EQ(re.get()->match_start.col, 0);
    char16_t out[64];
    int n = regex_expand_template(&ops, re.get()->match_start, re.get()->match_end, u"[$2 $1|$`|$']", re.get(),
                                  out, 64);
    EXPECT_EQ(std::u16string(out), u"[four three||]");
    EXPECT_EQ(n, 15);
    RegexPtr span = compile("two\\nthree");
    ASSERT_EQ(regex_search_ops(span.get(), &ops), 1);
    n = regex_expand_template(&ops, span.get()->match_start, span.get()->match_end, u"<$&>", span.get(), out, 64);
    EXPECT_EQ(std::u16string(out), u"<two\nthree>");
    EXPECT_EQ(regex_copy_text(out, 5, &ops, RegexPos{0, 4}, 7), 5);
}

}  // namespace

namespace {

TEST(RegexHostAnchors, HooksDecideAndMissingHooksFail) {
    const RegexTextLines host(u"abab\ncd");
    RegexTextOps ops = host.Ops();
    RegexPtr start = compile("\\=A.");
    RegexPtr end = compile(".\\=z");
    RegexPtr line_start = compile("\\=^.");
    RegexPtr line_end = compile(".\\=$");
    // Without hooks an anchor never holds.
    EXPECT_EQ(regex_search_ops(start.get(), &ops), 0);
    // A selection from (0, 2) to (1, 1).
    ops.anchor[0] = [](void*, RegexPos p) { return int(p.line == 0 && p.col == 2); };
    ops.anchor[1] = [](void*, RegexPos p) { return int(p.line == 1 && p.col == 1); };
    ops.anchor[2] = [](void*, RegexPos p) { return int((p.line == 0 && p.col == 2) || (p.line == 1 && p.col == 0)); };
    ops.anchor[3] = [](void*, RegexPos p) { return int((p.line == 0 && p.col == 4) || (p.line == 1 && p.col == 1)); };
    ASSERT_EQ(regex_search_ops(start.get(), &ops), 1);
    EXPECT_EQ(start.get()->match_start.col, 2);
    ASSERT_EQ(regex_search_ops(end.get(), &ops), 1);
    EXPECT_EQ(end.get()->match_start.line, 1);
    EXPECT_EQ(end.get()->match_start.col, 0);
    ASSERT_EQ(regex_search_ops(line_start.get(), &ops), 1);
    EXPECT_EQ(line_start.get()->match_start.col, 2);
    ASSERT_EQ(regex_search_ops(line_end.get(), &ops), 1);
    EXPECT_EQ(line_end.get()->match_start.col, 3);
}

TEST(RegexRecursion, ConditionsSeeTheRecursion) {
    const struct {
        const char* pattern;
        const char* subject;
        const char* match;
    } cases[] = {
        {"(?(R)a|b(?R))", "ba", "ba"},
        {"(x(?(R1)y|(?1)))", "xxy", "xxy"},
        {"(?<p>\\((?:[^()]|(?&p))*\\))", "((a)(b))", "((a)(b))"},
        {"(?<q>a)(?(<q>)b|c)", "ab", "ab"},
        {"(?<q>a)?\\k<q>", "aa", "aa"},
    };
    for (const auto& c : cases) {
        RegexPtr re = compile(c.pattern);
        ASSERT_TRUE(re) << c.pattern;
        std::u16string s = u16(c.subject);
        int col = -1, len = 0;
        ASSERT_EQ(regex_search_string(re.get(), s.c_str(), 0, &col, &len), 1) << c.pattern;
        EXPECT_EQ(u8(s.substr(size_t(col), size_t(len))), c.match) << c.pattern;
    }
}

}  // namespace
