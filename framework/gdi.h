// Device contexts and GDI objects as RAII values. A CDC saves the state of
// the DC it wraps and restores it when done, so objects selected through it
// never stay selected in a DC that outlives them.
#pragma once

#include <windows.h>

#include <utility>

#include "framework/geometry.h"

// An owned GDI object handle, deleted with the wrapper.
template <class Handle>
class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(Handle h) : h_(h) {}
    ~CGdiObject() { DeleteObject(); }
    CGdiObject(CGdiObject&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    CGdiObject& operator=(CGdiObject&& o) noexcept {
        if (this != &o) {
            DeleteObject();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    Handle GetSafeHandle() const { return h_; }
    operator Handle() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void Attach(Handle h) {
        DeleteObject();
        h_ = h;
    }
    Handle Detach() { return std::exchange(h_, nullptr); }
    void DeleteObject() {
        if (h_) ::DeleteObject(h_);
        h_ = nullptr;
    }

protected:
    Handle h_ = nullptr;
};

class CFont : public CGdiObject<HFONT> {
public:
    bool CreateFontIndirect(const LOGFONTW& lf) {
        Attach(::CreateFontIndirectW(&lf));
        return h_ != nullptr;
    }
    bool GetLogFont(LOGFONTW* lf) const { return h_ && ::GetObjectW(h_, sizeof(LOGFONTW), lf) != 0; }
    // lf.lfHeight in tenths of a point, made a character height for dc's
    // vertical resolution (the screen's when dc is null).
    bool CreatePointFontIndirect(const LOGFONTW& lf, HDC dc = nullptr);
    // A font of that size in tenths of a point, default character set.
    bool CreatePointFont(int tenthsOfPoint, const wchar_t* faceName, HDC dc = nullptr);
};

class CPen : public CGdiObject<HPEN> {
public:
    bool CreatePen(int style, int width, COLORREF color) {
        Attach(::CreatePen(style, width, color));
        return h_ != nullptr;
    }
};

class CBrush : public CGdiObject<HBRUSH> {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    bool CreateSolidBrush(COLORREF color) {
        Attach(::CreateSolidBrush(color));
        return h_ != nullptr;
    }
};

class CBitmap : public CGdiObject<HBITMAP> {
public:
    bool CreateCompatibleBitmap(HDC dc, int width, int height) {
        Attach(::CreateCompatibleBitmap(dc, width, height));
        return h_ != nullptr;
    }
    // A top-down 32-bit DIB whose pixels the caller can read at *bits.
    bool CreateDIBSection32(HDC dc, int width, int height, void** bits);
};

// A DC the caller obtained elsewhere (a print DC, WM_PRINTCLIENT's DC).
class CDC {
public:
    CDC() = default;
    explicit CDC(HDC dc) { Attach(dc); }
    virtual ~CDC() { Release(); }
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    HGDIOBJ SelectObject(HGDIOBJ obj) { return ::SelectObject(m_hDC, obj); }
    HFONT SelectObject(HFONT font) { return static_cast<HFONT>(::SelectObject(m_hDC, font)); }
    HPEN SelectObject(HPEN pen) { return static_cast<HPEN>(::SelectObject(m_hDC, pen)); }
    HBRUSH SelectObject(HBRUSH brush) { return static_cast<HBRUSH>(::SelectObject(m_hDC, brush)); }
    HBITMAP SelectObject(HBITMAP bmp) { return static_cast<HBITMAP>(::SelectObject(m_hDC, bmp)); }

    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }

    // A solid fill without a brush (an opaque empty text output).
    void FillSolidRect(const RECT& r, COLORREF color);
    void FillRect(const RECT& r, HBRUSH brush) { ::FillRect(m_hDC, &r, brush); }
    void FrameRect(const RECT& r, HBRUSH brush) { ::FrameRect(m_hDC, &r, brush); }
    void InvertRect(const RECT& r) { ::InvertRect(m_hDC, &r); }
    void MoveTo(int x, int y) { ::MoveToEx(m_hDC, x, y, nullptr); }
    void LineTo(int x, int y) { ::LineTo(m_hDC, x, y); }
    void Polyline(const POINT* points, int count) { ::Polyline(m_hDC, points, count); }
    COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    BOOL BitBlt(int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop = SRCCOPY) {
        return ::BitBlt(m_hDC, x, y, w, h, src, sx, sy, rop);
    }
    BOOL ExtTextOut(int x, int y, UINT options, const RECT* rect, const wchar_t* text, int n,
                    const int* advances = nullptr) {
        return ::ExtTextOutW(m_hDC, x, y, options, rect, text, static_cast<UINT>(n), advances);
    }
    BOOL TextOut(int x, int y, const wchar_t* text, int n) { return ::TextOutW(m_hDC, x, y, text, n); }
    BOOL GetTextMetrics(TEXTMETRICW* tm) const { return ::GetTextMetricsW(m_hDC, tm); }
    CSize GetTextExtent(const wchar_t* text, int n) const;
    BOOL RectVisible(const RECT& r) const { return ::RectVisible(m_hDC, &r); }
    int GetClipBox(RECT* r) const { return ::GetClipBox(m_hDC, r); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

protected:
    // Takes a DC and saves its state; Release restores it.
    void Attach(HDC dc);
    HDC Release();

private:
    int savedState_ = 0;
};

// The DC of a WM_PAINT: BeginPaint / EndPaint.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND hwnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};

private:
    HWND hwnd_;
};

// A window's client-area DC: GetDC / ReleaseDC.
class CClientDC : public CDC {
public:
    explicit CClientDC(HWND hwnd);
    ~CClientDC() override;

private:
    HWND hwnd_;
};

// An off-screen DC with its own bitmap, compatible with a reference DC.
class CMemoryDC : public CDC {
public:
    CMemoryDC() = default;
    CMemoryDC(HDC reference, int width, int height) { Create(reference, width, height); }
    ~CMemoryDC() override { Destroy(); }

    bool Create(HDC reference, int width, int height);
    void Destroy();
    bool IsCreated() const { return m_hDC != nullptr; }
    CSize GetSize() const { return size_; }
    // Ends the drawing and hands over the finished picture, selected in no
    // DC (as an image list or a caret wants it).
    CBitmap TakeBitmap();

private:
    CBitmap bitmap_;
    CSize size_{-1, -1};
};
