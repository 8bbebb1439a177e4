// What the editing window paints, read back through WM_PRINTCLIENT into a
// memory bitmap and checked at cell rectangles computed from the metrics
// the window measured: background, selection, search hits, line numbers,
// ruler ticks, the caret-row underline, ruled lines and syntax colours.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "editctrl/core/line_colorize.h"
#include "tests/editctrl/edit_ctrl_fixture.h"

using etest::EditFixture;

namespace {

COLORREF Color(int index) { return kDefaultEditColors[index]; }

// Whether any pixel of the rectangle has the colour.
bool AnyPixel(const wtest::Pixels& p, const CRect& r, COLORREF c) {
    for (int y = std::max(0, static_cast<int>(r.top)); y < std::min(p.height, static_cast<int>(r.bottom)); ++y)
        for (int x = std::max(0, static_cast<int>(r.left)); x < std::min(p.width, static_cast<int>(r.right)); ++x)
            if (p.At(x, y) == c) return true;
    return false;
}

// Geometry of one window, from its own metrics.
struct Cells {
    explicit Cells(EditFixture& f)
        : f(f), a(f.ctrl.Measure().Advance('a')),
          rh(f.ctrl.GetRowHeight()), left(f.ctrl.GetLeftMargin()), top(f.ctrl.GetTopMargin()) {}
    EditFixture& f;
    int a, rh, left, top;
    // Cell of column c (equal-width characters) on display row r.
    CRect Cell(int c, int r) const { return CRect(left + c * a, top + r * rh, left + (c + 1) * a, top + (r + 1) * rh); }
};

// Finds a fixed word in each line.
class WordMatcher : public CHighlightMatcher {
public:
    explicit WordMatcher(std::u16string w) : word(std::move(w)) {}
    bool Find(const CEditData& data, int line, int from, int* start, int* end) override {
        const std::u16string text(data.GetLineText(line), static_cast<size_t>(data.GetLineLength(line)));
        const size_t at = text.find(word, static_cast<size_t>(from));
        if (at == std::u16string::npos) return false;
        *start = static_cast<int>(at);
        *end = static_cast<int>(at + word.size());
        return true;
    }
    std::u16string word;
};

}  // namespace

TEST(EditPaint, BackgroundSelectionAndLineEndCell) {
    EditFixture f(u"aaaa\nbbbbbb\ncc\ndd");
    f.data.SetCaretPos(3, 0);
    CEditDispData& d = f.data.GetDispData();
    d.selStart = {2, 0};
    d.selEnd = {1, 2};
    const Cells c(f);
    const wtest::Pixels p = f.Print();
    // Unselected cell and the empty right side: background.
    EXPECT_EQ(p.At(c.Cell(0, 0).left + 1, c.Cell(0, 0).top), Color(BG_COLOR));
    EXPECT_EQ(p.At(p.width - 30, c.Cell(0, 1).top + 1), Color(BG_COLOR));
    // Selected cells: the selection colour around inverted text.
    EXPECT_EQ(p.At(c.Cell(2, 0).left + 1, c.Cell(2, 0).top), Color(SELECTED_COLOR));
    EXPECT_TRUE(AnyPixel(p, c.Cell(3, 0), Color(TEXT_COLOR) ^ 0xFFFFFF));
    EXPECT_EQ(p.At(c.Cell(0, 1).left + 1, c.Cell(0, 1).top), Color(SELECTED_COLOR));
    // The line end of a line inside a stream selection, one cell wide.
    EXPECT_EQ(p.At(c.Cell(4, 0).left + 1, c.Cell(4, 0).top + 1), Color(SELECTED_COLOR));
    EXPECT_EQ(p.At(c.Cell(4, 0).left + c.f.ctrl.GetCharWidth() + 1, c.Cell(4, 0).top + 1), Color(BG_COLOR));
    // The last line's end is past the selection.
    EXPECT_EQ(p.At(c.Cell(2, 2).left + 1, c.Cell(2, 2).top + 1), Color(BG_COLOR));
    // The cache keeps no selection behind.
    d.selStart = d.selEnd = {-1, -1};
    const wtest::Pixels q = f.Print();
    EXPECT_EQ(q.At(c.Cell(2, 0).left + 1, c.Cell(2, 0).top), Color(BG_COLOR));
}

