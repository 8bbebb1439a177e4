// GDI wrappers, geometry values, the framework string and the UTF-16 meeting
// point: DC state comes back, objects are freed once, painting reaches the
// screen through CPaintDC.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "framework/fwstring.h"
#include "framework/gdi.h"
#include "framework/wide.h"
#include "framework/wnd.h"
#include "tests/framework/window_test_support.h"

TEST(Gdi, DcRestoresWhatWasSelectedThroughIt) {
    HDC screen = ::GetDC(nullptr);
    HDC raw = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ originalFont = ::GetCurrentObject(raw, OBJ_FONT);
    HGDIOBJ originalPen = ::GetCurrentObject(raw, OBJ_PEN);
    CFont font;
    LOGFONTW lf{};
    lf.lfHeight = -16;
    wcscpy(lf.lfFaceName, L"ＭＳ ゴシック");
    ASSERT_TRUE(font.CreateFontIndirect(lf));
    CPen pen;
    ASSERT_TRUE(pen.CreatePen(PS_SOLID, 0, RGB(1, 2, 3)));
    {
        CDC dc(raw);
        dc.SelectObject(font.GetSafeHandle());
        dc.SelectObject(pen.GetSafeHandle());
        dc.SetTextColor(RGB(9, 9, 9));
        EXPECT_EQ(::GetCurrentObject(raw, OBJ_FONT), font.GetSafeHandle());
    }
    EXPECT_EQ(::GetCurrentObject(raw, OBJ_FONT), originalFont);
    EXPECT_EQ(::GetCurrentObject(raw, OBJ_PEN), originalPen);
    EXPECT_NE(::GetTextColor(raw), RGB(9, 9, 9));
    ::DeleteDC(raw);

    LOGFONTW back{};
    ASSERT_TRUE(font.GetLogFont(&back));
    EXPECT_EQ(back.lfHeight, -16);
    EXPECT_STREQ(back.lfFaceName, L"ＭＳ ゴシック");
}

TEST(Gdi, ObjectsAreDeletedOnceAndMoveOwnership) {
    CBrush a(RGB(10, 20, 30));
    HBRUSH h = a;
    ASSERT_NE(h, nullptr);
    CBrush b(std::move(a));
    EXPECT_EQ(a.GetSafeHandle(), nullptr);
    EXPECT_EQ(b.GetSafeHandle(), h);
    EXPECT_EQ(::GetObjectType(h), static_cast<DWORD>(OBJ_BRUSH));
    b.DeleteObject();
    EXPECT_EQ(::GetObjectType(h), 0u);
}

TEST(Gdi, MemoryDcDrawsIntoItsOwnBitmap) {
    HDC screen = ::GetDC(nullptr);
    CMemoryDC mem(screen, 40, 20);
    ::ReleaseDC(nullptr, screen);
    ASSERT_TRUE(mem.IsCreated());
    EXPECT_EQ(mem.GetSize(), CSize(40, 20));
    mem.FillSolidRect(CRect(0, 0, 40, 20), RGB(255, 255, 255));
    mem.FillSolidRect(CRect(10, 5, 20, 15), RGB(200, 0, 0));
    CBrush frame(RGB(0, 0, 200));
    mem.FrameRect(CRect(0, 0, 40, 20), frame);
    EXPECT_EQ(mem.GetPixel(15, 10), RGB(200, 0, 0));
    EXPECT_EQ(mem.GetPixel(25, 10), RGB(255, 255, 255));
    EXPECT_EQ(mem.GetPixel(0, 10), RGB(0, 0, 200));
    EXPECT_EQ(mem.GetPixel(39, 19), RGB(0, 0, 200));
    mem.InvertRect(CRect(10, 5, 11, 6));
    EXPECT_EQ(mem.GetPixel(10, 5), RGB(55, 255, 255));
    mem.Destroy();
    EXPECT_FALSE(mem.IsCreated());
    EXPECT_EQ(mem.GetSize(), CSize(-1, -1));
}

namespace {

class PaintingWnd : public CWnd {
public:
    COLORREF colour = RGB(0, 128, 255);
    int paints = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_PAINT) {
            CPaintDC dc(m_hWnd);
            dc.FillSolidRect(GetClientRect(), colour);
            ++paints;
            return 0;
        }
        return CWnd::WindowProc(msg, wParam, lParam);
    }
};

}  // namespace

TEST(Gdi, PaintDcReachesTheScreenAndValidates) {
    CWnd::RegisterWindowClass(L"TORKA_PaintTest", 0, nullptr, nullptr);
    PaintingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, L"TORKA_PaintTest", L"", WS_POPUP | WS_VISIBLE, CRect(0, 0, 60, 40), nullptr,
                             nullptr));
    wnd.UpdateWindow();
    wtest::Pump();
    EXPECT_GE(wnd.paints, 1);
    RECT update;
    EXPECT_FALSE(::GetUpdateRect(wnd, &update, FALSE));
    wtest::Pixels shot = wtest::CaptureClient(wnd);
    ASSERT_EQ(shot.width, 60);
    EXPECT_EQ(shot.At(30, 20), RGB(0, 128, 255));
}

TEST(Geometry, RectanglesMeasureAndMeet) {
    CRect r(10, 20, 110, 70);
    EXPECT_EQ(r.Width(), 100);
    EXPECT_EQ(r.Height(), 50);
    EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));
    EXPECT_FALSE(r.PtInRect(CPoint(110, 20)));  // right and bottom are outside
    CRect meet;
    EXPECT_TRUE(meet.IntersectRect(r, CRect(100, 60, 200, 200)));
    EXPECT_EQ(meet, CRect(100, 60, 110, 70));
    EXPECT_FALSE(meet.IntersectRect(r, CRect(200, 200, 300, 300)));
    EXPECT_TRUE(meet.IsRectEmpty());
    r.OffsetRect(-10, -20);
    EXPECT_EQ(r, CRect(0, 0, 100, 50));
    EXPECT_EQ(CPoint::FromLParam(MAKELPARAM(-5, 7)), CPoint(-5, 7));
}

TEST(FrameworkString, FormatsNumbersAndWideTextOfAnyLength) {
    CString s;
    s.Format(L"%d", 1234);
    EXPECT_EQ(s, CString(L"1234"));
    s.Format(L"%ls(%d): %ls", L"C:\\日本.txt", 12, L"行");
    EXPECT_EQ(s, CString(L"C:\\日本.txt(12): 行"));
    std::wstring longText(5000, L'あ');
    s.Format(L"[%ls]", longText.c_str());
    EXPECT_EQ(s.GetLength(), 5002);
    CString sum = CString(L"a") + L"b";
    sum += L'c';
    EXPECT_EQ(sum, CString(L"abc"));
    EXPECT_TRUE(CString().IsEmpty());
}

TEST(Wide, Utf16CrossesBetweenWcharAndChar16) {
    const std::u16string u = u"漢字𠮷かな";
    const std::wstring w = ToWide(u);
    EXPECT_EQ(w, L"漢字𠮷かな");
    EXPECT_EQ(ToU16(w), u);
    EXPECT_EQ(AsWide(u.c_str())[2], static_cast<wchar_t>(0xD842));
    EXPECT_EQ(CString(std::u16string_view(u)), CString(L"漢字𠮷かな"));
}
