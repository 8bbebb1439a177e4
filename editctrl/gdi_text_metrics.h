// Measuring characters with the screen font: the window DC a control lends
// for measuring, and the text engine's measuring source over a DC.
#pragma once

#include <windows.h>

#include "textengine/text_metrics.h"

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

// Measures with the font selected in a DC: a given one, or the holder's
// (taken only when a width is not cached yet).
class CGdiTextMetrics : public CTextMetrics {
public:
    explicit CGdiTextMetrics(HDC dc) : dc_(dc) {}
    explicit CGdiTextMetrics(CEditCtrlDC* holder) : holder_(holder) {}

    int MeasureChar(char32_t cp) override { return GetCharPixelWidth(dc_, cp, holder_); }
    void MeasureAscii(int* widths) override;
    bool IsFixedPitch() override;

private:
    HDC DC() { return dc_ ? dc_ : holder_ ? holder_->Get() : nullptr; }

    HDC dc_ = nullptr;
    CEditCtrlDC* holder_ = nullptr;
};
