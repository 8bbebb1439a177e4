// Puts a buffer on a printer's pages: measures the page and the printing
// font on the printer's device context, then draws the rows with the
// optional title, date, page numbers and line numbers. The arithmetic is
// view/core/print_pages.h; this side only measures and draws.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "editctrl/gdi_text_metrics.h"
#include "framework/gdi.h"
#include "textengine/text_metrics.h"
#include "view/core/print_pages.h"

class CEditData;

class CPrintLayout {
public:
    CPrintLayout() = default;
    ~CPrintLayout() { Release(); }
    CPrintLayout(const CPrintLayout&) = delete;
    CPrintLayout& operator=(const CPrintLayout&) = delete;

    // digits: width of the line numbers, 0 for none. The device context
    // stays the caller's.
    void SetUp(const std::wstring& title, const PrintMargins& margins, bool pageNumbers, bool date, int digits,
               HDC printer);
    // Makes the font (tenths of a point) on the printer and measures the
    // page; wrapColumn -1 fills the row. data, when given, lends its tab
    // size. False when the font can't be made.
    bool Measure(const wchar_t* face, int pointSize, int wrapColumn, const CEditData* data);
    const PrintGeometry& Geometry() const { return geometry_; }

    // Draws every page of data between the caller's StartDoc and EndDoc;
    // the page count, or -1 when the printer refused a page (or the page has
    // no room).
    int Print(const CEditData& data);
    // Puts the replaced font back and deletes the printing font.
    void Release();

private:
    friend class CPrintLayoutSink;
    void PrintHeader();
    void PrintFooter(int page);
    void DrawRow(int rowOnPage, bool numbered, int line, const char16_t* text, int count);

    std::wstring title_;
    bool pageNumbers_ = false;
    bool date_ = false;
    std::wstring dateText_;
    HDC dc_ = nullptr;
    CFont font_;
    HGDIOBJ oldFont_ = nullptr;
    PrintMargins margins_;
    int digits_ = 0;
    PrintGeometry geometry_;
    int pageHeight_ = 0;
    int pageWidth_ = 0;
    int digitWidth_ = 0;
    std::unique_ptr<CGdiTextMetrics> metrics_;  // on the printer, with the font selected
    CCharWidthTable widths_;
};
