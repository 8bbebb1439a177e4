// The text drawer puts every run where the width table measured it: TABs
// run to the next tab stop (or one blank in tab mode 1) and runs outside
// the clip are not drawn.
#include <gtest/gtest.h>
#include <windows.h>

#include "editctrl/text_drawer.h"

namespace {

struct Canvas {
    static constexpr int kWidth = 200, kHeight = 20;
    HDC dc = nullptr;
    HBITMAP bmp = nullptr;
    DWORD* px = nullptr;
    HFONT font = nullptr;

    Canvas() {
        dc = CreateCompatibleDC(nullptr);
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&px), nullptr, 0);
        SelectObject(dc, bmp);
        font = CreateFontW(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                           L"ＭＳ ゴシック");
        SelectObject(dc, font);
        RECT all = {0, 0, kWidth, kHeight};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetBkMode(dc, TRANSPARENT);
    }
    ~Canvas() {
        DeleteDC(dc);
        DeleteObject(bmp);
        DeleteObject(font);
    }
    int InkIn(int left, int right) const {
        GdiFlush();
        int ink = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = left; x < right; ++x) ink += (px[y * kWidth + x] & 0xFFFFFF) != 0xFFFFFF;
        return ink;
    }
};

struct Measure {
    CFakeTextMetrics metrics;  // 8 px below U+0100, 16 px above
    CCharWidthTable table;
    Measure() {
        table.SetTabSize(4);
        table.Init(&metrics);
    }
    CMeasure Get() { return CMeasure{&table, &metrics}; }
};

}  // namespace

TEST(TextDrawer, TabsRunToTheNextStopOrOneBlankInTabMode1) {
    Measure m;
    const RECT all = {0, 0, Canvas::kWidth, Canvas::kHeight};
    struct Case {
        int tabMode, origin, startX, expectedEnd, bAt;
    } cases[] = {
        {0, 0, 0, 32 + 8, 32},   // "a" then TAB to 32, "b"
        {0, 0, 40, 64 + 8, 64},  // starting past a stop
        {0, 4, 4, 36 + 8, 36},   // stops count from the origin
        {1, 0, 0, 8 + 8 + 8, 16},
    };
    for (const Case& c : cases) {
        Canvas canvas;
        CTextDrawer drawer;
        drawer.tabMode = c.tabMode;
        const int end = drawer.DrawTabbedText(canvas.dc, all, u"a\tb", 3, all, m.Get(), c.startX, 2, c.origin);
        EXPECT_EQ(end, c.expectedEnd) << "tab mode " << c.tabMode << " from " << c.startX;
        EXPECT_GT(canvas.InkIn(c.bAt, c.bAt + 8), 5) << "no 'b' at " << c.bAt;
        EXPECT_EQ(canvas.InkIn(c.startX + 8, c.bAt), 0) << "the TAB draws nothing";
    }
}

TEST(TextDrawer, PairsAdvanceOnceAndRunsOutsideTheClipAreSkipped) {
    Measure m;
    const RECT all = {0, 0, Canvas::kWidth, Canvas::kHeight};
    Canvas canvas;
    CTextDrawer drawer;
    EXPECT_EQ(drawer.DrawTabbedText(canvas.dc, all, u"\U00020BB7x", 3, all, m.Get(), 0, 2, 0), 16 + 8);

    Canvas clipped;
    const RECT right = {100, 0, Canvas::kWidth, Canvas::kHeight};
    EXPECT_EQ(drawer.DrawTabbedText(clipped.dc, right, u"abc", 3, all, m.Get(), 0, 2, 0), 24);
    EXPECT_EQ(clipped.InkIn(0, Canvas::kWidth), 0);
}
