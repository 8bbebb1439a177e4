#include "view/print_dlg.h"

#include <cstdlib>

#include "app/profile/ini_profile.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "view/core/print_settings.h"
#include "view/print_layout.h"
#include "view/print_resource.h"

namespace {


CString PointText(int tenths) {
    CString text;
    text.Format(L"%d", tenths / 10);
    return text;
}

}  // namespace

CPrintDlg::CPrintDlg(CIniProfile& profile, PrinterMemory& memory)
    : CDialog(IDD_PRINT_DLG), profile_(profile), memory_(memory) {}

CPrintDlg::~CPrintDlg() { ReleasePrinter(); }

void CPrintDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_PRINT_SPACE_TOP, m_spaceTop);
    DDX_Text(dx, IDC_PRINT_SPACE_BOTTOM, m_spaceBottom);
    DDX_Text(dx, IDC_PRINT_SPACE_LEFT, m_spaceLeft);
    DDX_Text(dx, IDC_PRINT_SPACE_RIGHT, m_spaceRight);
    DDX_Check(dx, IDC_PRINT_TITLE, m_title);
    DDX_Check(dx, IDC_PRINT_PAGE, m_pageNumber);
    DDX_Check(dx, IDC_PRINT_ROW_NUM, m_lineNumber);
    DDX_Check(dx, IDC_PRINT_DATE, m_date);
    DDX_Check(dx, IDC_PRINT_SELECTION, m_selectionOnly);
    DDX_Text(dx, IDC_PRINT_INFO, m_infoText);
    DDX_Text(dx, IDC_PRINT_FONT_FACE, m_fontFace);
    DDX_Text(dx, IDC_PRINT_FONT_POINT, m_pointText);
}

BOOL CPrintDlg::OnInitDialog() {
    const PrintSettings s = ReadPrintSettings(profile_);
    m_spaceTop = s.margins.top;
    m_spaceBottom = s.margins.bottom;
    m_spaceLeft = s.margins.left;
    m_spaceRight = s.margins.right;
    m_title = s.title;
    m_pageNumber = s.pageNumbers;
    m_lineNumber = s.lineNumbers;
    m_date = s.date;
    m_fontFace = CString(s.fontFace);
    m_fontSize = s.fontPoint;
    m_pointText = PointText(m_fontSize);

    std::vector<std::wstring> printers;
    DWORD error = 0;
    if (!EnumPrinterNames(printers, error)) {
        ShowMessageBox(m_hWnd, SystemErrorText(error).c_str(), L"Error", MB_OK | MB_ICONWARNING);
        EndDialog(IDCANCEL);
        return TRUE;
    }
    HWND combo = GetDlgItem(IDC_PRINT_PRINTER);
    for (const std::wstring& name : printers) ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));

    std::wstring wanted = memory_.name;
    if (wanted.empty()) wanted = ToWide(s.printerName);
    if (wanted.empty()) wanted = DefaultPrinterName();
    // The whole name, in its own case.
    for (std::size_t i = 0; i < printers.size(); ++i)
        if (printers[i] == wanted) ::SendMessageW(combo, CB_SETCURSEL, i, 0);

    const BOOL result = CDialog::OnInitDialog();
    if (::SendMessageW(combo, CB_GETCURSEL, 0, 0) != CB_ERR) {
        const bool remembered = !memory_.name.empty() && memory_.name == wanted && !memory_.devMode.empty();
        if (!OpenPrinter(remembered) && remembered) {
            EndDialog(IDCANCEL);
            return TRUE;
        }
    }
    ClampMargins();
    UpdateInfoText();
    UpdateButtons();
    return result;
}

bool CPrintDlg::OpenPrinter(bool withRememberedSettings) {
    ReleasePrinter();
    HWND combo = GetDlgItem(IDC_PRINT_PRINTER);
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return false;
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return false;
    std::wstring name(std::size_t(length) + 1, L'\0');
    ::SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(name.data()));
    name.resize(std::size_t(length));

    DWORD error = 0;
    if (!info_.Fetch(name, error)) {
        ReportError(error);
        return false;
    }
    if (withRememberedSettings) {
        const auto* settings = reinterpret_cast<const DEVMODEW*>(memory_.devMode.data());
        if (!info_.MergeDevMode(settings, false, m_hWnd, error)) {
            ReportError(error);
            info_.Release();
            return false;
        }
    }
    dc_ = info_.CreateDC();
    if (!dc_) {
        ReportError(::GetLastError());
        return false;
    }
    return true;
}

void CPrintDlg::ReleasePrinter() {
    if (dc_) ::DeleteDC(dc_);
    dc_ = nullptr;
    info_.Release();
}

void CPrintDlg::ReportError(DWORD error) {
    if (error == 0) error = ERROR_INVALID_FUNCTION;
    ShowMessageBox(m_hWnd, SystemErrorText(error).c_str(), L"Error", MB_OK | MB_ICONWARNING);
}

void CPrintDlg::OnPrinterChanged() {
    ReleasePrinter();
    OpenPrinter(false);
    UpdateInfoText();
    UpdateButtons();
}

void CPrintDlg::OnProperties() {
    if (info_.IsEmpty()) return;
    DWORD error = 0;
    if (!info_.MergeDevMode(nullptr, true, m_hWnd, error)) {
        if (error) ReportError(error);
        return;
    }
    if (dc_) ::DeleteDC(dc_);
    dc_ = info_.CreateDC();
    if (!dc_) ReportError(::GetLastError());
    UpdateInfoText();
    UpdateButtons();
}

