#include "view/view_tabs.h"

#include "app/doccore/doc_text.h"
#include "app/pavin_doc.h"
#include "app/profile/app_settings.h"
#include "app/editor_fonts_win.h"
#include "app/resource.h"
#include "framework/cmdtarget.h"
#include "framework/frame.h"
#include "framework/gdi.h"
#include "framework/wide.h"
#include "view/pavin_view.h"
#include "view/query_close_dlg.h"

namespace {

constexpr int kDefaultStripHeight = 20;
constexpr size_t kMaxTipChars = 1023;

int FlagsFromSettings(const CAppSettings& s) {
    int flags = 0;
    if (s.tabDragMove) flags |= TABF_DRAG_MOVE;
    if (s.closeBtnOnTab) flags |= TABF_CLOSE_BUTTON_ON_TABS;
    if (s.showTabTooltip) flags |= TABF_TOOLTIP;
    return flags;
}

bool IsUtf16HighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

std::wstring TabTitleOf(const std::wstring& path, bool withParent) {
    size_t last = std::wstring::npos, secondLast = std::wstring::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] == L'\\') {
            secondLast = last;
            last = i;
        } else if (IsUtf16HighSurrogate(path[i]) && i + 1 < path.size()) {
            ++i;
        }
    }
    if (last == std::wstring::npos || last == 0) return path;
    if (withParent && secondLast != std::wstring::npos) return path.substr(secondLast + 1);
    return path.substr(last + 1);
}

CPavinDoc* CViewTabs::Doc() const { return view_.GetDocument(); }

bool CViewTabs::Create() {
    DWORD style = WS_CHILD | WS_VISIBLE | TCS_FOCUSNEVER | TCS_OWNERDRAWFIXED;
    if (view_.Context().settings.tabMultiRow) style |= TCS_MULTILINE;
    const CRect client = view_.GetClientRect();
    if (!strip_.CreateStrip(style, CRect(0, 0, client.Width(), kDefaultStripHeight), view_.m_hWnd, IDC_FILE_TAB))
        return false;
    closeButton_.CreateButton(view_.m_hWnd, ID_FILE_CLOSE, client.Width() - CCloseBtn::kSize, 1);
    // Closing several files asks with answers for all of them.
    view_.Context().closeQuestion = &CQueryCloseDlg::Ask;
    return true;
}

int CViewTabs::Layout(const CRect& client) {
    if (!strip_.IsWindow()) return 0;
    const bool buttonsOnTabs = view_.Context().settings.closeBtnOnTab != 0;
    const int width = client.Width() - (buttonsOnTabs ? 0 : kCloseButtonWidth);
    const int count = strip_.GetItemCount();
    int height = 0;
    if (count > 0 && !(view_.Context().settings.hideTabBarAtOne && count == 1))
        height = strip_.GetItemRect(0).Height() * strip_.GetRowCount() + 4;
    height_ = height;
    strip_.MoveWindow(0, 0, width, height);
    if (closeButton_.IsWindow()) {
        const CRect own = closeButton_.GetWindowRect();
        closeButton_.SetWindowPos(nullptr, client.right - own.Width(), 1, 0, 0,
                                  SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        closeButton_.ShowWindow(height != 0 && !buttonsOnTabs ? SW_SHOWNA : SW_HIDE);
    }
    return height;
}

void CViewTabs::ApplySettings() {
    if (!strip_.IsWindow()) return;
    const CAppSettings& s = view_.Context().settings;
    if (strip_.textColor != s.fileTabTextColor || strip_.activeColor != s.fileTabActiveBkColor ||
        strip_.inactiveColor != s.fileTabNoActiveBkColor || strip_.buttonColor != s.fileTabBtnColor) {
        strip_.textColor = s.fileTabTextColor;
        strip_.activeColor = s.fileTabActiveBkColor;
        strip_.inactiveColor = s.fileTabNoActiveBkColor;
        strip_.buttonColor = s.fileTabBtnColor;
        strip_.UpdateWindow();
        strip_.Invalidate(TRUE);
        strip_.PlaceCloseButtons(true);
    }
    const int flags = FlagsFromSettings(s);
    if (flags == strip_.flags) return;
    strip_.flags = flags;
    const bool buttonsOnTabs = (flags & TABF_CLOSE_BUTTON_ON_TABS) != 0;
    strip_.buttonOffsetY = buttonsOnTabs ? 1 : 0;
    strip_.SendMessage(TCM_SETPADDING, 0, MAKELPARAM(buttonsOnTabs ? 16 : 3, 3));
    // An item added and taken away makes the strip measure its items again.
    strip_.InsertItem(0, L"", 0);
    strip_.DeleteItem(0);
    strip_.PlaceCloseButtons();
    const int selected = Doc() ? IndexOf(Doc()->Current().id) : -1;
    if (selected >= 0 && strip_.GetCurSel() != selected) strip_.SetCurSel(selected);
}

void CViewTabs::ApplyFont() {
    if (!strip_.IsWindow()) return;
    if (view_.Context().tabFont.GetSafeHandle())
        strip_.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(view_.Context().tabFont.GetSafeHandle()), TRUE);
    strip_.PlaceCloseButtons();
}

