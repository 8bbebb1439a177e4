#include "app/base/winutil.h"

#include <ddeml.h>
#include <shlobj.h>
#include <sys/stat.h>

#include <memory>
#include <vector>

#include "util/pathutil.h"
#include "framework/seams.h"
#include "framework/wide.h"

std::wstring GetModuleDir() {
    std::vector<wchar_t> name(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, name.data(), DWORD(name.size()));
        if (n == 0) return L"";
        if (n < name.size()) break;
        name.resize(name.size() * 2);
    }
    wchar_t drive[_MAX_DRIVE], dir[_MAX_DIR];
    if (_wsplitpath_s(name.data(), drive, _MAX_DRIVE, dir, _MAX_DIR, nullptr, 0, nullptr, 0) != 0) return L"";
    return std::wstring(drive) + dir;
}

int GetLongPath(const wchar_t* path, std::wstring& out) {
    const std::wstring in = path ? path : L"";
    std::wstring built;
    std::size_t at;
    if (in.size() >= 3 && HasDriveLetter(ToU16(in)) && in[2] == L'\\') {
        built = in.substr(0, 3);
        at = 3;
    } else if (IsUncPath(ToU16(in))) {
        const auto server_end = in.find(L'\\', 2);
        if (server_end == std::wstring::npos || server_end == 2) return 0;
        auto share_end = in.find(L'\\', server_end + 1);
        if (share_end == server_end + 1) return 0;
        if (share_end == std::wstring::npos) share_end = in.size();
        built = in.substr(0, share_end);
        at = share_end;
    } else {
        return 0;
    }
    while (at < in.size()) {
        if (in[at] == L'\\') {
            ++at;
            continue;
        }
        auto end = in.find(L'\\', at);
        if (end == std::wstring::npos) end = in.size();
        const std::wstring element = in.substr(at, end - at);
        if (element.find_first_of(L"*?") != std::wstring::npos) return 0;
        std::wstring probe = built;
        if (probe.back() != L'\\') probe += L'\\';
        probe += element;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW(probe.c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return 0;
        FindClose(h);
        if (built.back() != L'\\') built += L'\\';
        built += fd.cFileName;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) break;
        at = end;
    }
    out = built;
    return 1;
}

bool IsFileExist(const wchar_t* path) {
    struct _stat st;
    return path && _wstat(path, &st) == 0 && !(st.st_mode & _S_IFDIR);
}

bool IsDirectory(const wchar_t* path) {
    if (!path || !*path) return false;
    std::u16string p = ToU16(path);
    RemoveTrailingBackslash(p);
    if (p.size() == 2 && p[1] == u':') p += u'\\';
    struct _stat st;
    return _wstat(ToWide(p).c_str(), &st) == 0 && (st.st_mode & _S_IFDIR);
}

void MakeFullPath(std::wstring& path) {
    std::u16string p = ToU16(path);
    if (p.empty() || p.size() > std::size_t(kMaxPath - 1) || IsUncPath(p) || HasDriveLetter(p)) return;
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0) return;
    std::vector<wchar_t> cur(n);
    if (GetCurrentDirectoryW(n, cur.data()) == 0) return;
    MakeFullPathIn(p, ToU16(cur.data()));
    path = ToWide(p);
}

namespace {

// Releases a COM interface pointer when it goes out of scope.
template <class T>
struct ComRef {
    T* p = nullptr;
    ~ComRef() {
        if (p) p->Release();
    }
};

}  // namespace

bool ResolveShortcut(const wchar_t* link, std::wstring& target) {
    ComRef<IShellLinkW> shell_link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shell_link.p))))
        return false;
    ComRef<IPersistFile> file;
    if (FAILED(shell_link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)))) return false;
    if (FAILED(file.p->Load(link, STGM_READ))) return false;
    // No box, no search for a moved target, no rewrite of the link; the
    // high word bounds the time spent.
    constexpr DWORD kResolveMs = 1000;
    if (FAILED(shell_link.p->Resolve(nullptr, SLR_NO_UI | SLR_NOSEARCH | SLR_NOUPDATE | (kResolveMs << 16))))
        return false;
    wchar_t path[MAX_PATH] = {};
    if (shell_link.p->GetPath(path, MAX_PATH, nullptr, 0) != S_OK || !path[0]) return false;
    target = path;
    return true;
}

std::wstring GetOpenedFilePath(const wchar_t* path) {
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return path;
    CloseHandle(h);
    DWORD n = GetFullPathNameW(path, 0, nullptr, nullptr);
    if (n == 0) return path;
    std::vector<wchar_t> full(n);
    if (GetFullPathNameW(path, n, full.data(), nullptr) == 0) return path;
    // Short (8.3) elements become the names the user sees.
    n = GetLongPathNameW(full.data(), nullptr, 0);
    if (n == 0) return full.data();
    std::vector<wchar_t> longer(n);
    if (GetLongPathNameW(full.data(), longer.data(), n) == 0) return full.data();
    return longer.data();
}

