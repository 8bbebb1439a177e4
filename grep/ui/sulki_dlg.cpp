#include "grep/ui/sulki_dlg.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "app/profile/ini_profile.h"
#include "app/base/torka_win_app.h"
#include "app/base/winutil.h"
#include "framework/app.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "grep/engine/grep_cmdline.h"
#include "grep/ui/result_view_settings.h"
#include "grep/ui/sulki_resource.h"
#include "util/pathutil.h"

namespace {

constexpr wchar_t kGrep[] = L"GREP";
constexpr wchar_t kWindow[] = L"WINDOW";
constexpr wchar_t kTextHistory[] = L"search_text";
constexpr wchar_t kTypeHistory[] = L"file_type";
constexpr wchar_t kFolderHistory[] = L"search_folder";
constexpr int kHistoryKeys = 10;
constexpr int kMinWidth = 560, kMinHeight = 300;

struct EncodingItem {
    const wchar_t* name;
    KanjiCode code;
};
constexpr EncodingItem kEncodings[] = {
    {L"自動判別", KanjiCode::Detect},
    {L"SJIS", KanjiCode::SJIS},
    {L"EUC", KanjiCode::EUC},
    {L"JIS", KanjiCode::JIS},
    {L"UNICODE", KanjiCode::Unicode},
    {L"UNICODE(no signature)", KanjiCode::UnicodeNoSig},
    {L"UTF16BE", KanjiCode::UTF16BE},
    {L"UTF16BE(no signature)", KanjiCode::UTF16BENoSig},
    {L"UTF8", KanjiCode::UTF8},
    {L"UTF8(no signature)", KanjiCode::UTF8NoSig},
};

constexpr const wchar_t* kDefaultFileTypes[] = {
    L"*.txt;*.htm;*.html;*.c;*.cpp;*.h;*.java;*.pl;*.cgi;*.sql;*.ora;*.log",
    L"*.*", L"*.txt", L"*.htm;*.html", L"*.c;*.cpp;*.h", L"*.java", L"*.pl;*.cgi", L"*.sql;*.ora;*.log",
};

CWinApp& App() { return *AfxGetApp(); }

std::wstring Key(int i) { return std::to_wstring(i); }

std::wstring ItemText(HWND combo, int index) {
    const LRESULT n = ::SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (n == CB_ERR) return {};
    std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
    ::SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(s.data()));
    s.resize(wcslen(s.c_str()));
    return s;
}

std::wstring WindowText(HWND hwnd) {
    const int n = ::GetWindowTextLengthW(hwnd);
    std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
    s.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, s.data(), n + 1)));
    return s;
}

bool IsExistingFile(const wchar_t* path) {
    const DWORD a = ::GetFileAttributesW(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder combo's edit field takes dropped files: the first one's
// folder (or the folder itself) becomes the field's text.
LRESULT CALLBACK FolderEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto old = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_DROPFILES) {
        const auto drop = reinterpret_cast<HDROP>(wParam);
        wchar_t path[MAX_PATH] = {};
        if (::DragQueryFileW(drop, 0, path, MAX_PATH)) {
            std::u16string p = AsU16(path);
            if (IsExistingFile(path)) CutLastPathElement(p);
            ::SetWindowTextW(hwnd, AsWide(p.c_str()));
            // The combo hears of it as of typing, so the search button follows.
            const HWND combo = ::GetParent(hwnd);
            ::SendMessageW(::GetParent(combo), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_EDITCHANGE),
                           reinterpret_cast<LPARAM>(combo));
        }
    }
    return ::CallWindowProcW(old, hwnd, msg, wParam, lParam);
}

}  // namespace

CSulkiDlg::CSulkiDlg() : CDialog(IDD_SULKI_DIALOG), programDir_(GetModuleDir()) {}

CSulkiDlg::~CSulkiDlg() {
    if (IsWindow()) DestroyWindow();
}

void CSulkiDlg::FillEncodings() {
    for (const EncodingItem& e : kEncodings) {
        const LRESULT i = ::SendMessageW(encoding_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.name));
        ::SendMessageW(encoding_, CB_SETITEMDATA, i, KanjiCodeNumber(e.code));
        if (e.code == encoding_code_) ::SendMessageW(encoding_, CB_SETCURSEL, i, 0);
    }
}