std::wstring CViewTabs::PathOf(int fileId) const {
    CPavinDoc* doc = Doc();
    if (!doc) return L"";
    const CDocFileRecord* file = doc->Files().FindById(fileId);
    return file ? ToWide(file->path) : L"";
}

std::wstring CViewTabs::TitleOfTab(int index) const {
    return TabTitleOf(PathOf(strip_.GetItemFileId(index)), view_.Context().settings.tabTitleIsPathName != 0);
}

int CViewTabs::IndexOf(int fileId) const {
    const int count = strip_.GetItemCount();
    for (int i = 0; i < count; ++i)
        if (strip_.GetItemFileId(i) == fileId) return i;
    return -1;
}

std::vector<int> CViewTabs::FileIds() const {
    std::vector<int> ids;
    const int count = strip_.IsWindow() ? strip_.GetItemCount() : 0;
    for (int i = 0; i < count; ++i) ids.push_back(strip_.GetItemFileId(i));
    return ids;
}

void CViewTabs::UpdateCloseButtonState() {
    CPavinDoc* doc = Doc();
    if (closeButton_.IsWindow()) ::EnableWindow(closeButton_.m_hWnd, doc && doc->Files().Count() > 1);
}

void CViewTabs::SelectTabOf(int fileId) {
    const int index = IndexOf(fileId);
    if (index >= 0) strip_.SetCurSel(index);
    view_.Invalidate(TRUE);
}

void CViewTabs::ActivateTab(int index) {
    const int id = strip_.GetItemFileId(index);
    if (id >= 1 && Doc()) Doc()->ActivateFileById(id, true, true);
}

void CViewTabs::OnUpdate(LPARAM hint, CCmdTarget* hintObject) {
    CPavinDoc* doc = Doc();
    if (!doc || !strip_.IsWindow()) return;
    switch (hint) {
    case HINT_FILE_ADDED: {
        const int id = IdOfHintObject(hintObject);
        const int at = strip_.InsertItem(id, TabTitleOf(PathOf(id), view_.Context().settings.tabTitleIsPathName != 0), id);
        if (at >= 0) strip_.SetCurSel(at);
        UpdateCloseButtonState();
        break;
    }
    case HINT_FILE_CLOSED: {
        const int selected = strip_.GetCurSel();
        if (selected >= 0) strip_.DeleteItem(selected);
        view_.Invalidate(TRUE);
        UpdateCloseButtonState();
        break;
    }
    case HINT_SELECT_TAB:
        SelectTabOf(IdOfHintObject(hintObject));
        break;
    case HINT_TAB_TITLES:
        UpdateTitles();
        break;
    case HINT_MODIFIED_CHANGED: {
        const int index = IndexOf(doc->Current().id);
        if (index < 0) break;
        std::wstring title = TabTitleOf(doc->GetCurrentPath(), view_.Context().settings.tabTitleIsPathName != 0);
        if (doc->IsModified()) title += AsWide(kModifiedMark);
        if (strip_.GetItemText(index) == title) break;
        strip_.SetItemText(index, title);
        view_.RecalcLayout();
        break;
    }
    case HINT_SAVE_ALL:
        SaveAll();
        break;
    }
}

void CViewTabs::UpdateTitles() {
    CPavinDoc* doc = Doc();
    strip_.ModifyStyle(TCS_MULTILINE, view_.Context().settings.tabMultiRow ? TCS_MULTILINE : 0);
    const int count = strip_.GetItemCount();
    for (int i = 0; i < count; ++i) {
        const CDocFileRecord* file = doc->Files().FindById(strip_.GetItemFileId(i));
        if (!file) continue;
        std::wstring title = TabTitleOf(ToWide(file->path), view_.Context().settings.tabTitleIsPathName != 0);
        if (file->IsModified()) title += AsWide(kModifiedMark);
        strip_.SetItemText(i, title);
    }
    view_.RecalcLayout();
}

