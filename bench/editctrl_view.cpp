// Editing window benchmark, run under Wine: the first paint of a 10 MB file,
// a full relayout in each wrap mode, one keystroke that inserts a line at the
// top, typing 10,000 characters one WM_CHAR at a time (at the end of the text
// and in its middle; layout update and paint included) and a Shift+Ctrl+End
// selection from the top, at 10^3 and 10^6 lines. The peer is the system's
// multi-line EDIT control on the same text, wrapping at the same width
// (none, or the window's); where it has no honest counterpart (fixed-column
// wrapping, 10^6 lines) the figure is printed alone as an absolute one, with
// the growth from 10^3 to 10^6 lines beside it; the selection's figure has
// its CPU time beside.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "editctrl/edit_ctrl.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

void PrintLine(const char* name, double ours, const char* peerName, double peer) {
    std::printf("bench: %s ours=%.3fms %s=%.3fms ratio=%.3f\n", name, ours, peerName, peer, peer > 0 ? ours / peer : 0.0);
    std::fflush(stdout);
}

// A figure without a peer; growth is the same case's figure at 10^6 lines
// over its figure at 10^3 (0: not measured at both sizes); cpu, when not
// negative, the CPU time beside a figure in ms.
void PrintAbsolute(const char* name, double ours, const char* unit, double growth = 0, double cpu = -1) {
    char cpuText[32] = "";
    if (cpu >= 0) std::snprintf(cpuText, sizeof(cpuText), " cpu=%.3fms", cpu);
    if (growth > 0)
        std::printf("bench: %s ours=%.3f%s%s (absolute, no peer) growth_1e6_over_1e3=%.3f\n", name, ours, unit,
                    cpuText, growth);
    else
        std::printf("bench: %s ours=%.3f%s%s (absolute, no peer)\n", name, ours, unit, cpuText);
    std::fflush(stdout);
}

// Lines of mixed Japanese and ASCII code-like text; eol between lines.
std::u16string MakeText(int lines, int width, const char16_t* eol) {
    static const char16_t alphabet[] = u"int x = 0; // 日本語のコメント abc(def) { return \"かな\"; }\t";
    const int n = static_cast<int>(sizeof(alphabet) / sizeof(alphabet[0])) - 1;
    std::u16string text;
    text.reserve(static_cast<size_t>(lines) * static_cast<size_t>(width + 2));
    unsigned seed = 99;
    for (int i = 0; i < lines; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int w = width / 2 + static_cast<int>((seed >> 16) % static_cast<unsigned>(width));
        for (int j = 0; j < w; ++j) text += alphabet[(static_cast<unsigned>(j) + seed) % static_cast<unsigned>(n)];
        if (i + 1 < lines) text += eol;
    }
    return text;
}

void PrintClient(HWND hwnd, HDC mdc) { ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mdc), PRF_CLIENT); }

struct Host {
    HWND hwnd;
    HDC mdc;
    HBITMAP bmp;
    Host() {
        CWnd::RegisterWindowClass(L"TORKA_BenchHost", 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
        hwnd = ::CreateWindowExW(0, L"TORKA_BenchHost", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 700,
                                 nullptr, nullptr, nullptr, nullptr);
        HDC screen = ::GetDC(nullptr);
        mdc = ::CreateCompatibleDC(screen);
        bmp = ::CreateCompatibleBitmap(screen, 800, 600);
        ::ReleaseDC(nullptr, screen);
        ::SelectObject(mdc, bmp);
    }
};

HFONT MakeFont() {
    LOGFONTW lf{};
    lf.lfHeight = -16;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfPitchAndFamily = FIXED_PITCH;
    wcscpy(lf.lfFaceName, L"ＭＳ ゴシック");
    return ::CreateFontIndirectW(&lf);
}

struct Ours {
    CEditData data;
    CEditCtrl ctrl;
    Ours(Host& host, HFONT font) {
        ctrl.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, CRect(0, 0, 800, 600), host.hwnd, 1);
        ctrl.SetFont(font);
    }
    ~Ours() { ctrl.DestroyWindow(); }
};

