#include "view/select_color_dlg.h"

#include <windowsx.h>

#include "app/profile/ini_profile.h"
#include "framework/gdi.h"
#include "framework/seams.h"
#include "view/color_resource.h"

namespace {

constexpr UINT kGridId = 2100;
// The grid's and the result area's distance from the client's right and
// bottom edges.
constexpr int kGridRightMargin = 140;
constexpr int kBottomMargin = 50;
// The eyedropper area lies this far below the "選択" button.
constexpr int kEyedropperGap = 10;

RECT ItemRect(HWND dialog, int id) {
    RECT r{};
    HWND item = ::GetDlgItem(dialog, id);
    if (!item) return r;
    ::GetWindowRect(item, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

bool CSelectColorDlg::Open(HWND owner, HWND opener, UINT message) {
    m_opener = opener;
    m_message = message;
    bool load = true;
    if (!m_hWnd) {
        if (!Create(IDD_SELECT_COLOR, owner)) return false;
    } else {
        load = !::IsWindowVisible(m_hWnd);
    }
    SetUp(load);
    ShowWindow(SW_SHOWNORMAL);
    return true;
}

BOOL CSelectColorDlg::OnInitDialog() {
    HWND format = GetDlgItem(IDC_COLOR_FORMAT);
    ::SendMessageW(format, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"HTML"));
    ::SendMessageW(format, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"CPP"));
    const CRect client = GetClientRect();
    const RECT gridRect{10, 10, client.right - kGridRightMargin, client.bottom - kBottomMargin};
    if (m_grid.Create(gridRect, m_hWnd, kGridId)) m_grid.SetFocus();
    CDialog::OnInitDialog();
    return FALSE;  // the grid has the focus
}

void CSelectColorDlg::SetUp(bool load) {
    if (m_eyedropper) EndEyedropper(false);
    if (load) {
        LoadColorDialogSettings(m_profile, m_grid.Model(), m_format);
        if (m_grid.IsWindow()) m_grid.Invalidate(FALSE);
    }
    m_current = m_grid.Model().SelectedColor();
    m_text = CString(FormatColorText(m_current, m_format));
    UpdateData(FALSE);
    const RECT result = ResultRect();
    InvalidateRect(&result, FALSE);
}

void CSelectColorDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_COLOR_DATA, m_text);
    DDX_CBIndex(dx, IDC_COLOR_FORMAT, m_format);
}

RECT CSelectColorDlg::ResultRect() const {
    const RECT label = ItemRect(m_hWnd, IDC_COLOR_RESULT_LABEL);
    const CRect client = GetClientRect();
    return {label.left, label.bottom, label.right, client.bottom - kBottomMargin};
}

RECT CSelectColorDlg::EyedropperRect() const {
    RECT r = ItemRect(m_hWnd, IDC_COLOR_CHOOSE);
    const int height = r.bottom - r.top;
    ::OffsetRect(&r, 0, height + kEyedropperGap);
    return r;
}

void CSelectColorDlg::ShowColor(COLORREF color) {
    m_current = color & 0xffffff;
    const RECT result = ResultRect();
    InvalidateRect(&result, FALSE);
    m_text = CString(FormatColorText(m_current, m_format));
    SetDlgItemText(IDC_COLOR_DATA, m_text);
}

void CSelectColorDlg::ChooseWithColorDialog() {
    ColorDialogRequest request{m_hWnd, m_grid.Model().SelectedColor()};
    if (ShowColorDialog(request)) m_grid.SetSelectedColor(request.color);
}

void CSelectColorDlg::OnOK() {
    // The text as it stands in its box: the user may have edited it.
    UpdateData(TRUE);
    if (m_opener && ::IsWindow(m_opener))
        ::SendMessageW(m_opener, m_message, reinterpret_cast<WPARAM>(m_text.GetString()), 0);
}

void CSelectColorDlg::OnCancel() {
    if (m_eyedropper) EndEyedropper(false);
    UpdateData(TRUE);
    SaveColorDialogSettings(m_profile, m_grid.Model(), m_format);
    m_profile.Save();
    EndDialog(IDCANCEL);
}

bool CSelectColorDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case IDC_COLOR_CHOOSE:
        if (HIWORD(wParam) == BN_CLICKED) ChooseWithColorDialog();
        return true;
    case IDC_COLOR_FORMAT:
        if (HIWORD(wParam) == CBN_SELCHANGE) {
            UpdateData(TRUE);
            ShowColor(m_current);
        }
        return true;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CSelectColorDlg::Paint(HDC hdc) {
    CDC dc(hdc);
    RECT result = ResultRect();
    if (result.bottom > result.top) {
        ::DrawEdge(dc, &result, EDGE_SUNKEN, BF_RECT);
        ::InflateRect(&result, -4, -4);
        dc.FillSolidRect(result, m_current);
    }
    RECT dropper = EyedropperRect();
    dc.FillRect(dropper, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(dc, &dropper, BDR_RAISEDINNER, BF_RECT);
    const HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    const HGDIOBJ oldFont = font ? dc.SelectObject(static_cast<HGDIOBJ>(font)) : nullptr;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(::GetSysColor(COLOR_BTNTEXT));
    ::DrawTextW(dc, L"スポイト", -1, &dropper, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (oldFont) dc.SelectObject(oldFont);
}

void CSelectColorDlg::StartEyedropper() {
    m_beforeEyedropper = m_current;
    m_eyedropper = true;
    ::SetCapture(m_hWnd);
    ::SetCursor(::LoadCursorW(nullptr, IDC_CROSS));
}

void CSelectColorDlg::EndEyedropper(bool keep) {
    // Off first: releasing the capture reports the capture lost.
    m_eyedropper = false;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    if (keep)
        m_grid.SetSelectedColor(m_current);
    else
        ShowColor(m_beforeEyedropper);
}

void CSelectColorDlg::TakeScreenPixel() {
    POINT at;
    if (!::GetCursorPos(&at)) return;
    HDC screen = ::GetDC(nullptr);
    if (!screen) return;
    const COLORREF pixel = ::GetPixel(screen, at.x, at.y);
    ::ReleaseDC(nullptr, screen);
    if (pixel != CLR_INVALID) ShowColor(pixel);
}

LRESULT CSelectColorDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COLORGRID_PICK:
        ShowColor(static_cast<COLORREF>(wParam));
        return 0;
    case WM_COLORGRID_ACCEPT:
        OnOK();
        return 0;
    case WM_PAINT: {
        CPaintDC dc(m_hWnd);
        Paint(dc);
        return 0;
    }
    case WM_LBUTTONDOWN: {
        const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const RECT dropper = EyedropperRect();
        if (!m_eyedropper && ::PtInRect(&dropper, p)) StartEyedropper();
        return 0;
    }
    case WM_MOUSEMOVE:
        if (m_eyedropper) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_CROSS));
            TakeScreenPixel();
        }
        return 0;
    case WM_LBUTTONUP:
        if (m_eyedropper) {
            TakeScreenPixel();
            EndEyedropper(true);
        }
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (a switch of programs, a box): the
        // pick did not happen.
        if (m_eyedropper && reinterpret_cast<HWND>(lParam) != m_hWnd) EndEyedropper(false);
        return 0;
    case WM_SETCURSOR:
        if (m_eyedropper) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_CROSS));
            return TRUE;
        }
        break;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

BOOL CSelectColorDlg::PreTranslateMessage(MSG* msg) {
    if (m_eyedropper && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
        EndEyedropper(false);
        return TRUE;
    }
    return CDialog::PreTranslateMessage(msg);
}
