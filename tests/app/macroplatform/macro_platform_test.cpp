// The editor's macro host on the Windows services it gives the interpreter
// (app/macro_platform_win.cpp), run as the program runs it (InitMacro, then
// the calls the frame makes) with no main window: files by every absolute
// path form and by Japanese names, folders not taken for files on the load
// path, Shift_JIS through the code page table, output files in UTF-16,
// file times, program starts and the fatal-error box through the seams, and
// the clipboard. What runs in a window (input box, timers, cancel key,
// status bar, editor procedures) is tested in tests/program/macro.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/macro_calls.h"
#include "app/macro_host_win.h"
#include "app/macrohost/macro_host.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "tests/support/test_files.h"

namespace {

// A path as a Scheme string literal's inside.
std::string InScheme(const std::wstring& path) { return wtest::Utf8(ToWide(MacroDoubleBackslashes(ToU16(path)))); }

struct Box {
    std::string caption, text;
    UINT type;
    HWND owner;
};

// The host started for each test on a program folder of its own (its
// scmlib holds the shipped init.scm and what a test puts there); every box
// is recorded.
class MacroPlatform : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = wtest::MakeTempFolder(L"wendrel_platform_") + L"\\";
        ::CreateDirectoryW((dir_ + L"scmlib").c_str(), nullptr);
        ::CopyFileW(wtest::SourcePath("scmlib/init.scm").c_str(), (dir_ + L"scmlib\\init.scm").c_str(), FALSE);
    }

    static void TearDownTestSuite() { wtest::RemoveFolder(dir_.substr(0, dir_.size() - 1)); }

    void SetUp() override {
        previousBox_ = SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            boxes.push_back({wtest::Utf8(r.caption), wtest::Utf8(r.text), r.type, r.owner});
            return IDOK;
        });
        ASSERT_TRUE(InitMacro(dir_, context));
        ASSERT_NE(context.macros.Calls(), nullptr);
    }

    void TearDown() override {
        ExitMacro(context);
        SetMessageBoxHandler(previousBox_);
    }

    // What a run printed (its "scheme output" box), else "[caption] text"
    // of its last box.
    std::string Output(const std::string& source) {
        boxes.clear();
        context.macros.Calls()->RunText(wtest::FromUtf8(source));
        for (const Box& b : boxes)
            if (b.caption == "scheme output") return b.text;
        return boxes.empty() ? "" : "[" + boxes.back().caption + "] " + boxes.back().text;
    }

    CAppContext context;
    std::vector<Box> boxes;
    MessageBoxHandler previousBox_;
    static inline std::wstring dir_;
};

TEST_F(MacroPlatform, LoadOpensEveryAbsolutePathFormAsItStands) {
    const std::wstring file = dir_ + L"abs.scm";
    wtest::WriteBytes(file, "(display \"abs\")");
    ASSERT_GT(file.size(), 3u);
    ASSERT_EQ(file[1], L':');
    std::wstring lower = file, slashes = file;
    lower[0] = static_cast<wchar_t>(::towlower(lower[0]));
    for (wchar_t& c : slashes)
        if (c == L'\\') c = L'/';
    for (const std::wstring& path : {lower, slashes, L"\\\\?\\" + file, L"\\\\.\\" + file})
        EXPECT_EQ(Output("(load \"" + InScheme(path) + "\")"), "abs") << wtest::Utf8(path);
    // An absolute name that names no file is not looked for on the load
    // path, where the joined name would find one: \\server\share (a server
    // nobody answers) as well.
    const std::wstring lib = dir_ + L"scmlib\\";
    ::CreateDirectoryW((lib + L"no-such-server").c_str(), nullptr);
    ::CreateDirectoryW((lib + L"no-such-server\\share").c_str(), nullptr);
    wtest::WriteBytes(lib + L"no-such-server\\share\\abs.scm", "(display \"joined\")");
    for (const std::wstring& path : {dir_ + L"none.scm", std::wstring(L"\\\\no-such-server\\share\\abs.scm")}) {
        const std::string result = Output("(load \"" + InScheme(path) + "\")");
        EXPECT_EQ(result.rfind("[scheme error] Error: load: can not find file", 0), 0u) << result;
    }
}

TEST_F(MacroPlatform, LoadPathFindsJapaneseNamesAndPassesOverFolders) {
    const std::wstring lib = dir_ + L"scmlib\\";
    wtest::WriteBytes(lib + L"\x30ED\x30FC\x30C9.scm", "(display \"kana\")");  // ロード.scm
    wtest::WriteBytes(lib + L"mod.scm", "(display \"mod\")");
    EXPECT_EQ(Output("(load \"\xE3\x83\xAD\xE3\x83\xBC\xE3\x83\x89.scm\")"), "kana");
    EXPECT_EQ(Output("(require \"mod\")"), "mod");
    EXPECT_EQ(Output("(use mod)"), "mod");

    // A folder of the file's name on the first entry is not the file.
    ::CreateDirectoryW((dir_ + L"first").c_str(), nullptr);
    ::CreateDirectoryW((dir_ + L"first\\twice.scm").c_str(), nullptr);
    ::CreateDirectoryW((dir_ + L"second").c_str(), nullptr);
    wtest::WriteBytes(dir_ + L"second\\twice.scm", "(display \"second\")");
    EXPECT_EQ(Output("(set! *load-path* (list \"" + InScheme(dir_ + L"first") + "\" \"" +
                     InScheme(dir_ + L"second") + "\")) (load \"twice.scm\")"),
              "second");
}