TEST(EditPaint, BoxSelectionPaintsNoLineEndCell) {
    EditFixture f(u"aaaa\naaaa\naa");
    CEditDispData& d = f.data.GetDispData();
    const Cells c(f);
    d.boxSelection = 1;
    d.selStart = {1, 0};
    d.selEnd = {3, 1};
    d.boxX[0] = c.a;
    d.boxX[1] = 3 * c.a;
    const wtest::Pixels p = f.Print();
    EXPECT_EQ(p.At(c.Cell(1, 1).left + 1, c.Cell(1, 1).top), Color(SELECTED_COLOR));
    EXPECT_EQ(p.At(c.Cell(0, 1).left + 1, c.Cell(0, 1).top), Color(BG_COLOR));
    EXPECT_EQ(p.At(c.Cell(4, 0).left + 1, c.Cell(4, 0).top + 1), Color(BG_COLOR));
}

TEST(EditPaint, SelectedTextKeepsItsColoursWithTheStyle) {
    EditFixture f(u"int x;", ECS_KEEP_SELECTED_COLORS);
    f.data.SetSyntaxRules(&etest::Cpp());
    f.ctrl.Relayout(0);
    f.data.GetDispData().selStart = {0, 0};
    f.data.GetDispData().selEnd = {3, 0};
    const Cells c(f);
    const wtest::Pixels p = f.Print();
    EXPECT_TRUE(AnyPixel(p, c.Cell(0, 0), Color(KEYWORD_COLOR)));
    EXPECT_EQ(p.At(c.Cell(0, 0).left, c.Cell(0, 0).top), Color(SELECTED_COLOR));
}

TEST(EditPaint, SearchHitsAndSyntaxColours) {
    EditFixture f(u"int abc; // note\nreturn abc;");
    f.data.SetSyntaxRules(&etest::Cpp());
    WordMatcher matcher(u"abc");
    f.ctrl.SetHighlight(&matcher);
    f.ctrl.Relayout(0);
    const Cells c(f);
    const wtest::Pixels p = f.Print();
    EXPECT_EQ(p.At(c.Cell(4, 0).left + 1, c.Cell(4, 0).top), Color(SEARCH_COLOR));
    EXPECT_EQ(p.At(c.Cell(8, 1).left + 1, c.Cell(8, 1).top), Color(SEARCH_COLOR));
    EXPECT_EQ(p.At(c.Cell(3, 0).left + 1, c.Cell(3, 0).top), Color(BG_COLOR));
    EXPECT_TRUE(AnyPixel(p, c.Cell(1, 0), Color(KEYWORD_COLOR)));
    EXPECT_TRUE(AnyPixel(p, c.Cell(12, 0), Color(COMMENT_COLOR)));
    EXPECT_TRUE(AnyPixel(p, c.Cell(7, 0), Color(OPERATOR_COLOR)) || AnyPixel(p, c.Cell(7, 0), Color(TEXT_COLOR)));
    f.ctrl.SetHighlight(nullptr);
}

