// Helpers shared by the window tests: a recording host window, message
// pumping with a time-out, and reading back what a window shows.
#pragma once

#include <windows.h>

#include <cstdio>
#include <vector>

#include "framework/gdi.h"
#include "framework/wnd.h"

namespace wtest {

// Runs the thread's pending messages (paints and timers included) until
// none is left or the time-out passes.
inline void Pump(DWORD timeoutMs = 200) {
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (::GetTickCount() - start < timeoutMs) {
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!::GetQueueStatus(QS_ALLINPUT)) break;
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// A top-level window that records the messages its children send it.
class HostWindow : public CWnd {
public:
    struct Record {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    explicit HostWindow(int width = 640, int height = 480, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE) {
        CWnd::RegisterWindowClass(L"TORKA_TestHost", 0, ::LoadCursorW(nullptr, IDC_ARROW),
                                  reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
        CreateEx(0, L"TORKA_TestHost", L"test", style, CRect(0, 0, width, height), nullptr, nullptr);
    }
    std::vector<Record> records;
    // Messages at or above this value are recorded.
    UINT recordFrom = WM_RBUTTONDOWN;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg >= recordFrom && msg != WM_NCDESTROY && msg < 0xC000) records.push_back({msg, wParam, lParam});
        return CWnd::WindowProc(msg, wParam, lParam);
    }
};

// One visible host for a whole test program: under Wine without a window
// manager, unmapping a top-level window waits seconds for a reply that
// never comes, so tests put their windows into this one and let it live.
inline HostWindow& SharedHost() {
    static HostWindow* host = new HostWindow(800, 600);
    return *host;
}

// 0x00RRGGBB pixels of a 32-bit DIB, top-down.
struct Pixels {
    int width = 0, height = 0;
    std::vector<DWORD> px;
    COLORREF At(int x, int y) const {
        DWORD p = px[static_cast<size_t>(y) * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
};

// The pixels of a client-sized 32-bit DIB after draw(dc) painted into it.
template <class Draw>
inline Pixels PixelsDrawnBy(HWND hwnd, Draw draw) {
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    Pixels out;
    out.width = rc.right;
    out.height = rc.bottom;
    HDC screen = ::GetDC(nullptr);
    HDC mdc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    CBitmap bmp;
    void* bits = nullptr;
    if (bmp.CreateDIBSection32(mdc, out.width, out.height, &bits)) {
        HGDIOBJ old = ::SelectObject(mdc, bmp.GetSafeHandle());
        draw(mdc, out.width, out.height);
        ::GdiFlush();
        const auto* p = static_cast<const DWORD*>(bits);
        out.px.assign(p, p + static_cast<size_t>(out.width) * out.height);
        ::SelectObject(mdc, old);
    }
    ::DeleteDC(mdc);
    return out;
}

// What the window's client area shows on screen now.
inline Pixels CaptureClient(HWND hwnd) {
    return PixelsDrawnBy(hwnd, [hwnd](HDC dc, int width, int height) {
        HDC wdc = ::GetDC(hwnd);
        ::BitBlt(dc, 0, 0, width, height, wdc, 0, 0, SRCCOPY);
        ::ReleaseDC(hwnd, wdc);
    });
}

// What the window paints into its client area, drawn off-screen through
// WM_PRINTCLIENT: other windows over it on the display don't matter.
inline Pixels RenderClient(HWND hwnd) {
    return PixelsDrawnBy(hwnd, [hwnd](HDC dc, int, int) {
        ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    });
}

// Writes pixels as a BMP file for reviewers (the test script converts it).
inline bool WriteBmp(const char* path, const Pixels& p) {
    const DWORD imageSize = static_cast<DWORD>(p.px.size() * sizeof(DWORD));
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + imageSize;
    ih.biSize = sizeof(ih);
    ih.biWidth = p.width;
    ih.biHeight = -p.height;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    ih.biCompression = BI_RGB;
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(&fh, sizeof(fh), 1, f) == 1 && std::fwrite(&ih, sizeof(ih), 1, f) == 1 &&
              std::fwrite(p.px.data(), imageSize, 1, f) == 1;
    return std::fclose(f) == 0 && ok;
}

}  // namespace wtest
