// Character pixel widths of one font, measured once per UTF-16 code point
// and kept for the text's display, and the window DC the measuring borrows.
#pragma once

#include <windows.h>

#include <memory>

// A control's window DC with the control's font selected, taken on first use
// and given back by Release (before the font may be deleted).
class CEditCtrlDC {
public:
    CEditCtrlDC() = default;
    ~CEditCtrlDC() { Release(); }
    CEditCtrlDC(const CEditCtrlDC&) = delete;
    CEditCtrlDC& operator=(const CEditCtrlDC&) = delete;

    // Measures for this window and font from now on; a DC taken for another
    // window or font is given back first.
    void Set(HWND window, HFONT font);
    // The DC, taken now if needed; null when the window is gone.
    HDC Get();
    void Release();
    HWND GetWindow() const { return window_; }
    HFONT GetFont() const { return font_; }
    bool IsHeld() const { return dc_ != nullptr; }

private:
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
};

// The pixel width of one character on dc, else on the holder's DC; 0 when
// there is neither.
int GetCharPixelWidth(HDC dc, char32_t cp, CEditCtrlDC* holder);

class CCharWidthTable {
public:
    // Forgets every width and measures the ASCII range, TAB (as 'x') and
    // the full-width reference U+3042 with the font selected in dc.
    void Init(HDC dc);
    bool IsInitialized() const { return widths_ != nullptr; }
    // Cached for the BMP; code points beyond it are measured every time.
    int GetWidth(HDC dc, char32_t cp, CEditCtrlDC* holder);
    // The width plus the spacing, doubled for characters at least as wide as
    // the full-width reference.
    int GetAdvance(HDC dc, char32_t cp, CEditCtrlDC* holder) {
        int w = GetWidth(dc, cp, holder);
        return w < fullWidthRef ? w + spacing : w + 2 * spacing;
    }
    // The width of a tab stop: (width of 'x' + spacing) x tab size.
    int GetTabStopWidth(HDC dc, CEditCtrlDC* holder) { return (GetWidth(dc, 'x', holder) + spacing) * tabSize; }
    // The stored width of a BMP code point, -1 when not measured yet.
    int CachedWidth(char16_t unit) const { return widths_ ? widths_[unit] : -1; }
    void Free() { widths_.reset(); }

    int tabSize = 4;
    int spacing = 0;
    int fullWidthRef = 0;
    // 2 x width('x') - 1: what some fixed-pitch fonts report for a full-width
    // character that is really two half-widths wide.
    int oddWidth = 0;
    bool fixedPitchCorrection = false;

private:
    std::unique_ptr<int[]> widths_;
};