TEST(EditPaint, LineNumbersWithCaretBandAndMarginLine) {
    EditFixture f(etest::NumberedLines(12), ECS_SHOW_ROW_NUM);
    f.ctrl.SetLeftBase(9);
    f.ctrl.Relayout(0);
    f.data.SetCaretPos(2, 0);
    f.ctrl.UpdateCaret(0);
    const Cells c(f);
    const int dw = f.ctrl.GetDigitWidth();
    const wtest::Pixels p = f.Print();
    // Numbers right-aligned in (digits + 1) digit cells after the left base.
    const CRect numberCell(9 + 2 * dw, c.top, 9 + 3 * dw, c.top + c.rh);  // "1" of line 1
    EXPECT_TRUE(AnyPixel(p, numberCell, Color(RULER_COLOR)));
    EXPECT_FALSE(AnyPixel(p, CRect(9, c.top, 9 + 2 * dw, c.top + c.rh), Color(RULER_COLOR)));
    // The caret's row: band in the selection colour, number in the inverted keyword colour.
    EXPECT_EQ(p.At(10, c.top + 2 * c.rh + 1), Color(SELECTED_COLOR));
    EXPECT_TRUE(AnyPixel(p, CRect(9 + 2 * dw, c.top + 2 * c.rh, 9 + 3 * dw, c.top + 3 * c.rh),
                         Color(KEYWORD_COLOR) ^ 0xFFFFFF));
    EXPECT_EQ(p.At(10, c.top + 1 * c.rh + 1), Color(BG_COLOR));
    // The margin line.
    const int lx = c.left - f.ctrl.GetCharWidth() / 2 - 1;
    EXPECT_EQ(p.At(lx, c.top + 5 * c.rh + 2), Color(RULER_COLOR));
}

TEST(EditPaint, BookmarkAndChangedLineMarks) {
    EditFixture f(u"a\nb\nc", ECS_SHOW_EDIT_ROW);
    f.ctrl.SetLeftBase(12);
    f.ctrl.Relayout(0);
    f.data.GetLine(1)->flags |= 0x10;
    for (int i = 0; i < 3; ++i) f.data.GetLine(i)->changeMark = i == 2 ? 1 : -1;
    const Cells c(f);
    const wtest::Pixels p = f.Print();
    EXPECT_EQ(p.At(2, c.top + c.rh + 2), Color(QUOTE_COLOR));
    EXPECT_EQ(p.At(2, c.top + 2), Color(BG_COLOR));
    EXPECT_EQ(p.At(9, c.top + 2 * c.rh + 2), Color(KEYWORD_COLOR));
    EXPECT_EQ(p.At(9, c.top + c.rh + 2), Color(BG_COLOR));
}

TEST(EditPaint, RulerTicksStopAtTheWrapColumn) {
    EditFixture f(u"abc", ECS_SHOW_COL_NUM, 600, 200);
    f.ctrl.SetWrapMode(WrapMode::FixedColumns, 23);
    f.ctrl.Relayout(0);
    const int cw = f.ctrl.GetCharWidth(), rh = f.ctrl.GetRowHeight();
    const int left = f.ctrl.GetLeftMargin(), base = f.ctrl.GetTopMargin() - 3;
    const wtest::Pixels p = f.Print();
    const COLORREF ruler = Color(RULER_COLOR), bg = Color(BG_COLOR);
    EXPECT_EQ(p.At(left + 3 * cw + 2, base), ruler);            // baseline
    EXPECT_EQ(p.At(left + 4 * cw, base - rh / 4 + 1), ruler);   // short tick
    EXPECT_EQ(p.At(left + 5 * cw, base - rh / 2 + 1), ruler);   // tall tick at 5
    EXPECT_EQ(p.At(left + 4 * cw, base - rh / 2 + 1), bg);
    EXPECT_EQ(p.At(left + 23 * cw, base - 2), ruler);           // last tick at the wrap column
    EXPECT_EQ(p.At(left + 24 * cw, base - 2), bg);              // none past it
    EXPECT_EQ(p.At(left + 27 * cw, base), bg);                  // baseline ends
}

