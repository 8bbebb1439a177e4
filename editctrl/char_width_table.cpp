#include "editctrl/char_width_table.h"

#include <algorithm>

namespace {

const size_t kBmpSize = 0x10000;

}  // namespace

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
        units[0] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
        units[1] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        n = 2;
    } else {
        units[0] = static_cast<wchar_t>(cp);
    }
    SIZE size{};
    ::GetTextExtentPoint32W(dc, units, n, &size);
    return size.cx;
}

void CCharWidthTable::Init(HDC dc) {
    if (!widths_) widths_.reset(new int[kBmpSize]);
    std::fill(widths_.get(), widths_.get() + kBmpSize, -1);
    // Low surrogates are measured with their high surrogate.
    std::fill(widths_.get() + 0xDC00, widths_.get() + 0xE000, 0);
    widths_[0] = 0;
    INT ascii[0x7F - 0x20] = {};
    if (::GetCharWidth32W(dc, 0x20, 0x7E, ascii))
        std::copy(std::begin(ascii), std::end(ascii), widths_.get() + 0x20);
    widths_['\t'] = widths_['x'];
    fixedPitchCorrection = false;
    oddWidth = 2 * widths_['x'] - 1;
    fullWidthRef = GetCharPixelWidth(dc, 0x3042, nullptr);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    // The pitch bit set means variable pitch.
    const bool fixedPitch = !(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);
    if (fixedPitch && fullWidthRef == oddWidth)
        fixedPitchCorrection = true;  // U+3042 itself is measured (and corrected) on first use
    else
        widths_[0x3042] = fullWidthRef;
}

int CCharWidthTable::GetWidth(HDC dc, char32_t cp, CEditCtrlDC* holder) {
    if (cp > 0xFFFF || !widths_) return GetCharPixelWidth(dc, cp, holder);
    int& w = widths_[cp];
    if (w < 0) {
        if (!dc && holder) dc = holder->Get();
        if (!dc) return 0;  // nothing to measure with: remember nothing
        const int measured = GetCharPixelWidth(dc, cp, nullptr);
        w = fixedPitchCorrection && measured == oddWidth ? 2 * widths_['x'] : measured;
    }
    return w;
}
