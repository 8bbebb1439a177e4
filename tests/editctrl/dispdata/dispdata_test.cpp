// The window-system side of a text's display data: views and pane
// messages, colours and pens, the measuring DC, character widths and the
// line attribute cache.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "editctrl/edit_disp_gdi.h"
#include "editctrl/text_platform.h"
#include "framework/seams.h"
#include "textengine/platform_hooks.h"
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

TEST(CharWidths, InitMeasuresAsciiTabAndTheFullWidthReference) {
    HDC screen = ::GetDC(nullptr);
    CMemoryDC dc(screen, 4, 4);
    ::ReleaseDC(nullptr, screen);
    CFont font = MakeFont();
    dc.SelectObject(font.GetSafeHandle());
    CCharWidthTable table;
    table.Init(dc);

    INT expected[0x7F - 0x20];
    ASSERT_TRUE(::GetCharWidth32W(dc, 0x20, 0x7E, expected));
    for (int c = 0x20; c <= 0x7E; ++c) ASSERT_EQ(table.CachedWidth(static_cast<char16_t>(c)), expected[c - 0x20]);
    const int x = table.CachedWidth(u'x');
    ASSERT_GT(x, 0);
    EXPECT_EQ(table.CachedWidth(u'\t'), x);
    EXPECT_EQ(table.CachedWidth(0xDC00), 0);
    EXPECT_EQ(table.CachedWidth(0), 0);
    EXPECT_EQ(table.CachedWidth(u'漢'), -1);
    SIZE a{};
    ::GetTextExtentPoint32W(dc, L"あ", 1, &a);
    EXPECT_EQ(table.fullWidthRef, a.cx);
    EXPECT_EQ(table.oddWidth, 2 * x - 1);

    // Measured once and kept; beyond the BMP measured every time.
    const int kan = table.GetWidth(dc, U'漢', nullptr);
    EXPECT_GT(kan, x);
    EXPECT_EQ(table.CachedWidth(u'漢'), kan);
    EXPECT_GT(table.GetWidth(dc, U'𠮷', nullptr), 0);
    EXPECT_EQ(table.CachedWidth(0xD842), -1);

    // Spacing: once for narrow characters, twice for wide ones.
    table.spacing = 1;
    EXPECT_EQ(table.GetAdvance(dc, U'x', nullptr), x + 1);
    EXPECT_EQ(table.GetAdvance(dc, U'漢', nullptr), kan + 2);
    table.tabSize = 4;
    EXPECT_EQ(table.GetTabStopWidth(dc, nullptr), (x + 1) * 4);

    // Without a DC nothing is measured and nothing remembered; the holder's
    // DC serves when there is no other.
    EXPECT_EQ(table.GetWidth(nullptr, U'字', nullptr), 0);
    EXPECT_EQ(table.CachedWidth(u'字'), -1);
    PaneWnd control;
    ASSERT_TRUE(control.Make());
    CEditCtrlDC holder;
    holder.Set(control, font);
    EXPECT_EQ(table.GetWidth(nullptr, U'字', &holder), kan);
    EXPECT_TRUE(holder.IsHeld());
    holder.Release();
}

namespace {

class AttrCacheTest : public ::testing::Test {
protected:
    CEditData data;
    CLineAttrCache cache{&data};

    void Fill(int lines, int length) {
        std::u16string text;
        for (int i = 0; i < lines; ++i) {
            if (i) text += u'\n';
            text.append(static_cast<size_t>(length), u'a');
        }
        ASSERT_EQ(data.InsertText(text.c_str(), 1), 0);
    }
    LineAttrSlot* Fresh(int line) {
        LineAttrSlot* slot = cache.Allocate(line);
        if (slot) cache.Validate(slot, line);
        return slot;
    }
};

}  // namespace

