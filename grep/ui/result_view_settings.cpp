#include "grep/ui/result_view_settings.h"

#include <cwchar>

#include "app/profile/ini_profile.h"
#include "editctrl/edit_ctrl.h"
#include "framework/wide.h"

namespace {

constexpr char16_t kEditor[] = u"TEXT_EDITOR";

struct ColorEntry {
    const char16_t* key;
    COLORREF fallback;
};

// Colours 0-7 of the control's table, in table order.
constexpr ColorEntry kColors[] = {
    {u"TEXT_COLOR", 0},         {u"KEYWORD_COLOR", 0xCD0000}, {u"COMMENT_COLOR", 0x7800},
    {u"BG_COLOR", 0xFFFFFF},    {u"PEN_COLOR", 0x969600},     {u"QUOTE_COLOR", 0xDC},
    {u"SRARCH_COLOR", 0x32FFFF}, {u"SELECTED_COLOR", 0x320000},
};

}  // namespace

void ApplyEditorDisplaySettings(CEditCtrl& view, CFont& font, const CIniProfile& s) {
    const std::u16string face = s.GetString(u"FONT", u"FACENAME", u"Terminal");
    const int point = s.GetInt(u"FONT", u"POINT", 140);
    LOGFONTW lf{};
    HDC dc = ::GetDC(view);
    lf.lfHeight = -::MulDiv(point, ::GetDeviceCaps(dc, LOGPIXELSY), 720);
    ::ReleaseDC(view, dc);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    std::wcsncpy(lf.lfFaceName, ToWide(face).c_str(), LF_FACESIZE - 1);
    CFont made;
    if (made.CreateFontIndirect(lf)) {
        font = std::move(made);
        view.SetFont(font);
    }

    const int tab = s.GetInt(kEditor, u"TABSTOP", 4);
    view.Disp().Widths().SetTabSize(tab == 0 ? 4 : tab);
    const int rowSpace = s.GetInt(kEditor, u"ROW_SPACE", 0);
    view.SetExtraRowSpacing(rowSpace);
    view.SetTextOffset((rowSpace + 1) / 2);
    view.Disp().Widths().SetCharSpacing(s.GetInt(kEditor, u"CHAR_SPACE", 0));
    view.SetTopBase(s.GetInt(kEditor, u"TOP_SPACE", 5));
    view.SetLeftBase(s.GetInt(kEditor, u"LEFT_SPACE", 5));

    DWORD style = ECS_CTRL_KEYS_FROM_CHAR;
    if (s.GetInt(kEditor, u"SHOW_LINE_FEED", 0)) style |= ECS_SHOW_LINE_FEED;
    if (s.GetInt(kEditor, u"SHOW_TAB", 0)) style |= ECS_SHOW_TAB;
    if (s.GetInt(kEditor, u"SHOW_2BYTE_SPACE", 0)) style |= ECS_SHOW_2BYTE_SPACE;
    view.SetStyle(style);
    for (int i = 0; i < 8; ++i)
        view.SetColor(i, static_cast<COLORREF>(s.GetInt(kEditor, kColors[i].key, static_cast<int>(kColors[i].fallback))));
    view.Relayout(0);
}
