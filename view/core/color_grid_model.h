// The colour picker's data: 64 colours in an 8 × 8 grid with one selected
// cell, an undo ring of the last colour changes, the text a colour is
// inserted as, and the [COLORDIALOG] settings they persist in. No window:
// the picker's windows draw and feed it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class CIniProfile;

// 0x00BBGGRR, red in the low byte.
using ColorRef = std::uint32_t;

constexpr int kColorGridColumns = 8;
constexpr int kColorGridRows = 8;
constexpr int kColorGridCells = kColorGridColumns * kColorGridRows;
// Cells start this far in from the grid window's corner (its sunken edge).
constexpr int kColorGridInset = 2;

enum ColorTextFormat { kColorTextHtml = 0, kColorTextCpp = 1 };

// "#rrggbb" (HTML) or "RGB(0xrr, 0xgg, 0xbb)" (CPP).
std::u16string FormatColorText(ColorRef color, int format);

struct ColorGridCell {
    int column;
    int row;
};
// The cell under a point of the grid window. A point on the edge or in the
// slack beyond the last cells takes the nearest cell, so it is always one of
// the 64.
ColorGridCell ColorGridCellAt(int x, int y, int cellWidth, int cellHeight);

class CColorGridModel {
public:
    static constexpr int kUndoDepth = 20;

    CColorGridModel();

    ColorRef Color(int index) const { return m_colors[static_cast<std::size_t>(index)]; }
    // Sets a colour outside the undo ring (loading).
    void SetColor(int index, ColorRef color);
    int SelectedIndex() const { return m_row * kColorGridColumns + m_column; }
    int SelectedColumn() const { return m_column; }
    int SelectedRow() const { return m_row; }
    ColorRef SelectedColor() const { return Color(SelectedIndex()); }
    // Clamped to the grid.
    void Select(int column, int row);

    // The selected cell's colour changes; the change can be undone. Any
    // change undone before can't be redone any more.
    void SetSelectedColor(ColorRef color);
    // The newest change still done goes back (its cell selected); false
    // when none is left.
    bool Undo();
    // The oldest change undone is done again (its cell selected); false
    // when none is left.
    bool Redo();

private:
    struct Change {
        int index = -1;  // -1: empty
        ColorRef before = 0;
        ColorRef after = 0;
    };
    std::array<ColorRef, kColorGridCells> m_colors{};
    int m_column = 0;
    int m_row = 0;
    // The ring always keeps the entry after the newest one empty: that is
    // where undoing stops and what ends the redo chain.
    std::array<Change, kUndoDepth> m_ring{};
    int m_position = 0;
};

// [COLORDIALOG]: CUSTOMER_COLOR_0 … CUSTOMER_COLOR_63 and FORMAT; absent or
// bad values read as the defaults.
void LoadColorDialogSettings(const CIniProfile& profile, CColorGridModel& grid, int& format);
void SaveColorDialogSettings(CIniProfile& profile, const CColorGridModel& grid, int format);
