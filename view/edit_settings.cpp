#include "view/edit_settings.h"

#include "assist/code_assist_edit_ctrl.h"

#include "editctrl/edit_ctrl.h"
#include "grid/core/grid_style.h"

namespace {

struct StyleBit {
    int CAppSettings::*setting;
    DWORD bit;
};

const StyleBit kStyleBits[] = {
    {&CAppSettings::showLineFeed, 0x1},           {&CAppSettings::showTab, 0x2},
    {&CAppSettings::showRowNum, 0x20},            {&CAppSettings::showColNum, 0x40},
    {&CAppSettings::show2ByteSpace, 0x200},       {&CAppSettings::clickableUrl, 0x400},
    {&CAppSettings::dragDropEdit, 0x2000},        {&CAppSettings::showRowLine, 0x4000},
    {&CAppSettings::showEditRow, 0x8000},         {&CAppSettings::mouseSelectCopy, 0x10000},
    {&CAppSettings::rowCopyAtNoSel, 0x80000},     {&CAppSettings::showSpace, 0x100000},
    {&CAppSettings::showLineEnd, 0x200000},       {&CAppSettings::textDropEdit, 0x1000000},
    {&CAppSettings::showBracketsBold, 0x2000000}, {&CAppSettings::showRuledLine, 0x20000000},
    {&CAppSettings::clearAfterCopy, 0x40000000},
};

// The completion list in the editor's colours: its background, text, grid
// lines and chosen row; a chosen row's text is drawn inverted.
void ColorCompletionList(CGridCtrl& list, const CAppSettings& s) {
    list.SetColor(GRID_CELL_BG, s.bgColor);
    list.SetColor(GRID_TEXT, s.textColor);
    list.SetColor(GRID_LINE, s.penColor);
    list.SetColor(GRID_SELECTED_BG, s.selectedColor);
    list.SetGridStyle(list.GetGridStyle() | GRID_INVERT_HIGHLIGHT);
}

}  // namespace

DWORD EditStyleFromSettings(const CAppSettings& s, bool noComments, bool tagLanguage) {
    DWORD style = 0x4821004;
    for (const StyleBit& b : kStyleBits)
        if (s.*b.setting) style |= b.bit;
    if (noComments) style |= 0x80;
    if (tagLanguage) style |= 0x100;
    if (s.searchLoopMsg == 1) style |= 0x800;
    return style;
}

double WheelDeltaPerRow(int rowsPerNotch) { return 120.0 / (rowsPerNotch >= 1 ? rowsPerNotch : 3); }

void ApplySettingsToEditor(CEditCtrl& editor, const CAppSettings& s, bool noComments, bool tagLanguage) {
    editor.SetExtraRowSpacing(s.rowSpace);
    // The text sits in the middle of its row, the extra space split above and below.
    editor.SetTextOffset((s.rowSpace + 1) / 2);
    editor.SetBracketBlinkTime(s.bracketsBlinkTime);
    if (auto* assist = dynamic_cast<CCodeAssistEditCtrl*>(&editor)) assist->SetUseKeywordWindow(s.useKeywordWindow != 0);
    editor.SetTopBase(s.topSpace);
    editor.SetLeftBase(s.leftSpace);
    editor.m_wheelDeltaPerRow = WheelDeltaPerRow(s.wheelScrollRow);
    editor.SetStyle(EditStyleFromSettings(s, noComments, tagLanguage));
    const uint32_t colors[] = {s.textColor,     s.keywordColor,  s.commentColor,  s.bgColor,       s.penColor,
                               s.quoteColor,    s.searchColor,   s.selectedColor, s.rulerColor,    s.operatorColor,
                               s.keyword2Color, s.imeCaretColor, s.ruledLineColor};
    for (int i = 0; i < 13; ++i) editor.SetColor(i, colors[i]);
    if (auto* assist = dynamic_cast<CCodeAssistEditCtrl*>(&editor)) ColorCompletionList(assist->AssistWnd(), s);
    if (!editor.IsWindow() || !editor.GetEditData()) return;
    editor.Disp().Widths().SetCharSpacing(s.charSpace);
    if (editor.DispData().wrapMode == WrapMode::FixedColumns)
        editor.SetWrapMode(WrapMode::FixedColumns, s.lineLen > 0 ? s.lineLen : 80);
    // The font again: spacing and margins are measured from it.
    if (HFONT font = editor.GetNormalFont()) editor.SetFont(font);
    editor.RefreshLayout(0);
}
