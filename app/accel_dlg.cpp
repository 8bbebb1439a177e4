#include "app/accel_dlg.h"

#include <commctrl.h>

#include "app/accel_dlg_resource.h"
#include "app/keycore/command_catalogue.h"
#include "app/base/torka_win_app.h"
#include "framework/seams.h"
#include "framework/wide.h"

namespace {

std::u16string Prompt(UINT command) {
    auto* app = dynamic_cast<CTorkaWinApp*>(AfxGetApp());
    return app ? ToU16(app->LoadPromptString(command).str()) : std::u16string();
}

void AddColumn(HWND list, int index, const wchar_t* title, int width) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(title);
    ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

int AddRow(HWND list, const std::wstring& text, LPARAM data) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.lParam = data;
    return static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void SetCell(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int Selected(HWND list) { return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); }

LPARAM RowData(HWND list, int row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}

std::wstring CellText(HWND list, int row) {
    wchar_t text[256] = {};
    LVITEMW item{};
    item.pszText = text;
    item.cchTextMax = 256;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

// The modifiers as they were when the key came, not as they are now: keys
// typed ahead or played by a macro arrive after their modifiers are let go.
bool Down(int vk) { return (::GetKeyState(vk) & 0x8000) != 0; }

}  // namespace

std::wstring GetCommandName(UINT command) { return ToWide(PromptName(Prompt(command))); }
std::wstring GetCommandDescription(UINT command) { return ToWide(PromptDescription(Prompt(command))); }

CAcceleratorDlg::CAcceleratorDlg() : CDialog(IDD_ACCELERATOR) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&classes);
}

LRESULT CALLBACK CAcceleratorDlg::KeyEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto previous = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const std::wstring text =
            KeyToString(static_cast<WORD>(wParam), Down(VK_MENU), Down(VK_CONTROL), Down(VK_SHIFT));
        ::SetWindowTextW(hwnd, text.c_str());
        ::SendMessageW(hwnd, EM_SETSEL, text.size(), text.size());
        return 0;
    }
    case WM_CHAR:
    case WM_SYSCHAR:
        return 0;  // the key's text is already there
    }
    return ::CallWindowProcW(previous, hwnd, msg, wParam, lParam);
}

BOOL CAcceleratorDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    HWND edit = GetDlgItem(IDC_ACCEL_KEY_EDIT);
    ::SetWindowLongPtrW(edit, GWLP_USERDATA, ::GetWindowLongPtrW(edit, GWLP_WNDPROC));
    ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&KeyEditProc));
    for (HWND list : {Categories(), Commands(), Keys()})
        ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    AddColumn(Categories(), 0, L"分類", 170);
    AddColumn(Commands(), 0, L"機能", 170);
    AddColumn(Commands(), 1, L"説明", 240);
    AddColumn(Commands(), 2, L"キー", 100);
    AddColumn(Keys(), 0, L"キー", 170);
    FillCategories();
    UpdateButtons();
    return TRUE;
}

void CAcceleratorDlg::FillCategories() {
    ::SendMessageW(Keys(), LVM_DELETEALLITEMS, 0, 0);
    ::SendMessageW(Commands(), LVM_DELETEALLITEMS, 0, 0);
    ::SendMessageW(Categories(), LVM_DELETEALLITEMS, 0, 0);
    for (const CommandCategory& c : CommandCategories()) AddRow(Categories(), AsWide(c.name), c.id);
}

void CAcceleratorDlg::FillCommands() {
    ::SendMessageW(Keys(), LVM_DELETEALLITEMS, 0, 0);
    ::SendMessageW(Commands(), LVM_DELETEALLITEMS, 0, 0);
    const int row = Selected(Categories());
    if (row < 0) return;
    for (uint16_t command : CommandsOfCategory(static_cast<int>(RowData(Categories(), row)))) {
        const int at = AddRow(Commands(), GetCommandName(command), command);
        SetCell(Commands(), at, 1, GetCommandDescription(command));
    }
    RefreshKeyColumn();
}