KanjiCode CSulkiDlg::SelectedEncoding() const {
    const LRESULT i = ::SendMessageW(encoding_, CB_GETCURSEL, 0, 0);
    if (i == CB_ERR) return KanjiCode::Detect;
    const auto number = static_cast<int>(::SendMessageW(encoding_, CB_GETITEMDATA, i, 0));
    return KanjiCodeFromNumber(number).value_or(KanjiCode::Detect);
}

void CSulkiDlg::LoadOptions() {
    CheckDlgButton(IDC_SULKI_CASE, App().GetProfileInt(kGrep, L"DISTINCT_LWR_UPR", 0) ? BST_CHECKED : 0);
    CheckDlgButton(IDC_SULKI_WIDTH, App().GetProfileInt(kGrep, L"DISTINCT_WIDTH_ASCII", 0) ? BST_CHECKED : 0);
    CheckDlgButton(IDC_SULKI_REGEXP, App().GetProfileInt(kGrep, L"REGEXP", 0) ? BST_CHECKED : 0);
    CheckDlgButton(IDC_SULKI_SUBFOLDER, App().GetProfileInt(kGrep, L"SEARCH_SUB_FOLDER", 0) ? BST_CHECKED : 0);
    if (App().GetProfileString(kTypeHistory, L"0").IsEmpty())
        for (int i = 0; i < 8; ++i) App().WriteProfileString(kTypeHistory, Key(i).c_str(), kDefaultFileTypes[i]);
    LoadHistory(text_, kTextHistory);
    LoadHistory(fileType_, kTypeHistory);
    LoadHistory(folder_, kFolderHistory);
}

void CSulkiDlg::SaveOptions() {
    App().WriteProfileInt(kGrep, L"DISTINCT_LWR_UPR", IsDlgButtonChecked(IDC_SULKI_CASE) == BST_CHECKED);
    App().WriteProfileInt(kGrep, L"DISTINCT_WIDTH_ASCII", IsDlgButtonChecked(IDC_SULKI_WIDTH) == BST_CHECKED);
    App().WriteProfileInt(kGrep, L"REGEXP", IsDlgButtonChecked(IDC_SULKI_REGEXP) == BST_CHECKED);
    App().WriteProfileInt(kGrep, L"SEARCH_SUB_FOLDER", IsDlgButtonChecked(IDC_SULKI_SUBFOLDER) == BST_CHECKED);
}

void CSulkiDlg::LoadHistory(HWND combo, const wchar_t* section) {
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < kHistoryKeys; ++i) {
        const CString value = App().GetProfileString(section, Key(i).c_str());
        if (!value.IsEmpty()) ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(value.GetString()));
    }
    ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

void CSulkiDlg::AddHistory(HWND combo, const std::wstring& text) {
    for (int i = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0)) - 1; i >= 0; --i)
        if (ItemText(combo, i) == text) ::SendMessageW(combo, CB_DELETESTRING, i, 0);
    ::SendMessageW(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

void CSulkiDlg::SaveHistory(HWND combo, const wchar_t* section) {
    // Only the ten entries the next start loads are kept.
    const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    int written = 0;
    for (int i = 0; i < count && written < kHistoryKeys; ++i) {
        const std::wstring text = ItemText(combo, i);
        if (text.empty()) continue;
        App().WriteProfileString(section, Key(written++).c_str(), text.c_str());
    }
    for (int k = written; k < kHistoryKeys; ++k) App().WriteProfileString(section, Key(k).c_str(), nullptr);
}

void CSulkiDlg::ApplyCommandLine() {
    wchar_t current[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, current);
    SulkiCommandLine line;
    if (!ParseSulkiCommandLine(ToU16(commandLine_), ToU16(current), line)) return;
    if (!line.searchText.empty()) ::SetWindowTextW(text_, AsWide(line.searchText.c_str()));
    if (!line.folder.empty()) ::SetWindowTextW(folder_, AsWide(line.folder.c_str()));
    if (!line.encodingName.empty()) {
        const LRESULT i = ::SendMessageW(encoding_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(AsWide(line.encodingName.c_str())));
        // The exact text only: the list's search ignores case.
        if (i != CB_ERR && ItemText(encoding_, static_cast<int>(i)) == ToWide(line.encodingName))
            ::SendMessageW(encoding_, CB_SETCURSEL, i, 0);
    }
}

CRect CSulkiDlg::PlaceholderRect() const {
    RECT r{};
    ::GetWindowRect(GetDlgItem(IDC_SULKI_VIEW_PLACE), &r);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    return CRect(r.left, r.top, r.right, r.bottom);
}

void CSulkiDlg::CreateResultView() {
    const CRect client = GetClientRect();
    const CRect place = PlaceholderRect();
    const CRect r(10, place.bottom + 10, client.right - 10, std::max<int>(place.bottom + 10, client.bottom - 10));
    resultView_.Create(CEditCtrl::kClassName, kSulkiWindowName, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL,
                       r, m_hWnd, IDC_SULKI_VIEW_PLACE + 1000);
    resultView_.SetEditData(&resultData_);
    // The editor's display settings, read from its file and never written.
    CIniProfile empty;
    const CIniProfile* settings = &empty;
    if (auto* app = dynamic_cast<CTorkaWinApp*>(AfxGetApp())) {
        const wchar_t* file = editorProtocol_ == kCurrentEditor ? L"wendrel.ini" : L"pavin.ini";
        if (app->LoadSettingsFile(programDir_ + file)) settings = app->m_pIniProfile.get();
    }
    ApplyEditorDisplaySettings(resultView_, resultFont_, *settings);
}

void CSulkiDlg::LayoutResultView() {
    if (!resultView_.IsWindow()) return;
    const CRect client = GetClientRect();
    const int top = static_cast<int>(PlaceholderRect().bottom) + 15;
    resultView_.MoveWindow(10, top, std::max(0, static_cast<int>(client.right) - 20), std::max(0, static_cast<int>(client.bottom) - top - 5));
}

void CSulkiDlg::SubclassFolderEdit() {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!::GetComboBoxInfo(folder_, &info) || !info.hwndItem) return;
    const HWND edit = info.hwndItem;
    ::SetWindowLongPtrW(edit, GWLP_USERDATA, ::GetWindowLongPtrW(edit, GWLP_WNDPROC));
    ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FolderEditProc));
    ::DragAcceptFiles(edit, TRUE);
}