TEST(EditPaint, CaretRowUnderlineAndRuledLines) {
    EditFixture f(etest::NumberedLines(5), ECS_SHOW_ROW_LINE);
    f.data.SetCaretPos(1, 0);
    f.ctrl.UpdateCaret(0);
    const Cells c(f);
    wtest::Pixels p = f.Print();
    const int y = c.top + 2 * c.rh - 1;
    EXPECT_EQ(p.At(c.left + 200, y), Color(RULER_COLOR));
    EXPECT_EQ(p.At(c.left + 200, y - c.rh), Color(BG_COLOR));

    f.ctrl.SetStyle(ECS_SHOW_RULED_LINE);
    f.ctrl.Relayout(0);
    p = f.Print();
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(p.At(c.left + 200, c.top + i * c.rh - 1), Color(RULED_LINE_COLOR)) << i;
    EXPECT_EQ(p.At(c.left + 200, c.top + c.rh - 3), Color(BG_COLOR));
}

TEST(EditPaint, WrappedLineScrolledHalfAboveStartsAtItsVisibleRow) {
    EditFixture f(std::u16string(12, u'a') + u"bbbbbbbb\nx" + std::u16string(30, u'\n'), 0, 300, 200);
    f.ctrl.SetWrapMode(WrapMode::FixedColumns, 12);
    f.ctrl.Relayout(0);
    ASSERT_EQ(f.data.GetLineRowCount(0), 2);
    f.ctrl.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    ASSERT_EQ(f.Pos(SB_VERT), 1);
    const Cells c(f);
    const wtest::Pixels p = f.Print();
    // Row 0 on screen shows the b's of the second row; row 1 the "x".
    wtest::Pixels ref;
    {
        EditFixture g(u"bbbbbbbb\nx" + std::u16string(30, u'\n'), 0, 300, 200);
        ref = g.Print();
    }
    for (int y = c.top; y < c.top + 2 * c.rh; ++y)
        for (int x = c.left; x < c.left + 10 * c.a; ++x) ASSERT_EQ(p.At(x, y), ref.At(x, y)) << x << "," << y;
}

TEST(EditPaint, ARunWrappedOntoTheNextRowKeepsItsColourBesideLineNumbers) {
    // One run of plain text over three rows; the row ends draw line numbers
    // (and the caret row's number) in colours of their own.
    EditFixture f(std::u16string(30, u'w') + u"\nx", ECS_SHOW_ROW_NUM, 400, 200);
    f.ctrl.SetLeftBase(9);
    f.ctrl.SetWrapMode(WrapMode::FixedColumns, 12);
    f.ctrl.Relayout(0);
    ASSERT_EQ(f.data.GetLineRowCount(0), 3);
    for (int caretLine : {0, 1}) {
        f.data.SetCaretPos(caretLine, 0);
        f.ctrl.UpdateCaret(0);
        const Cells c(f);
        const wtest::Pixels p = f.Print();
        for (int row = 0; row < 3; ++row) {
            const CRect text(c.left, c.top + row * c.rh, c.left + 6 * c.a, c.top + (row + 1) * c.rh);
            EXPECT_TRUE(AnyPixel(p, text, Color(TEXT_COLOR))) << caretLine << " " << row;
            EXPECT_FALSE(AnyPixel(p, text, Color(RULER_COLOR))) << caretLine << " " << row;
            EXPECT_FALSE(AnyPixel(p, text, Color(KEYWORD_COLOR) ^ 0xFFFFFF)) << caretLine << " " << row;
        }
    }
}

