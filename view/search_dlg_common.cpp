#include "view/search_dlg_common.h"

#include <algorithm>

#include "app/profile/ini_profile.h"
#include "framework/wide.h"
#include "view/search_resource.h"

namespace {

// Buttons that stay at the right edge when a dialog is widened, and the
// combo boxes that stretch up to them.
constexpr int kRightButtons[] = {IDC_SEARCH_NEXT, IDC_SEARCH_PREV, IDC_REPLACE_ONE,
                                 IDC_REPLACE_ALL, IDC_FILTER_RUN,  IDCANCEL};
constexpr int kStretchingCombos[] = {IDC_SEARCH_TEXT, IDC_REPLACE_TEXT};
constexpr int kComboGap = 10;

CRect ChildRect(HWND dialog, HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return CRect(r);
}

}  // namespace

std::u16string CSearchDlgBase::ComboItemText(HWND combo, int index) {
    const LRESULT n = ::SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (n == CB_ERR) return {};
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    ::SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(n));
    return ToU16(text);
}

std::u16string CSearchDlgBase::ReadComboText(HWND combo) {
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index != CB_ERR) return ComboItemText(combo, static_cast<int>(index));
    const int n = ::GetWindowTextLengthW(combo);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(combo, text.data(), n + 1)));
    return ToU16(text);
}

void CSearchDlgBase::WriteComboText(HWND combo, const std::u16string& text) {
    // The list's own search ignores case: compare exactly here.
    const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (ComboItemText(combo, i) == text) {
            ::SendMessageW(combo, CB_SETCURSEL, i, 0);
            return;
        }
    }
    if (text.empty()) return;
    ::SendMessageW(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(AsWide(text.c_str())));
    ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

void CSearchDlgBase::LoadCombo(HWND combo, const CSearchHistory& history) {
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const SearchHistoryEntry& entry : history.Entries())
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(entry.text.c_str())));
}

std::u16string CSearchDlgBase::SearchBoxText() const { return ReadComboText(Item(IDC_SEARCH_TEXT)); }

void CSearchDlgBase::ReadControls() {
    text_ = SearchBoxText();
    matchCase_ = IsDlgButtonChecked(IDC_SEARCH_MATCH_CASE) == BST_CHECKED;
    regex_ = IsDlgButtonChecked(IDC_SEARCH_REGEX) == BST_CHECKED;
    widthSensitive_ = IsDlgButtonChecked(IDC_SEARCH_MATCH_WIDTH) == BST_CHECKED;
}

CSearchCondition* CSearchDlgBase::TakeCondition(int direction) {
    ReadControls();
    if (text_.empty() || !request_.condition) return nullptr;
    CSearchCondition& condition = *request_.condition;
    condition.pattern = text_;
    condition.matchCase = matchCase_;
    condition.widthSensitive = widthSensitive_;
    condition.regex = regex_;
    condition.direction = direction;
    return &condition;
}

void CSearchDlgBase::WriteChecks() {
    CheckDlgButton(IDC_SEARCH_MATCH_CASE, matchCase_ ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_SEARCH_REGEX, regex_ ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_SEARCH_MATCH_WIDTH, widthSensitive_ ? BST_CHECKED : BST_UNCHECKED);
}

BOOL CSearchDlgBase::OnInitDialog() {
    CDialog::OnInitDialog();
    RecordAnchors();
    InitFromCondition();
    // Made hidden with the view: the focus stays where it is until shown.
    return FALSE;
}

void CSearchDlgBase::RecordAnchors() {
    buttons_.clear();
    combos_.clear();
    const CRect client = GetClientRect();
    for (int id : kRightButtons)
        if (HWND item = Item(id)) buttons_.push_back({id, static_cast<int>(client.right - ChildRect(m_hWnd, item).left)});
    for (int id : kStretchingCombos)
        if (Item(id)) combos_.push_back(id);
}

