#include "view/core/color_grid_model.h"

#include <algorithm>
#include <cstdio>

#include "app/profile/ini_profile.h"

namespace {

// The first sixteen cells hold the basic colours; the rest start white.
constexpr ColorRef kBasicColors[16] = {0x000000, 0x0000ff, 0x00ff00, 0x00ffff, 0xff0000, 0xff00ff,
                                       0xffff00, 0xffffff, 0x000080, 0x008000, 0x008080, 0x800000,
                                       0x800080, 0x808000, 0x808080, 0xc0c0c0};
constexpr ColorRef kWhite = 0xffffff;

constexpr char16_t kSection[] = u"COLORDIALOG";

ColorRef DefaultColor(int index) { return index < 16 ? kBasicColors[index] : kWhite; }

std::u16string Ascii(const char* text) { return std::u16string(text, text + std::char_traits<char>::length(text)); }

std::u16string ColorKey(int index) {
    char key[32];
    std::snprintf(key, sizeof key, "CUSTOMER_COLOR_%d", index);
    return Ascii(key);
}

}  // namespace

std::u16string FormatColorText(ColorRef color, int format) {
    const unsigned red = color & 0xff, green = (color >> 8) & 0xff, blue = (color >> 16) & 0xff;
    char text[40];
    if (format == kColorTextCpp)
        std::snprintf(text, sizeof text, "RGB(0x%.2x, 0x%.2x, 0x%.2x)", red, green, blue);
    else
        std::snprintf(text, sizeof text, "#%.6x", (red << 16) | (green << 8) | blue);
    return Ascii(text);
}

ColorGridCell ColorGridCellAt(int x, int y, int cellWidth, int cellHeight) {
    // Floor division: a point left of or above the first cell is not cell 0
    // by rounding toward zero but by the clamp below.
    const auto cellOf = [](int at, int size, int count) {
        if (size <= 0) return 0;
        const int offset = at - kColorGridInset;
        const int cell = offset < 0 ? -1 : offset / size;
        return std::clamp(cell, 0, count - 1);
    };
    return {cellOf(x, cellWidth, kColorGridColumns), cellOf(y, cellHeight, kColorGridRows)};
}

CColorGridModel::CColorGridModel() {
    for (int i = 0; i < kColorGridCells; ++i) m_colors[static_cast<std::size_t>(i)] = DefaultColor(i);
}

void CColorGridModel::SetColor(int index, ColorRef color) {
    if (index >= 0 && index < kColorGridCells) m_colors[static_cast<std::size_t>(index)] = color & 0xffffff;
}

void CColorGridModel::Select(int column, int row) {
    m_column = std::clamp(column, 0, kColorGridColumns - 1);
    m_row = std::clamp(row, 0, kColorGridRows - 1);
}

void CColorGridModel::SetSelectedColor(ColorRef color) {
    const int index = SelectedIndex();
    m_position = (m_position + 1) % kUndoDepth;
    m_ring[static_cast<std::size_t>(m_position)] = {index, Color(index), color & 0xffffff};
    m_ring[static_cast<std::size_t>((m_position + 1) % kUndoDepth)].index = -1;
    SetColor(index, color);
}

bool CColorGridModel::Undo() {
    const Change& change = m_ring[static_cast<std::size_t>(m_position)];
    if (change.index < 0) return false;
    SetColor(change.index, change.before);
    Select(change.index % kColorGridColumns, change.index / kColorGridColumns);
    m_position = (m_position + kUndoDepth - 1) % kUndoDepth;
    return true;
}

bool CColorGridModel::Redo() {
    const int next = (m_position + 1) % kUndoDepth;
    const Change& change = m_ring[static_cast<std::size_t>(next)];
    if (change.index < 0) return false;
    m_position = next;
    SetColor(change.index, change.after);
    Select(change.index % kColorGridColumns, change.index / kColorGridColumns);
    return true;
}

void LoadColorDialogSettings(const CIniProfile& profile, CColorGridModel& grid, int& format) {
    for (int i = 0; i < kColorGridCells; ++i) {
        const int value = profile.GetInt(kSection, ColorKey(i), static_cast<int>(DefaultColor(i)));
        grid.SetColor(i, value >= 0 && value <= 0xffffff ? static_cast<ColorRef>(value) : DefaultColor(i));
    }
    format = profile.GetInt(kSection, u"FORMAT", kColorTextHtml) == kColorTextCpp ? kColorTextCpp : kColorTextHtml;
}

void SaveColorDialogSettings(CIniProfile& profile, const CColorGridModel& grid, int format) {
    for (int i = 0; i < kColorGridCells; ++i) {
        const std::u16string key = ColorKey(i);
        profile.Erase(kSection, key);
        profile.WriteInt(kSection, key, static_cast<int>(grid.Color(i)));
    }
    profile.Erase(kSection, u"FORMAT");
    profile.WriteInt(kSection, u"FORMAT", format);
}
