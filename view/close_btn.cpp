#include "view/close_btn.h"

namespace {

// The X, 8 x 7 pixels, one bit per pixel, each row padded to a word; the
// clear bits are drawn.
const BYTE kGlyphRows[] = {0x3C, 0xFF, 0x99, 0xFF, 0xC3, 0xFF, 0xE7, 0xFF, 0xC3, 0xFF, 0x99, 0xFF, 0x3C, 0xFF};

}  // namespace

CCloseBtn::CCloseBtn() : background(::GetSysColor(COLOR_BTNFACE)) {}

BOOL CCloseBtn::CreateButton(HWND parent, UINT id, int x, int y) {
    if (!glyph_) glyph_.Attach(::CreateBitmap(8, 7, 1, 1, kGlyphRows));
    return CreateEx(0, L"BUTTON", L"", WS_CHILD | BS_OWNERDRAW, CRect(x, y, x + kSize, y + kSize), parent,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

bool CCloseBtn::DrawIfCloseButton(const DRAWITEMSTRUCT* item) {
    if (!item || item->CtlType != ODT_BUTTON) return false;
    CCloseBtn* button = WndCast<CCloseBtn>(item->hwndItem);
    if (!button) return false;
    button->DrawItem(*item);
    return true;
}

void CCloseBtn::DrawItem(const DRAWITEMSTRUCT& item) {
    CDC dc(item.hDC);
    RECT rect = item.rcItem;
    dc.FillSolidRect(rect, background);
    int shift = 0;
    if (item.itemState & ODS_SELECTED) {
        shift = 1;
        if (edges) ::DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
    } else if (edges) {
        ::DrawEdge(dc, &rect, EDGE_ETCHED, BF_RECT);
    }
    // A monochrome bitmap takes the DC's colours: clear bits the text colour.
    dc.SetTextColor(RGB(0, 0, 0));
    dc.SetBkColor(background);
    ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(glyph_.GetSafeHandle()), 0,
                 rect.left + glyphOffset + shift, rect.top + glyphOffset + shift, 8, 7, DST_BITMAP);
}
