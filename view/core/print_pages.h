// How the editor lays text out on printed pages: the page's geometry in
// printer pixels from margins in millimetres and the font's metrics, and the
// walk that cuts a buffer's lines into rows and the rows into pages. The
// printer is reached only through PrintPageSink, so every figure here is
// the same on paper and in a test.
#pragma once

#include <string>

class CCharWidthTable;
class CEditData;
class CTextMetrics;

// What the printer's device context reports.
struct PrintDeviceCaps {
    int pageWidth = 0;   // printable area, pixels
    int pageHeight = 0;
    int dpiX = 0;
    int dpiY = 0;
    int offsetX = 0;     // the printable area's distance from the paper's edge
    int offsetY = 0;
};

// The printing font on that printer, pixels.
struct PrintFontMetrics {
    int lineHeight = 0;    // height + external leading
    int aveCharWidth = 0;
    int digitWidth = 0;    // of "0"
};

// Millimetres.
struct PrintMargins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The ranges the print dialog offers; settings read from the file are held
// to them too.
constexpr int kPrintMarginMin = 0;
constexpr int kPrintMarginMax = 50;
constexpr int kPrintFontPointMin = 40;   // tenths of a point
constexpr int kPrintFontPointMax = 720;
PrintMargins ClampPrintMargins(PrintMargins margins);
int ClampPrintFontPoint(int tenths);

// Whole pixels per millimetre, rounded up.
int PixelsPerMm(int dpi);

struct PrintGeometry {
    // Margins in pixels; top and left count from the printable area, so
    // small margins may come out negative by the paper's unprintable edge.
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int textX = 0;        // where a row's text starts (after the line numbers)
    int textWidth = 0;    // pixels a row's text may take
    int charsPerLine = 0;
    int linesPerPage = 0;
    int lineHeight = 0;
    int aveCharWidth = 0;

    // At least one character fits a row and one row a page.
    bool HasRoom() const { return charsPerLine >= 1 && textWidth >= 1 && linesPerPage >= 1; }
    // x of a text of n average characters centred over the row (never left
    // of the left margin), and of one ending a character before the row's end.
    int CentredX(int length) const;
    int RightAlignedX(int length) const;
};

// digits: width of the line numbers, 0 for none. wrapColumn: rows of that
// many characters, or -1 to fill the row; a page narrower than the column
// wraps at what it holds, so no text runs off the paper.
PrintGeometry ComputePrintGeometry(const PrintDeviceCaps& device, const PrintFontMetrics& font,
                                   const PrintMargins& margins, int digits, int wrapColumn);

// A line number right-aligned in digits places (wider when it needs more).
std::u16string FormatPrintLineNumber(int number, int digits);

// Receives the walk's pages and rows. A false from a page call stops the
// walk (the printer failed).
class PrintPageSink {
public:
    virtual ~PrintPageSink() = default;
    virtual bool StartPage(int page) = 0;
    virtual bool EndPage(int page) = 0;
    // One row: its place on the page (0 = top row), the buffer line it
    // comes from, whether it is that line's first row, and its text.
    virtual void Row(int rowOnPage, int line, bool firstRowOfLine, const char16_t* text, int count) = 0;
};

// Cuts every line into rows of the geometry's text width (each row takes at
// least one character; an empty line is one empty row) and hands the rows to
// sink, geometry.linesPerPage to a page; a page starts only when a row is
// left for it, so at least one page and never an empty one after the last
// row. Widths come from table and m (the printer's font). Returns the page
// count, or -1 when the sink stopped the walk or the geometry has no room.
int PrintRows(const CEditData& data, const CCharWidthTable& table, CTextMetrics* m, const PrintGeometry& geometry,
              PrintPageSink& sink);
