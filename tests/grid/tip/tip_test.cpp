// The tip window: shown only where the text is cut off and while the
// pointer is over the rectangle, and gone once the pointer leaves it.
#include <gtest/gtest.h>

#include <windows.h>

#include "grid/tip_wnd.h"
#include "tests/support/wait_until.h"

namespace {

bool Visible(const CTipWnd& tip) { return ::IsWindowVisible(tip.GetSafeHwnd()) != FALSE; }

// Pumps until the tip is hidden or the time is up.
bool WaitHidden(const CTipWnd& tip, DWORD timeoutMs) {
    return wtest::WaitUntil([&] { return !tip.IsShown() && !Visible(tip); }, timeoutMs);
}

TEST(TipWnd, ShowsOnlyOverANarrowerRectangleUnderThePointerAndHidesWhenItLeaves) {
    CTipWnd tip;
    ASSERT_TRUE(tip.Create(::GetModuleHandleW(nullptr)));
    tip.text = L"Z:\\a rather long path\\to a file.txt";
    tip.CalcTextSize();
    ASSERT_GT(tip.textSize.cx, 40);
    const RECT narrow{100, 100, 120, 100};  // no height: the text's
    const RECT wide{100, 100, 100 + tip.textSize.cx, 120};

    ::SetCursorPos(110, 105);
    EXPECT_FALSE(tip.Show(1, wide));
    EXPECT_FALSE(Visible(tip));
    ::SetCursorPos(300, 300);
    EXPECT_FALSE(tip.Show(1, narrow));
    EXPECT_FALSE(Visible(tip));

    ::SetCursorPos(110, 105);
    ASSERT_TRUE(tip.Show(7, narrow));
    EXPECT_TRUE(Visible(tip));
    EXPECT_EQ(tip.value, 7);
    RECT shown;
    ::GetWindowRect(tip.GetSafeHwnd(), &shown);
    EXPECT_EQ(shown.left, 100);
    EXPECT_EQ(shown.right - shown.left, tip.textSize.cx + 2);
    EXPECT_EQ(shown.bottom - shown.top, tip.textSize.cy + 2);
    // 2 pixels inside the left edge counts as gone.
    ::SetCursorPos(101, 105);
    EXPECT_TRUE(WaitHidden(tip, 3000));
}

}  // namespace
