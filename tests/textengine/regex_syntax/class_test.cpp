// Bracket classes and built-in sets: membership under the case and width
// options, and the classes that are invalid.
#include <gtest/gtest.h>

#include <string>

#include "textengine/regex/regex_node.h"

namespace {

// Parses a pattern that is one class and gives its record (null if invalid).
class ClassFixture : public ::testing::Test {
protected:
    void TearDown() override { regex_program_free(&prog_); }

    const RegexCharClass* parse(const std::u16string& pattern, int flags) {
        regex_program_free(&prog_);
        if (regex_parse(&prog_, pattern.c_str(), int(pattern.size()), flags) != 0) return nullptr;
        const RegexNode* n = prog_.root;
        while (n && n->kind == RN_EMPTY) n = n->next;
        EXPECT_TRUE(n && n->kind == RN_CLASS);
        return n && n->kind == RN_CLASS ? n->cls : nullptr;
    }

    RegexProgram prog_;
};

struct ClassCase {
    std::u16string pattern;
    int flags;
    std::u16string members;
    std::u16string others;
};

bool contains(const RegexCharClass* cc, const std::u16string& s, size_t* i) {
    int units;
    int32_t c = regex_read_cp(s.data() + *i, s.data() + s.size(), &units);
    *i += size_t(units);
    return regex_class_contains(cc, c);
}

constexpr int I = REGEX_COMPILE_ICASE;
constexpr int W = REGEX_COMPILE_IWIDTH;

TEST_F(ClassFixture, MembershipByOptions) {
    const ClassCase cases[] = {
        {u"[]a]", 0, u"]a", u"b["},
        {u"[^]a]", 0, u"bあ", u"]a\n"},
        {u"[a-]", 0, u"a-", u"b"},
        {u"[-a]", 0, u"a-", u"b"},
        {u"[a-c-e]", 0, u"abc-e", u"d"},                  // after a range "-" starts afresh
        {u"[a\\-d]", 0, u"abcd", u"-"},                    // an escaped dash still makes a range
        {u"[\\d-z]", 0, u"05-z", u"y"},
        {u"[^x]", 0, u"yあ", u"x\n"},                      // a negated class never matches LF
        {u"[\\D]", 0, u"xあ", u"5\u00E9\n"},               // 128-255 only when listed
        {u"\\D", 0, u"xあ", u"5\u00E9\n"},
        {u"\\W", 0, u" あ", u"a_\u00E9"},
        {u"[\\w]", 0, u"azAZ09_", u"\u00E9- "},
        {u"\\s", 0, u"\t\f ", u"\n\r\v"},
        {u"(?S)\\s", 0, u"\t\n ", u"\r"},
        {u"[(?S)]", 0, u"(?S)", u"s"},
        {u"\\l", 0, u"\t\n\f\r ", u"\va"},
        {u"[[:alpha:]_]", 0, u"aZ_", u"1:"},
        {u"[[:alnum:]]", 0, u"aZ1", u"_"},
        {u"[[:upper:][:digit:]]", I, u"A5", u"a"},        // POSIX names ignore the case option
        {u"[[:ascii:]]", 0, u"\x01~", u"\u00E9あ"},
        {u"[[:digit]]", 0, u"[:dgt]", u"1"},                 // no name without both colons
        {u"[\\x41-\\x{43}]", 0, u"ABC", u"D"},
        {u"[\\n\\t]", 0, u"\n\t", u"nt"},
        {u"[\\\\]", 0, u"\\", u"]"},
        {u"[\\b]", 0, u"b", u"\\"},
        {u"[\U0001F600]", 0, u"\U0001F600", u"\U0001F601\xD83D"},
        {u"[A-Z]", I, u"qQ", u"Ｑ"},
        {u"[A-z]", I, u"AaZz", u"_^"},                     // each end folded on its own
        {u"[Ａ-Ｚ]", I, u"ｑＱ", u"q"},
        {u"[ａ]", I, u"ａＡ", u"aA"},
        {u"[^a]", I, u"b", u"aA\n"},
        {u"[A-Z]", W, u"QＱ", u"qｑ"},
        {u"[Ａ-Ｚ]", W, u"QＱ", u"q"},
        {u"[Ｑ]", W, u"QＱ", u"q"},                         // singles are width-folded too
        {u"[Ｑ]", I | W, u"QqＱｑ", u"R"},
        {u"[”]", W, u"\"”", u"'"},
        {u"\\d", W, u"5５", u"x"},
        {u"[ -\\x{ffff}]", 0, u"A \u00E9あ", u"\t"},        // a range straddling 255 sets its bits
        {u"[a-\\x{3093}]", I, u"aBzあん", u"\u3094"},
        {u"[ぁ-ん]", 0, u"ぁあん", u"ァ"},
        // A long list, out of order and with repeats, as pasted.
        {u"[ヴんをろれるりらよゆやもめむみまほへふひはのぬにねなとてつちたそせすしさこけくきかおえういああん]", 0,
         u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろをんヴ", u"ぁぃゎゐゑヵ"},
    };
    for (const auto& c : cases) {
        std::string name(c.pattern.begin(), c.pattern.end());
        const RegexCharClass* cc = parse(c.pattern, c.flags);
        ASSERT_TRUE(cc) << name;
        for (size_t i = 0; i < c.members.size();) {
            size_t at = i;
            EXPECT_TRUE(contains(cc, c.members, &i)) << name << " member #" << at;
        }
        for (size_t i = 0; i < c.others.size();) {
            size_t at = i;
            EXPECT_FALSE(contains(cc, c.others, &i)) << name << " non-member #" << at;
        }
        EXPECT_FALSE(regex_class_contains(cc, 0)) << name << ": the end is never a member";
    }
}

TEST_F(ClassFixture, InvalidClasses) {
    for (const char16_t* p : {u"[z-a]", u"[a", u"[a\\]", u"[\\x4G]", u"[\\x{110000}]", u"[a-Ｚ]", u"[[:word:]]",
                              u"[a[:Digit:]]"}) {
        int flags = std::u16string(p) == u"[a-Ｚ]" ? W : 0;  // descending once width-folded
        EXPECT_EQ(parse(p, flags), nullptr) << std::string(p, p + std::char_traits<char16_t>::length(p));
    }
    EXPECT_NE(parse(u"[a-Ｚ]", 0), nullptr);
}

}  // namespace