void CSulkiDlg::PlaceWindow() {
    int left = static_cast<int>(App().GetProfileInt(kWindow, L"LEFT", 0));
    int top = static_cast<int>(App().GetProfileInt(kWindow, L"TOP", 0));
    int width = static_cast<int>(App().GetProfileInt(kWindow, L"WIDTH", 0));
    int height = static_cast<int>(App().GetProfileInt(kWindow, L"HEIGHT", 0));
    left = std::max(left, 0);
    top = std::max(top, 0);
    width = std::max(width, kMinWidth);
    height = std::max(height, kMinHeight);
    const int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    if (left + width > cx || top + height > cy) {
        RECT work{};
        if (::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
            left = work.left;
            top = work.top;
        } else {
            left = top = 0;
        }
    }
    width = std::min(width, cx);
    height = std::min(height, cy);
    SetWindowPos(nullptr, left, top, width, height, SWP_NOZORDER);
}

void CSulkiDlg::SaveWindowRect() {
    if (::IsZoomed(m_hWnd) || ::IsIconic(m_hWnd)) return;
    const CRect r = GetWindowRect();
    App().WriteProfileInt(kWindow, L"LEFT", r.left);
    App().WriteProfileInt(kWindow, L"TOP", r.top);
    App().WriteProfileInt(kWindow, L"WIDTH", r.Width());
    App().WriteProfileInt(kWindow, L"HEIGHT", r.Height());
}

BOOL CSulkiDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (HMENU menu = ::GetSystemMenu(m_hWnd, FALSE)) {
        wchar_t about[128] = {};
        ::LoadStringW(::GetModuleHandleW(nullptr), IDS_SULKI_ABOUTBOX, about, 128);
        if (about[0]) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(menu, MF_STRING, IDM_SULKI_ABOUTBOX, about);
        }
    }
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    bigIcon_ = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDR_SULKI_MAINFRAME), IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0));
    smallIcon_ = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDR_SULKI_MAINFRAME), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    if (bigIcon_) SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    if (smallIcon_) SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

    encoding_ = GetDlgItem(IDC_SULKI_ENCODING);
    text_ = GetDlgItem(IDC_SULKI_TEXT);
    folder_ = GetDlgItem(IDC_SULKI_FOLDER);
    fileType_ = GetDlgItem(IDC_SULKI_FILETYPE);
    FillEncodings();
    LoadOptions();
    ApplyCommandLine();
    editorProtocol_ = DetectEditor(programDir_);
    CreateResultView();
    SubclassFolderEdit();
    PlaceWindow();
    LayoutResultView();
    UpdateSearchButton();
    return TRUE;
}

