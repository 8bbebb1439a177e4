#include "view/print_layout.h"

#include "editctrl/edit_measure.h"
#include "editctrl/text_drawer.h"
#include "framework/wide.h"
#include "textengine/edit_data.h"

// The walk's pages and rows, drawn on the printer. Each page gets its
// header when it starts and its footer before it ends.
class CPrintLayoutSink : public PrintPageSink {
public:
    explicit CPrintLayoutSink(CPrintLayout& layout) : layout_(layout) {}
    bool StartPage(int) override {
        if (::StartPage(layout_.dc_) <= 0) return false;
        // Some drivers reset the device context at each page.
        ::SelectObject(layout_.dc_, layout_.font_.GetSafeHandle());
        ::SetMapMode(layout_.dc_, MM_TEXT);
        ::SetBkMode(layout_.dc_, TRANSPARENT);
        ::SetTextColor(layout_.dc_, RGB(0, 0, 0));
        layout_.PrintHeader();
        return true;
    }
    bool EndPage(int page) override {
        layout_.PrintFooter(page);
        return ::EndPage(layout_.dc_) > 0;
    }
    void Row(int rowOnPage, int line, bool firstRowOfLine, const char16_t* text, int count) override {
        layout_.DrawRow(rowOnPage, firstRowOfLine, line, text, count);
    }

private:
    CPrintLayout& layout_;
};

void CPrintLayout::SetUp(const std::wstring& title, const PrintMargins& margins, bool pageNumbers, bool date,
                         int digits, HDC printer) {
    Release();
    title_ = title;
    margins_ = margins;
    pageNumbers_ = pageNumbers;
    date_ = date;
    digits_ = digits > 0 ? digits : 0;
    dc_ = printer;
    dateText_.clear();
    if (date) {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        wchar_t text[32];
        ::wsprintfW(text, L"%04d-%02d-%02d %02d:%02d", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute);
        dateText_ = text;
    }
}

bool CPrintLayout::Measure(const wchar_t* face, int pointSize, int wrapColumn, const CEditData* data) {
    if (!dc_) return false;
    ::SetMapMode(dc_, MM_TEXT);
    PrintDeviceCaps device;
    device.pageWidth = ::GetDeviceCaps(dc_, HORZRES);
    device.pageHeight = ::GetDeviceCaps(dc_, VERTRES);
    device.dpiX = ::GetDeviceCaps(dc_, LOGPIXELSX);
    device.dpiY = ::GetDeviceCaps(dc_, LOGPIXELSY);
    device.offsetX = ::GetDeviceCaps(dc_, PHYSICALOFFSETX);
    device.offsetY = ::GetDeviceCaps(dc_, PHYSICALOFFSETY);
    pageWidth_ = device.pageWidth;
    pageHeight_ = device.pageHeight;

    if (oldFont_) ::SelectObject(dc_, oldFont_);
    oldFont_ = nullptr;
    if (!font_.CreatePointFont(pointSize, face, dc_)) return false;
    oldFont_ = ::SelectObject(dc_, font_.GetSafeHandle());

    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc_, &tm);
    metrics_ = std::make_unique<CGdiTextMetrics>(dc_);
    widths_.Init(metrics_.get());
    if (data) widths_.SetTabSize(data->GetDispData().widths.TabSize());
    digitWidth_ = widths_.GetWidth(metrics_.get(), U'0');

    PrintFontMetrics font;
    font.lineHeight = tm.tmHeight + tm.tmExternalLeading;
    font.aveCharWidth = tm.tmAveCharWidth;
    font.digitWidth = digitWidth_;
    geometry_ = ComputePrintGeometry(device, font, margins_, digits_, wrapColumn);
    return true;
}

int CPrintLayout::Print(const CEditData& data) {
    if (!dc_ || !metrics_) return -1;
    CPrintLayoutSink sink(*this);
    return PrintRows(data, widths_, metrics_.get(), geometry_, sink);
}

void CPrintLayout::PrintHeader() {
    const int y = geometry_.top - 2 * geometry_.lineHeight;
    if (!title_.empty()) {
        const int x = geometry_.CentredX(int(title_.size()));
        ::TextOutW(dc_, x, y, title_.c_str(), int(title_.size()));
    }
    if (date_ && !dateText_.empty()) {
        const int x = geometry_.RightAlignedX(int(dateText_.size()));
        ::TextOutW(dc_, x, y, dateText_.c_str(), int(dateText_.size()));
    }
}

void CPrintLayout::PrintFooter(int page) {
    if (!pageNumbers_) return;
    wchar_t text[16];
    const int n = ::wsprintfW(text, L"%d", page);
    const int y = pageHeight_ - geometry_.bottom + 2 * geometry_.lineHeight;
    ::TextOutW(dc_, geometry_.CentredX(n), y, text, n);
}

void CPrintLayout::DrawRow(int rowOnPage, bool numbered, int line, const char16_t* text, int count) {
    const int y = geometry_.top + rowOnPage * geometry_.lineHeight;
    if (digits_ > 0) {
        if (numbered) {
            const std::u16string number = FormatPrintLineNumber(line + 1, digits_);
            ::TextOutW(dc_, geometry_.left, y, AsWide(number.c_str()), int(number.size()));
        }
        const int ruleX = geometry_.textX - geometry_.aveCharWidth;
        ::MoveToEx(dc_, ruleX, y, nullptr);
        ::LineTo(dc_, ruleX, y + geometry_.lineHeight);
    }
    if (count <= 0) return;
    const RECT page{geometry_.left < 0 ? geometry_.left : 0, y, pageWidth_, y + geometry_.lineHeight};
    const RECT run{geometry_.textX, y, geometry_.textX + geometry_.textWidth, y + geometry_.lineHeight};
    CTextDrawer drawer;
    drawer.DrawTabbedText(dc_, page, text, count, run, CMeasure{&widths_, metrics_.get()}, geometry_.textX, y,
                          geometry_.textX, 0);
}

void CPrintLayout::Release() {
    if (dc_ && oldFont_) ::SelectObject(dc_, oldFont_);
    oldFont_ = nullptr;
    metrics_.reset();
    font_.DeleteObject();
}
