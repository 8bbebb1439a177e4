// The window-system side of a text's display data: views and pane
// messages, colours and pens, the measuring DC and character widths.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "editctrl/edit_disp_gdi.h"
#include "framework/gdi.h"
#include "textengine/edit_data.h"
#include "tests/framework/window_test_support.h"

namespace {

const UINT WM_PANE_TEST = WM_APP + 0x210;
std::vector<HWND> g_received;

class PaneWnd : public CWnd {
public:
    PaneWnd() { CWnd::RegisterWindowClass(L"TORKA_PaneTest", 0, nullptr, nullptr); }
    BOOL Make() {
        return Create(L"TORKA_PaneTest", L"", WS_CHILD, CRect(0, 0, 10, 10), wtest::SharedHost(), 1);
    }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_PANE_TEST) g_received.push_back(m_hWnd);
        return CWnd::WindowProc(msg, wParam, lParam);
    }
};

CFont MakeFont(int height = -18, const wchar_t* face = L"ＭＳ ゴシック") {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    wcscpy(lf.lfFaceName, face);
    CFont font;
    font.CreateFontIndirect(lf);
    return font;
}

COLORREF PenColour(HPEN pen) {
    LOGPEN lp{};
    ::GetObjectW(pen, sizeof(lp), &lp);
    return lp.lopnColor;
}

}  // namespace

TEST(DispGdi, IsMadeOnceAndLivesWithTheText) {
    CEditData data;
    CEditDispGdi& gdi = CEditDispGdi::Of(data);
    EXPECT_EQ(&CEditDispGdi::Of(data), &gdi);
    EXPECT_EQ(data.GetDispData().GetExtension(), &gdi);
}

TEST(DispGdi, AFifthViewIsNotRegisteredAndHearsNoPaneMessages) {
    CEditData data;
    CEditDispGdi& gdi = CEditDispGdi::Of(data);
    PaneWnd panes[5];
    for (auto& p : panes) ASSERT_TRUE(p.Make());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(gdi.AddView(panes[i]), i);
    EXPECT_EQ(gdi.AddView(panes[4]), CEditDispGdi::kMaxViews);

    g_received.clear();
    gdi.BroadcastMessage(panes[1], WM_PANE_TEST, 0, 0);
    EXPECT_EQ(g_received, (std::vector<HWND>{panes[0], panes[2], panes[3]}));

    // A freed slot is taken by the next view.
    EXPECT_EQ(gdi.RemoveView(panes[2]), 2);
    EXPECT_EQ(gdi.RemoveView(panes[2]), CEditDispGdi::kMaxViews);
    EXPECT_EQ(gdi.AddView(panes[4]), 2);
    g_received.clear();
    gdi.BroadcastMessage(nullptr, WM_PANE_TEST, 0, 0);
    EXPECT_EQ(g_received, (std::vector<HWND>{panes[0], panes[1], panes[4], panes[3]}));
}

TEST(DispGdi, ColoursStartAtTheDefaultsAndPensFollowTheirColours) {
    CEditData data;
    CEditDispGdi& gdi = CEditDispGdi::Of(data);
    EXPECT_EQ(gdi.GetColor(KEYWORD_COLOR), 0xCD0000u);
    EXPECT_EQ(gdi.GetColor(RULED_LINE_COLOR), 0xB4B4B4u);
    EXPECT_EQ(PenColour(gdi.GetMarkPen()), 0x969600u);
    EXPECT_EQ(PenColour(gdi.GetRulerPen()), 0x006400u);

    EXPECT_FALSE(gdi.SetColor(PEN_COLOR, 0x969600));
    EXPECT_TRUE(gdi.SetColor(PEN_COLOR, RGB(1, 2, 3)));
    EXPECT_EQ(PenColour(gdi.GetMarkPen()), RGB(1, 2, 3));
    EXPECT_TRUE(gdi.SetColor(RULER_COLOR, RGB(4, 5, 6)));
    EXPECT_EQ(PenColour(gdi.GetRulerPen()), RGB(4, 5, 6));
    EXPECT_FALSE(gdi.SetColor(EDIT_COLOR_COUNT, 0));

    // The caret bitmap is made in the background colour: a new one forgets it.
    gdi.caretBitmapKey[0] = 2;
    gdi.SetColor(BG_COLOR, RGB(0, 0, 0));
    EXPECT_EQ(gdi.caretBitmapKey[0], -1);
}

