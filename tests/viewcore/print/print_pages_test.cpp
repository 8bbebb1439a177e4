// Printed page layout without a printer: the page geometry from device
// figures and margins (including pages with no room at all), the cutting
// of lines into rows with Japanese text, tabs and surrogate pairs, the page
// breaks, and the [PRINT] settings held to the dialog's ranges.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/profile/ini_profile.h"
#include "textengine/edit_data.h"
#include "view/core/print_pages.h"
#include "view/core/print_settings.h"

namespace {

TEST(PrintGeometry, PixelsPerMillimetreRoundUp) {
    const struct {
        int dpi, perMm;
    } cases[] = {{600, 24}, {300, 12}, {254, 10}, {72, 3}, {1, 1}, {0, 0}};
    for (const auto& c : cases) EXPECT_EQ(PixelsPerMm(c.dpi), c.perMm) << c.dpi;
}

TEST(PrintGeometry, PageFiguresFromMarginsFontAndNumbers) {
    // A 600-dpi page of 4800 x 6600 printable pixels (24 px per mm), a font
    // 50 pixels wide and 100 high.
    const PrintDeviceCaps a4{4800, 6600, 600, 600, 0, 0};
    const PrintDeviceCaps offset{4800, 6600, 600, 600, 100, 120};
    const PrintFontMetrics font{100, 50, 50};
    const PrintMargins usual{15, 20, 15, 15};
    const PrintMargins none{0, 0, 0, 0};
    const struct {
        const char* name;
        PrintDeviceCaps device;
        PrintFontMetrics font;
        PrintMargins margins;
        int digits, wrapColumn;
        int left, top, textX, textWidth, chars, lines;
    } cases[] = {
        {"usual margins", a4, font, usual, 0, -1, 360, 480, 360, 4080, 81, 57},
        {"no margins: the unprintable edge makes them negative", offset, font, none, 0, -1, -100, -120, -100, 4900, 98, 67},
        {"three-digit line numbers take five digit widths", a4, font, usual, 3, -1, 360, 480, 610, 3830, 76, 57},
        {"wrap at a column", a4, font, usual, 0, 40, 360, 480, 360, 2000, 40, 57},
        {"a column wider than the paper wraps at the paper", a4, font, usual, 0, 200, 360, 480, 360, 4050, 81, 57},
        {"a tiny page holds two characters and a row", {100, 100, 600, 600, 0, 0}, font, none, 0, -1, 0, 0, 0, 100, 2, 1},
    };
    for (const auto& c : cases) {
        const PrintGeometry g = ComputePrintGeometry(c.device, c.font, c.margins, c.digits, c.wrapColumn);
        EXPECT_EQ(g.left, c.left) << c.name;
        EXPECT_EQ(g.top, c.top) << c.name;
        EXPECT_EQ(g.textX, c.textX) << c.name;
        EXPECT_EQ(g.textWidth, c.textWidth) << c.name;
        EXPECT_EQ(g.charsPerLine, c.chars) << c.name;
        EXPECT_EQ(g.linesPerPage, c.lines) << c.name;
        EXPECT_TRUE(g.HasRoom()) << c.name;
    }
}

TEST(PrintGeometry, PagesWithoutRoomAreRefused) {
    const PrintFontMetrics font{100, 50, 50};
    const struct {
        const char* name;
        PrintDeviceCaps device;
        PrintFontMetrics font;
        PrintMargins margins;
        int digits, wrapColumn;
    } cases[] = {
        {"zero-width page", {0, 6600, 600, 600, 0, 0}, font, {}, 0, -1},
        {"zero-height page", {4800, 0, 600, 600, 0, 0}, font, {}, 0, -1},
        {"narrower than one character", {49, 6600, 600, 600, 0, 0}, font, {}, 0, -1},
        {"margins wider than the page", {2000, 6600, 600, 600, 0, 0}, font, {50, 0, 50, 0}, 0, -1},
        {"margins taller than the page", {4800, 2000, 600, 600, 0, 0}, font, {0, 50, 0, 50}, 0, -1},
        {"line numbers fill the row", {300, 6600, 600, 600, 0, 0}, font, {}, 4, -1},
        {"a line higher than the page", {4800, 6600, 600, 600, 0, 0}, {7000, 50, 50}, {}, 0, -1},
        {"a font that reports no width", {4800, 6600, 600, 600, 0, 0}, {100, 0, 0}, {}, 0, -1},
        {"a font that reports no height", {4800, 6600, 600, 600, 0, 0}, {0, 50, 50}, {}, 0, -1},
        {"wrap at column 0", {4800, 6600, 600, 600, 0, 0}, font, {}, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(ComputePrintGeometry(c.device, c.font, c.margins, c.digits, c.wrapColumn).HasRoom()) << c.name;
}

TEST(PrintGeometry, HeaderPlacesAndLineNumbers) {
    PrintGeometry g;
    g.left = 100;
    g.charsPerLine = 20;
    g.aveCharWidth = 10;
    EXPECT_EQ(g.CentredX(6), 100 + 70);
    EXPECT_EQ(g.RightAlignedX(16), 100 + 30);
    EXPECT_EQ(g.CentredX(40), 100) << "a title longer than the row starts at the margin";
    EXPECT_EQ(g.RightAlignedX(40), 100);

    EXPECT_EQ(FormatPrintLineNumber(7, 3), u"  7");
    EXPECT_EQ(FormatPrintLineNumber(1234, 2), u"1234");
}

// Pages and rows as the walk handed them out.
struct PrintedRow {
    int page, row, line;
    bool first;
    std::u16string text;
    bool operator==(const PrintedRow&) const = default;
};

void PrintTo(const PrintedRow& r, std::ostream* os) {
    *os << "{p" << r.page << " r" << r.row << " l" << r.line << (r.first ? " first " : " cont ") << r.text.size()
        << " units}";
}

struct RecordingSink : PrintPageSink {
    std::vector<PrintedRow> rows;
    std::vector<std::string> calls;
    int page = 0;
    int failEndPage = 0;  // page whose end fails
    bool StartPage(int p) override {
        calls.push_back("start " + std::to_string(p));
        page = p;
        return true;
    }
    bool EndPage(int p) override {
        calls.push_back("end " + std::to_string(p));
        return p != failEndPage;
    }
    void Row(int row, int line, bool first, const char16_t* text, int count) override {
        rows.push_back({page, row, line, first, std::u16string(text, std::size_t(count))});
    }
};

struct Printout {
    std::unique_ptr<CEditData> data = std::make_unique<CEditData>();
    CFakeTextMetrics metrics{8, 16};  // 8 pixels below U+0100, 16 above
    CCharWidthTable table;
    PrintGeometry geometry;

    Printout(const char16_t* text, int textWidth, int linesPerPage) {
        data->InsertText(text, 0);
        table.Init(&metrics);
        table.SetTabSize(4);  // tab stops every 32 pixels
        geometry.textWidth = textWidth;
        geometry.charsPerLine = textWidth / 8 > 0 ? textWidth / 8 : 1;
        geometry.linesPerPage = linesPerPage;
    }
    int Run(RecordingSink& sink) { return PrintRows(*data, table, &metrics, geometry, sink); }
    std::vector<std::u16string> Texts() {
        RecordingSink sink;
        Run(sink);
        std::vector<std::u16string> texts;
        for (const PrintedRow& r : sink.rows) texts.push_back(r.text);
        return texts;
    }
};

using Texts = std::vector<std::u16string>;

TEST(PrintRows, LinesWrapByTheirWidths) {
    const struct {
        const char* name;
        const char16_t* text;
        int width;
        Texts rows;
    } cases[] = {
        {"ASCII", u"abcdefghij", 40, {u"abcde", u"fghij"}},
        {"Japanese is twice as wide", u"あいうえおか", 40, {u"あい", u"うえ", u"おか"}},
        {"mixed", u"aあbいc", 40, {u"aあb", u"いc"}},
        {"a tab runs to the next stop", u"\tab\tc", 40, {u"\ta", u"b\tc"}},
        {"a tab needs two pixels of room", u"abc\tx", 25, {u"abc", u"\t", u"x"}},
        {"narrower than one character: one per row", u"abc", 4, {u"a", u"b", u"c"}},
        {"narrower than a Japanese character", u"あいa", 12, {u"あ", u"い", u"a"}},
        {"a surrogate pair stays whole", u"\U0002000B\U0002000Bx", 4, {u"\U0002000B", u"\U0002000B", u"x"}},
        {"an empty line is one empty row", u"ab\n\ncd", 40, {u"ab", u"", u"cd"}},
        {"nothing at all", u"", 40, {u""}},
    };
    for (const auto& c : cases) {
        Printout p(c.text, c.width, 100);
        EXPECT_EQ(p.Texts(), c.rows) << c.name;
    }
}

TEST(PrintRows, BreakRulesOfTheBufferApply) {
    Printout p(u"あいう。えお", 48, 100);
    p.data->SetFirstConfinementStr(u"、。");
    EXPECT_EQ(p.Texts(), (Texts{u"あいう。", u"えお"})) << "a row may not begin with 。";
}

TEST(PrintRows, PagesBreakAfterTheirRowsAndNeverTrailEmpty) {
    const struct {
        const char* name;
        const char16_t* text;
        int linesPerPage;
        int pages;
        std::vector<std::string> calls;
    } cases[] = {
        {"one line", u"a", 2, 1, {"start 1", "end 1"}},
        {"an empty file is one page", u"", 2, 1, {"start 1", "end 1"}},
        {"the last line fills the page exactly", u"a\nb\nc\nd", 2, 2, {"start 1", "end 1", "start 2", "end 2"}},
        {"one line over", u"a\nb\nc\nd\ne", 2, 3, {"start 1", "end 1", "start 2", "end 2", "start 3", "end 3"}},
        {"wrapped rows count", u"abcdefghijkl", 2, 2, {"start 1", "end 1", "start 2", "end 2"}},
        {"one row a page", u"a\nb\nc", 1, 3, {"start 1", "end 1", "start 2", "end 2", "start 3", "end 3"}},
    };
    for (const auto& c : cases) {
        Printout p(c.text, 40, c.linesPerPage);
        RecordingSink sink;
        EXPECT_EQ(p.Run(sink), c.pages) << c.name;
        EXPECT_EQ(sink.calls, c.calls) << c.name;
    }
}

TEST(PrintRows, RowsKnowTheirLineAndPlace) {
    Printout p(u"abcdefgh\n\nxy", 32, 2);
    RecordingSink sink;
    ASSERT_EQ(p.Run(sink), 2);
    const std::vector<PrintedRow> expected{
        {1, 0, 0, true, u"abcd"},
        {1, 1, 0, false, u"efgh"},
        {2, 0, 1, true, u""},
        {2, 1, 2, true, u"xy"},
    };
    EXPECT_EQ(sink.rows, expected);
}

TEST(PrintRows, StopsWhenThePrinterFailsOrThereIsNoRoom) {
    Printout p(u"a\nb\nc\nd\ne", 40, 2);
    RecordingSink failing;
    failing.failEndPage = 1;
    EXPECT_EQ(p.Run(failing), -1);
    EXPECT_EQ(failing.calls, (std::vector<std::string>{"start 1", "end 1"}));

    p.geometry.linesPerPage = 0;
    RecordingSink untouched;
    EXPECT_EQ(p.Run(untouched), -1);
    EXPECT_TRUE(untouched.calls.empty());
}

// A settings store on no file.
class NoFile : public CIniFileAccess {
public:
    bool Lock() override { return true; }
    void Unlock() override {}
    IniReadResult Read(const std::u16string&, std::string&) override { return IniReadResult::Missing; }
    bool Replace(const std::u16string&, const std::string&) override { return true; }
};

TEST(PrintSettings, DefaultsRangesAndRoundTrip) {
    CIniProfile profile(std::make_unique<NoFile>());
    const PrintSettings defaults = ReadPrintSettings(profile);
    EXPECT_EQ(defaults.margins.top, 20);
    EXPECT_EQ(defaults.margins.bottom, 15);
    EXPECT_EQ(defaults.title, 1);
    EXPECT_EQ(defaults.fontFace, u"ＭＳ ゴシック");
    EXPECT_EQ(defaults.fontPoint, 110);

    profile.WriteInt(u"PRINT", u"SPACE_TOP", 70);
    profile.WriteInt(u"PRINT", u"SPACE_LEFT", -5);
    profile.WriteInt(u"PRINT", u"SPACE_RIGHT", 2147483647);
    profile.WriteInt(u"PRINT", u"FONT_POINT", 0);
    profile.WriteString(u"PRINT", u"FONT_FACE_NAME", u"");
    PrintSettings read = ReadPrintSettings(profile);
    EXPECT_EQ(read.margins.top, 50);
    EXPECT_EQ(read.margins.left, 0);
    EXPECT_EQ(read.margins.right, 50);
    EXPECT_EQ(read.fontPoint, kPrintFontPointMin);
    EXPECT_EQ(read.fontFace, u"ＭＳ ゴシック") << "an empty face falls back to the default";
    profile.WriteInt(u"PRINT", u"FONT_POINT", 100000);
    EXPECT_EQ(ReadPrintSettings(profile).fontPoint, kPrintFontPointMax);

    PrintSettings chosen;
    chosen.margins = {1, 2, 3, 4};
    chosen.title = 0;
    chosen.pageNumbers = chosen.lineNumbers = chosen.date = 1;
    chosen.fontFace = u"IPAGothic";
    chosen.fontPoint = 90;
    WritePrintSettings(chosen, profile);
    WritePrintPrinterName(u"PDF", profile);
    read = ReadPrintSettings(profile);
    EXPECT_EQ(read.margins.left, 1);
    EXPECT_EQ(read.margins.top, 2);
    EXPECT_EQ(read.margins.right, 3);
    EXPECT_EQ(read.margins.bottom, 4);
    EXPECT_EQ(read.title, 0);
    EXPECT_EQ(read.pageNumbers + read.lineNumbers + read.date, 3);
    EXPECT_EQ(read.fontFace, u"IPAGothic");
    EXPECT_EQ(read.fontPoint, 90);
    EXPECT_EQ(read.printerName, u"PDF");
}

}  // namespace
