// Colouring of single lines (syntax colours, blank kinds, links) and the
// row index that maps lines to display rows: no window system needed.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "editctrl/core/edit_colors.h"
#include "editctrl/core/line_colorize.h"
#include "editctrl/core/row_index.h"
#include "editctrl/syntax/editmode.h"
#include "editctrl/syntax/strtoken.h"
#include "textengine/edit_line.h"

namespace {

// A built-in language with its shipped keywords, made once.
const CStrToken& Language(const char16_t* tag) {
    static std::map<std::u16string, std::unique_ptr<CStrToken>> made;
    std::unique_ptr<CStrToken>& t = made[tag];
    if (!t) {
        // The repository's data folder, cut lexically from this test's data folder.
        const std::string dir = TEST_DATA_DIR;
        const std::string root = dir.substr(0, dir.rfind("/tests/")) + "/data";
        const std::u16string data(root.begin(), root.end());
        t = std::make_unique<CStrToken>();
        LoadBuiltinLanguage(tag, data, *t);
    }
    return *t;
}

const CStrToken& Cpp() { return Language(u"<cpp>"); }
const CStrToken& Html() { return Language(u"<html>"); }

// One letter per unit: t text, k keyword, c comment, q quote, o operator, 2 keyword2.
std::string Colours(const std::u16string& text, int flags = 0, uint32_t style = 0, const CStrToken* lang = &Cpp()) {
    std::vector<LineAttrItem> items(text.size() + 1, LineAttrItem{});
    ColorizeLine(items.data(), static_cast<int>(text.size()), text.c_str(), flags, lang, style, kDefaultEditColors);
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint32_t c = items[i].color;
        out += c == kDefaultEditColors[KEYWORD_COLOR]    ? 'k'
               : c == kDefaultEditColors[COMMENT_COLOR]  ? 'c'
               : c == kDefaultEditColors[QUOTE_COLOR]    ? 'q'
               : c == kDefaultEditColors[OPERATOR_COLOR] ? 'o'
               : c == kDefaultEditColors[KEYWORD2_COLOR] ? '2'
                                                         : 't';
    }
    EXPECT_EQ(items[text.size()].kind, kAttrLineEnd);
    return out;
}

std::string Links(const std::u16string& text) {
    std::vector<LineAttrItem> items(text.size() + 1, LineAttrItem{});
    MarkLinks(items.data(), static_cast<int>(text.size()), text.c_str(), 0x123456);
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) out += (items[i].flags & kAttrLink) ? 'L' : '.';
    return out;
}

}  // namespace

