#include "framework/seams.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace {

MessageBoxHandler& BoxHandler() {
    static MessageBoxHandler handler;
    return handler;
}

ProcessStartHandler& StartHandler() {
    static ProcessStartHandler handler;
    return handler;
}

FileDialogHandler& DialogHandler() {
    static FileDialogHandler handler;
    return handler;
}

ModalDialogHandler& ModalHandler() {
    static ModalDialogHandler handler;
    return handler;
}

FontDialogHandler& FontHandler() {
    static FontDialogHandler handler;
    return handler;
}

ColorDialogHandler& ColorHandler() {
    static ColorDialogHandler handler;
    return handler;
}

FolderDialogHandler& FolderHandler() {
    static FolderDialogHandler handler;
    return handler;
}

int CALLBACK FolderDialogCallback(HWND hwnd, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data)
        ::SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

std::wstring OrEmpty(const wchar_t* s) { return s ? s : L""; }

}  // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    std::swap(BoxHandler(), handler);
    return handler;
}

ProcessStartHandler SetProcessStartHandler(ProcessStartHandler handler) {
    std::swap(StartHandler(), handler);
    return handler;
}

FileDialogHandler SetFileDialogHandler(FileDialogHandler handler) {
    std::swap(DialogHandler(), handler);
    return handler;
}

ModalDialogHandler SetModalDialogHandler(ModalDialogHandler handler) {
    std::swap(ModalHandler(), handler);
    return handler;
}

bool HasModalDialogHandler() { return static_cast<bool>(ModalHandler()); }

bool AnswerModalDialog(const ModalDialogRequest& request) {
    // A copy: the handler may install another one while it runs.
    const ModalDialogHandler handler = ModalHandler();
    if (!handler) return false;
    handler(request);
    return true;
}

FontDialogHandler SetFontDialogHandler(FontDialogHandler handler) {
    std::swap(FontHandler(), handler);
    return handler;
}

bool ShowFontDialog(FontDialogRequest& request) {
    if (const auto& handler = FontHandler()) return handler(request);
    CHOOSEFONTW cf{};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = request.owner;
    cf.lpLogFont = &request.font;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    if (request.minPoint > 0 && request.maxPoint >= request.minPoint) {
        cf.Flags |= CF_LIMITSIZE;
        cf.nSizeMin = request.minPoint;
        cf.nSizeMax = request.maxPoint;
    }
    if (!::ChooseFontW(&cf)) return false;
    request.pointSize = cf.iPointSize;
    return true;
}

bool AnswerFileDialogBySeam(FileDialogRequest& request, bool& ok) {
    const auto& handler = DialogHandler();
    if (!handler) return false;
    ok = handler(request);
    return true;
}

bool ShowFileDialog(FileDialogRequest& request) {
    if (const auto& handler = DialogHandler()) return handler(request);
    std::vector<wchar_t> name(32768, L'\0');
    request.path.copy(name.data(), std::min(request.path.size(), name.size() - 1));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = request.owner;
    ofn.lpstrFilter = L"*.*\0*.*\0";
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = DWORD(name.size());
    ofn.lpstrTitle = request.caption.empty() ? nullptr : request.caption.c_str();
    ofn.Flags = request.flags | OFN_EXPLORER;
    const BOOL ok = request.save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    if (!ok) return false;
    request.path = name.data();
    return true;
}

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    if (const auto& handler = BoxHandler()) return handler({owner, OrEmpty(text), OrEmpty(caption), type});
    return ::MessageBoxW(owner, text, caption, type);
}

bool ShellExecuteOpen(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                      const wchar_t* directory, int show) {
    if (const auto& handler = StartHandler())
        return handler({ProcessStartRequest::Shell, OrEmpty(verb), OrEmpty(file), OrEmpty(parameters),
                        OrEmpty(directory), show, false, L""});
    HINSTANCE result = ::ShellExecuteW(owner, verb, file, parameters, directory, show);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool StartProcess(const wchar_t* commandLine, const wchar_t* directory, bool waitForIdle,
                  const wchar_t* application) {
    if (const auto& handler = StartHandler())
        return handler({ProcessStartRequest::Process, L"", L"", OrEmpty(commandLine), OrEmpty(directory),
                        SW_SHOWNORMAL, waitForIdle, OrEmpty(application)});
    // CreateProcessW may write into its command line.
    std::wstring line = OrEmpty(commandLine);
    std::vector<wchar_t> buf(line.begin(), line.end());
    buf.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(application, buf.data(), nullptr, nullptr, FALSE, 0, nullptr, directory, &si, &pi))
        return false;
    // A program that never reaches its message loop must not hold us.
    constexpr DWORD kIdleWaitMs = 10000;
    if (waitForIdle) ::WaitForInputIdle(pi.hProcess, kIdleWaitMs);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return true;
}

ColorDialogHandler SetColorDialogHandler(ColorDialogHandler handler) {
    std::swap(ColorHandler(), handler);
    return handler;
}

FolderDialogHandler SetFolderDialogHandler(FolderDialogHandler handler) {
    std::swap(FolderHandler(), handler);
    return handler;
}

bool ShowColorDialog(ColorDialogRequest& request) {
    if (const ColorDialogHandler handler = ColorHandler()) return handler(request);
    static COLORREF custom[16] = {};
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = request.owner;
    cc.rgbResult = request.color;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!::ChooseColorW(&cc)) return false;
    request.color = cc.rgbResult;
    return true;
}

bool ShowFolderDialog(FolderDialogRequest& request) {
    if (const FolderDialogHandler handler = FolderHandler()) return handler(request);
    BROWSEINFOW info{};
    info.hwndOwner = request.owner;
    info.lpszTitle = request.title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = FolderDialogCallback;
    info.lParam = request.folder.empty() ? 0 : reinterpret_cast<LPARAM>(request.folder.c_str());
    LPITEMIDLIST chosen = ::SHBrowseForFolderW(&info);
    if (!chosen) return false;
    wchar_t path[MAX_PATH] = {};
    const bool ok = ::SHGetPathFromIDListW(chosen, path) != FALSE;
    ::CoTaskMemFree(chosen);
    if (ok) request.folder = path;
    return ok;
}