void CViewTabs::MoveTab(int from, int to) {
    const int count = strip_.GetItemCount();
    if (from < 0 || from >= count || to < 0 || to >= count) return;
    std::wstring text = strip_.GetItemText(from);
    if (text.size() > 520) text.resize(520);
    const int id = strip_.GetItemFileId(from);
    strip_.DeleteItem(from);
    strip_.InsertItem(to, text, id);
    if (Doc()) Doc()->ActivateFileById(id, true, true);
}

void CViewTabs::SortTabs() {
    const int count = strip_.GetItemCount();
    for (int k = 0; k + 1 < count; ++k) {
        int smallest = k;
        std::wstring smallestTitle = TitleOfTab(k);
        for (int j = k + 1; j < count; ++j) {
            std::wstring title = TitleOfTab(j);
            if (title < smallestTitle) {
                smallest = j;
                smallestTitle = std::move(title);
            }
        }
        if (smallest != k) MoveTab(smallest, k);
    }
    if (count > 0) ActivateTab(0);
}

void CViewTabs::CloseTab(int index) {
    CPavinDoc* doc = Doc();
    if (!doc || index < 0 || index >= strip_.GetItemCount()) return;
    const int noted = strip_.GetItemFileId(strip_.GetCurSel());
    ActivateTab(index);
    doc->CloseCurrentFile(true);
    // The closed file itself is gone: the neighbour the document chose stays.
    if (noted >= 1 && doc->Files().FindById(noted)) doc->ActivateFileById(noted, true, true);
}

void CViewTabs::CloseSeveral(Side side) {
    CPavinDoc* doc = Doc();
    const int selected = strip_.GetCurSel();
    if (!doc || selected < 0) return;
    const std::vector<int> all = FileIds();
    std::vector<int> ids;
    for (int i = 0; i < int(all.size()); ++i) {
        const bool left = i < selected, right = i > selected;
        if ((left && side != Side::Right) || (right && side != Side::Left)) ids.push_back(all[size_t(i)]);
    }
    doc->CloseFiles(ids);
}

void CViewTabs::SaveAll() {
    CPavinDoc* doc = Doc();
    if (!doc) return;
    const int noted = strip_.GetCurSel();
    const int count = strip_.GetItemCount();
    const auto modified = [doc] { return doc->Current().IsModified() || doc->IsModified(); };
    // Files with a name first, then the ones that need one.
    for (int i = 0; i < count; ++i) {
        ActivateTab(i);
        if (!modified() || doc->NeedsSaveAs()) continue;
        const std::wstring path = doc->GetPathName().GetString();
        if (!doc->DoSave(path.c_str(), true)) break;
    }
    for (int i = 0; i < count; ++i) {
        ActivateTab(i);
        if (!modified() || !doc->NeedsSaveAs()) continue;
        if (!doc->DoSave(nullptr, true)) break;
    }
    if (noted >= 0) ActivateTab(noted);
}

bool CViewTabs::RunCommand(UINT id, CCmdUI* ui) {
    const int count = strip_.IsWindow() ? strip_.GetItemCount() : 0;
    const int selected = count ? strip_.GetCurSel() : -1;
    const bool several = count > 1;
    const bool notFirst = several && selected > 0;
    const bool notLast = several && selected >= 0 && selected < count - 1;
    bool enabled;
    switch (id) {
    case ID_WINDOW_NEXT:
    case ID_WINDOW_PREV:
    case ID_TAB_SORT: enabled = several; break;
    case ID_TAB_MOVE_LEFT:
    case ID_TAB_MOVE_FIRST:
    case ID_TAB_CLOSE_LEFT: enabled = notFirst; break;
    case ID_TAB_MOVE_RIGHT:
    case ID_TAB_MOVE_LAST:
    case ID_TAB_CLOSE_RIGHT: enabled = notLast; break;
    case ID_TAB_CLOSE_OTHERS: enabled = notFirst || notLast; break;
    default: return false;
    }
    if (ui) {
        ui->Enable(enabled);
        return true;
    }
    if (!enabled) return true;
    switch (id) {
    case ID_WINDOW_NEXT: ActivateTab((selected + 1) % count); break;
    case ID_WINDOW_PREV: ActivateTab((selected + count - 1) % count); break;
    case ID_TAB_MOVE_LEFT: MoveTab(selected, selected - 1); break;
    case ID_TAB_MOVE_RIGHT: MoveTab(selected, selected + 1); break;
    case ID_TAB_MOVE_FIRST: MoveTab(selected, 0); break;
    case ID_TAB_MOVE_LAST: MoveTab(selected, count - 1); break;
    case ID_TAB_SORT: SortTabs(); break;
    case ID_TAB_CLOSE_LEFT: CloseSeveral(Side::Left); break;
    case ID_TAB_CLOSE_RIGHT: CloseSeveral(Side::Right); break;
    case ID_TAB_CLOSE_OTHERS: CloseSeveral(Side::Others); break;
    }
    return true;
}