TEST(EditPaint, PaintedCppFileWithJapaneseCommentsForReviewers) {
    const std::u16string text =
        u"// 日本語のコメント: 表示の確認\n"
        u"#include <stdio.h>\n"
        u"\n"
        u"/* 複数行の\n"
        u"   コメント */\n"
        u"int main(int argc, char** argv)\n"
        u"{\n"
        u"\tconst char* s = \"文字列\";  // 行末コメント\n"
        u"\tfor (int i = 0; i < argc; ++i) {\n"
        u"\t\tprintf(\"%s\\n\", argv[i]);\u3000// 全角空白\n"
        u"\t}\n"
        u"\t// http://example.com/ja を参照\n"
        u"\treturn 0;\n"
        u"}";
    EditFixture f(text,
                  ECS_SHOW_ROW_NUM | ECS_SHOW_COL_NUM | ECS_SHOW_TAB | ECS_SHOW_LINE_FEED | ECS_SHOW_2BYTE_SPACE |
                      ECS_SHOW_ROW_LINE | ECS_CLICKABLE_URL | ECS_SHOW_EDIT_ROW,
                  640, 360);
    f.data.SetSyntaxRules(&etest::Cpp());
    f.ctrl.SetLeftBase(10);
    f.ctrl.SetTopBase(2);
    WordMatcher matcher(u"argc");
    f.ctrl.SetHighlight(&matcher);
    f.ctrl.Relayout(0);
    f.data.GetLine(5)->flags |= 0x10;
    f.data.SetCaretPos(7, 7);
    f.ctrl.UpdateCaret(0);
    f.data.GetDispData().selStart = {12, 1};
    f.data.GetDispData().selEnd = {12, 7};
    const wtest::Pixels p = f.Print();
    const Cells c(f);
    // Comment, keyword and string colours all show.
    EXPECT_TRUE(AnyPixel(p, CRect(c.left, c.top, p.width, c.top + c.rh), Color(COMMENT_COLOR)));
    EXPECT_TRUE(AnyPixel(p, CRect(c.left, c.top + 8 * c.rh, p.width, c.top + 9 * c.rh), Color(KEYWORD_COLOR)));
    EXPECT_TRUE(AnyPixel(p, CRect(c.left, c.top + 7 * c.rh, p.width, c.top + 8 * c.rh), Color(QUOTE_COLOR)));
    EXPECT_TRUE(AnyPixel(p, CRect(c.left, c.top + 8 * c.rh, p.width, c.top + 9 * c.rh), Color(SEARCH_COLOR)));
    EXPECT_TRUE(AnyPixel(p, CRect(c.left, c.top + 5 * c.rh, p.width, c.top + 6 * c.rh), Color(SELECTED_COLOR)));
    EXPECT_TRUE(wtest::WriteBmp(TEST_OUTPUT_DIR "/editctrl_cpp_japanese.bmp", p));
    f.ctrl.SetHighlight(nullptr);
}

// On screen: what WM_PAINT shows equals the composed picture, also after
// scrolling repaints only the strip that came into view.
TEST(EditPaint, ScreenMatchesThePrintedPictureAfterScrolling) {
    EditFixture f(etest::NumberedLines(60) + u"\n日本語の行\tタブ", ECS_SHOW_ROW_NUM | ECS_SHOW_COL_NUM, 360, 240);
    f.ctrl.UpdateWindow();
    wtest::Pump();
    auto same = [&](const char* when) {
        const wtest::Pixels screen = wtest::CaptureClient(f.ctrl);
        const wtest::Pixels printed = f.Print();
        ASSERT_EQ(screen.px.size(), printed.px.size());
        int differing = 0;
        for (size_t i = 0; i < screen.px.size(); ++i) differing += (screen.px[i] & 0xFFFFFF) != (printed.px[i] & 0xFFFFFF);
        EXPECT_EQ(differing, 0) << when;
    };
    same("first paint");
    for (UINT code : {SB_LINEDOWN, SB_PAGEDOWN, SB_BOTTOM}) {
        f.ctrl.SendMessage(WM_VSCROLL, MAKEWPARAM(code, 0), 0);
        f.ctrl.UpdateWindow();
        wtest::Pump();
        same("after scrolling");
    }
    f.ctrl.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0);
    f.ctrl.UpdateWindow();
    same("after scrolling right");
    // Typing past the right edge scrolls while the typed row still waits
    // for its paint; the ruler and the row come back whole.
    f.ctrl.SendMessage(WM_KEYDOWN, VK_END, 0);
    for (int i = 0; i < 60; ++i) f.ctrl.SendMessage(WM_CHAR, L'0' + i % 10, 1);
    f.ctrl.UpdateWindow();
    wtest::Pump();
    same("after typing past the right edge");
}

