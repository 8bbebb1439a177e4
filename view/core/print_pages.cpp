#include "view/core/print_pages.h"

#include <algorithm>

#include "textengine/edit_data.h"
#include "textengine/utf16.h"

PrintMargins ClampPrintMargins(PrintMargins m) {
    auto clamp = [](int v) { return std::clamp(v, kPrintMarginMin, kPrintMarginMax); };
    return {clamp(m.left), clamp(m.top), clamp(m.right), clamp(m.bottom)};
}

int ClampPrintFontPoint(int tenths) { return std::clamp(tenths, kPrintFontPointMin, kPrintFontPointMax); }

int PixelsPerMm(int dpi) {
    // dpi / 25.4 rounded up, in integers.
    if (dpi <= 0) return 0;
    return (dpi * 10 + 253) / 254;
}

int PrintGeometry::CentredX(int length) const {
    return std::max(left, (charsPerLine - length) * aveCharWidth / 2 + left);
}

int PrintGeometry::RightAlignedX(int length) const {
    return std::max(left, (charsPerLine - length - 1) * aveCharWidth + left);
}

PrintGeometry ComputePrintGeometry(const PrintDeviceCaps& device, const PrintFontMetrics& font,
                                   const PrintMargins& margins, int digits, int wrapColumn) {
    PrintGeometry g;
    const int perMmX = PixelsPerMm(device.dpiX);
    const int perMmY = PixelsPerMm(device.dpiY);
    g.top = perMmY * margins.top - device.offsetY;
    g.bottom = perMmY * margins.bottom;
    g.left = perMmX * margins.left - device.offsetX;
    g.right = perMmX * margins.right;
    g.lineHeight = font.lineHeight;
    g.aveCharWidth = font.aveCharWidth;

    const int numbers = digits > 0 ? font.digitWidth * (digits + 2) : 0;
    g.textX = g.left + numbers;
    const int room = std::max(0, device.pageWidth - g.right - g.left - numbers);
    const int fits = font.aveCharWidth > 0 ? room / font.aveCharWidth : 0;
    if (wrapColumn < 0) {
        g.charsPerLine = fits;
        g.textWidth = room;
    } else {
        g.charsPerLine = std::min(wrapColumn, fits);
        g.textWidth = g.charsPerLine * font.aveCharWidth;
    }
    if (font.lineHeight > 0) g.linesPerPage = std::max(0, device.pageHeight - g.top - g.bottom) / font.lineHeight;
    return g;
}

std::u16string FormatPrintLineNumber(int number, int digits) {
    std::u16string text;
    long long n = number;
    const bool negative = n < 0;
    if (negative) n = -n;
    do {
        text.insert(text.begin(), char16_t(u'0' + n % 10));
        n /= 10;
    } while (n);
    if (negative) text.insert(text.begin(), u'-');
    if (int(text.size()) < digits) text.insert(0, std::size_t(digits) - text.size(), u' ');
    return text;
}

int PrintRows(const CEditData& data, const CCharWidthTable& table, CTextMetrics* m, const PrintGeometry& g,
              PrintPageSink& sink) {
    if (!g.HasRoom()) return -1;
    int page = 1;
    if (!sink.StartPage(page)) return -1;
    int row = 0;
    const int lines = data.GetLineCount();
    for (int line = 0; line < lines; ++line) {
        const char16_t* text = data.GetLineText(line);
        const int length = data.GetLineLength(line);
        int at = 0;
        bool first = true;
        do {
            if (row == g.linesPerPage) {
                if (!sink.EndPage(page)) return -1;
                ++page;
                if (!sink.StartPage(page)) return -1;
                row = 0;
            }
            int n = 0;
            if (at < length) {
                n = std::min(data.FitChars(text + at, g.textWidth, table, m), length - at);
                // A row always takes a character, however narrow the page.
                if (n <= 0) n = std::min(utf16_units_at(text + at), length - at);
            }
            sink.Row(row, line, first, text + at, n);
            at += n;
            ++row;
            first = false;
        } while (at < length);
    }
    return sink.EndPage(page) ? page : -1;
}