int GetFileVersionString(const wchar_t* module, std::wstring& out) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(module, &ignored);
    if (size == 0) return 0;
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[size]);
    if (!block) return 0;
    if (!GetFileVersionInfoW(module, 0, size, block.get())) return 0;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(block.get(), L"\\", reinterpret_cast<void**>(&info), &len) || !info || len < sizeof *info)
        return 0;
    wchar_t text[64];
    swprintf(text, sizeof text / sizeof text[0], L"%u.%u.%u.%u", unsigned(HIWORD(info->dwFileVersionMS)),
             unsigned(LOWORD(info->dwFileVersionMS)), unsigned(HIWORD(info->dwFileVersionLS)),
             unsigned(LOWORD(info->dwFileVersionLS)));
    out = text;
    return 1;
}

namespace {

// A missing argument counts as empty text.
std::wstring_view OrEmpty(const wchar_t* s) { return s ? s : L""; }

}  // namespace

int CALLBACK BrowseFolderCallback(HWND hwnd, UINT msg, LPARAM, LPARAM data) {
    if (msg != BFFM_INITIALIZED) return 0;
    // By its item list the picker finds and opens the folder; a path it
    // cannot parse is offered as text.
    PIDLIST_ABSOLUTE folder = nullptr;
    const auto* path = reinterpret_cast<const wchar_t*>(data);
    if (path && *path && SUCCEEDED(SHParseDisplayName(path, nullptr, &folder, 0, nullptr)) && folder) {
        SendMessageW(hwnd, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(folder));
        CoTaskMemFree(folder);
    } else {
        SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
    }
    return 0;
}

bool ExecBrowser(const wchar_t* browser, const wchar_t* target) {
    const ProgramCommand command = BuildProgramCommand(ToU16(OrEmpty(browser)), ToU16(OrEmpty(target)));
    const std::wstring application = ToWide(command.application);
    // A setting that names no program would otherwise fail with no word of
    // why, or start whatever a search for a bare name finds.
    if (!IsFileExist(application.c_str())) {
        const std::wstring text = L"ブラウザのプログラムが見つかりません。\n" + application +
                                  L"\nツール→オプション→設定タブで，ブラウザの設定を確認してください。";
        ShowMessageBox(nullptr, text.c_str(), L"Error", MB_OK | MB_ICONWARNING);
        return false;
    }
    const std::wstring line = ToWide(command.commandLine);
    if (StartProcess(line.c_str(), nullptr, false, application.c_str())) return true;
    ShowMessageBox(nullptr,
                   L"アプリケーションの起動に失敗しました。\n"
                   L"ツール→オプション→設定タブで，ブラウザの設定を確認してください。",
                   L"Error", MB_OK | MB_ICONWARNING);
    return false;
}

namespace {

HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

// One DDE client instance with the string handles it made.
class DdeClient {
public:
    bool Init() { return DdeInitializeW(&inst_, DdeCallback, APPCMD_CLIENTONLY, 0) == DMLERR_NO_ERROR; }
    ~DdeClient() {
        if (!inst_) return;
        for (HSZ h : strings_) DdeFreeStringHandle(inst_, h);
        DdeUninitialize(inst_);
    }
    HSZ String(const wchar_t* s) {
        HSZ h = DdeCreateStringHandleW(inst_, s, CP_WINUNICODE);
        if (h) strings_.push_back(h);
        return h;
    }
    // Connects to service/topic and requests item; false when no server answers.
    bool Request(const wchar_t* service, const wchar_t* topic, const wchar_t* item) {
        HCONV conv = DdeConnect(inst_, String(service), String(topic), nullptr);
        if (!conv) return false;
        HDDEDATA data = DdeClientTransaction(nullptr, 0, conv, String(item), CF_TEXT, XTYP_REQUEST, 1000, nullptr);
        if (data) DdeFreeDataHandle(data);
        DdeDisconnect(conv);
        return true;
    }

private:
    DWORD inst_ = 0;
    std::vector<HSZ> strings_;
};

}  // namespace

bool OpenURL(const wchar_t* service, const wchar_t* target, const wchar_t* browser) {
    DdeClient dde;
    if (!dde.Init()) {
        ShowMessageBox(nullptr, L"DDEの初期化に失敗しました。", L"Error", MB_OK | MB_ICONWARNING);
        return false;
    }
    if (!dde.Request(service, L"WWW_Activate", L"0xFFFFFFFF,0x0")) return ExecBrowser(browser, target);
    const std::wstring item = ToWide(BuildOpenUrlItem(ToU16(OrEmpty(target))));
    if (!dde.Request(service, L"WWW_OpenURL", item.c_str())) return ExecBrowser(browser, target);
    return true;
}

void OpenHelpDocument(const wchar_t* name) {
    const std::wstring path = GetModuleDir() + L"doc\\" + name;
    if (!IsFileExist(path.c_str())) {
        ShowMessageBox(nullptr, L"ファイルが見つかりません", L"Error", MB_OK | MB_ICONWARNING);
        return;
    }
    ShellExecuteOpen(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