void CAcceleratorDlg::RefreshKeyColumn() {
    const int n = static_cast<int>(::SendMessageW(Commands(), LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < n; ++row) {
        std::wstring keys;
        m_table.GetCommandKeys(static_cast<WORD>(RowData(Commands(), row)), keys);
        SetCell(Commands(), row, 2, keys);
    }
}

void CAcceleratorDlg::FillKeys() {
    ::SendMessageW(Keys(), LVM_DELETEALLITEMS, 0, 0);
    const WORD command = SelectedCommand();
    if (!command) return;
    std::wstring text;
    for (int next = m_table.FindCommand(command, 0, text); next != -1; next = m_table.FindCommand(command, next, text))
        AddRow(Keys(), text, 0);
}

WORD CAcceleratorDlg::SelectedCommand() const {
    const int row = Selected(Commands());
    return row < 0 ? 0 : static_cast<WORD>(RowData(Commands(), row));
}

std::wstring CAcceleratorDlg::KeyFieldText() const { return GetDlgItemText(IDC_ACCEL_KEY_EDIT).str(); }

void CAcceleratorDlg::UpdateButtons() {
    ::EnableWindow(GetDlgItem(IDC_ACCEL_REMOVE), Selected(Keys()) >= 0);
    const std::wstring key = KeyFieldText();
    // An unfinished "Ctrl+" cannot be assigned; a lone "+" is a key.
    const bool finished = !key.empty() && (key.size() == 1 || key.back() != L'+');
    ::EnableWindow(GetDlgItem(IDC_ACCEL_ASSIGN), SelectedCommand() != 0 && finished);
}

void CAcceleratorDlg::UpdateInformation() {
    std::wstring info;
    BYTE fVirt;
    WORD key;
    if (StringToKey(KeyFieldText(), fVirt, key)) {
        const WORD command = m_table.FindKey(key, fVirt);
        const std::wstring name = command ? GetCommandName(command) : std::wstring();
        if (!name.empty()) info = L"現在の割り当て：" + name;
    }
    SetDlgItemText(IDC_ACCEL_INFO, info.c_str());
}

void CAcceleratorDlg::OnAssign() {
    const WORD command = SelectedCommand();
    BYTE fVirt;
    WORD key;
    if (!command || !StringToKey(KeyFieldText(), fVirt, key)) return;
    // One key names one command: a binding it had elsewhere moves here.
    while (m_table.FindKey(key, fVirt)) m_table.Remove(key, fVirt);
    m_table.Add(key, command, fVirt);
    SetDlgItemText(IDC_ACCEL_KEY_EDIT, L"");
    SetDlgItemText(IDC_ACCEL_INFO, L"");
    FillKeys();
    RefreshKeyColumn();
    UpdateButtons();
    // The button just pressed is disabled now: the next key can be typed.
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDC_ACCEL_KEY_EDIT)), TRUE);
}

void CAcceleratorDlg::OnRemove() {
    const int row = Selected(Keys());
    BYTE fVirt;
    WORD key;
    if (row < 0 || !StringToKey(CellText(Keys(), row), fVirt, key)) return;
    m_table.Remove(key, fVirt);
    FillKeys();
    RefreshKeyColumn();
    UpdateInformation();
    UpdateButtons();
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Keys()), TRUE);
}

void CAcceleratorDlg::OnDefaults() {
    if (ShowMessageBox(m_hWnd, L"キー割り当てをデフォルトの設定に戻します。\nよろしいですか？", L"確認",
                       MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    m_table.LoadDefault();
    FillCategories();
    UpdateInformation();
    UpdateButtons();
}

bool CAcceleratorDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case IDC_ACCEL_ASSIGN: OnAssign(); return true;
    case IDC_ACCEL_REMOVE: OnRemove(); return true;
    case IDC_ACCEL_DEFAULTS: OnDefaults(); return true;
    case IDC_ACCEL_KEY_EDIT:
        if (HIWORD(wParam) == EN_CHANGE) {
            UpdateButtons();
            UpdateInformation();
        }
        return true;
    }
    return CDialog::OnCommand(wParam, lParam);
}

LRESULT CAcceleratorDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NOTIFY) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if (change->hdr.code == LVN_ITEMCHANGED) {
            const bool selection = (change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_SELECTED);
            const bool selected = change->uNewState & LVIS_SELECTED;
            switch (change->hdr.idFrom) {
            case IDC_CATEGORIES:
                if (selection && selected) FillCommands();
                break;
            case IDC_COMMANDS:
                if (selection && selected) FillKeys();
                UpdateButtons();
                break;
            case IDC_KEYS:
                UpdateButtons();
                break;
            }
        }
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}