TEST(Colorize, SyntaxColoursOfCppLines) {
    const struct {
        std::u16string text;
        int flags;
        std::string expected;
    } cases[] = {
        {u"int a;", 0, "kkktto"},
        {u"a // b \"c\"", 0, "ttcccccccc"},
        {u"x = \"s\";", 0, "ttotqqqo"},
        // A line that starts inside a comment is comment up to the closer.
        {u"a */ int", CEditLine::FlagInBlockComment, "cccctkkk"},
        // A quote inside a comment starts no string.
        {u"/* \" */ int", 0, "ccccccctkkk"},
        {u"", 0, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Colours(c.text, c.flags), c.expected) << std::string(c.text.begin(), c.text.end());
    // Without comment syntax the start state is ignored.
    EXPECT_EQ(Colours(u"a */", CEditLine::FlagInBlockComment, 0x80).substr(0, 1), "t");
}

TEST(Colorize, TagModeColoursOnlyInsideTags) {
    // Text outside tags stays plain even when it is a keyword.
    const std::string s = Colours(u"body <body> body", 0, 0x100, &Html());
    EXPECT_EQ(s.substr(0, 4), "tttt");
    EXPECT_EQ(s.substr(12), "tttt");
    EXPECT_NE(s.substr(5, 6), "tttttt");
}

TEST(Colorize, BlankKindsSitOnTheirUnits) {
    const std::u16string text = u"a\tb c\u3000\U0001F600 ";
    std::vector<LineAttrItem> items(text.size() + 1, LineAttrItem{});
    MarkBlankKinds(items.data(), static_cast<int>(text.size()), text.c_str());
    EXPECT_EQ(items[1].kind, kAttrTab);
    EXPECT_EQ(items[3].kind, kAttrSpace);
    EXPECT_EQ(items[5].kind, kAttrFullWidthSpace);
    EXPECT_EQ(items[6].kind, kAttrOrdinary);
    EXPECT_EQ(items[7].kind, kAttrOrdinary);
    EXPECT_EQ(items[8].kind, kAttrSpace);
    // A surrogate pair's colour covers both units.
    const std::string c = Colours(u"\"\U0001F600\"");
    EXPECT_EQ(c, "qqqq");
}

TEST(Colorize, LinksAndMailAddresses) {
    const struct {
        std::u16string text;
        std::string expected;
    } cases[] = {
        {u"http://x/(a)/b", "LLLLLLLLLLLLLL"},
        {u"http://x/a(b) x", "LLLLLLLLLLLL..."},
        {u"(http://x/a)", ".LLLLLLLLLL."},
        {u"http://", "......."},
        {u"see www.a.jp.", "....LLLLLLLLL"},
        {u"a@b", "LLL"},
        {u"@b", ".."},
        {u"mail: x.y+z@ex-1.jp!", "......LLLLLLLLLLLLL."},
        {u"http://a/日本", "LLLLLLLLL.."},
        // The scan stops at the line's end: an unterminated bracket at the end.
        {u"http://a/(", "LLLLLLLLL."},
    };
    for (const auto& c : cases) EXPECT_EQ(Links(c.text), c.expected) << std::string(c.text.begin(), c.text.end());
}

// The row index against a plain model under random edits; in the second
// round no line takes more than one row for the first half.
TEST(RowIndex, MatchesAPlainModelUnderRandomEdits) {
    for (int oneRowSteps : {0, 1500}) {
        std::mt19937 rng(7);
        CRowIndex index;
        std::vector<int> rows(50, 1), widths(50, 0);
        index.Reset(50);
        for (int step = 0; step < 3000; ++step) {
            const int n = static_cast<int>(rows.size());
            const int op = static_cast<int>(rng() % 4);
            const int at = n ? static_cast<int>(rng() % static_cast<unsigned>(n)) : 0;
            if (op == 0) {
                const int k = 1 + static_cast<int>(rng() % 3);
                index.InsertLines(at, k);
                rows.insert(rows.begin() + at, static_cast<size_t>(k), 1);
                widths.insert(widths.begin() + at, static_cast<size_t>(k), 0);
            } else if (op == 1 && n > 1) {
                const int k = std::min(n - at, 1 + static_cast<int>(rng() % 3));
                index.DeleteLines(at, k);
                rows.erase(rows.begin() + at, rows.begin() + at + k);
                widths.erase(widths.begin() + at, widths.begin() + at + k);
            } else if (op == 2 && n) {
                const int r = step < oneRowSteps ? 1 : 1 + static_cast<int>(rng() % 4);
                index.SetRowCount(at, r);
                rows[static_cast<size_t>(at)] = r;
            } else if (n) {
                const int w = static_cast<int>(rng() % 100);
                index.SetWidth(at, w);
                widths[static_cast<size_t>(at)] = w;
            }
            if (step % 50 != 0) continue;
            int row = 0, widest = 0;
            for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
                ASSERT_EQ(index.FirstRow(i), row) << "step " << step << " line " << i;
                ASSERT_EQ(index.RowCount(i), rows[i]);
                for (int k = 0; k < rows[i]; ++k) ASSERT_EQ(index.LineOfRow(row + k), i);
                row += rows[i];
                widest = std::max(widest, widths[i]);
            }
            ASSERT_EQ(index.TotalRows(), row);
            ASSERT_EQ(index.LineCount(), static_cast<int>(rows.size()));
            ASSERT_EQ(index.LineOfRow(row + 5), static_cast<int>(rows.size()) - 1);  // past the end: the last line
            ASSERT_EQ(index.FirstRow(static_cast<int>(rows.size())), row);
            ASSERT_EQ(index.WidestWidth(), widest);
        }
    }
}

// Widths measured all at once are counted at the end: the widest then
// follows later edits as if each had been counted on its own.
TEST(RowIndex, WidthsCountedAtOnceFollowLaterEdits) {
    CRowIndex index;
    index.Reset(6);
    index.BeginWidths();
    const int widths[] = {30, 70000, 12, 70000, 16383, 16384};
    for (int i = 0; i < 6; ++i) index.SetWidth(i, widths[i]);
    index.EndWidths();
    EXPECT_EQ(index.WidestWidth(), 70000);
    EXPECT_EQ(index.FindWidestLine(), 1);
    index.DeleteLines(1, 1);
    EXPECT_EQ(index.WidestWidth(), 70000);  // a second line had it
    index.DeleteLines(2, 1);
    EXPECT_EQ(index.WidestWidth(), 16384);
    index.SetWidth(3, 5);
    EXPECT_EQ(index.WidestWidth(), 16383);
    EXPECT_EQ(index.FindWidestLine(), 2);
    index.DeleteLines(0, 4);
    EXPECT_EQ(index.WidestWidth(), 0);
}
