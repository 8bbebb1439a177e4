// A small top-most popup that shows a text in full over a rectangle whose
// own drawing cuts it off (a file tab, a grid column title). It never takes
// the focus, hides once the mouse leaves the rectangle, and passes button
// presses on to the window underneath.
#pragma once

#include <windows.h>

#include <string>

class CTipWnd {
public:
    CTipWnd() = default;
    ~CTipWnd();
    CTipWnd(const CTipWnd&) = delete;
    CTipWnd& operator=(const CTipWnd&) = delete;

    // False when the window class or the window cannot be made.
    bool Create(HINSTANCE instance);
    // Measures text in the font: extent + (3, 2).
    void CalcTextSize();
    // Shows the tip over rect (screen coordinates) while the cursor is in
    // it and the text is wider than it; false when nothing is shown.
    bool Show(LPARAM value, const RECT& rect);
    void Hide();
    bool IsShown() const { return shown_; }
    HWND GetSafeHwnd() const { return hwnd_; }

    std::wstring text;
    POINT offset{0, 0};
    SIZE textSize{0, 0};
    COLORREF background = 0xE0FFFF;
    COLORREF textColor = 0;
    HFONT font = nullptr;
    LPARAM value = 0;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Paint();
    HWND hwnd_ = nullptr;
    RECT hot_{0, 0, 0, 0};
    bool shown_ = false;
};