HWND MakePeer(Host& host, HFONT font, bool wrap) {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | (wrap ? 0 : (WS_HSCROLL | ES_AUTOHSCROLL));
    HWND edit = ::CreateWindowExW(0, L"EDIT", L"", style, 0, 0, 800, 600, host.hwnd, nullptr, nullptr, nullptr);
    ::SendMessageW(edit, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return edit;
}

void FirstPaint(Host& host, HFONT font) {
    // About 10 MB as a Shift_JIS file.
    const std::u16string text = MakeText(190000, 50, u"\n");
    Ours ours(host, font);
    auto t = Clock::now();
    ours.data.InsertText(text.c_str(), 1);
    ours.data.SetCaretPos(0, 0);
    ours.ctrl.SetEditData(&ours.data);  // measures and wraps every line
    PrintClient(ours.ctrl, host.mdc);
    const double oursMs = MsSince(t);

    const std::u16string crlf = MakeText(190000, 50, u"\r\n");
    HWND edit = MakePeer(host, font, false);
    t = Clock::now();
    ::SetWindowTextW(edit, reinterpret_cast<const wchar_t*>(crlf.c_str()));
    PrintClient(edit, host.mdc);
    const double peerMs = MsSince(t);
    ::DestroyWindow(edit);
    PrintLine("first_paint_10MB", oursMs, "edit", peerMs);
}

double g_layout1e3[3];
double g_keystroke1e3[2];

void Layout(Host& host, HFONT font, int lines) {
    const std::u16string text = MakeText(lines, 60, u"\n");
    Ours ours(host, font);
    ours.data.InsertText(text.c_str(), 1);
    ours.data.SetCaretPos(0, 0);
    ours.ctrl.SetEditData(&ours.data);
    static const char* const kModes[] = {"nowrap", "window", "col40"};
    for (int mode = 0; mode < 3; ++mode) {
        ours.ctrl.SetWrapMode(WrapModeFromNumber(mode), 40);
        auto t = Clock::now();
        ours.ctrl.RecalcLayout(0, true);
        const double oursMs = MsSince(t);
        char name[64];
        std::snprintf(name, sizeof(name), "recalc_layout_%s_%d", kModes[mode], lines);
        if (lines > 1000) {
            PrintAbsolute(name, oursMs, "ms", g_layout1e3[mode] > 0 ? oursMs / g_layout1e3[mode] : 0);
            continue;
        }
        g_layout1e3[mode] = oursMs;
        if (mode == 2) {
            // The EDIT control wraps only at its window's width.
            PrintAbsolute(name, oursMs, "ms");
            continue;
        }

        const std::u16string crlf = MakeText(lines, 60, u"\r\n");
        HWND edit = MakePeer(host, font, mode != 0);
        ::SetWindowTextW(edit, reinterpret_cast<const wchar_t*>(crlf.c_str()));
        t = Clock::now();
        // A font change makes the EDIT control lay every line out again.
        ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        ::SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
        const double peerMs = MsSince(t);
        ::DestroyWindow(edit);
        PrintLine(name, oursMs, "edit", peerMs);
    }
}

// One typed line at the top: the text, the layout update, the paint.
void TypeLineAtTop(Ours& ours, HDC mdc) {
    ours.data.SetCaretPos(0, 0);
    ours.data.InsertText(u"x\n", 1);
    ours.ctrl.RecalcLineWidth(false, 0, 2);
    ours.ctrl.UpdateLineStates(0, 1);
    ours.ctrl.UpdateScrollBars();
    ours.ctrl.UpdateCaret(0);
    PrintClient(ours.ctrl, mdc);
}

void Keystroke(Host& host, HFONT font, int lines) {
    const std::u16string text = MakeText(lines, 60, u"\n");
    for (WrapMode mode : {WrapMode::None, WrapMode::FixedColumns}) {
        Ours ours(host, font);
        ours.data.InsertText(text.c_str(), 1);
        ours.data.SetCaretPos(0, 0);
        ours.ctrl.SetEditData(&ours.data);
        ours.ctrl.SetWrapMode(mode, 40);
        ours.ctrl.Relayout(0);
        PrintClient(ours.ctrl, host.mdc);
        // The first edit at the top moves the gaps of the line stores there.
        ours.data.InsertText(u"x\n", 1);
        ours.ctrl.RecalcLineWidth(false, 0, 2);
        const int reps = 20;
        auto t = Clock::now();
        for (int i = 0; i < reps; ++i) TypeLineAtTop(ours, host.mdc);
        const double oursMs = MsSince(t) / reps;
        char name[64];
        const bool wraps = mode != WrapMode::None;
        std::snprintf(name, sizeof(name), "keystroke_top_line_%s_%d", wraps ? "col40" : "nowrap", lines);
        double& small = g_keystroke1e3[wraps ? 1 : 0];
        if (lines <= 1000) small = oursMs;
        PrintAbsolute(name, oursMs, "ms", lines > 1000 && small > 0 ? oursMs / small : 0);
    }
    if (lines > 1000) return;
    const std::u16string crlf = MakeText(lines, 60, u"\r\n");
    HWND edit = MakePeer(host, font, false);
    ::SetWindowTextW(edit, reinterpret_cast<const wchar_t*>(crlf.c_str()));
    Ours ours(host, font);
    ours.data.InsertText(text.c_str(), 1);
    ours.data.SetCaretPos(0, 0);
    ours.ctrl.SetEditData(&ours.data);
    ours.ctrl.Relayout(0);
    ours.data.InsertText(u"x\n", 1);
    ours.ctrl.RecalcLineWidth(false, 0, 2);
    ::SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"x\r\n"));
    const int reps = 5;
    auto t = Clock::now();
    for (int i = 0; i < reps; ++i) TypeLineAtTop(ours, host.mdc);
    const double oursMs = MsSince(t) / reps;
    t = Clock::now();
    for (int i = 0; i < reps; ++i) {
        ::SendMessageW(edit, EM_SETSEL, 0, 0);
        ::SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"x\r\n"));
        PrintClient(edit, host.mdc);
    }
    const double peerMs = MsSince(t) / reps;
    ::DestroyWindow(edit);
    char name[64];
    std::snprintf(name, sizeof(name), "keystroke_top_line_edit_%d", lines);
    PrintLine(name, oursMs, "edit", peerMs);
}

