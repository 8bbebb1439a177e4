// The settings record as an editing window takes it: the style word's bits
// and the wheel step, which a row count of 0 must not turn into a division
// by zero.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>

#include "editctrl/edit_ctrl.h"
#include "grid/core/grid_style.h"
#include "tests/assist/assist_fixture.h"
#include "view/edit_settings.h"

namespace {

CAppSettings AllOff() {
    CAppSettings s;
    for (int CAppSettings::*m :
         {&CAppSettings::showLineFeed, &CAppSettings::showTab, &CAppSettings::showRowNum, &CAppSettings::showColNum,
          &CAppSettings::show2ByteSpace, &CAppSettings::clickableUrl, &CAppSettings::showRowLine,
          &CAppSettings::showEditRow, &CAppSettings::rowCopyAtNoSel, &CAppSettings::showBracketsBold})
        s.*m = 0;
    return s;
}

TEST(EditSettings, StyleWordHasTheFixedBaseAndOneBitPerSetting) {
    const DWORD base = 0x4821004;
    EXPECT_EQ(EditStyleFromSettings(AllOff(), false, false), base);
    struct Case {
        int CAppSettings::*setting;
        DWORD bit;
    } cases[] = {
        {&CAppSettings::showLineFeed, ECS_SHOW_LINE_FEED},     {&CAppSettings::showRowNum, ECS_SHOW_ROW_NUM},
        {&CAppSettings::showLineEnd, ECS_SHOW_LINE_END},       {&CAppSettings::dragDropEdit, ECS_DRAG_DROP_EDIT},
        {&CAppSettings::clearAfterCopy, ECS_CLEAR_AFTER_COPY}, {&CAppSettings::showRuledLine, ECS_SHOW_RULED_LINE},
    };
    for (const Case& c : cases) {
        CAppSettings s = AllOff();
        s.*c.setting = 1;
        EXPECT_EQ(EditStyleFromSettings(s, false, false), base | c.bit) << std::hex << c.bit;
    }
    CAppSettings s = AllOff();
    EXPECT_EQ(EditStyleFromSettings(s, true, true), base | ECS_NO_COMMENT_SYNTAX | ECS_TAG_LANGUAGE);
    // Only the value 1 of SEARCH_LOOP_MSG sets its bit.
    s.searchLoopMsg = 2;
    EXPECT_EQ(EditStyleFromSettings(s, false, false), base);
    s.searchLoopMsg = 1;
    EXPECT_EQ(EditStyleFromSettings(s, false, false), base | ECS_SEARCH_LOOP_MSG);
}

TEST(EditSettings, WheelStepNeverDividesByZero) {
    EXPECT_DOUBLE_EQ(WheelDeltaPerRow(3), 40.0);
    EXPECT_DOUBLE_EQ(WheelDeltaPerRow(1), 120.0);
    for (int bad : {0, -4}) {
        const double step = WheelDeltaPerRow(bad);
        EXPECT_TRUE(std::isfinite(step));
        EXPECT_DOUBLE_EQ(step, 40.0);
    }
}

}  // namespace

namespace {

TEST(EditSettings, TheCompletionListTakesTheEditorsColoursAndInvertsItsChosenRow) {
    atest::AssistFixture f(u"se");
    CAppSettings s;
    s.bgColor = 0x102030;
    s.textColor = 0x405060;
    s.penColor = 0x708090;
    s.selectedColor = 0xA0B0C0;
    ApplySettingsToEditor(f.ctrl, s, false, false);
    CCodeAssistWnd& list = f.ctrl.AssistWnd();
    EXPECT_EQ(list.GetColor(GRID_CELL_BG), 0x102030u);
    EXPECT_EQ(list.GetColor(GRID_TEXT), 0x405060u);
    EXPECT_EQ(list.GetColor(GRID_CURRENT_ROW_TEXT), 0x405060u);
    EXPECT_EQ(list.GetColor(GRID_LINE), 0x708090u);
    EXPECT_EQ(list.GetColor(GRID_SELECTED_BG), 0xA0B0C0u);
    EXPECT_TRUE(list.GetGridStyle() & GRID_INVERT_HIGHLIGHT);
    EXPECT_FALSE(list.GetGridStyle() & (GRID_COL_TITLES | GRID_ROW_HEADERS));

    // Shown over a table, the list keeps them and draws its background in them.
    f.ctrl.KeywordComplete(false);
    ASSERT_TRUE(f.ctrl.IsAssistShown());
    EXPECT_EQ(list.GetColor(GRID_CELL_BG), 0x102030u);
    const wtest::Pixels px = wtest::RenderClient(list.m_hWnd);
    ASSERT_GT(px.width, 4);
    EXPECT_EQ(px.At(px.width - 2, px.height - 2), RGB(0x30, 0x20, 0x10));
}

}  // namespace
