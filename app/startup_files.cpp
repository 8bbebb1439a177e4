#include "app/startup_files.h"

#include <vector>

#include "app/base/cmdline_paths.h"
#include "util/pathutil.h"
#include "app/base/instance_handoff.h"
#include "app/base/winutil.h"
#include "framework/seams.h"
#include "framework/wide.h"

namespace {

constexpr std::size_t kMaxNewFilePath = 250;

void ShowStartupError(const std::wstring& text) {
    ShowMessageBox(nullptr, text.c_str(), L"Error", MB_OK | MB_ICONWARNING);
}

bool ParseOrTell(const std::wstring& arguments, CCommandLineFiles& files) {
    std::wstring error;
    if (ParseEditorCommandLine(arguments, files, error)) return true;
    ShowStartupError(error);
    return false;
}

// Polls until the running editor has made its view (it may still be
// starting), or the retry time counted from start is over.
template <class Try>
bool RetryBriefly(DWORD start, Try attempt) {
    for (;;) {
        if (attempt()) return true;
        if (GetTickCount() - start >= GetHandoffTimeouts().retryMs) return false;
        Sleep(50);
    }
}

// The view of an editor that has taken the file, or null.
HWND HandOver(const std::wstring& path, DWORD start) {
    if (HWND view = FindEditorWindowWithFile(path)) return view;
    bool answered = false;
    const bool any_view = RetryBriefly(start, [&] {
        if (!FindFirstEditorView()) return false;
        answered = OfferFileToRunningEditor(path);
        return true;
    });
    return any_view && answered ? FindEditorWindowWithFile(path) : nullptr;
}

void BringForward(HWND view) {
    const HWND frame = GetParent(view);
    if (frame && IsIconic(frame))
        ShowWindowAsync(frame, SW_RESTORE);  // another process: never wait on it
    else
        SetForegroundWindow(GetAncestor(view, GA_ROOT));
}

}  // namespace

bool CheckSingleInstance(bool singleInstanceMode, const std::wstring& arguments, HANDLE& mutex) {
    mutex = nullptr;
    if (!singleInstanceMode) return true;
    const HANDLE created = CreateMutexW(nullptr, FALSE, kSingleInstanceMutexName);
    if (created && GetLastError() != ERROR_ALREADY_EXISTS) {
        mutex = created;
        return true;
    }
    if (created) CloseHandle(created);

    CCommandLineFiles files;
    if (!ParseOrTell(arguments, files)) return false;
    HWND view = nullptr;
    const DWORD start = GetTickCount();
    if (!files.Entries().empty()) {
        bool all_taken = true;
        for (const auto& entry : files.Entries()) {
            view = HandOver(ToWide(entry.path), start);
            if (!view) {
                all_taken = false;
                continue;
            }
            SendFileOptions(entry);
        }
        // What no editor took opens here rather than being lost.
        if (!all_taken) return true;
    } else {
        RetryBriefly(start, [&] { return (view = FindFirstEditorView()) != nullptr; });
        if (!view) return false;
    }
    BringForward(view);
    return false;
}

StartupFiles ProcessCommandLine(const std::wstring& arguments, CStartupFileHost& host, const std::wstring& initialDir) {
    CCommandLineFiles files;
    if (!ParseOrTell(arguments, files)) return StartupFiles::Stop;
    StartupFiles result = StartupFiles::NewFile;
    if (!files.Entries().empty()) {
        bool opened_here = false;
        HWND elsewhere = nullptr;
        std::wstring elsewhere_path;
        for (const auto& entry : files.Entries()) {
            const std::wstring path = ToWide(entry.path);
            if (HWND view = FindEditorWindowWithFile(path)) {
                // A line or mode asked for goes with the file.
                if (!entry.GetOption(u"r").empty() || !entry.GetOption(u"m").empty()) SendFileOptions(entry);
                elsewhere = view;
                elsewhere_path = path;
                continue;
            }
            if (!IsFileExist(path.c_str()) || IsDirectory(path.c_str())) {
                if (path.size() > kMaxNewFilePath) {
                    ShowStartupError(L"ファイル名が長すぎます");
                    return StartupFiles::Stop;
                }
                std::u16string folder = entry.path;
                CutLastPathElement(folder);
                if (!IsDirectory(AsWide(folder.c_str()))) {
                    ShowStartupError(L"無効なパスが指定されました");
                    return StartupFiles::Stop;
                }
                if (!host.NewDocumentWithPath(path)) return StartupFiles::Stop;
            } else if (!host.OpenDocumentFile(path)) {
                return StartupFiles::Stop;
            }
            SendFileOptions(entry);
            opened_here = true;
        }
        if (!opened_here) {
            if (elsewhere) SendActivateFile(elsewhere, elsewhere_path);
            return StartupFiles::Stop;
        }
        result = StartupFiles::Opened;
    }
    const std::wstring dir = ToWide(files.GetDirOption());
    if (!dir.empty())
        SetCurrentDirectoryW(dir.c_str());
    else if (files.Entries().empty() && !initialDir.empty())
        SetCurrentDirectoryW(initialDir.c_str());
    return result;
}
