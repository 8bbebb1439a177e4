// The window-free decisions of the editing window's commands.
#include <gtest/gtest.h>

#include <string>

#include "editctrl/core/command_rules.h"
#include "editctrl/core/regex_cache.h"
#include "textengine/buffer_search.h"
#include "textengine/edit_data.h"
#include "tests/textengine/edit_test_util.h"

namespace {

void Load(CEditData& d, const char16_t* text) {
    d.InsertText(text, 1);
    d.SetCaretPos(0, 0);
}

using edit_test::Text;

TEST(CommandRules, HomeTogglesBetweenFirstNonBlankAndColumnZero) {
    const std::u16string line = u"  \u3000abc";
    struct Case {
        int caret;
        bool always;
        int expected;
    } cases[] = {{6, false, 3}, {3, false, 0}, {0, false, 3}, {1, false, 3}, {6, true, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(LineStartColumn(line.c_str(), int(line.size()), c.caret, c.always), c.expected) << c.caret;
    EXPECT_EQ(LineStartColumn(u"abc", 3, 0, false), 0);
    EXPECT_EQ(LineStartColumn(u"", 0, 0, false), 0);
}

TEST(CommandRules, SelectedLinesLeaveOutALastLineReachedAtColumnZero) {
    int first, last;
    SelectedLineSpan({0, 3}, {0, 6}, first, last);
    EXPECT_EQ(first, 3);
    EXPECT_EQ(last, 5);
    SelectedLineSpan({2, 3}, {1, 6}, first, last);
    EXPECT_EQ(last, 6);
    SelectedLineSpan({0, 3}, {0, 3}, first, last);
    EXPECT_EQ(last, 3);
}

TEST(CommandRules, BookmarkWalkGoesEitherWayAndStopsAtTheTextsEnds) {
    CEditData d;
    Load(d, u"a\nb\nc\nd\ne");
    d.GetLine(1)->flags |= kLineFlagBookmark;
    d.GetLine(3)->flags |= kLineFlagBookmark;
    EXPECT_EQ(FindBookmarkLine(d, 2, 4, 1), 3);
    EXPECT_EQ(FindBookmarkLine(d, 4, 4, 1), -1);
    EXPECT_EQ(FindBookmarkLine(d, 2, 0, -1), 1);
    EXPECT_EQ(FindBookmarkLine(d, 0, 0, -1), -1);
    EXPECT_EQ(FindBookmarkLine(d, 4, 1000000, 1), -1);  // past the end: nothing, quickly
    EXPECT_EQ(FindBookmarkLine(d, 3, 3, 1), 3);
    EXPECT_EQ(FindBookmarkLine(d, 0, 4, 0), -1);
}

TEST(CommandRules, WrapGeometry) {
    struct Case {
        WrapGeometry got;
        int columns, width;
    } cases[] = {
        {WrapForWindow(820, 10, 10, 8, false), 99, 792},
        {WrapForWindow(820, 10, 10, 8, true), 97, 776},
        {WrapForWindow(50, 10, 0, 8, false), 20, 160},  // a very narrow window still wraps at 20
        {WrapForColumns(0, 8), 80, 640},
        {WrapForColumns(-5, 8), 80, 640},
        {WrapForColumns(40, 0), 40, 400},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.got.columns, c.columns);
        EXPECT_EQ(c.got.width, c.width);
    }
}

TEST(CommandRules, UnindentRemovesOneTabOrUpToTabSizeSpacesNeverAMix) {
    CEditData d;
    Load(d, u"\t\tA\n      B\n \tC\n\t D\nE");
    RegexHolder re{CompileSearchPattern(UnindentPattern(4, false), true, true, true)};
    ASSERT_NE(re.regex, nullptr);
    int count = 0;
    ASSERT_EQ(ReplaceAll(d, u"", 1, nullptr, nullptr, &count, re.regex, 0), 0);
    EXPECT_EQ(Text(d), u"\tA\n  B\n\tC\n D\nE");
    EXPECT_EQ(count, 4);
    regex_holder_free(&re);
    EXPECT_EQ(UnindentPattern(8, true), u"\\=^((\\t)|( {1,8}))");
}

bool WideAbove255(char32_t cp, void*) { return cp > 0xFF; }

TEST(CommandRules, ColumnFromDisplayColumn) {
    const std::u16string line = u"a\tあb\U0001F600c";
    struct Case {
        int display, expected;
    } cases[] = {{0, 0}, {-3, 0}, {1, 1}, {2, 2}, {4, 2}, {5, 3}, {6, 3}, {7, 4}, {9, 6}, {10, 7}, {99, 7}};
    for (const Case& c : cases)
        EXPECT_EQ(ColumnFromDisplayColumn(line, c.display, 4, WideAbove255, nullptr), c.expected) << c.display;
}

TEST(CommandRules, UrlSchemesAndLinkRuns) {
    for (const char16_t* yes : {u"http://x", u"https://x", u"ftp://x", u"www.x"}) EXPECT_TRUE(IsUrlScheme(yes));
    for (const char16_t* no : {u"HTTP://x", u"mailto:a@b", u"ww.x", u""}) EXPECT_FALSE(IsUrlScheme(no));
    LineAttrItem items[8] = {};
    for (int i = 2; i < 6; ++i) items[i].flags = kAttrLink;
    int s, e;
    ASSERT_TRUE(LinkRangeAt(items, 7, 4, s, e));
    EXPECT_EQ(s, 2);
    EXPECT_EQ(e, 6);
    EXPECT_FALSE(LinkRangeAt(items, 7, 6, s, e));
    EXPECT_FALSE(LinkRangeAt(items, 7, 7, s, e));
}

TEST(RegexCache, ReusesTheCompileWhilePatternAndOptionsStay) {
    CRegexCache cache;
    CompiledRegex* a = cache.Compile(u"a+", true, true, true);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(cache.Compile(u"a+", true, true, true), a);
    CompiledRegex* b = cache.Compile(u"a+", false, true, true);
    ASSERT_NE(b, nullptr);
    int col, len;
    EXPECT_EQ(regex_search_string(b, u"xAA", 0, &col, &len), 1);
    // A literal finds the pattern's characters themselves.
    CompiledRegex* lit = cache.Compile(u"a+", false, true, false);
    EXPECT_EQ(regex_search_string(lit, u"aa a+", 0, &col, &len), 1);
    EXPECT_EQ(col, 3);
    EXPECT_EQ(cache.Compile(u"(", true, true, true), nullptr);
    EXPECT_EQ(cache.Get(), nullptr);
    EXPECT_NE(cache.Compile(u"(", true, true, false), nullptr);
}

}  // namespace
