#include "framework/gdi.h"

#include <cstdlib>

bool CBitmap::CreateDIBSection32(HDC dc, int width, int height, void** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    Attach(::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, bits, nullptr, 0));
    return h_ != nullptr;
}

void CDC::Attach(HDC dc) {
    m_hDC = dc;
    savedState_ = dc ? ::SaveDC(dc) : 0;
}

HDC CDC::Release() {
    HDC dc = m_hDC;
    if (dc && savedState_) ::RestoreDC(dc, savedState_);
    m_hDC = nullptr;
    savedState_ = 0;
    return dc;
}

void CDC::FillSolidRect(const RECT& r, COLORREF color) {
    COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

CSize CDC::GetTextExtent(const wchar_t* text, int n) const {
    SIZE s{};
    ::GetTextExtentPoint32W(m_hDC, text, n, &s);
    return s;
}

CPaintDC::CPaintDC(HWND hwnd) : hwnd_(hwnd) { Attach(::BeginPaint(hwnd, &m_ps)); }

CPaintDC::~CPaintDC() {
    Release();
    ::EndPaint(hwnd_, &m_ps);
}

CClientDC::CClientDC(HWND hwnd) : hwnd_(hwnd) { Attach(::GetDC(hwnd)); }

CClientDC::~CClientDC() {
    if (HDC dc = Release()) ::ReleaseDC(hwnd_, dc);
}

bool CMemoryDC::Create(HDC reference, int width, int height) {
    Destroy();
    HDC dc = ::CreateCompatibleDC(reference);
    if (!dc) return false;
    if (!bitmap_.CreateCompatibleBitmap(reference, width, height)) {
        ::DeleteDC(dc);
        return false;
    }
    Attach(dc);
    SelectObject(bitmap_.GetSafeHandle());
    size_ = CSize(width, height);
    return true;
}

CBitmap CMemoryDC::TakeBitmap() {
    if (HDC dc = Release()) ::DeleteDC(dc);
    size_ = CSize(-1, -1);
    return std::move(bitmap_);
}

void CMemoryDC::Destroy() {
    if (HDC dc = Release()) ::DeleteDC(dc);
    bitmap_.DeleteObject();
    size_ = CSize(-1, -1);
}

bool CFont::CreatePointFontIndirect(const LOGFONTW& lf, HDC dc) {
    HDC measure = dc ? dc : ::GetDC(nullptr);
    LOGFONTW scaled = lf;
    scaled.lfHeight = -std::abs(::MulDiv(lf.lfHeight, ::GetDeviceCaps(measure, LOGPIXELSY), 720));
    if (!dc) ::ReleaseDC(nullptr, measure);
    return CreateFontIndirect(scaled);
}

bool CFont::CreatePointFont(int tenthsOfPoint, const wchar_t* faceName, HDC dc) {
    LOGFONTW lf{};
    lf.lfHeight = tenthsOfPoint;
    lf.lfCharSet = DEFAULT_CHARSET;
    if (faceName) lstrcpynW(lf.lfFaceName, faceName, LF_FACESIZE);
    return CreatePointFontIndirect(lf, dc);
}
