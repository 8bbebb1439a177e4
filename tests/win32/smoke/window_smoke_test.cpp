// Proves the Windows path end to end under Wine: a real top-level window
// keeps Japanese text, and an IPA font (reached through the Japanese face
// names the programs ask for) draws Japanese glyphs into a memory DC.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

LRESULT CALLBACK SmokeWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// Writes a 32-bit top-down DIB as a BMP file a reviewer can open.
bool WriteBmp(const char* path, const void* bits, int width, int height) {
    const DWORD imageSize = static_cast<DWORD>(width * height * 4);
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + imageSize;
    ih.biSize = sizeof(ih);
    ih.biWidth = width;
    ih.biHeight = -height;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    ih.biCompression = BI_RGB;
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(&fh, sizeof(fh), 1, f) == 1 && std::fwrite(&ih, sizeof(ih), 1, f) == 1 &&
              std::fwrite(bits, imageSize, 1, f) == 1;
    return std::fclose(f) == 0 && ok;
}

}  // namespace

TEST(WindowSmoke, TopLevelWindowKeepsJapaneseText) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = SmokeWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TORKA_SmokeTest";
    ASSERT_NE(RegisterClassW(&wc), 0);
    HWND hwnd = CreateWindowExW(0, L"TORKA_SmokeTest", L"", WS_OVERLAPPEDWINDOW, 0, 0, 320, 200, nullptr,
                                nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr);
    const wchar_t* title = L"無題 - 日本語のテキスト";
    ASSERT_TRUE(SetWindowTextW(hwnd, title));
    wchar_t back[64] = {};
    EXPECT_EQ(GetWindowTextW(hwnd, back, 64), static_cast<int>(wcslen(title)));
    EXPECT_EQ(std::wstring(back), std::wstring(title));
    DestroyWindow(hwnd);
    UnregisterClassW(L"TORKA_SmokeTest", wc.hInstance);
}

TEST(WindowSmoke, IpaFontDrawsJapaneseGlyphs) {
    const int width = 240, height = 48;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(dc, nullptr);

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bmp, nullptr);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);

    HFONT font = CreateFontW(-32, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, FIXED_PITCH, L"ＭＳ ゴシック");
    ASSERT_NE(font, nullptr);
    HGDIOBJ oldFont = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    char faceUtf8[LF_FACESIZE * 3] = {};
    WideCharToMultiByte(CP_UTF8, 0, face, -1, faceUtf8, sizeof faceUtf8, nullptr, nullptr);
    std::printf("font face: %s\n", faceUtf8);

    const wchar_t* text = L"日本語かな";
    WORD glyphs[5] = {};
    ASSERT_EQ(GetGlyphIndicesW(dc, text, 5, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 5u);
    for (WORD g : glyphs) EXPECT_NE(g, 0xFFFF) << "the substituted font lacks a Japanese glyph";

    RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    ASSERT_TRUE(TextOutW(dc, 4, 8, text, 5));
    GdiFlush();

    // Ink per character cell: every one of the five glyphs must have drawn.
    const auto* px = static_cast<const DWORD*>(bits);
    SIZE cell{};
    GetTextExtentPoint32W(dc, L"日", 1, &cell);
    ASSERT_GT(cell.cx, 8);
    for (int ch = 0; ch < 5; ++ch) {
        int ink = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 4 + ch * cell.cx; x < 4 + (ch + 1) * cell.cx && x < width; ++x)
                if ((px[y * width + x] & 0xFFFFFF) != 0xFFFFFF) ++ink;
        EXPECT_GT(ink, 20) << "no ink in cell " << ch;
    }
    EXPECT_TRUE(WriteBmp(TEST_OUTPUT_DIR "/window_smoke_text.bmp", bits, width, height));

    SelectObject(dc, oldFont);
    SelectObject(dc, oldBmp);
    DeleteObject(font);
    DeleteObject(bmp);
    DeleteDC(dc);
}