TEST_F(AttrCacheTest, CapacityGrowsInBlocksWithRoomForTheLineEnd) {
    const struct {
        int length, capacity;
    } cases[] = {{0, 1024}, {1022, 1024}, {1023, 2048}, {2047, 3072}};
    for (const auto& c : cases) {
        CEditData text;
        CLineAttrCache fresh(&text);
        std::u16string line(static_cast<size_t>(c.length), u'x');
        ASSERT_EQ(text.InsertText(line.c_str(), 1), 0);
        LineAttrSlot* slot = fresh.Allocate(0);
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(slot->capacity, c.capacity) << "length " << c.length;
        EXPECT_EQ(slot->count, c.length);
        EXPECT_EQ(slot->line, -1);
    }
}

TEST_F(AttrCacheTest, SlotsStayValidOnlyForTheirLineRecordAndUnchangedText) {
    Fill(10, 5);
    for (int i = 0; i < 10; ++i) data.GetLine(i)->flags = 0;
    cache.Resize(128);
    ASSERT_NE(Fresh(5), nullptr);
    EXPECT_NE(cache.Get(5), nullptr);
    EXPECT_EQ(cache.Get(6), nullptr);
    EXPECT_EQ(cache.Get(10), nullptr);  // past the end
    EXPECT_EQ(cache.Get(-1), nullptr);

    // An edit in the line marks it changed.
    data.SetCaretPos(5, 2);
    ASSERT_EQ(data.InsertText(u"b", 1), 0);
    EXPECT_EQ(cache.Get(5), nullptr);
    ASSERT_NE(Fresh(5), nullptr);
    EXPECT_NE(cache.Get(5), nullptr);
    EXPECT_EQ(data.GetLineFlags(5, CEditLine::FlagTextChanged), 0);

    // A line inserted above moves another record to index 5.
    data.SetCaretPos(0, 0);
    ASSERT_EQ(data.InsertText(u"new\n", 1), 0);
    data.GetLine(5)->flags = 0;
    EXPECT_EQ(cache.Get(5), nullptr);

    cache.Clear();
    EXPECT_EQ(cache.Get(5), nullptr);
}

TEST_F(AttrCacheTest, LinesThatShareASlotEvictEachOther) {
    Fill(200, 3);
    for (int i = 0; i < 200; ++i) data.GetLine(i)->flags = 0;
    cache.Resize(128);
    EXPECT_EQ(cache.GetSlotCount(), 128);
    Fresh(5);
    Fresh(133);
    EXPECT_EQ(cache.Get(5), nullptr);
    EXPECT_NE(cache.Get(133), nullptr);
    Fresh(6);
    EXPECT_NE(cache.Get(6), nullptr);
    EXPECT_NE(cache.Get(133), nullptr);
}

TEST_F(AttrCacheTest, ReusedSlotLeavesNoMarkPastTheShorterLine) {
    ASSERT_EQ(data.InsertText(u"a long line of text\nshort", 1), 0);
    cache.Resize(1);
    LineAttrSlot* slot = Fresh(0);
    for (int i = 0; i <= slot->count; ++i) {
        slot->items[i].flags = kAttrSearchHit | kAttrSelected;
        slot->items[i].color = 0xFFFFFF;
        slot->items[i].kind = kAttrSpace;
    }
    slot = cache.Allocate(1);
    ASSERT_EQ(slot->count, 5);
    for (int i = 0; i <= slot->count; ++i) {
        EXPECT_EQ(slot->items[i].flags, 0) << "item " << i;
        EXPECT_EQ(slot->items[i].color, 0u) << "item " << i;
        EXPECT_EQ(slot->items[i].kind, 0) << "item " << i;
    }
}

TEST(TextPlatform, EngineBoxesGoThroughTheSeam) {
    std::vector<MessageBoxRequest> asked;
    auto previous = SetMessageBoxHandler([&](const MessageBoxRequest& r) {
        asked.push_back(r);
        return IDOK;
    });
    ConnectTextEngineToWindows();
    EXPECT_EQ(te_message_box(u"メモリが確保できません", u"メッセージ", kBoxIconInformation), IDOK);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, L"メモリが確保できません");
    EXPECT_EQ(asked[0].caption, L"メッセージ");
    EXPECT_EQ(asked[0].type, static_cast<UINT>(MB_ICONINFORMATION));
    SetMessageBoxHandler(previous);
    te_set_platform(TextEnginePlatform{});
}
