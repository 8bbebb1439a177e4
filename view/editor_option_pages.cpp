// The two editor pages of the options sheet: display and colours with a
// live preview, and editing behaviour.
#include <string>

#include "app/editor_fonts_win.h"
#include "app/profile/setting_ranges.h"
#include "app/base/winutil.h"
#include "editctrl/syntax/editmode.h"
#include "framework/wide.h"
#include "view/edit_settings.h"
#include "view/option_sheet.h"
#include "view/options_resource.h"

namespace {

constexpr UINT kPreviewId = 100;

// The display bits the page's check boxes stand for; the preview always
// has the ruler (0x10), the tag language (0x100) and 0x800000 besides.
constexpr DWORD kPreviewBits = 0x1 | 0x2 | 0x20 | 0x40 | 0x200 | 0x400 | 0x4000 | 0x8000 | 0x100000 | 0x200000 |
                               0x2000000 | 0x20000000;
constexpr DWORD kPreviewBase = 0x10 | 0x100 | 0x800000;

const char16_t kPreviewText[] =
    u"<body bgcolor=\"#FFFFFF\">\r\n"
    u"<!-- コメント -->\r\n"
    u"    <h2>見出しのサンプル\u3000</h2>\r\n"
    u"    <a href=\"https://wendrel.example.org/\">";

int ColourIndexOf(int id) {
    const int ids[13] = {IDC_COLOR_TEXT,     IDC_COLOR_KEYWORD,  IDC_COLOR_COMMENT,    IDC_COLOR_BG,
                         IDC_COLOR_PEN,      IDC_COLOR_QUOTE,    IDC_COLOR_SEARCH,     IDC_COLOR_SELECTED,
                         IDC_COLOR_RULER,    IDC_COLOR_OPERATOR, IDC_COLOR_KEYWORD2,   IDC_COLOR_IME_CARET,
                         IDC_COLOR_RULED_LINE};
    for (int i = 0; i < 13; ++i)
        if (ids[i] == id) return i;
    return -1;
}

}  // namespace

CEditorOptionPage::CEditorOptionPage(CAppSettings& values, const CFont& font)
    : COptionPage(IDD_EDITOR_OPTION, OptionPage::Editor, values), font_(font) {}

BOOL CEditorOptionPage::OnInitDialog() {
    previewData_.InsertText(kPreviewText, 1);
    previewData_.SetCaretPos(0, 0);
    previewData_.MarkSaved();
    // Filling the fields sends their change notices: the preview doesn't
    // exist yet, so they change nothing.
    COptionPage::OnInitDialog();
    SetUpLanguage();
    CreatePreview();
    // The preview has the focus: the system is not to move it.
    return !preview_.IsWindow();
}

void CEditorOptionPage::SetUpLanguage() {
    // The preview is coloured as an HTML file would be; without the keyword
    // file it shows the text uncoloured.
    language_.Reset();
    language_.FreeKeywords();
    LoadBuiltinLanguage(u"<html>", ToU16(GetModuleDir() + L"data"), language_);
    previewData_.SetSyntaxRules(&language_);
}

void CEditorOptionPage::CreatePreview() {
    const CRect client = GetClientRect();
    RECT button{};
    ::GetWindowRect(GetDlgItem(IDC_DEFAULT_COLORS), &button);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&button), 2);
    const RECT area{20, button.bottom + 15, client.right - 20, client.bottom - 10};
    preview_.SetEditData(&previewData_);
    if (!preview_.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, area, m_hWnd, kPreviewId)) return;
    if (font_.GetSafeHandle()) preview_.SetFont(font_);
    for (int i = 0; i < 13; ++i) preview_.SetColor(i, values_.*kEditorColours[i]);
    shown_ = values_;
    shown_.tabStop = -1;  // the first apply sets every measure
    ApplyToPreview();
    preview_.FindString(L"body", 1, TRUE, TRUE, FALSE);
    preview_.SetScrollPos(SB_VERT, 0);
    preview_.SetScrollPos(SB_HORZ, 0);
    preview_.RedrawAll();
    preview_.SetFocus();
}