TEST(DispGdi, MeasuringDcIsKeptAndGivenBackBeforeItsFontGoes) {
    CEditData data;
    CEditDispGdi& gdi = CEditDispGdi::Of(data);
    PaneWnd control, other;
    ASSERT_TRUE(control.Make());
    ASSERT_TRUE(other.Make());
    CFont font = MakeFont();
    HDC dc = gdi.GetMeasuringDC(control, font);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_FONT), font.GetSafeHandle());
    EXPECT_EQ(gdi.GetMeasuringDC(control, font), dc);  // kept

    // Another control's release leaves it; the owner's gives it back.
    gdi.ReleaseMeasuringDC(other);
    EXPECT_TRUE(gdi.MeasuringDC().IsHeld());
    gdi.ReleaseMeasuringDC(control);
    EXPECT_FALSE(gdi.MeasuringDC().IsHeld());
    // So the font really goes when deleted.
    HFONT handle = font.GetSafeHandle();
    font.DeleteObject();
    EXPECT_EQ(::GetObjectType(handle), 0u);

    // Dropping the selection drops the cached DC too.
    CFont second = MakeFont();
    ASSERT_NE(gdi.GetMeasuringDC(control, second), nullptr);
    data.GetDispData().ResetSelection();
    EXPECT_FALSE(gdi.MeasuringDC().IsHeld());
}

TEST(CharWidths, GdiMetricsFillTheTextWidthTable) {
    HDC screen = ::GetDC(nullptr);
    CMemoryDC dc(screen, 4, 4);
    ::ReleaseDC(nullptr, screen);
    CFont font = MakeFont();
    dc.SelectObject(font.GetSafeHandle());
    CGdiTextMetrics metrics(dc.GetSafeHdc());
    CCharWidthTable table;
    table.Init(&metrics);

    // Read back without a source: only what is cached counts.
    INT expected[0x7F - 0x20];
    ASSERT_TRUE(::GetCharWidth32W(dc, 0x20, 0x7E, expected));
    for (int c = 0x20; c <= 0x7E; ++c) ASSERT_EQ(table.GetWidth(nullptr, static_cast<char32_t>(c)), expected[c - 0x20]);
    const int x = table.GetWidth(nullptr, U'x');
    ASSERT_GT(x, 0);
    EXPECT_EQ(table.GetWidth(nullptr, U'\t'), x);
    SIZE a{};
    ::GetTextExtentPoint32W(dc, L"あ", 1, &a);
    EXPECT_EQ(table.FullWidth(), a.cx);
    EXPECT_EQ(table.GetWidth(nullptr, U'漢'), 0);
    const int kan = table.GetWidth(&metrics, U'漢');
    EXPECT_GT(kan, x);
    EXPECT_EQ(table.GetWidth(nullptr, U'漢'), kan);
    EXPECT_GT(table.GetWidth(&metrics, U'𠮷'), 0);

    // The holder's DC serves, taken only when a width is missing.
    PaneWnd control;
    ASSERT_TRUE(control.Make());
    CEditCtrlDC holder;
    holder.Set(control, font);
    CGdiTextMetrics held(&holder);
    EXPECT_EQ(table.GetWidth(&held, U'x'), x);
    EXPECT_FALSE(holder.IsHeld());
    EXPECT_EQ(table.GetWidth(&held, U'字'), kan);
    EXPECT_TRUE(holder.IsHeld());
    EXPECT_EQ(held.IsFixedPitch(), metrics.IsFixedPitch());
    holder.Release();
}
