// The settings record as an editing window takes it: the style word's bits
// and the wheel step, which a row count of 0 must not turn into a division
// by zero.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>

#include "editctrl/edit_ctrl.h"
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
