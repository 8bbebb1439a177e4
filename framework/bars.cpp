#include "framework/bars.h"

#include <algorithm>

#include "framework/cmdids.h"
#include "framework/resource_text.h"

BOOL CStatusBar::Create(HWND parent, UINT id) {
    return CreateEx(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, CRect(0, 0, 0, 0), parent,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count) {
    panes_.clear();
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    for (int i = 0; i < count; ++i) {
        Pane pane{ids[i], 0, CString(), CString()};
        if (ids[i] != ID_SEPARATOR) {
            pane.indicator = LoadResourceString(ids[i]);
            SIZE size{};
            ::GetTextExtentPoint32W(dc, pane.indicator, pane.indicator.GetLength(), &size);
            pane.width = size.cx + 8;
        }
        panes_.push_back(pane);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    RecalcParts();
    return TRUE;
}

int CStatusBar::CommandToIndex(UINT id) const {
    for (size_t i = 0; i < panes_.size(); ++i)
        if (panes_[i].id == id) return static_cast<int>(i);
    return -1;
}

void CStatusBar::SetPaneWidth(int index, int width) {
    panes_[static_cast<size_t>(index)].width = width;
    RecalcParts();
}

void CStatusBar::FitPaneToTexts(int index, const std::vector<std::wstring>& texts) {
    if (index < 0 || index >= GetCount() || !m_hWnd) return;
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    int widest = 0;
    for (const std::wstring& text : texts) {
        SIZE size{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    // The part's borders and the text's inset on both sides.
    const int width = widest + 4 * ::GetSystemMetrics(SM_CXEDGE) + 8;
    Pane& pane = panes_[static_cast<size_t>(index)];
    if (width > pane.width) {
        pane.width = width;
        RecalcParts();
    }
}

void CStatusBar::RecalcParts() {
    if (!m_hWnd || panes_.empty()) return;
    // Panes are placed from the right edge; the first one stretches.
    const int grip = ::GetSystemMetrics(SM_CXVSCROLL);
    int right = GetClientRect().Width() - grip;
    std::vector<int> edges(panes_.size(), -1);  // each part's right edge
    for (size_t i = panes_.size() - 1; i > 0; --i) {
        right -= panes_[i].width;
        edges[i - 1] = right;
    }
    SendMessage(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (size_t i = 0; i < panes_.size(); ++i)
        SendMessage(SB_SETTEXTW, i, reinterpret_cast<LPARAM>(panes_[i].text.GetString()));
}

void CStatusBar::SetPaneText(int index, const wchar_t* text) {
    if (index < 0 || index >= GetCount()) return;
    Pane& pane = panes_[static_cast<size_t>(index)];
    if (pane.text == CString(text)) return;
    pane.text = text;
    SendMessage(SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(pane.text.GetString()));
}

CString CStatusBar::GetPaneText(int index) const {
    if (index < 0 || index >= GetCount()) return CString();
    return panes_[static_cast<size_t>(index)].text;
}

void CStatusBar::SetPaneEnabled(int index, bool on) {
    if (index <= 0 || index >= GetCount()) return;
    SetPaneText(index, on ? panes_[static_cast<size_t>(index)].indicator.GetString() : L"");
}

void CStatusBar::UpdatePanes(CCmdTarget* target) {
    for (int i = 1; i < GetCount(); ++i) {
        CCmdUI ui = CCmdUI::ForStatusPane(this, i, panes_[static_cast<size_t>(i)].id);
        ui.DoUpdate(target);
    }
}

BOOL CToolBar::Create(HWND parent, UINT id, DWORD extraStyle) {
    if (!CreateEx(0, TOOLBARCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | CCS_TOP | extraStyle, CRect(0, 0, 0, 0),
                  parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id))))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT resourceId) {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    HRSRC res = ::FindResourceW(inst, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(241));
    if (!res) return FALSE;
    const auto* words = static_cast<const WORD*>(::LockResource(::LoadResource(inst, res)));
    if (!words || ::SizeofResource(inst, res) < 8) return FALSE;
    const int width = words[1], height = words[2], count = words[3];
    if (::SizeofResource(inst, res) < static_cast<DWORD>(8 + 2 * count)) return FALSE;
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(width, height));
    int images = 0;
    for (int i = 0; i < count; ++i)
        if (words[4 + i]) ++images;
    TBADDBITMAP bitmap{inst, resourceId};
    if (SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(images), reinterpret_cast<LPARAM>(&bitmap)) == -1)
        return FALSE;
    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (int i = 0; i < count; ++i) {
        TBBUTTON b{};
        b.idCommand = words[4 + i];
        if (b.idCommand) {
            b.iBitmap = image++;
            b.fsState = TBSTATE_ENABLED;
            b.fsStyle = BTNS_BUTTON;
        } else {
            b.fsStyle = BTNS_SEP;
        }
        buttons.push_back(b);
    }
    SendMessage(TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessage(TB_AUTOSIZE);
    return TRUE;
}

BOOL CToolBar::SetStandardButtons(const UINT* ids, const int* images, int count) {
    SendMessage(TB_LOADIMAGES, IDB_STD_SMALL_COLOR, reinterpret_cast<LPARAM>(HINST_COMMCTRL));
    std::vector<TBBUTTON> buttons;
    for (int i = 0; i < count; ++i) {
        TBBUTTON b{};
        if (images[i] < 0) {
            b.fsStyle = BTNS_SEP;
        } else {
            b.iBitmap = images[i];
            b.idCommand = static_cast<int>(ids[i]);
            b.fsState = TBSTATE_ENABLED;
            b.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(b);
    }
    BOOL ok = static_cast<BOOL>(SendMessage(TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())));
    SendMessage(TB_AUTOSIZE);
    return ok;
}

int CToolBar::GetButtonCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }

void CToolBar::UpdateButtons(CCmdTarget* target) {
    const int n = GetButtonCount();
    for (int i = 0; i < n; ++i) {
        TBBUTTON b{};
        if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b))) continue;
        if (b.fsStyle & BTNS_SEP) continue;
        CCmdUI ui = CCmdUI::ForToolBarButton(m_hWnd, static_cast<UINT>(b.idCommand));
        ui.DoUpdate(target);
    }
}

int CToolBar::Height() const {
    if (!m_hWnd || !(GetStyle() & WS_VISIBLE)) return 0;
    return GetWindowRect().Height();
}
