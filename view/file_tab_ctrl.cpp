#include "view/file_tab_ctrl.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "editctrl/text_drawer.h"
#include "framework/gdi.h"

namespace {

constexpr UINT_PTR kTipTimer = 102;
constexpr UINT kTipDelayMs = 200;
constexpr int kMinTabWidth = 48;
// A middle press and release this close count as a click.
constexpr int kClickSlop = 5;

FORMATETC TabIndexFormatEtc() {
    return {static_cast<CLIPFORMAT>(CFileTabCtrl::TabIndexFormat()), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

bool CarriesTabIndex(IDataObject* data) {
    FORMATETC format = TabIndexFormatEtc();
    return data && data->QueryGetData(&format) == S_OK;
}

COLORREF Darkened(COLORREF c) {
    const auto channel = [](int v) { return v * 85 / 100 > 255 ? 255 : v * 85 / 100; };
    return RGB(channel(GetRValue(c)), channel(GetGValue(c)), channel(GetBValue(c)));
}

}  // namespace

CFileTabCtrl::CFileTabCtrl()
    : textColor(::GetSysColor(COLOR_WINDOWTEXT)),
      activeColor(::GetSysColor(COLOR_BTNFACE)),
      inactiveColor(Darkened(::GetSysColor(COLOR_BTNFACE))),
      buttonColor(::GetSysColor(COLOR_BTNFACE)) {}

CFileTabCtrl::~CFileTabCtrl() { DestroyWindow(); }

UINT CFileTabCtrl::TabIndexFormat() {
    static const UINT format = ::RegisterClipboardFormatW(L"TORKA_EditCtrl_CF_TAB_IDX");
    return format;
}

BOOL CFileTabCtrl::CreateStrip(DWORD style, const RECT& rect, HWND parent, UINT id) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&icc);
    if (!CreateEx(0, WC_TABCONTROLW, L"", style, rect, parent,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id))))
        return FALSE;
    // Without OLE on the thread the strip works, only without dragging.
    dropTarget_.Register(m_hWnd);
    closeButton_.CreateButton(m_hWnd, kCloseButtonId, 0, 0);
    SendMessage(TCM_SETMINTABWIDTH, 0, kMinTabWidth);
    tip_.Create(::GetModuleHandleW(nullptr));
    return TRUE;
}

int CFileTabCtrl::GetItemCount() const { return int(SendMessage(TCM_GETITEMCOUNT)); }

int CFileTabCtrl::GetCurSel() const { return int(SendMessage(TCM_GETCURSEL)); }

void CFileTabCtrl::SetCurSel(int index) {
    SendMessage(TCM_SETCURSEL, WPARAM(index));
    PlaceCloseButtons();
}

int CFileTabCtrl::InsertItem(int index, const std::wstring& text, int fileId) {
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.lParam = fileId;
    const int at = int(SendMessage(TCM_INSERTITEMW, WPARAM(index), reinterpret_cast<LPARAM>(&item)));
    PlaceCloseButtons();
    return at;
}

void CFileTabCtrl::DeleteItem(int index) {
    SendMessage(TCM_DELETEITEM, WPARAM(index));
    // The tab control repaints only the tabs that remain: where the last
    // one stood, its outline would stay.
    Invalidate(TRUE);
    PlaceCloseButtons();
}

std::wstring CFileTabCtrl::GetItemText(int index) const {
    wchar_t text[2048] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = int(sizeof text / sizeof text[0]);
    if (!SendMessage(TCM_GETITEMW, WPARAM(index), reinterpret_cast<LPARAM>(&item))) return L"";
    return item.pszText ? item.pszText : L"";
}

void CFileTabCtrl::SetItemText(int index, const std::wstring& text) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessage(TCM_SETITEMW, WPARAM(index), reinterpret_cast<LPARAM>(&item));
    Invalidate(TRUE);  // a shorter title leaves its old width behind otherwise
    PlaceCloseButtons();
}