void CPrintDlg::OnFont() {
    FontDialogRequest request{};
    request.owner = m_hWnd;
    lstrcpynW(request.font.lfFaceName, m_fontFace, LF_FACESIZE);
    HDC screen = ::GetDC(nullptr);
    request.font.lfHeight = -::MulDiv(m_fontSize, ::GetDeviceCaps(screen, LOGPIXELSY), 720);
    ::ReleaseDC(nullptr, screen);
    request.font.lfCharSet = DEFAULT_CHARSET;
    request.pointSize = m_fontSize;
    if (!ShowFontDialog(request)) return;
    if (request.font.lfFaceName[0]) m_fontFace = request.font.lfFaceName;
    m_fontSize = ClampPrintFontPoint(request.pointSize);
    m_pointText = PointText(m_fontSize);
    SetDlgItemText(IDC_PRINT_FONT_FACE, m_fontFace);
    SetDlgItemText(IDC_PRINT_FONT_POINT, m_pointText);
    UpdateInfoText();
}

int CPrintDlg::MarginFromEdit(int id, int fallback) const {
    BOOL ok = FALSE;
    const int value = int(::GetDlgItemInt(m_hWnd, id, &ok, TRUE));
    return ok ? value : fallback;
}

void CPrintDlg::ClampMargins() {
    const PrintMargins m = ClampPrintMargins({m_spaceLeft, m_spaceTop, m_spaceRight, m_spaceBottom});
    m_spaceLeft = m.left;
    m_spaceTop = m.top;
    m_spaceRight = m.right;
    m_spaceBottom = m.bottom;
}

void CPrintDlg::UpdateInfoText() {
    m_infoText.Empty();
    if (dc_) {
        // What is typed now, held to the range as OK would hold it.
        const PrintMargins margins = ClampPrintMargins(
            {MarginFromEdit(IDC_PRINT_SPACE_LEFT, m_spaceLeft), MarginFromEdit(IDC_PRINT_SPACE_TOP, m_spaceTop),
             MarginFromEdit(IDC_PRINT_SPACE_RIGHT, m_spaceRight), MarginFromEdit(IDC_PRINT_SPACE_BOTTOM, m_spaceBottom)});
        const int digits = IsDlgButtonChecked(IDC_PRINT_ROW_NUM) == BST_CHECKED ? m_digits : 0;
        CPrintLayout layout;
        layout.SetUp(L"", margins, false, false, digits, dc_);
        if (layout.Measure(m_fontFace, m_fontSize, WrapColumn(), nullptr))
            m_infoText.Format(L"%d行, %d列", layout.Geometry().linesPerPage, layout.Geometry().charsPerLine);
    }
    SetDlgItemText(IDC_PRINT_INFO, m_infoText);
}

void CPrintDlg::UpdateButtons() {
    const bool selected = ::SendMessageW(GetDlgItem(IDC_PRINT_PRINTER), CB_GETCURSEL, 0, 0) != CB_ERR;
    // A printer that could not be opened can't print.
    ::EnableWindow(GetDlgItem(IDOK), selected && dc_ != nullptr);
    ::EnableWindow(GetDlgItem(IDC_PRINT_PROPERTIES), !info_.IsEmpty() && info_.DevMode() && dc_ != nullptr);
}

void CPrintDlg::OnOK() {
    m_printerName.Empty();
    HWND combo = GetDlgItem(IDC_PRINT_PRINTER);
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index != CB_ERR) m_printerName = GetDlgItemText(IDC_PRINT_PRINTER);
    if (!UpdateData(TRUE)) return;
    ClampMargins();
    if (!m_lineNumber) m_digits = 0;

    PrintSettings s;
    s.margins = {m_spaceLeft, m_spaceTop, m_spaceRight, m_spaceBottom};
    s.title = m_title;
    s.pageNumbers = m_pageNumber;
    s.lineNumbers = m_lineNumber;
    s.date = m_date;
    s.fontFace = ToU16(m_fontFace.str());
    s.fontPoint = m_fontSize;
    WritePrintSettings(s, profile_);
    profile_.Save();

    std::vector<BYTE> settings = info_.CopyDevMode();
    if (!m_printerName.IsEmpty() && !settings.empty()) {
        memory_.name = m_printerName.str();
        memory_.devMode = std::move(settings);
    } else {
        memory_.Clear();
    }
    WritePrintPrinterName(ToU16(m_printerName.str()), profile_);
    profile_.Save();
    EndDialog(IDOK);
}

bool CPrintDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    switch (id) {
    case IDC_PRINT_SPACE_TOP:
    case IDC_PRINT_SPACE_BOTTOM:
    case IDC_PRINT_SPACE_LEFT:
    case IDC_PRINT_SPACE_RIGHT:
        if (code == EN_CHANGE) {
            UpdateInfoText();
            return true;
        }
        break;
    case IDC_PRINT_ROW_NUM:
        if (code == BN_CLICKED) {
            UpdateInfoText();
            return true;
        }
        break;
    case IDC_PRINT_PRINTER:
        if (code == CBN_SELCHANGE) {
            OnPrinterChanged();
            return true;
        }
        break;
    case IDC_PRINT_PROPERTIES:
        if (code == BN_CLICKED) {
            OnProperties();
            return true;
        }
        break;
    case IDC_PRINT_FONT:
        if (code == BN_CLICKED) {
            OnFont();
            return true;
        }
        break;
    }
    return CDialog::OnCommand(wParam, lParam);
}
