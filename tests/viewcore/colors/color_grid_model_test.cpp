// The colour picker's data: the inserted texts, the grid's hit test on its
// edges and slack, the undo ring's limits, and the [COLORDIALOG] settings.
#include <gtest/gtest.h>

#include <string>

#include "app/profile/ini_profile.h"
#include "view/core/color_grid_model.h"

namespace {

TEST(ColorText, HtmlAndCppFormsPutRedFirst) {
    const struct {
        ColorRef color;
        const char16_t* html;
        const char16_t* cpp;
    } cases[] = {
        {0x0000ff, u"#ff0000", u"RGB(0xff, 0x00, 0x00)"},
        {0x00ff00, u"#00ff00", u"RGB(0x00, 0xff, 0x00)"},
        {0xff0000, u"#0000ff", u"RGB(0x00, 0x00, 0xff)"},
        {0x000000, u"#000000", u"RGB(0x00, 0x00, 0x00)"},
        {0x123456, u"#563412", u"RGB(0x56, 0x34, 0x12)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatColorText(c.color, kColorTextHtml), c.html);
        EXPECT_EQ(FormatColorText(c.color, kColorTextCpp), c.cpp);
    }
}

TEST(ColorGridHitTest, CellsStartTwoPixelsInAndEveryPointLandsInTheGrid) {
    // Cells of 20 × 10 pixels: column c spans x = 2 + 20c … 21 + 20c.
    const struct {
        int x, y, column, row;
    } cases[] = {
        {2, 2, 0, 0},     {21, 11, 0, 0},   {22, 12, 1, 1},   {0, 0, 0, 0},       {1, 1, 0, 0},
        {161, 81, 7, 7},  {162, 82, 7, 7},  {500, 300, 7, 7}, {-30, -5, 0, 0},    {141, 71, 6, 6},
        {142, 72, 7, 7},  {41, 500, 1, 7},
    };
    for (const auto& c : cases) {
        const ColorGridCell cell = ColorGridCellAt(c.x, c.y, 20, 10);
        EXPECT_EQ(cell.column, c.column) << c.x << "," << c.y;
        EXPECT_EQ(cell.row, c.row) << c.x << "," << c.y;
    }
    // A window too small for cells still names a cell.
    EXPECT_EQ(ColorGridCellAt(5, 5, 0, 0).column, 0);
}

TEST(ColorGridModel, TwentyEntryRingUndoesNineteenChanges) {
    CColorGridModel grid;
    for (int i = 1; i <= 25; ++i) {
        grid.Select(i % 8, i / 8);
        grid.SetSelectedColor(0x010101u * i);
    }
    for (int i = 25; i >= 7; --i) {
        ASSERT_TRUE(grid.Undo()) << i;
        EXPECT_EQ(grid.SelectedIndex(), i);
    }
    EXPECT_FALSE(grid.Undo());
    // Cell i holds change i: those undone are back to their first colour,
    // the six oldest changes stay.
    EXPECT_EQ(grid.Color(7), 0xffffffu);
    EXPECT_EQ(grid.Color(6), 0x060606u);
    ASSERT_TRUE(grid.Redo());
    EXPECT_EQ(grid.Color(7), 0x070707u);
    EXPECT_EQ(grid.SelectedIndex(), 7);
}

TEST(ColorGridModel, ANewChangeEndsTheRedoChain) {
    CColorGridModel grid;
    grid.Select(1, 0);
    EXPECT_EQ(grid.SelectedColor(), 0x0000ffu);  // the default red
    grid.SetSelectedColor(0x111111);
    grid.SetSelectedColor(0x222222);
    ASSERT_TRUE(grid.Undo());
    EXPECT_EQ(grid.SelectedColor(), 0x111111u);
    grid.Select(2, 0);
    grid.SetSelectedColor(0x333333);
    EXPECT_FALSE(grid.Redo());
    EXPECT_EQ(grid.Color(1), 0x111111u);
    ASSERT_TRUE(grid.Undo());
    ASSERT_TRUE(grid.Undo());
    EXPECT_EQ(grid.Color(2), 0x00ff00u);
    EXPECT_EQ(grid.Color(1), 0x0000ffu);
    EXPECT_FALSE(grid.Undo());
    ASSERT_TRUE(grid.Redo());
    EXPECT_EQ(grid.Color(1), 0x111111u);
    // Selection is clamped to the grid.
    grid.Select(9, -1);
    EXPECT_EQ(grid.SelectedColumn(), 7);
    EXPECT_EQ(grid.SelectedRow(), 0);
}

TEST(ColorDialogSettings, RoundTripAndDefaultsForAbsentOrBadValues) {
    CIniProfile profile;
    CColorGridModel grid;
    int format = -1;
    LoadColorDialogSettings(profile, grid, format);
    EXPECT_EQ(format, kColorTextHtml);
    EXPECT_EQ(grid.Color(0), 0x000000u);
    EXPECT_EQ(grid.Color(15), 0xc0c0c0u);
    EXPECT_EQ(grid.Color(63), 0xffffffu);

    grid.Select(3, 5);
    grid.SetSelectedColor(0x00a1b2);
    SaveColorDialogSettings(profile, grid, kColorTextCpp);
    EXPECT_EQ(profile.GetString(u"COLORDIALOG", u"CUSTOMER_COLOR_43", u""), u"41394");
    EXPECT_EQ(profile.GetString(u"COLORDIALOG", u"FORMAT", u""), u"1");
    CColorGridModel read;
    LoadColorDialogSettings(profile, read, format);
    EXPECT_EQ(format, kColorTextCpp);
    for (int i = 0; i < kColorGridCells; ++i) EXPECT_EQ(read.Color(i), grid.Color(i)) << i;

    profile.WriteString(u"COLORDIALOG", u"CUSTOMER_COLOR_1", u"-5");
    profile.WriteString(u"COLORDIALOG", u"CUSTOMER_COLOR_2", u"16777216");
    profile.WriteString(u"COLORDIALOG", u"FORMAT", u"7");
    LoadColorDialogSettings(profile, read, format);
    EXPECT_EQ(read.Color(1), 0x0000ffu);
    EXPECT_EQ(read.Color(2), 0x00ff00u);
    EXPECT_EQ(format, kColorTextHtml);
}

}  // namespace