TEST_F(MacroPlatform, ShiftJisSourceDecodesThroughTheCodePageTable) {
    // Half-width katakana, NEC and IBM extension characters and the
    // code page's own full-width tilde; then a long string whose pairs
    // straddle the reads (an odd offset), and a lone lead byte at the end.
    std::string source = "(display \"\xB1\x87\x40\xFB\xFC\x81\x60\")(define s \"abc";
    for (int i = 0; i < 1500; ++i) source += "\x8A\xBF";  // 漢
    source += "\")(display (list (string-length s) (string=? s (string-append \"abc\" (make-string 1500 #\\\x8A\xBF)))))";
    source += "\x81";
    wtest::WriteBytes(dir_ + L"sjis.scm", source);
    EXPECT_EQ(Output("(load \"" + InScheme(dir_ + L"sjis.scm") + "\")"),
              "\xEF\xBD\xB1\xE2\x91\xA0\xE9\xAB\x99\xEF\xBD\x9E(1503 #t)");  // ｱ①髙～
}

TEST_F(MacroPlatform, OutputFilesTakeUtf16UnitsAndStatReadsSizeAndTime) {
    const std::wstring out = dir_ + L"\x51FA\x529B.txt";  // 出力.txt
    EXPECT_EQ(Output("(define p (open-output-file \"" + InScheme(out) +
                     "\")) (display \"a\xE3\x81\x82\" p) (close-output-port p)"),
              "");
    EXPECT_EQ(wtest::ReadBytes(out), std::string("a\0\x42\x30", 4));

    // 2001-09-09 01:46:40 UTC is 1000000000 seconds after 1970.
    HANDLE f = ::CreateFileW(out.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    ULARGE_INTEGER t;
    t.QuadPart = (1000000000ULL + 11644473600ULL) * 10000000ULL;
    FILETIME ft{t.LowPart, t.HighPart};
    ASSERT_TRUE(::SetFileTime(f, nullptr, nullptr, &ft));
    ::CloseHandle(f);
    EXPECT_EQ(Output("(define st (sys-stat \"" + InScheme(out) +
                     "\")) (display (list (slot-ref st 'size) (slot-ref st 'mtime)))"),
              "(4 1000000000)");
    const std::string missing = Output("(sys-stat \"" + InScheme(dir_ + L"none.txt") + "\")");
    EXPECT_NE(missing.find("sys-stat: stat error:"), std::string::npos) << missing;
}

TEST_F(MacroPlatform, ProgramStartsGoThroughTheProcessSeam) {
    std::vector<ProcessStartRequest> starts;
    bool accept = true;
    ProcessStartHandler previous = SetProcessStartHandler([&](const ProcessStartRequest& r) {
        starts.push_back(r);
        return accept;
    });
    EXPECT_EQ(Output("(display (win-exec \"notepad.exe\" \"a b.txt\"))"), "0");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].kind, ProcessStartRequest::Process);
    EXPECT_EQ(starts[0].parameters, L"notepad.exe a b.txt ");
    EXPECT_TRUE(starts[0].application.empty());
    EXPECT_FALSE(starts[0].waitForIdle);
    accept = false;
    EXPECT_EQ(Output("(win-exec \"refused.exe\")"),
              "[scheme error] Error: win-exec: can not execute \"refused.exe \" \n");
    SetProcessStartHandler(previous);

    // Without a handler the system starts it.
    EXPECT_EQ(Output("(display (win-exec \"cmd.exe\" \"/c\" \"exit\"))"), "0");
    EXPECT_EQ(Output("(win-exec \"no-such-program-here.exe\")"),
              "[scheme error] Error: win-exec: can not execute \"no-such-program-here.exe \" \n");
}

TEST_F(MacroPlatform, FatalErrorShowsTheErrorBoxWithoutAnOwner) {
    Output("(make-string 1100000000)");
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].caption, "scheme fatal error");
    EXPECT_EQ(boxes[0].text, "fatal error: no memory");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes[0].owner, nullptr);
}

// Puts a block of the given bytes on the clipboard in the given format.
bool PutClipboard(UINT format, const void* bytes, std::size_t size) {
    if (!::OpenClipboard(nullptr)) return false;
    ::EmptyClipboard();
    HGLOBAL g = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!g) {
        ::CloseClipboard();
        return false;
    }
    std::memcpy(::GlobalLock(g), bytes, size);
    ::GlobalUnlock(g);
    const bool ok = ::SetClipboardData(format, g) != nullptr;
    ::CloseClipboard();
    return ok;
}

TEST_F(MacroPlatform, ClipboardTextIsCopiedWithinItsBlock) {
    const char16_t text[] = u"clip\u3042";
    ASSERT_TRUE(PutClipboard(CF_UNICODETEXT, text, sizeof(text)));
    EXPECT_EQ(Output("(write (win-get-clipboard-text))"), "\"clip\xE3\x81\x82\"");
    // A block without its NUL ends at the block's size (a system that puts
    // the NUL into the block's last unit itself leaves "ab").
    const char16_t unterminated[] = {u'a', u'b', u'c'};
    ASSERT_TRUE(PutClipboard(CF_UNICODETEXT, unterminated, sizeof(unterminated)));
    const std::string r = Output("(write (win-get-clipboard-text))");
    EXPECT_TRUE(r == "\"ab\"" || r == "\"abc\"") << r;
    // Only data of another kind: the empty string.
    ASSERT_TRUE(PutClipboard(::RegisterClipboardFormatW(L"wendrel test data"), "xyz", 3));
    EXPECT_EQ(Output("(write (win-get-clipboard-text))"), "\"\"");
    // The clipboard is left closed: another program can open it.
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::CloseClipboard();
}

}  // namespace
