// The Windows side of the system procedures, starting a program and reading
// the clipboard, on the real system under Wine. The editor's macro host is
// not built yet (app/ has only the calls the frame makes of it), so the two
// host functions here stand in for the host's own; when it lands, this test installs
// the product's host instead of them. Built and registered in the cross
// build only (WINDOWS_ONLY).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/scheme/support/test_host.h"

namespace {

// Starts the command line without waiting; both handles are closed at once.
bool host_exec(void*, const char16_t* command_line) {
    std::wstring line(reinterpret_cast<const wchar_t*>(command_line));  // CreateProcessW may write to it
    STARTUPINFOW si;
    std::memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    std::memset(&pi, 0, sizeof(pi));
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

// Copies the clipboard's Unicode text, reading no further than its block,
// and closes the clipboard before the interpreter allocates anything.
char16_t* host_clipboard_text(void*, std::size_t* units) {
    *units = 0;
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(nullptr)) return nullptr;
    char16_t* copy = nullptr;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const char16_t*>(GlobalLock(h))) {
            std::size_t cap = GlobalSize(h) / sizeof(char16_t);
            std::size_t n = 0;
            while (n < cap && p[n]) ++n;
            copy = static_cast<char16_t*>(std::malloc((n + 1) * sizeof(char16_t)));
            if (copy) {
                std::memcpy(copy, p, n * sizeof(char16_t));
                copy[n] = 0;
                *units = n;
            }
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return copy;
}

struct WinInterp : scheme_test::Interp {
    WinInterp() {
        ctx->host.exec = host_exec;
        ctx->host.clipboard_text = host_clipboard_text;
    }
};

// Puts a block of the given bytes on the clipboard in the given format.
bool put_clipboard(UINT format, const void* bytes, std::size_t size) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!g) {
        CloseClipboard();
        return false;
    }
    std::memcpy(GlobalLock(g), bytes, size);
    GlobalUnlock(g);
    bool ok = SetClipboardData(format, g) != nullptr;
    CloseClipboard();
    return ok;
}

TEST(WinHost, Exec) {
    WinInterp in;
    EXPECT_EQ(in.run("(win-exec \"cmd.exe\" \"/c\" \"exit\")"), "0");
    EXPECT_EQ(in.run("(win-exec \"no-such-program-here.exe\")"),
              "Error: win-exec: can not execute \"no-such-program-here.exe \" \n");
    EXPECT_EQ(in.run("(win-exec)"), "Error: win-exec: can not execute \"\" \n");
}

TEST(WinHost, Clipboard) {
    WinInterp in;
    const char16_t text[] = u"clip\u3042";
    ASSERT_TRUE(put_clipboard(CF_UNICODETEXT, text, sizeof(text)));
    EXPECT_EQ(in.run("(win-get-clipboard-text)"), "\"clip\xE3\x81\x82\"");
    // a block without its NUL ends at the block's size (a system that puts
    // the NUL into the block's last unit itself leaves "ab")
    const char16_t unterminated[] = {u'a', u'b', u'c'};
    ASSERT_TRUE(put_clipboard(CF_UNICODETEXT, unterminated, sizeof(unterminated)));
    std::string r = in.run("(win-get-clipboard-text)");
    EXPECT_TRUE(r == "\"ab\"" || r == "\"abc\"") << r;
    // only data of another kind: the empty string
    UINT other = RegisterClipboardFormatW(L"wendrel test data");
    ASSERT_TRUE(put_clipboard(other, "xyz", 3));
    EXPECT_EQ(in.run("(win-get-clipboard-text)"), "\"\"");
    // the clipboard is left closed: another program can open it
    ASSERT_TRUE(OpenClipboard(nullptr));
    CloseClipboard();
}

}  // namespace
