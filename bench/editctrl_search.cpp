// Replace-all and the line filter through the editing window, run under Wine
// by bench/editctrl_search.py, which times sed on the same file beside it.
// usage: bench_editctrl_search.exe <utf-8 file> <replace|filter> <pattern> [replacement]
// Loads the file into a window, then times the command with its relayout and
// one repaint, samples the process's private memory while it runs, and
// checks that one undo gives the text back exactly. Prints
//   ours_ms=<ms> count=<n> utf16_bytes=<n> extra_peak_bytes=<n> undo_restores=<0|1>
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "editctrl/edit_ctrl.h"
#include "framework/wide.h"

namespace {

using Clock = std::chrono::steady_clock;

size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof(pmc);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc));
    return std::max<size_t>(pmc.PrivateUsage, pmc.WorkingSetSize);
}

// The highest memory use seen while it lives, sampled every millisecond.
class PeakSampler {
public:
    PeakSampler() : m_peak(PrivateBytes()), m_thread([this] {
        while (!m_stop) {
            const size_t now = PrivateBytes();
            if (now > m_peak) m_peak = now;
            ::Sleep(1);
        }
    }) {}
    size_t Stop() {
        m_stop = true;
        m_thread.join();
        const size_t now = PrivateBytes();
        return now > m_peak ? now : m_peak.load();
    }

private:
    std::atomic<size_t> m_peak;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

std::u16string ReadUtf8(const char* path) {
    std::string bytes;
    if (FILE* f = std::fopen(path, "rb")) {
        char buf[1 << 16];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) bytes.append(buf, n);
        std::fclose(f);
    }
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::u16string text(std::size_t(units), u'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), AsWide(text.data()), units);
    if (!text.empty() && text.back() == u'\n') text.pop_back();  // the last line's end, as an editor shows it
    return text;
}

std::wstring Wide(const char* s) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
    std::wstring w(std::size_t(n > 0 ? n - 1 : 0), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s, -1, w.data(), n);
    return w;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <utf-8 file> <replace|filter> <pattern> [replacement]\n", argv[0]);
        return 2;
    }
    const std::string op = argv[2];
    const std::wstring pattern = Wide(argv[3]);
    const std::wstring replacement = argc > 4 ? Wide(argv[4]) : L"";

    CWnd::RegisterWindowClass(L"TORKA_BenchHost", 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    HWND host = ::CreateWindowExW(0, L"TORKA_BenchHost", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 700,
                                  nullptr, nullptr, nullptr, nullptr);
    LOGFONTW lf{};
    lf.lfHeight = -16;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfPitchAndFamily = FIXED_PITCH;
    wcscpy(lf.lfFaceName, L"ＭＳ ゴシック");
    HFONT font = ::CreateFontIndirectW(&lf);
    HDC screen = ::GetDC(nullptr);
    HDC mdc = ::CreateCompatibleDC(screen);
    HBITMAP bmp = ::CreateCompatibleBitmap(screen, 800, 600);
    ::ReleaseDC(nullptr, screen);
    ::SelectObject(mdc, bmp);

    CEditData text;
    CEditData* data = &text;
    data->SetUndoUnlimited();
    data->SetLineEndType(LineEndType::LF);  // GetText joins lines as the file had them
    CEditCtrl ctrl;
    ctrl.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, CRect(0, 0, 800, 600), host, 1);
    ctrl.SetFont(font);
    std::u16string original = ReadUtf8(argv[1]);
    data->InsertText(original.c_str(), 1);
    data->SetCaretPos(0, 0);
    data->ResetUndo();
    ctrl.SetEditData(data);
    ctrl.Relayout(0);
    ::SendMessageW(ctrl, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mdc), PRF_CLIENT);
    const size_t utf16Bytes = original.size() * sizeof(char16_t);

    // What a relayout alone costs, for reading the figure.
    const auto tl = Clock::now();
    ctrl.Relayout(0);
    const double relayoutMs = std::chrono::duration<double, std::milli>(Clock::now() - tl).count();
    const size_t before = PrivateBytes();
    PeakSampler sampler;
    int count = 0;
    const auto t = Clock::now();
    if (op == "filter")
        ctrl.FilterLines(pattern.c_str(), TRUE, TRUE, FALSE, FALSE, &count, FALSE);
    else
        ctrl.ReplaceAll(pattern.c_str(), replacement.c_str(), TRUE, TRUE, FALSE, FALSE, &count);
    ::SendMessageW(ctrl, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mdc), PRF_CLIENT);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t).count();
    const size_t peak = sampler.Stop();

    data->Undo();
    const bool restored = data->GetText() == original;
    std::printf("ours_ms=%.1f count=%d utf16_bytes=%zu extra_peak_bytes=%zu undo_restores=%d relayout_ms=%.1f\n", ms,
                count, utf16Bytes, peak > before ? peak - before : size_t(0), restored ? 1 : 0, relayoutMs);
    std::fflush(stdout);
    ctrl.DestroyWindow();
    ::DeleteObject(font);
    return 0;
}
