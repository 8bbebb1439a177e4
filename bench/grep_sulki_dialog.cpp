// sulki's search as the user meets it, run under Wine: from the search
// button's press to the last result line shown in the dialog's result view
// (the worker, the progress dialog, the result blocks and the view's layout
// and paint included), beside `wdev grep` over the same tree with the same
// text, masks, options and encoding, as a whole program writing its lines to
// a file (its start-up under Wine included; the dialog is already open).
// The two must agree on the closing line (the hit count); then the median
// of interleaved runs, the minimum beside:
//   bench: sulki-dialog ours=<s>s wdev-grep=<s>s ratio=<ours/peer> min-ours=<s>s min-wdev-grep=<s>s
// In a bare Xvfb (no window manager) Wine waits 2 s for one each time a
// window it hands to the manager is hidden, as the progress dialog is at
// the end of every search: run this in a Wine prefix whose
// "HKCU\Software\Wine\X11 Driver" has Managed=N, or that wait is measured
// on ours alone.
// usage: bench_grep_sulki_dialog TREE WDEV_EXE [RUNS] [TEXT]   (TREE, e.g. the
// grep benchmark's tree-10k with its UTF-8 and Shift_JIS halves, as a
// Windows path; TEXT default printf: wdev.exe reads its arguments in the
// ANSI code page, so the text is kept ASCII)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/base/torka_win_app.h"
#include "grep/ui/sulki_dlg.h"
#include "grep/ui/sulki_resource.h"

namespace {

CTorkaWinApp theBenchApp;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

std::wstring FromUtf8(const std::string& s) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring w(n, L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
    return w;
}

std::wstring ComboText(HWND combo) {
    wchar_t buf[1024] = {};
    ::GetWindowTextW(combo, buf, 1024);
    return buf;
}

std::wstring LastLine(const std::wstring& text) {
    std::wstring t = text;
    while (!t.empty() && (t.back() == L'\n' || t.back() == L'\r')) t.pop_back();
    const auto nl = t.find_last_of(L'\n');
    return nl == std::wstring::npos ? t : t.substr(nl + 1);
}

// The dialog's search, button press to the closing line painted.
double RunDialog(CSulkiDlg& dlg, std::wstring& closing) {
    const HWND button = dlg.GetDlgItem(IDC_SULKI_SEARCH);
    const auto start = Clock::now();
    ::SendMessageW(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SULKI_SEARCH, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    ::UpdateWindow(dlg.ResultView().m_hWnd);
    const double took = SecondsSince(start);
    CEditData& d = dlg.ResultData();
    int last = d.GetLineCount() - 1;
    while (last > 0 && d.GetLineLength(last) == 0) --last;
    closing.assign(reinterpret_cast<const wchar_t*>(d.GetLineText(last)), d.GetLineLength(last));
    return took;
}

// wdev grep as a program, its lines to a file.
double RunWdev(const std::wstring& commandLine, const std::wstring& outFile, std::wstring& closing) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    const HANDLE out = ::CreateFileW(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = out;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::wstring line = commandLine;
    const auto start = Clock::now();
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        ::CloseHandle(out);
        return -1;
    }
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    const double took = SecondsSince(start);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(out);
    // The closing line is at the end of the file.
    const HANDLE in = ::CreateFileW(outFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size{};
    ::GetFileSizeEx(in, &size);
    const LONGLONG tail = std::min<LONGLONG>(size.QuadPart, 4096);
    LARGE_INTEGER at{};
    at.QuadPart = size.QuadPart - tail;
    ::SetFilePointerEx(in, at, nullptr, FILE_BEGIN);
    std::string bytes(static_cast<std::size_t>(tail), '\0');
    DWORD n = 0;
    ::ReadFile(in, bytes.data(), DWORD(bytes.size()), &n, nullptr);
    ::CloseHandle(in);
    closing = LastLine(FromUtf8(bytes));
    return took;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

std::string Utf8(const std::wstring& w) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_grep_sulki_dialog TREE WDEV_EXE [RUNS] [TEXT]\n");
        return 2;
    }
    const std::wstring tree = FromUtf8(argv[1]);
    const std::wstring wdev = FromUtf8(argv[2]);
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    const std::wstring text = FromUtf8(argc > 4 ? argv[4] : "printf");

    // A program folder of its own for sulki.ini and the editor's settings.
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring dir = std::wstring(temp) + L"sulki_bench_" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    theBenchApp.SetProfileFile((dir + L"sulki.ini").c_str());

    CSulkiDlg dlg;
    dlg.SetProgramDir(dir);
    dlg.SetCommandLine(L"\"" + text + L"\" /d \"" + tree + L"\"");
    if (!dlg.Create(IDD_SULKI_DIALOG, nullptr)) {
        std::fprintf(stderr, "bench_grep_sulki_dialog: the dialog did not open\n");
        return 1;
    }
    dlg.CheckDlgButton(IDC_SULKI_SUBFOLDER, BST_CHECKED);
    const std::wstring masks = ComboText(dlg.GetDlgItem(IDC_SULKI_FILETYPE));
    // sulki's defaults: case and width not distinguished, the encoding
    // detected per file.
    const std::wstring peer = L"\"" + wdev + L"\" grep --icase --iwidth --subdirs --code 9 --masks \"" + masks +
                              L"\" \"" + text + L"\" \"" + tree + L"\"";
    const std::wstring outFile = dir + L"wdev-out.txt";

    // Warm-up (the file cache), and the two must agree.
    std::wstring ourClosing, peerClosing;
    RunDialog(dlg, ourClosing);
    if (RunWdev(peer, outFile, peerClosing) < 0) {
        std::fprintf(stderr, "bench_grep_sulki_dialog: wdev did not start\n");
        return 1;
    }
    if (ourClosing != peerClosing || ourClosing.empty()) {
        std::fprintf(stderr, "bench_grep_sulki_dialog: FAILED: the closing lines differ: dialog '%s', wdev '%s'\n",
                     Utf8(ourClosing).c_str(), Utf8(peerClosing).c_str());
        return 1;
    }
    std::printf("bench_grep_sulki_dialog: %s\n", Utf8(ourClosing).c_str());
    std::vector<double> ours, theirs;
    for (int i = 0; i < runs; ++i) {
        std::wstring closing;
        ours.push_back(RunDialog(dlg, closing));
        theirs.push_back(RunWdev(peer, outFile, closing));
    }
    const double o = Median(ours), p = Median(theirs);
    std::printf("bench: sulki-dialog ours=%.3fs wdev-grep=%.3fs ratio=%.3f min-ours=%.3fs min-wdev-grep=%.3fs\n", o, p,
                p > 0 ? o / p : 0.0, *std::min_element(ours.begin(), ours.end()),
                *std::min_element(theirs.begin(), theirs.end()));
    dlg.DestroyWindow();
    return 0;
}