void CEditorOptionPage::ApplyToPreview() {
    CAppSettings now = PeekValues();
    ClampSettings(now);
    CCharWidthTable& widths = previewData_.GetDispData().widths;
    bool remeasure = false;
    if (now.tabStop != shown_.tabStop) {
        widths.SetTabSize(now.tabStop);
        remeasure = true;
    }
    if (now.rowSpace != shown_.rowSpace || now.charSpace != shown_.charSpace || now.topSpace != shown_.topSpace ||
        now.leftSpace != shown_.leftSpace || remeasure) {
        preview_.SetExtraRowSpacing(now.rowSpace);
        preview_.SetTextOffset((now.rowSpace + 1) / 2);
        widths.SetCharSpacing(now.charSpace);
        preview_.SetTopBase(now.topSpace);
        preview_.SetLeftBase(now.leftSpace);
        // The font again: every measure is taken from it.
        if (HFONT font = preview_.GetNormalFont()) preview_.SetFont(font);
        preview_.RecalcLineWidth(true);
    }
    const DWORD style = (EditStyleFromSettings(now, false, true) & kPreviewBits) | kPreviewBase;
    preview_.SetStyle(style);
    preview_.RefreshLayout(0);
    preview_.UpdateCaret();
    shown_ = now;
}

void CEditorOptionPage::OnControlChanged(int) {
    if (preview_.IsWindow()) ApplyToPreview();
}

void CEditorOptionPage::OnColourChanged(int id) {
    const int index = ColourIndexOf(id);
    if (index < 0 || !preview_.IsWindow()) return;
    preview_.SetColor(index, values_.*kEditorColours[index]);
    preview_.RefreshLayout(0);
    preview_.RedrawAll();
}

bool CEditorOptionPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDC_DEFAULT_COLORS && HIWORD(wParam) == BN_CLICKED) {
        RestoreDefaultEditorColours(values_);
        if (preview_.IsWindow()) {
            for (int i = 0; i < 13; ++i) preview_.SetColor(i, values_.*kEditorColours[i]);
            preview_.RefreshLayout(0);
            preview_.RedrawAll();
        }
        // The swatches are child windows: they repaint with the page.
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return true;
    }
    return COptionPage::OnCommand(wParam, lParam);
}

CEditorOptionPage2::CEditorOptionPage2(CAppSettings& values)
    : COptionPage(IDD_EDITOR_OPTION2, OptionPage::Edit, values) {}

BOOL CEditorOptionPage2::OnInitDialog() {
    HWND indent = GetDlgItem(IDC_INDENT_MODE);
    for (const wchar_t* mode : {L"なし", L"自動インデント", L"スマートインデント(C++/Java)"})
        ::SendMessageW(indent, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
    const BOOL result = COptionPage::OnInitDialog();
    UpdateEnabled();
    return result;
}

void CEditorOptionPage2::DoDataExchange(CDataExchange* dx) {
    COptionPage::DoDataExchange(dx);
    int index = values_.indentMode;
    DDX_CBIndex(dx, IDC_INDENT_MODE, index);
    if (dx->m_bSaveAndValidate && index >= 0) values_.indentMode = index;
}

void CEditorOptionPage2::OnControlChanged(int id) {
    if (id == IDC_ENABLE_CONFINEMENT || id == IDC_DRAG_DROP_EDIT) UpdateEnabled();
}

void CEditorOptionPage2::UpdateEnabled() {
    const bool confinement = IsDlgButtonChecked(IDC_ENABLE_CONFINEMENT) == BST_CHECKED;
    ::EnableWindow(GetDlgItem(IDC_FIRST_CONFINEMENT), confinement);
    ::EnableWindow(GetDlgItem(IDC_LAST_CONFINEMENT), confinement);
    ::EnableWindow(GetDlgItem(IDC_TEXT_DROP_EDIT), IsDlgButtonChecked(IDC_DRAG_DROP_EDIT) != BST_CHECKED);
}