void CSearchDlgBase::PlaceAnchored() {
    const CRect client = GetClientRect();
    int leftmost = static_cast<int>(client.right);
    for (const Anchor& a : buttons_) {
        HWND item = Item(a.id);
        const CRect r = ChildRect(m_hWnd, item);
        const int left = static_cast<int>(client.right) - a.fromRight;
        ::SetWindowPos(item, nullptr, left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        leftmost = std::min(leftmost, left);
    }
    for (int id : combos_) {
        HWND item = Item(id);
        const CRect r = ChildRect(m_hWnd, item);
        const int width = std::max(20, leftmost - kComboGap - static_cast<int>(r.left));
        ::SetWindowPos(item, nullptr, 0, 0, width, r.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Invalidate(TRUE);
}

void CSearchDlgBase::InitFromCondition() {
    if (HWND mark = Item(IDC_HEIGHT_MARK))
        fixedHeight_ = static_cast<int>(ChildRect(m_hWnd, mark).bottom) + 2 * ::GetSystemMetrics(SM_CYFRAME) +
                       ::GetSystemMetrics(SM_CYCAPTION) + 10;
    if (!request_.initialise || !request_.condition) return;
    const CSearchCondition& condition = *request_.condition;
    text_ = condition.pattern;
    matchCase_ = condition.matchCase;
    regex_ = condition.regex;
    widthSensitive_ = condition.widthSensitive;

    CSearchHistory& history = histories_.search;
    if (!history.IsLoaded()) history.Load(histories_.profile);
    LoadCombo(Item(IDC_SEARCH_TEXT), history);
    const bool textWasEmpty = text_.empty();
    const SearchHistoryEntry* newest = history.Entries().empty() ? nullptr : &history.Entries().front();
    if (textWasEmpty && newest) text_ = newest->text;
    if (ChecksAlwaysFromHistory() || (textWasEmpty && newest)) {
        const SearchOptions o = SearchOptionsOfBits(newest ? newest->bits : 0);
        matchCase_ = o.matchCase;
        regex_ = o.regex;
        widthSensitive_ = o.widthSensitive;
    }
    InitOwnControls(textWasEmpty);

    if (::IsWindowVisible(m_hWnd)) FocusSearchText();
    WriteComboText(Item(IDC_SEARCH_TEXT), text_);
    WriteChecks();
    ApplyButtonRules();

    if (const char16_t* section = WidthSection()) {
        const int width = std::max(MinWidth(), histories_.profile.GetInt(section, u"DLG_WIDTH", MinWidth()));
        SetWindowPos(nullptr, 0, 0, width, fixedHeight_, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CSearchDlgBase::PutSearchText(const std::u16string& text) {
    WriteComboText(Item(IDC_SEARCH_TEXT), text);
    ApplyButtonRules();
    FocusSearchText();
}

void CSearchDlgBase::FocusSearchText() {
    HWND combo = Item(IDC_SEARCH_TEXT);
    if (!combo) return;
    ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(combo), TRUE);
    // Selected also when the field had the focus already: typing replaces it.
    ::SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

void CSearchDlgBase::ChooseHistoryEntry() {
    HWND combo = Item(IDC_SEARCH_TEXT);
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return;
    text_ = ComboItemText(combo, static_cast<int>(index));
    // By text: an item the dialog put on top is no entry and moves the rest.
    for (const SearchHistoryEntry& entry : histories_.search.Entries()) {
        if (entry.text != text_) continue;
        const SearchOptions o = SearchOptionsOfBits(entry.bits);
        matchCase_ = o.matchCase;
        regex_ = o.regex;
        widthSensitive_ = o.widthSensitive;
        WriteChecks();
        break;
    }
    ApplyButtonRules();
}

bool CSearchDlgBase::OwnerAlive() {
    if (request_.owner && ::IsWindow(request_.owner)) return true;
    ShowWindow(SW_HIDE);
    return false;
}

LRESULT CSearchDlgBase::SendToOwner(UINT msg) const {
    return request_.owner ? ::SendMessageW(request_.owner, msg, 0, 0) : 1;
}

void CSearchDlgBase::SaveSearchHistory() {
    histories_.search.Add(histories_.profile, text_, SearchOptionBits(Options()));
    LoadCombo(Item(IDC_SEARCH_TEXT), histories_.search);
    WriteComboText(Item(IDC_SEARCH_TEXT), text_);
}

bool CSearchDlgBase::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    if (id == IDC_SEARCH_TEXT) {
        if (code == CBN_SELCHANGE) ChooseHistoryEntry();
        if (code == CBN_EDITCHANGE) ApplyButtonRules();
        return true;
    }
    if (OnOwnCommand(id, code)) return true;
    return CDialog::OnCommand(wParam, lParam);
}

void CSearchDlgBase::OnCancel() {
    if (const char16_t* section = WidthSection()) {
        const int width = GetWindowRect().Width();
        if (width != histories_.profile.GetInt(section, u"DLG_WIDTH", MinWidth())) {
            histories_.profile.WriteInt(section, u"DLG_WIDTH", width);
            histories_.profile.Save();
        }
    }
    ShowWindow(SW_HIDE);
}

void CSearchDlgBase::CentreOverOwner() {
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (!owner) return;
    RECT o{};
    ::GetWindowRect(owner, &o);
    const CRect r = GetWindowRect();
    const int x = o.left + ((o.right - o.left) - r.Width()) / 2;
    const int y = o.top + ((o.bottom - o.top) - r.Height()) / 2;
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CSearchDlgBase::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SHOWWINDOW:
        if (wParam && lParam == 0) CentreOverOwner();
        break;
    case WM_GETMINMAXINFO:
        if (fixedHeight_ > 0 && MinWidth() > 0) {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize.x = MinWidth();
            info->ptMinTrackSize.y = fixedHeight_;
            info->ptMaxTrackSize.y = fixedHeight_;
            return 0;
        }
        break;
    case WM_SIZE:
        if (!buttons_.empty()) PlaceAnchored();
        break;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}