int CFileTabCtrl::GetItemFileId(int index) const {
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    if (index < 0 || !SendMessage(TCM_GETITEMW, WPARAM(index), reinterpret_cast<LPARAM>(&item))) return -1;
    return int(item.lParam);
}

CRect CFileTabCtrl::GetItemRect(int index) const {
    CRect rect;
    SendMessage(TCM_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(static_cast<RECT*>(&rect)));
    return rect;
}

int CFileTabCtrl::GetRowCount() const { return int(SendMessage(TCM_GETROWCOUNT)); }

int CFileTabCtrl::HitTest(POINT point) const {
    TCHITTESTINFO info{point, 0};
    return int(SendMessage(TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
}

void CFileTabCtrl::Notify(UINT code, int index) {
    NMHDR hdr{m_hWnd, UINT_PTR(index), code};
    ::SendMessageW(GetParentHandle(), WM_NOTIFY, WPARAM(GetDlgCtrlID()), reinterpret_cast<LPARAM>(&hdr));
}

void CFileTabCtrl::DrawItem(const DRAWITEMSTRUCT& item) {
    const int index = int(item.itemID);
    const bool selected = index == GetCurSel();
    CDC dc(item.hDC);
    const RECT& r = item.rcItem;
    dc.SetBkColor(selected ? activeColor : inactiveColor);
    dc.SetTextColor(textColor);
    std::wstring text = GetItemText(index);
    if (text.size() > 512) text.resize(512);
    // The whole line of text inside the item, its descent included (an
    // unselected tab is lower than the selected one).
    TEXTMETRICW tm{};
    ::GetTextMetricsW(item.hDC, &tm);
    const int textY = std::max<int>(r.top, std::min<int>(r.top + 3, r.bottom - tm.tmHeight - 1));
    dc.ExtTextOut(r.left + (selected ? 8 : 4), textY, ETO_OPAQUE, &r, text.c_str(), int(text.size()));
    DrawLostGlyphs(item.hDC, r.left + (selected ? 8 : 4), textY, text.c_str(), int(text.size()), nullptr, r);
    // Where a dragged tab would land: a bar at this item's left edge, or at
    // its right edge when the next item is the place.
    if (dragSource >= 0 && insertIndex >= 0) {
        if (index == insertIndex) dc.FillSolidRect(CRect(r.left, r.top + 1, r.left + 2, r.bottom - 1), textColor);
        if (index == insertIndex - 1)
            dc.FillSolidRect(CRect(r.right - 2, r.top + 1, r.right, r.bottom - 1), textColor);
    }
}

void CFileTabCtrl::PlaceButton(CCloseBtn& button, int index) {
    const CRect tab = GetItemRect(index);
    const bool selected = index == GetCurSel();
    const int x = tab.right - CCloseBtn::kSize - 3;
    const int y = tab.top + buttonOffsetY + (selected ? 0 : 2);
    button.background = selected ? buttonColor : inactiveColor;
    button.tabIndex = index;
    button.SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    button.Invalidate(TRUE);
}

void CFileTabCtrl::PlaceCloseButtons(bool redraw) {
    if (!m_hWnd) return;
    const int count = GetItemCount();
    const int selected = GetCurSel();
    if ((flags & TABF_SELECTED_CLOSE_BUTTON) && selected >= 0)
        PlaceButton(closeButton_, selected);
    else if (closeButton_.IsWindow())
        closeButton_.ShowWindow(SW_HIDE);
    if (!(flags & TABF_CLOSE_BUTTON_ON_TABS)) {
        tabButtons_.clear();
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (i >= int(tabButtons_.size())) {
            auto button = std::make_unique<CCloseBtn>();
            if (!button->CreateButton(m_hWnd, kCloseButtonId, 0, 0)) break;
            tabButtons_.push_back(std::move(button));
        }
        PlaceButton(*tabButtons_[size_t(i)], i);
        if (redraw) {
            const CRect tab = GetItemRect(i);
            InvalidateRect(&tab, FALSE);
        }
    }
    for (size_t i = size_t(count); i < tabButtons_.size(); ++i) tabButtons_[i]->ShowWindow(SW_HIDE);
}

void CFileTabCtrl::SetInsertIndex(int index) {
    if (insertIndex == index) return;
    insertIndex = index;
    Invalidate(FALSE);
}

DWORD CFileTabCtrl::OnDragOver(IDataObject* data, DWORD, POINT point) {
    // Only our own drag moves tabs: an index from elsewhere names nothing here.
    if (dragSource < 0 || !CarriesTabIndex(data)) {
        SetInsertIndex(-1);
        return DROPEFFECT_NONE;
    }
    const int hit = HitTest(point);
    if (hit < 0) {
        SetInsertIndex(-1);
        return DROPEFFECT_NONE;
    }
    if (hit == dragSource) {
        SetInsertIndex(hit);
        return DROPEFFECT_NONE;
    }
    const CRect tab = GetItemRect(hit);
    SetInsertIndex(point.x > (tab.left + tab.right) / 2 ? hit + 1 : hit);
    return DROPEFFECT_MOVE;
}

void CFileTabCtrl::OnDragLeave() {
    insertIndex = -1;
    Invalidate(FALSE);
}

bool CFileTabCtrl::Drop(IDataObject* data, DWORD, POINT) {
    bool moved = false;
    FORMATETC format = TabIndexFormatEtc();
    STGMEDIUM medium{};
    if (dragSource >= 0 && insertIndex >= 0 && data && SUCCEEDED(data->GetData(&format, &medium))) {
        if (medium.tymed == TYMED_HGLOBAL) {
            const CGlobalLock block(medium.hGlobal);
            int32_t dragged = -1;
            if (block.data() && block.size() >= sizeof dragged) std::memcpy(&dragged, block.data(), sizeof dragged);
            if (dragged == dragSource && dragged < GetItemCount()) {
                int to = insertIndex;
                if (dragged < to) --to;
                if (to != dragged) {
                    Notify(TABN_MOVED, to);
                    moved = true;
                }
            }
        }
        ::ReleaseStgMedium(&medium);
    }
    insertIndex = -1;
    Invalidate(FALSE);
    return moved;
}

void CFileTabCtrl::StartDrag(int index) {
    COleDataSource source;
    const int32_t dragged = index;
    source.CacheGlobalData(TabIndexFormat(), GlobalFromBytes(&dragged, sizeof dragged));
    dragSource = index;
    source.DoDragDrop(DROPEFFECT_MOVE);
    dragSource = -1;
    insertIndex = -1;
    if (m_hWnd) Invalidate(FALSE);
}

void CFileTabCtrl::OnLButtonDown(WPARAM wParam, LPARAM lParam) {
    const CPoint point = CPoint::FromLParam(lParam);
    const int hit = HitTest(point);
    if ((flags & (TABF_DRAG_MOVE | TABF_SELECTED_CLOSE_BUTTON | TABF_CLOSE_BUTTON_ON_TABS)) && hit >= 0 &&
        hit != GetCurSel() && closeButton_.IsWindow())
        closeButton_.ShowWindow(SW_HIDE);
    CWndLifeWatch watch(this);
    DefWindowProc(WM_LBUTTONDOWN, wParam, lParam);
    if (!watch.Alive() || !m_hWnd) return;
    // The strip keeps no keyboard: the parent hands it to the file's window.
    if (::GetFocus() == m_hWnd) ::SetFocus(GetParentHandle());
    if ((flags & TABF_DRAG_MOVE) && hit >= 0 && hit < GetItemCount()) StartDrag(hit);
}

void CFileTabCtrl::OnMouseMove(POINT point) {
    if (!(flags & TABF_TOOLTIP)) return;
    const int hit = HitTest(point);
    if (hit < 0) return;
    if (hit != tipTab_) {
        KillTimer(kTipTimer);
        SetTimer(kTipTimer, kTipDelayMs);
        tipPoint_ = point;
    }
    tipTab_ = -1;
}

void CFileTabCtrl::OnTipTimer() {
    KillTimer(kTipTimer);
    CPoint cursor;
    ::GetCursorPos(&cursor);
    ScreenToClient(&cursor);
    if (cursor != tipPoint_) return;
    const int hit = HitTest(cursor);
    tipTab_ = hit;
    if (hit < 0) return;
    FileTabTipRequest request{};
    request.hdr = {m_hWnd, UINT_PTR(hit), TABN_GETTOOLTIP};
    ::SendMessageW(GetParentHandle(), WM_NOTIFY, WPARAM(GetDlgCtrlID()), reinterpret_cast<LPARAM>(&request));
    request.text[1023] = L'\0';
    if (!request.text[0]) return;
    tip_.text = request.text;
    tip_.CalcTextSize();
    CPoint screen = tipPoint_;
    ClientToScreen(&screen);
    tip_.Show(hit, CRect(screen.x - 8, screen.y - 6, screen.x + 12, screen.y - 6));
}

LRESULT CFileTabCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DRAWITEM:
        if (CCloseBtn::DrawIfCloseButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == kCloseButtonId && HIWORD(wParam) == BN_CLICKED) {
            const CCloseBtn* button = WndCast<CCloseBtn>(reinterpret_cast<HWND>(lParam));
            const bool onTab = button && button != &closeButton_;
            Notify(TABN_CLOSEBUTTON, onTab ? button->tabIndex : GetCurSel());
        }
        break;
    case WM_LBUTTONDOWN:
        OnLButtonDown(wParam, lParam);
        return 0;
    case WM_LBUTTONDBLCLK: {
        // A double click on the empty part of the row belongs to the view.
        CPoint point = CPoint::FromLParam(lParam);
        if (HitTest(point) < 0) {
            MapWindowPoints(GetParentHandle(), &point, 1);
            ::SendMessageW(GetParentHandle(), WM_LBUTTONDBLCLK, wParam, point.ToLParam());
            return 0;
        }
        break;
    }
    case WM_MBUTTONDOWN: {
        const CPoint point = CPoint::FromLParam(lParam);
        if (HitTest(point) >= 0) {
            middleDown_ = point;
            middleCaptured_ = true;
            ::SetCapture(m_hWnd);
        }
        return 0;
    }
    case WM_MBUTTONUP: {
        if (!middleCaptured_ || ::GetCapture() != m_hWnd) break;
        middleCaptured_ = false;
        ::ReleaseCapture();
        const CPoint up = CPoint::FromLParam(lParam);
        const POINT down = middleDown_;
        middleDown_ = {-1, -1};
        if (std::abs(up.x - down.x) <= kClickSlop && std::abs(up.y - down.y) <= kClickSlop) {
            const int tab = HitTest(down);
            if (tab >= 0 && tab == HitTest(up)) Notify(TABN_MIDDLECLICK, tab);
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        middleCaptured_ = false;
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(CPoint::FromLParam(lParam));
        break;
    case WM_TIMER:
        if (wParam == kTipTimer) {
            OnTipTimer();
            return 0;
        }
        break;
    case WM_HSCROLL: {
        const LRESULT result = Default();
        PlaceCloseButtons(true);
        return result;
    }
    case WM_SETFONT: {
        const LRESULT result = Default();
        tip_.font = reinterpret_cast<HFONT>(wParam);
        PlaceCloseButtons();
        return result;
    }
    case WM_DESTROY: {
        dropTarget_.Revoke();
        const LRESULT result = Default();
        tabButtons_.clear();
        KillTimer(kTipTimer);
        tip_.Hide();
        return result;
    }
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
