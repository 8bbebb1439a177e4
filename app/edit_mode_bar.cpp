#include "app/edit_mode_bar.h"

#include <vector>

#include "app/app_resource.h"
#include "app/resource.h"
#include "editctrl/syntax/editmode.h"
#include "framework/gdi.h"
#include "framework/wide.h"

namespace {

constexpr int kImageWidth = 16;
constexpr int kImageHeight = 15;
constexpr COLORREF kMaskColor = RGB(192, 192, 192);

}  // namespace

CEditModeBar::~CEditModeBar() {
    if (images_) ::ImageList_Destroy(images_);
}

BOOL CEditModeBar::CreateBar(HWND parent) {
    if (!Create(parent, ID_EDIT_MODE_BAR, TBSTYLE_FLAT | TBSTYLE_TRANSPARENT | TBSTYLE_TOOLTIPS)) return FALSE;
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(kImageWidth, kImageHeight));
    images_ = ::ImageList_Create(kImageWidth, kImageHeight, ILC_COLOR24 | ILC_MASK, 4, 4);
    if (!images_) return FALSE;
    CBitmap base;
    base.Attach(::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_EDIT_MODE_BAR)));
    if (base) ::ImageList_AddMasked(images_, base, kMaskColor);
    SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
    return TRUE;
}

void CEditModeBar::MakeEditModeToolbarImages(const CEditModeTable& modes) {
    const int count = modes.Count();
    if (!m_hWnd || !images_ || count == 0) return;
    CFont font;
    font.Attach(::CreateFontW(-10, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"ＭＳ ゴシック"));
    CMemoryDC dc(CClientDC(nullptr), kImageWidth * count, kImageHeight);
    if (!dc.IsCreated()) return;
    dc.FillRect(RECT{0, 0, kImageWidth * count, kImageHeight}, ::GetSysColorBrush(COLOR_BTNFACE));
    dc.SelectObject(font.GetSafeHandle());
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(::GetSysColor(COLOR_BTNTEXT));
    for (int i = 0; i < count; ++i) {
        const std::u16string& name = modes.Entry(i).shortName;
        const RECT cell{kImageWidth * i, 0, kImageWidth * (i + 1), kImageHeight};
        dc.ExtTextOut(cell.left, 2, ETO_CLIPPED, &cell, AsWide(name.c_str()), static_cast<int>(name.size()));
    }
    const CBitmap bitmap = dc.TakeBitmap();
    const int first = ::ImageList_AddMasked(images_, bitmap, kMaskColor);
    if (first < 0) return;

    std::vector<TBBUTTON> buttons;
    for (int i = 0; i < count; ++i) {
        TBBUTTON b{};
        b.iBitmap = first + i;
        b.idCommand = ID_EDIT_MODE_FIRST + i;
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = BTNS_BUTTON;
        buttons.push_back(b);
    }
    TBBUTTON separator{};
    separator.fsStyle = BTNS_SEP;
    buttons.push_back(separator);
    for (size_t i = 0; i < buttons.size(); ++i)
        SendMessage(TB_INSERTBUTTONW, i, reinterpret_cast<LPARAM>(&buttons[i]));
    SendMessage(TB_AUTOSIZE);
}