// The characters a person types: words, a line end every 50 characters.
char16_t TypedChar(int i) {
    static const char16_t words[] = u"typing some text into the editor ";
    if (i % 50 == 49) return u'\r';
    return words[i % (sizeof(words) / sizeof(words[0]) - 1)];
}

void SetModifiers(bool shift, bool ctrl) {
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

double g_typing1e3[2], g_select1e3;

// Microseconds per character of 10,000 WM_CHAR messages, each painted.
double TypeInto(HWND window, int count) {
    auto t = Clock::now();
    for (int i = 0; i < count; ++i) {
        ::SendMessageW(window, WM_CHAR, TypedChar(i), 1);
        ::UpdateWindow(window);
    }
    return MsSince(t) * 1000.0 / count;
}

void Typing(Host& host, HFONT font, int lines) {
    const int count = 10000;
    const std::u16string text = MakeText(lines, 60, u"\n");
    static const char* const kPlaces[] = {"end", "middle"};
    for (int place = 0; place < 2; ++place) {
        Ours ours(host, font);
        ours.data.InsertText(text.c_str(), 1);
        ours.data.SetUndoUnlimited();
        ours.ctrl.SetEditData(&ours.data);
        const int line = place == 0 ? lines - 1 : lines / 2;
        ours.data.SetCaretPos(line, place == 0 ? ours.data.GetLineLength(line) : 0);
        ours.ctrl.SetFocus();
        ours.ctrl.UpdateCaret(1);
        ::UpdateWindow(ours.ctrl);
        const double oursUs = TypeInto(ours.ctrl, count);
        char name[64];
        std::snprintf(name, sizeof(name), "type_char_%s_%d", kPlaces[place], lines);
        if (lines <= 1000) g_typing1e3[place] = oursUs;
        const double growth = lines > 1000 && g_typing1e3[place] > 0 ? oursUs / g_typing1e3[place] : 0;
        if (lines > 1000 || place == 1) {
            PrintAbsolute(name, oursUs, "us", growth);
            continue;
        }
        // The EDIT control typed into at the same place of the same text.
        const std::u16string crlf = MakeText(lines, 60, u"\r\n");
        HWND edit = MakePeer(host, font, false);
        ::SetWindowTextW(edit, reinterpret_cast<const wchar_t*>(crlf.c_str()));
        const LRESULT end = ::SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
        ::SendMessageW(edit, EM_SETSEL, end, end);
        ::SetFocus(edit);
        ::UpdateWindow(edit);
        const double peerUs = TypeInto(edit, count);
        ::DestroyWindow(edit);
        std::printf("bench: %s ours=%.3fus edit=%.3fus ratio=%.3f\n", name, oursUs, peerUs, oursUs / peerUs);
        std::fflush(stdout);
    }
}

// CPU time of this thread so far, in milliseconds.
double ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    auto ms = [](const FILETIME& f) {
        return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

// Shift+Ctrl+End from the top: the selection's redraw.
void SelectToEnd(Host& host, HFONT font, int lines) {
    const std::u16string text = MakeText(lines, 60, u"\n");
    Ours ours(host, font);
    ours.data.InsertText(text.c_str(), 1);
    ours.ctrl.SetEditData(&ours.data);
    ours.ctrl.SetFocus();
    const int reps = 20;
    double total = 0, cpu = 0;
    for (int i = 0; i < reps; ++i) {
        ours.ctrl.Model().ClearSelection(true);
        ours.ctrl.Model().MoveToTextStart(false);
        ::UpdateWindow(ours.ctrl);
        SetModifiers(true, true);
        const double cpuBefore = ThreadCpuMs();
        auto t = Clock::now();
        ::SendMessageW(ours.ctrl, WM_KEYDOWN, VK_END, 1);
        ::UpdateWindow(ours.ctrl);
        total += MsSince(t);
        cpu += ThreadCpuMs() - cpuBefore;
        SetModifiers(false, false);
    }
    const double oursMs = total / reps;
    char name[64];
    std::snprintf(name, sizeof(name), "select_to_text_end_%d", lines);
    if (lines <= 1000) g_select1e3 = oursMs;
    const double growth = lines > 1000 && g_select1e3 > 0 ? oursMs / g_select1e3 : 0;
    PrintAbsolute(name, oursMs, "ms", growth, cpu / reps);
}

}  // namespace

int main(int argc, char** argv) {
    Host host;
    HFONT font = MakeFont();
    const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
    // --input: only typing and selecting, at both sizes; --select: only selecting.
    const bool inputOnly = argc > 1 && std::string(argv[1]) == "--input";
    const bool selectOnly = argc > 1 && std::string(argv[1]) == "--select";
    for (int lines : {1000, 1000000}) {
        if (quick && lines > 1000) break;
        if (selectOnly) {
            SelectToEnd(host, font, lines);
            continue;
        }
        if (inputOnly) {
            Typing(host, font, lines);
            SelectToEnd(host, font, lines);
            continue;
        }
        Keystroke(host, font, lines);
        Typing(host, font, lines);
        SelectToEnd(host, font, lines);
        Layout(host, font, lines);
    }
    if (!quick && !inputOnly && !selectOnly) FirstPaint(host, font);
    ::DeleteObject(font);
    return 0;
}
