#include "editctrl/gdi_text_metrics.h"
#include "textengine/utf16.h"

void CEditCtrlDC::Set(HWND window, HFONT font) {
    if (window == window_ && font == font_) return;
    Release();
    window_ = window;
    font_ = font;
}

HDC CEditCtrlDC::Get() {
    if (dc_) return dc_;
    if (!window_ || !::IsWindow(window_)) return nullptr;
    dc_ = ::GetDC(window_);
    if (dc_ && font_) oldFont_ = ::SelectObject(dc_, font_);
    return dc_;
}

void CEditCtrlDC::Release() {
    if (!dc_) return;
    if (oldFont_) ::SelectObject(dc_, oldFont_);
    ::ReleaseDC(window_, dc_);
    dc_ = nullptr;
    oldFont_ = nullptr;
}

int GetCharPixelWidth(HDC dc, char32_t cp, CEditCtrlDC* holder) {
    if (!dc && holder) dc = holder->Get();
    if (!dc) return 0;
    wchar_t units[2];
    int n = 1;
    if (cp > 0xFFFF) {
        units[0] = static_cast<wchar_t>(utf16_high_of(cp));
        units[1] = static_cast<wchar_t>(utf16_low_of(cp));
        n = 2;
    } else {
        units[0] = static_cast<wchar_t>(cp);
    }
    SIZE size{};
    ::GetTextExtentPoint32W(dc, units, n, &size);
    return size.cx;
}

void CGdiTextMetrics::MeasureAscii(int* widths) {
    INT ascii[0x7F - 0x20] = {};
    HDC dc = DC();
    if (dc && ::GetCharWidth32W(dc, 0x20, 0x7E, ascii)) {
        for (int i = 0; i < 0x7F - 0x20; ++i) widths[i] = ascii[i];
        return;
    }
    CTextMetrics::MeasureAscii(widths);
}

bool CGdiTextMetrics::IsFixedPitch() {
    TEXTMETRICW tm{};
    HDC dc = DC();
    if (!dc || !::GetTextMetricsW(dc, &tm)) return false;
    // The pitch bit set means variable pitch.
    return !(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);
}