void CSulkiDlg::UpdateSearchButton(int selectedCombo) {
    bool ready = true;
    for (HWND combo : {text_, fileType_, folder_}) {
        const int id = ::GetDlgCtrlID(combo);
        std::wstring text;
        if (id == selectedCombo) {
            const LRESULT i = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
            if (i != CB_ERR) text = ItemText(combo, static_cast<int>(i));
        } else {
            text = WindowText(combo);
        }
        ready = ready && !text.empty();
    }
    ::EnableWindow(GetDlgItem(IDC_SULKI_SEARCH), ready);
}

LRESULT CSulkiResultView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN && wParam == VK_ESCAPE) {
        ::PostMessageW(GetParentHandle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    }
    return CEditCtrl::WindowProc(msg, wParam, lParam);
}

void CSulkiDlg::Browse() {
    std::u16string start = ToU16(WindowText(folder_));
    RemoveTrailingBackslash(start);
    const std::wstring startWide = ToWide(start);
    BROWSEINFOW bi{};
    bi.hwndOwner = m_hWnd;
    bi.lpszTitle = L"検索フォルダの選択";
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    bi.lpfn = BrowseFolderCallback;
    bi.lParam = reinterpret_cast<LPARAM>(startWide.c_str());
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&bi);
    if (!chosen) return;
    wchar_t path[MAX_PATH] = {};
    const bool ok = ::SHGetPathFromIDListW(chosen, path);
    ::CoTaskMemFree(chosen);
    if (!ok) return;
    const LRESULT i = ::SendMessageW(folder_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(path));
    if (i != CB_ERR && ItemText(folder_, static_cast<int>(i)) == path)
        ::SendMessageW(folder_, CB_SETCURSEL, i, 0);
    else
        ::SetWindowTextW(folder_, path);
    UpdateSearchButton();
}

void CSulkiDlg::HandOffLine(int line) {
    if (line < 0 || line >= resultData_.GetLineCount()) return;
    const std::u16string text(resultData_.GetLineText(line), static_cast<std::size_t>(resultData_.GetLineLength(line)));
    HandOffResultLine(ToWide(text), lastSearch_, editorProtocol_, programDir_);
}

void CSulkiDlg::ShowAbout() {
    CSulkiAboutDlg about;
    about.DoModal(m_hWnd);
}

void CSulkiDlg::OnCancel() {
    SaveOptions();
    SaveWindowRect();
    EndDialog(IDCANCEL);
}

bool CSulkiDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    switch (id) {
    case IDC_SULKI_SEARCH:
        if (code == BN_CLICKED) Search();
        return true;
    case IDC_SULKI_BROWSE:
        if (code == BN_CLICKED) Browse();
        return true;
    case IDC_SULKI_TEXT:
    case IDC_SULKI_FILETYPE:
    case IDC_SULKI_FOLDER:
        if (code == CBN_EDITCHANGE) UpdateSearchButton();
        if (code == CBN_SELENDOK) UpdateSearchButton(id);
        return code == CBN_EDITCHANGE || code == CBN_SELENDOK;
    }
    return CDialog::OnCommand(wParam, lParam);
}

LRESULT CSulkiDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SULKI_APPEND:
        AppendToView(reinterpret_cast<const wchar_t*>(lParam));
        return 0;
    case WM_EDIT_DBLCLK:
        HandOffLine(static_cast<int>(lParam));
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_SULKI_ABOUTBOX) {
            ShowAbout();
            return 0;
        }
        break;
    case WM_PAINT:
        if (::IsIconic(m_hWnd) && bigIcon_) {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(m_hWnd, &ps);
            const CRect r = GetClientRect();
            ::DrawIcon(dc, (r.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2,
                       (r.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2, bigIcon_);
            ::EndPaint(m_hWnd, &ps);
            return 0;
        }
        break;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(bigIcon_);
    case WM_SIZE:
        LayoutResultView();
        break;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{kMinWidth, kMinHeight};
        return 0;
    case WM_CLOSE:
        SaveWindowRect();
        break;
    case WM_DESTROY:
        if (text_) {
            SaveHistory(text_, kTextHistory);
            SaveHistory(fileType_, kTypeHistory);
            SaveHistory(folder_, kFolderHistory);
        }
        break;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

CSulkiAboutDlg::CSulkiAboutDlg() : CDialog(IDD_SULKI_ABOUTBOX) {}

BOOL CSulkiAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring version;
    GetFileVersionString(module, version);
    SetDlgItemText(IDC_SULKI_VERSION, (L"Sulki Version " + version).c_str());
    return TRUE;
}