// Blank and line-end marks in the mark pen, only with their style bits.
TEST(EditPaint, BlankAndLineEndMarksFollowTheirStyles) {
    const COLORREF pen = Color(PEN_COLOR);
    EditFixture f(u"\u3000 a\nb");
    const Cells c(f);
    const int th = f.ctrl.GetTextHeight();
    const int w3000 = f.ctrl.Measure().Advance(0x3000), ws = f.ctrl.Measure().Advance(' ');
    const int xc = f.ctrl.Measure().Advance('x');
    const int lineEnd0 = c.left + w3000 + ws + c.a;  // after "　 a"
    const int lineEnd1 = c.left + c.a;               // after "b"
    const struct {
        DWORD style;
        POINT at;
    } marks[] = {
        {ECS_SHOW_2BYTE_SPACE, {c.left + 1, c.top + 2}},                     // box around U+3000
        {ECS_SHOW_SPACE, {c.left + w3000, c.top + th - 1}},                  // open box under the space
        {ECS_SHOW_LINE_FEED, {lineEnd0 + xc / 2 + 1, c.top + th / 2}},       // down arrow's stem
        {ECS_SHOW_LINE_FEED, {lineEnd1 + xc, c.top + c.rh + th / 2}},        // EOF arrow's shaft
    };
    for (const auto& m : marks) {
        f.ctrl.SetStyle(0);
        f.ctrl.Relayout(0);
        EXPECT_NE(f.Print().At(m.at.x, m.at.y), pen) << m.style;
        f.ctrl.SetStyle(m.style);
        f.ctrl.Relayout(0);
        EXPECT_EQ(f.Print().At(m.at.x, m.at.y), pen) << m.style;
    }
}

// An underscore's stroke, thinner than a pixel row, is lost by the
// monochrome rasteriser: it is drawn all the same, in its own cell, in a
// Japanese and a Western fixed-pitch face, with and without row spacing.
TEST(EditPaint, UnderscoresAreDrawnAtTheBottomOfTheirCells) {
    struct Case {
        const wchar_t* face;
        int rowSpace;
    } cases[] = {{L"ＭＳ ゴシック", 0}, {L"DejaVu Sans Mono", 0}, {L"ＭＳ ゴシック", 4}};
    for (const Case& k : cases) {
        EditFixture f(u"a_b\n___");
        CFont font = etest::MakeFont(-16, k.face);
        f.ctrl.SetExtraRowSpacing(k.rowSpace);
        f.ctrl.SetTextOffset((k.rowSpace + 1) / 2);
        f.ctrl.SetFont(font);
        f.ctrl.Relayout(0);
        const wtest::Pixels p = f.Print();
        // Cells of the equal-width characters, measured after the font change.
        const int w = f.ctrl.GetCharWidth(), rh = f.ctrl.GetRowHeight(), left = f.ctrl.GetLeftMargin(),
                  top = f.ctrl.GetTopMargin();
        auto cell = [&](int col, int row) {
            return CRect(left + col * w, top + row * rh, left + (col + 1) * w, top + (row + 1) * rh);
        };
        EXPECT_TRUE(AnyPixel(p, cell(1, 0), Color(TEXT_COLOR))) << "row 0 " << k.face;
        for (int col : {0, 1, 2}) EXPECT_TRUE(AnyPixel(p, cell(col, 1), Color(TEXT_COLOR))) << "row 1 " << k.face;
        if (k.rowSpace) {
            EXPECT_TRUE(wtest::WriteBmp(TEST_OUTPUT_DIR "/editctrl_underscores.bmp", p));
        }
    }
}
