// The engine at its limits: searches of long lines stay linear, remembered
// failures never change a result, and the step budget bounds a whole search.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regex_test_util.h"
#include "textengine/cpu_features.h"
#include "textengine/regex/regex_internal.h"
#include "textengine/regex_line_host.h"

namespace {

RegexPtr compile(const std::u16string& p, int flags = 0) {
    return RegexPtr(regex_compile_n(p.data(), int(p.size()), flags));
}

// The same pattern run by the plain machine at every position: no record of
// failed states, no required character, no run loop.
RegexPtr compile_plain(const std::u16string& p, int flags = 0) {
    CompiledRegex* re = regex_compile_n(p.data(), int(p.size()), flags);
    if (re) {
        regex_memo_free(re->memo);
        re->memo = nullptr;
        re->search = regex_strategy_every;
        delete re->required;
        re->required = nullptr;
        re->run_atom = nullptr;
    }
    return RegexPtr(re);
}

// Every match from each match end, with its groups: "col+len(g1,g2..) ...".
std::string all_matches(CompiledRegex* re, const std::u16string& s) {
    std::string out;
    int from = 0, col, len;
    for (;;) {
        const int r = regex_search_string_n(re, s.c_str(), int(s.size()), from, &col, &len);
        if (r != 1) {
            if (r < 0) out += "error" + std::to_string(r);
            return out;
        }
        out += std::to_string(col) + "+" + std::to_string(len) + "(";
        for (int g = 0; g < re->prog.group_count; ++g) {
            const RegexGroupSlot& slot = re->last_groups[g];
            if (g) out += ",";
            if (slot.length < 0) {
                out += "~";
            } else {
                out += std::to_string(slot.start_col);
                out += ":";
                out += std::to_string(slot.length);
            }
        }
        out += ") ";
        from = col + (len > 0 ? len : 1);
        if (from > int(s.size())) return out;
    }
}

TEST(RegexLimits, RememberedFailuresNeverChangeAMatchOrItsGroups) {
    // Each pattern on each subject: the plain machine tried at every position
    // and the engine remembering failed states from the first try on agree on
    // every match and group.
    const char* patterns[] = {
        "(a|ab)(c|bcd)(d*)", "(\\w+)\\s*=", "[^,]*,[^,]*,x", "(a|aa)*b", "(a*?)(a|b)+?c", ".*x[0-9]",
        "(.+)(\\d)", "(?:ab|a)(?:bc|c)*", "\\s+$", "(x+x+)+y", "(?=(a+))a*b", "(?>a|ab)c|(a|b)*",
        "(a+)+b|a", "\\b(\\w+)\\b.*?\\b(\\w+)$", "(a|b|ab)*?c", "([ぁ-ん]+|カ)+。",
        "(?=[xab]*(a|b)c)[xab]b", ".*x", "(.*?)(x|y)", ".+(\\d)", "(?s).*x", "(?s)(.+?)x$",
        // counted repeats, empty loops, back-references, lookarounds, folding
        "(a|ab){2,3}c", "(?:a|b){3}", "(a?){2,}b", "(a?)*b", "(a|)+c", "(\\w)\\1", "(a|b)*\\1c",
        "(?<!a)(b|ab)+", "(?=(\\w+))\\w*?x", "(?i)(ab|A)+c", "(?w)(ａ|b)+c", "(?iw)(Ａ|ｂ)*C",
    };
    const char* subjects[] = {
        "abcd abbcd aabcdd", "key = value\nname=1", "a,b,c,x,,x", "aaaaaaab aab ab",
        "xx x1 x2y xx9", "aaaaaaaaaaaaac", "  trailing  \nnext  ", "abcbcbc abab",
        "xxxxxxxxy xxxx", "aab ab a", "foo bar baz", "あいうカえお。かか。", "xabc", "ab\ncx\r\nyy\nx",
        "aAbAc ａbC bbab", "abab ababc aac aabbc",
    };
    for (const char* p : patterns) {
        RegexPtr plain = compile_plain(u16(p));
        RegexPtr remembering = compile(u16(p));
        ASSERT_TRUE(plain && remembering) << p;
        if (remembering.get()->memo) remembering.get()->memo->eager = true;
        for (const char* s : subjects) {
            const std::u16string subject = u16(s);
            EXPECT_EQ(all_matches(remembering.get(), subject), all_matches(plain.get(), subject))
                << p << " on " << s;
        }
    }
}

struct DeepCase {
    const char* pattern;
    const char* unit;  // repeated to a long line ...
    const char* tail;  // ... that ends in this
    const char* head = "";  // ... and starts with this
};

// Patterns that take a choice point a character, on lines far longer than
// the stack they are given: the matches, groups and failures are those of
// the plain machine with room for every choice point.
const DeepCase kDeepCases[] = {
    {"(a|aa)*b", "a", "b"},          {"(a|aa)*b", "a", "c"},           {"(a|aa)*ac", "a", "c"},
    {"(ab|a)*c", "ab", "c"},         {"(?:a|ab)*(c)", "ab", "c ac"},   {"((a)|b)+", "ab", ""},
    {"(?:(a)|(aa))*b", "a", "b"},    {"(a|b)*?c", "ab", "c"},          {"(?:x|xy)*z", "xy", "xz"},
    {"(\\w|\\s)+$", "ab ", ""},       {"(a|aa)*$", "a", ""},            {"(a|aa)*b|a+c", "a", "c"},
    {"(?i)(A|aa)*B", "aA", "b"},     {"(?w)(ａ|aa)*b", "aａ", "ｂ"},   {"(?iw)(ａ|AA)*Ｂ", "Aａ", "b"},
    {"(?:(?=a)a|aa)*b", "a", "b"},   {"(?:a(?!x)|aa)*b", "a", "b"},    {"(?:(?<=a)a|a)*b", "a", "b"},
    {"(a|aa){20,}b", "a", "b"},      {"(?:a|aa){2}(?:a|b)*c", "ab", "c"}, {"(?:ab|a)*+c|(a|b)*d", "ab", "d"},
    {"(?:.|\\n)*x", "ab", "x"},      {"(a|aa)*b", "a", "ab"},          {"(a|aa)*?b", "a", "b"},
    {"(?:あ|ああ)*(い)", "あ", "い"}, {"(?:a|aa)*\\Kb", "a", "b"},     {"(😀|😀😀)*b", "😀", "b"},
    // choices far down the stack that the answer comes back to
    {"(?:a|(?=a)ab)(?:b|bb)*c|ab+", "b", "d", "a"}, {"(b|bb)*c|(b)+$", "b", "", "xx"},
    {"x(?:(b)|bb)*(?:c|$)", "b", "", "x"},
};

TEST(RegexLimits, ADeepTryDropsOnlyChoicesThatCannotMatter) {
    // A stack of 64 frames against lines of 3,000 units: only dropping the
    // choice points that cannot change the outcome lets the search finish.
    // It agrees with the engine given room for every choice point and, where
    // that one does not give up, with the plain machine.
    for (const DeepCase& c : kDeepCases) {
        std::u16string line = u16(c.head);
        while (line.size() < 3000) line += u16(c.unit);
        line += u16(c.tail);
        const std::string name = std::string(c.pattern) + " on " + c.head + c.unit + "... " + c.tail;
        RegexPtr plain = compile_plain(u16(c.pattern));
        RegexPtr roomy = compile(u16(c.pattern));
        RegexPtr deep = compile(u16(c.pattern));
        ASSERT_TRUE(plain && roomy && deep) << name;
        ASSERT_NE(deep.get()->memo, nullptr) << name;
        roomy.get()->memo->eager = true;
        plain.get()->budget = 200000;  // the plain machine gives up on some: soon, then
        deep.get()->frame_limit = 64;
        const std::string want = all_matches(roomy.get(), line);
        EXPECT_EQ(want.find("error"), std::string::npos) << name;
        EXPECT_EQ(all_matches(deep.get(), line), want) << name;
        const std::string from_plain = all_matches(plain.get(), line);
        if (from_plain.find("error") == std::string::npos) {
            EXPECT_EQ(from_plain, want) << name;
        }
    }
}

TEST(RegexLimits, ADeepTryWithoutARecordStillStopsOnTheStack) {
    // A back-reference or an empty loop keeps failed states from being
    // recorded: nothing may be dropped, so the search that outgrows the
    // stack reports it rather than guessing.
    for (const char16_t* p : {u"(a|aa)*\\1b", u"(a|aa|)*b", u"(?:(a)|(?(1)aa|a))*b"}) {
        RegexPtr re = compile(p);
        ASSERT_TRUE(re) << u8(p);
        EXPECT_EQ(re.get()->memo, nullptr) << u8(p);
        re.get()->frame_limit = 64;
        const std::u16string line = std::u16string(3000, u'a') + u"b";
        int col, len;
        EXPECT_EQ(regex_search_string_n(re.get(), line.c_str(), int(line.size()), 0, &col, &len), REGEX_ERR_STACK)
            << u8(p);
    }
}

TEST(RegexLimits, LongMatchesOfAlternationLoopsAreFound) {
    // One choice point a character over a million: the answer, at the
    // stack's ordinary size.
    for (const int n : {100000, 1000000}) {
        const std::u16string line = std::u16string(size_t(n), u'a') + u"b";
        RegexPtr re = compile(u"(a|aa)*b");
        int col, len;
        ASSERT_EQ(regex_search_string_n(re.get(), line.c_str(), int(line.size()), 0, &col, &len), 1) << n;
        EXPECT_EQ(col, 0);
        EXPECT_EQ(len, n + 1);
        EXPECT_EQ(re.get()->last_groups[0].start_col, n - 1);
        EXPECT_EQ(re.get()->last_groups[0].length, 1);
    }
}

TEST(RegexLimits, CrLfBreaksAreOneCharacterForEveryStrategy) {
    // A CR LF is one break: anchors see it the same whether the product's
    // strategy or the plain every-position walk reaches it, and an empty
    // match there is reported at the break's start (its CR).
    struct Case {
        const char16_t* pattern;
        const char16_t* subject;
        int from;
        int col;  // expected first match, -1 none
        int len;
    };
    const Case cases[] = {
        {u"^", u"\r\na", 0, 0, 0},         {u"(^)", u"\r\na", 0, 0, 0},
        {u"(?:^)$", u"\r\na", 0, 0, 0},    {u"(^$)", u"\r\na", 0, 0, 0},
        {u"^$", u"a\r\n\r\nb", 0, 3, 0},  {u"(^$)", u"a\r\n\r\nb", 1, 3, 0},
        {u"(^)", u"\n\r\nb", 1, 1, 0},     {u"^", u"\r\n", 1, 1, 0},
        {u"(^$)", u"\r\na", 1, 1, 0},       {u"^.", u"\r\na", 0, 2, 1},
        {u"(^.)", u"x\r\n\r\ny", 1, 5, 1}, {u"^\\n", u"a\r\n\r\nb", 0, 3, 2},
        {u"\\A", u"\r\na", 0, 0, 0},       {u"(\\A)$", u"\r\na", 0, 0, 0},
        {u"\\A", u"a\r\nb", 1, -1, 0},     {u"$", u"a\r\nb", 0, 1, 0},
        {u"a$", u"a\r\nb", 0, 0, 1},        {u"\\b", u"\r\na", 0, 2, 0},
        {u"(\\B)", u"\r\na", 0, 0, 0},     {u"\\b", u"a\r\n", 1, 1, 0},
    };
    for (const Case& c : cases) {
        const std::u16string subject = c.subject;
        const std::string name = u8(c.pattern) + " from " + std::to_string(c.from);
        RegexPtr product = compile(c.pattern);
        RegexPtr plain = compile_plain(c.pattern);
        ASSERT_TRUE(product && plain) << name;
        for (CompiledRegex* re : {product.get(), plain.get()}) {
            int col = -1, len = -1;
            const int r = regex_search_string_n(re, subject.c_str(), int(subject.size()), c.from, &col, &len);
            const bool is_plain = re == plain.get();
            if (c.col < 0) {
                EXPECT_EQ(r, 0) << name << (is_plain ? " (plain)" : "");
                continue;
            }
            EXPECT_EQ(r, 1) << name << (is_plain ? " (plain)" : "");
            EXPECT_EQ(col, c.col) << name << (is_plain ? " (plain)" : "");
            EXPECT_EQ(len, c.len) << name << (is_plain ? " (plain)" : "");
        }
    }
}

// The steps a failing search of one line takes (loop steps and backtracks).
long long work_on(const std::u16string& pattern, const std::u16string& line) {
    RegexPtr re = compile(pattern);
    EXPECT_TRUE(re);
    if (!re) return -1;
    int col, len;
    EXPECT_EQ(regex_search_string_n(re.get(), line.c_str(), int(line.size()), 0, &col, &len), 0) << u8(pattern);
    return re.get()->work;
}

TEST(RegexLimits, FailingSearchesOfLongLinesTakeLinearSteps) {
    struct Case {
        const char16_t* pattern;
        const char16_t* unit;  // the line repeats it
    };
    const Case cases[] = {
        {u".*x", u"abc"},          {u"(.*)x", u"abc"},     {u".+x", u"abc"},       {u"(.+?)x", u"abc"},
        {u".*x[0-9]", u"axb"},     {u"\\s+$", u"  a"},     {u"\\s+$", u"     "},   {u"(\\w+)\\s*=", u"ab "},
        {u"[^,]*,[^,]*,[^,]*;", u"ab,c"}, {u"(a|aa)*b", u"a"},   {u"(?s).*x", u"ab\n"},
    };
    for (const Case& c : cases) {
        std::u16string small, large;
        while (small.size() < 2000) small += c.unit;
        while (large.size() < 20000) large += c.unit;
        if (std::u16string(c.pattern) == u"\\s+$") {
            small += u"a";  // spaces that never reach the end
            large += u"a";
        }
        const long long a = work_on(c.pattern, small), b = work_on(c.pattern, large);
        // Ten times the line, at most about ten times the steps (quadratic would be a hundred).
        EXPECT_LE(b, 15 * a + 1000) << u8(c.pattern) << ": " << a << " then " << b;
    }
}

TEST(RegexLimits, ExplosivePatternsEndWithinOneBudgetPerSearch) {
    // Remembered failures tame these: the answer comes at once.
    const std::u16string a1000 = std::u16string(1000, u'a') + u"b";
    RegexPtr twenty = compile(u"(a|a){20}b");
    int col, len;
    EXPECT_EQ(regex_search_string_n(twenty.get(), a1000.c_str(), int(a1000.size()), 0, &col, &len), 1);
    EXPECT_EQ(col, 980);
    EXPECT_EQ(len, 21);
    const std::u16string a2000(2000, u'a');
    RegexPtr never = compile(u"(a|a){22}$x");
    EXPECT_EQ(regex_search_string_n(never.get(), a2000.c_str(), int(a2000.size()), 0, &col, &len), 0);

    // A back-reference leaves the machine to plain backtracking: the budget
    // counts for the whole search, so start positions that each cost less
    // than it still add up to the give-up (counted per start, this search
    // would run on to "no match").
    RegexPtr backref = compile(u"(a|a){10}\\1b");
    backref.get()->budget = 20000;
    const std::u16string a2000b = a2000 + u"b";
    EXPECT_EQ(regex_search_string_n(backref.get(), a2000b.c_str(), int(a2000b.size()), 0, &col, &len),
              REGEX_ERR_BUDGET);
    // The next search has its own budget.
    EXPECT_EQ(regex_search_string(backref.get(), u"aaaaaaaaaaab", 0, &col, &len), 1);
}

struct Lines {
    std::vector<std::u16string> lines;
    int LineCount() const { return int(lines.size()); }
    const char16_t* LineText(int line, int* length) const {
        *length = int(lines[size_t(line)].size());
        return lines[size_t(line)].c_str();
    }
};

TEST(RegexLimits, ShortcutsNeverChangeAMatch) {
    // The plain machine at every position and the engine with its shortcuts
    // (the look for a character every match holds, a lone greedy run matched
    // by a loop) agree on every match and group.
    const char* patterns[] = {
        "(a|a){3}b", "(\\w+)\\s*=", "[^,]*,[^,]*;", "(?i)x+Y", "(?w)a+ｂ", "(?iw)q", "(?=.*z)a", "a(?!b)",
        "(a|b)c|d", "x?y", "(?:ab)*c", "(a)|b\\1", "\\bk+\\b", "(?s).*;", "あ+[いう]", "a\\Kb", "(?>a+)b",
        "a*+b", "(?<=x)y", "(?(?=a)ab|c)d", "(a)?(?(1)x|y)", "\\((?:[^()]|(?R))*\\)", "c\\r?$",
        // one greedy run, matched without the machine
        "a+", "[ぁ-ん]+", "\\w*", ".+", "(?s).*", "[^a]+", "(?i)b+", "\\s+",
        // the required character at most so far from a match's start
        "a.b", "(ab|c)d", "x(?=y)y", "(?:a|bc){2}d", "a\\Kb", "(?>a|ab)c", "(?s)..\\n?b", "(?<=a)b",
    };
    const char* subjects[] = {
        "aaab ab", "k = 1\nx=", "a,b;c,,;", "xxY XY", "aaｂ aａb aaＢ", "Ｑ q", "za az", "ab ac", "ac bd d",
        "xxy", "ababc", "abba", "kk k", "a\r\nb;", "ああいう", "ab", "aab", "aab", "xy", "bc ac", "xay",
        "(a(b)", "abc\r\nc\r", "none of them here", "😀😀a\r\n\r\nbB", "",
    };
    for (const char* p : patterns) {
        RegexPtr plain = compile_plain(u16(p));
        RegexPtr product = compile(u16(p));
        ASSERT_TRUE(plain && product) << p;
        for (const char* s : subjects)
            EXPECT_EQ(all_matches(product.get(), u16(s)), all_matches(plain.get(), u16(s))) << p << " on " << s;
    }
}

TEST(RegexLimits, ALineWithoutARequiredCharacterIsNeverTried) {
    // Patterns that stop on a backtracking limit over a long line without
    // the character answer at once.
    const std::u16string a100k(100000, u'a');
    for (const char16_t* p : {u"(a|a){20}b", u"(a|aa)*b", u"(a|a)*\\1b", u"(?:.a)*c", u"(?i)(a|a){20}B"}) {
        RegexPtr re = compile(p);
        ASSERT_TRUE(re) << u8(p);
        int col, len;
        EXPECT_EQ(regex_search_string_n(re.get(), a100k.c_str(), int(a100k.size()), 0, &col, &len), 0) << u8(p);
        EXPECT_EQ(re.get()->work, 0) << u8(p);
    }
    // The look itself, by the wide scan and the baseline one, finds the
    // character wherever it stands.
    for (const bool wide : {true, false}) {
        AllowCpuExtensions(wide);
        for (int at : {0, 7, 15, 16, 63, 64, 65, 99, 300}) {
            std::u16string line(301, u'a');
            line[size_t(at)] = u'Ｂ';  // folds to the "b" asked for
            RegexPtr re = compile(u"(?iw)a?b");
            int col, len;
            ASSERT_EQ(regex_search_string_n(re.get(), line.c_str(), int(line.size()), 0, &col, &len), 1) << at;
            EXPECT_EQ(col, at > 0 ? at - 1 : 0) << at;
        }
    }
    AllowCpuExtensions(true);
    // ... and one that holds it tries only the starts near enough to it.
    RegexPtr twenty = compile(u"(a|a){20}b");
    const std::u16string a100kb = a100k + u"b";
    int col, len;
    ASSERT_EQ(regex_search_string_n(twenty.get(), a100kb.c_str(), int(a100kb.size()), 0, &col, &len), 1);
    EXPECT_EQ(col, 99980);
    EXPECT_EQ(len, 21);
    EXPECT_LT(twenty.get()->work, 100000);  // every start tried: millions

    // No character is required where a way avoids it.
    for (const char16_t* p : {u"a*", u"(a|b)", u"[ab]", u"(?:b|)", u"(?=b)", u"(?:ab)?"}) {
        RegexPtr re = compile(p);
        ASSERT_TRUE(re) << u8(p);
        EXPECT_EQ(re.get()->required, nullptr) << u8(p);
    }
    for (const char16_t* p : {u"b?a", u"(?:b|)a", u"a(?!b)", u"(?=a)(?:a|b)", u"(a|b)", u"(?<=b)a|a"}) {
        RegexPtr re = compile(p);
        ASSERT_TRUE(re) << u8(p);
        int col, len;
        EXPECT_EQ(regex_search_string(re.get(), u"xa", 0, &col, &len), 1) << u8(p);
        EXPECT_EQ(col, 1) << u8(p);
    }

    // Over a host of lines, a pattern that stays on its line skips the lines
    // without the character; one that may cross a line end looks on.
    struct HostCase {
        const char16_t* pattern;
        std::vector<std::u16string> lines;
        RegexPos match;  // line -1: none
    };
    const HostCase cases[] = {
        {u"\\w+=", {u"aaa", u"bb", u"x=1"}, {2, 0}},
        {u"\\w+=", {u"a=", u"bb"}, {0, 0}},
        {u"\\w+=", {u"aaa", u"bb"}, {-1, 0}},
        {u"[^;]+;", {u"ab", u"cd;"}, {1, 0}},  // a class never takes a line end here
        {u"a[^;]+;", {u"xab", u"cd;"}, {-1, 0}},
        {u"x\\nb", {u"ax", u"b"}, {0, 1}},
        {u"[^;]+;", {u"ab", u"cd"}, {-1, 0}},
        {u"(?s)a.*;", {u"xa", u"", u"b;"}, {0, 1}},
        {u"^b+c", {u"bb", u"bc"}, {1, 0}},
    };
    for (const HostCase& c : cases) {
        RegexPtr re = compile(c.pattern);
        ASSERT_TRUE(re) << u8(c.pattern);
        Lines host{c.lines};
        RegexTextOps ops = RegexLineHost<Lines>::Make(&host);
        RegexPos pos{0, 0}, end;
        const int r = re.get()->search(re.get(), &ops, &pos, &end, RegexPos{-1, 0});
        EXPECT_EQ(r, c.match.line >= 0 ? 1 : 0) << u8(c.pattern);
        if (r == 1) {
            EXPECT_EQ(pos.line, c.match.line) << u8(c.pattern);
            EXPECT_EQ(pos.col, c.match.col) << u8(c.pattern);
        }
    }
}


TEST(RegexLimits, EachLineOfAHostHasItsOwnBudget) {
    RegexPtr re = compile(u"(a|a)*\\1b");
    // Each line holds the "b" every match needs, so none is passed over.
    const std::u16string failing = std::u16string(9, u'a') + u"cb";
    Lines one{{failing}};
    RegexTextOps ops = RegexLineHost<Lines>::Make(&one);
    RegexPos pos{0, 0}, end;
    ASSERT_EQ(re.get()->search(re.get(), &ops, &pos, &end, RegexPos{-1, 0}), 0);
    const long long line_cost = re.get()->work;

    // Lines that each cost two thirds of the budget: counted per line, every
    // one is searched to its end.
    Lines nine{std::vector<std::u16string>(8, failing)};
    nine.lines.push_back(u"aaaaaaaaab");
    ops = RegexLineHost<Lines>::Make(&nine);
    re.get()->budget = line_cost * 3 / 2;
    pos = RegexPos{0, 0};
    ASSERT_EQ(re.get()->search(re.get(), &ops, &pos, &end, RegexPos{-1, 0}), 1);
    EXPECT_EQ(pos.line, 8);
}

}  // namespace