void CViewTabs::OnNotify(NMHDR& hdr) {
    const int index = int(hdr.idFrom);
    switch (hdr.code) {
    case TABN_MIDDLECLICK:
        if (view_.Context().settings.tabCloseAtMClick) CloseTab(index);
        break;
    case TABN_CLOSEBUTTON:
        CloseTab(index);
        break;
    case TABN_MOVED:
        MoveTab(strip_.GetCurSel(), index);
        break;
    case TABN_GETTOOLTIP: {
        auto& request = reinterpret_cast<FileTabTipRequest&>(hdr);
        request.text[0] = L'\0';
        // An untitled file has no path to show.
        const std::wstring path = PathOf(strip_.GetItemFileId(index));
        if (path.find(L':') == std::wstring::npos) break;
        const size_t n = path.copy(request.text, kMaxTipChars);
        request.text[n] = L'\0';
        break;
    }
    case TCN_SELCHANGE:
        ActivateTab(strip_.GetCurSel());
        break;
    }
}

bool CViewTabs::OnContextMenu(HWND from, CPoint screen) {
    CPoint point = screen;
    view_.ScreenToClient(&point);
    if (screen.y < 0 || point.y >= height_) return false;
    CPoint onStrip = screen;
    strip_.ScreenToClient(&onStrip);
    const int hit = strip_.HitTest(onStrip);
    if (hit < 0) return true;
    if (hit != strip_.GetCurSel()) ActivateTab(hit);
    // The path's tip would lie over the menu.
    strip_.Tip().Hide();
    HMENU menu = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TAB_MENU));
    if (!menu) return true;
    HMENU popup = ::GetSubMenu(menu, 0);
    CFrameWnd* frame = view_.GetParentFrame();
    ::TrackPopupMenu(popup ? popup : menu, TPM_RIGHTBUTTON, screen.x, screen.y, 0,
                     frame ? frame->m_hWnd : view_.m_hWnd, nullptr);
    ::DestroyMenu(menu);
    return true;
}

void CViewTabs::Paint() {
    CPaintDC dc(view_.m_hWnd);
    const CRect client = view_.GetClientRect();
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    if (!strip_.IsWindow() || strip_.GetItemCount() == 0) {
        dc.FillSolidRect(client, face);
        return;
    }
    if (height_ > 0) {
        const CRect strip = strip_.GetWindowRect();
        dc.FillSolidRect(CRect(strip.Width(), 0, client.right, height_), face);
    }
}

bool CViewTabs::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (!hdr || hdr->hwndFrom != strip_.m_hWnd) return false;
        OnNotify(*hdr);
        return true;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item && item->hwndItem == strip_.m_hWnd) {
            strip_.DrawItem(*item);
            result = TRUE;
            return true;
        }
        if (CCloseBtn::DrawIfCloseButton(item)) {
            result = TRUE;
            return true;
        }
        return false;
    }
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == closeButton_.m_hWnd && closeButton_.m_hWnd &&
            HIWORD(wParam) == BN_CLICKED) {
            view_.OnCmdMsg(ID_FILE_CLOSE, nullptr);
            return true;
        }
        return false;
    case WM_CONTEXTMENU:
        return OnContextMenu(reinterpret_cast<HWND>(wParam), CPoint::FromLParam(lParam));
    case WM_LBUTTONDBLCLK: {
        const CPoint point = CPoint::FromLParam(lParam);
        if (point.y >= height_) return false;
        if (view_.Context().settings.tabCreateAtDblClick)
            if (CFrameWnd* frame = view_.GetParentFrame()) frame->SendMessage(WM_COMMAND, ID_FILE_NEW);
        return true;
    }
    case WM_PAINT:
        Paint();
        return true;
    }
    return false;
}
