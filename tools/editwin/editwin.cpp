// A window with one editing control on an empty text, for the outside-in
// checks: a script types into it with xdotool as a person would and reads
// the text back from the file named on the command line, which the program
// rewrites (UTF-8, LF line ends) whenever the text changes.
#include <windows.h>

#include <string>

#include "editctrl/edit_ctrl.h"
#include "framework/ole.h"
#include "framework/wide.h"
#include "textengine/edit_data.h"

namespace {

constexpr UINT_PTR kDumpTimer = 1;

class EditWindow : public CWnd {
public:
    explicit EditWindow(std::wstring dumpPath) : dumpPath_(std::move(dumpPath)) {}

    bool Make() {
        RegisterWindowClass(L"TORKA_EditWin", 0, ::LoadCursorW(nullptr, IDC_ARROW),
                            reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
        return Create(L"TORKA_EditWin", L"editwin", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(40, 40, 680, 440),
                      nullptr, 0) != FALSE;
    }

protected:
    int OnCreate(CREATESTRUCTW* cs) override {
        if (CWnd::OnCreate(cs) == -1) return -1;
        data_.SetUndoUnlimited();
        const CRect rc = GetClientRect();
        if (!ctrl_.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, rc, m_hWnd, 1)) return -1;
        LOGFONTW lf{};
        lf.lfHeight = -16;
        lf.lfCharSet = SHIFTJIS_CHARSET;
        lf.lfPitchAndFamily = FIXED_PITCH;
        wcscpy(lf.lfFaceName, L"ＭＳ ゴシック");
        ctrl_.CreateFont(lf);
        ctrl_.SetFont(ctrl_.GetNormalFont());
        ctrl_.SetEditData(&data_);
        ctrl_.SetStyle(ECS_CTRL_KEYS_FROM_CHAR | ECS_DRAG_DROP_EDIT | ECS_SHOW_BRACKETS_BOLD);
        ctrl_.Relayout(0);
        SetTimer(kDumpTimer, 50);
        Dump();
        return 0;
    }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
        case WM_SIZE:
            if (ctrl_.IsWindow()) ctrl_.MoveWindow(0, 0, LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_SETFOCUS:
        case WM_ACTIVATE:
            if (ctrl_.IsWindow()) ctrl_.SetFocus();
            break;
        case WM_TIMER:
            if (wParam == kDumpTimer && data_.GetEditCounter() != dumped_) Dump();
            return 0;
        case WM_DESTROY:
            KillTimer(kDumpTimer);
            ::PostQuitMessage(0);
            break;
        default:
            break;
        }
        return CWnd::WindowProc(msg, wParam, lParam);
    }

private:
    // Written aside and moved into place, so a reader never sees half of it.
    void Dump() {
        dumped_ = data_.GetEditCounter();
        std::u16string text = data_.GetText();
        std::wstring wide;
        for (char16_t c : text)
            if (c != u'\r') wide += static_cast<wchar_t>(c);
        const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0,
                                            nullptr, nullptr);
        std::string bytes(static_cast<size_t>(n), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), bytes.data(), n, nullptr,
                              nullptr);
        const std::wstring temp = dumpPath_ + L".tmp";
        HANDLE f = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        const bool ok = ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                        written == bytes.size();
        ::CloseHandle(f);
        if (ok) ::MoveFileExW(temp.c_str(), dumpPath_.c_str(), MOVEFILE_REPLACE_EXISTING);
    }

    std::wstring dumpPath_;
    CEditData data_;
    CEditCtrl ctrl_;
    int dumped_ = -1;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc < 2) return 2;
    const COleThread ole;
    EditWindow window(argv[1]);
    ::LocalFree(argv);
    if (!window.Make()) return 1;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
