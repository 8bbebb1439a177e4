#include "app/base/winutil.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/seams.h"

namespace {

struct Recorded {
    std::vector<std::wstring> boxes;     // "caption|text"
    std::vector<std::wstring> processes; // command lines
    std::vector<std::wstring> applications;
    std::vector<std::wstring> opened;    // "verb|file"
    bool startSucceeds = true;
};
Recorded rec;

// A fresh folder under the test output with the seams recording.
class WinUtil : public ::testing::Test {
protected:
    void SetUp() override {
        rec = Recorded{};
        SetMessageBoxHandler([](const MessageBoxRequest& r) {
            rec.boxes.push_back(r.caption + L"|" + r.text);
            return IDOK;
        });
        SetProcessStartHandler([](const ProcessStartRequest& r) {
            if (r.kind == ProcessStartRequest::Process) {
                rec.processes.push_back(r.parameters);
                rec.applications.push_back(r.application);
                return rec.startSucceeds;
            }
            rec.opened.push_back(r.verb + L"|" + r.file);
            return true;
        });
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        root_ = std::wstring(tmp) + L"wutil_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(root_.c_str(), nullptr);
        GetLongPathNameW(root_.c_str(), tmp, MAX_PATH);
        root_ = tmp;
    }
    void TearDown() override {
        SetMessageBoxHandler(nullptr);
        SetProcessStartHandler(nullptr);
        SetCurrentDirectoryW(L"C:\\");
        RemoveTree(root_);
    }
    static void RemoveTree(const std::wstring& dir) {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = fd.cFileName;
                if (name == L"." || name == L"..") continue;
                std::wstring p = dir + L"\\" + name;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(p);
                else
                    DeleteFileW(p.c_str());
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryW(dir.c_str());
    }
    void Touch(const std::wstring& path) {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
    }
    std::wstring root_;
};

TEST_F(WinUtil, ModuleDirHoldsTheRunningProgram) {
    const std::wstring dir = GetModuleDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), L'\\');
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(std::wstring(self).rfind(dir, 0), 0u);
    EXPECT_EQ(std::wstring(self).find(L'\\', dir.size()), std::wstring::npos);
}

TEST_F(WinUtil, LongPathTakesTheNamesAsStoredOnDisk) {
    CreateDirectoryW((root_ + L"\\Mixed Case 日本").c_str(), nullptr);
    Touch(root_ + L"\\Mixed Case 日本\\File.TXT");
    std::wstring out;
    const std::wstring lower = root_ + L"\\mixed case 日本\\file.txt";
    ASSERT_EQ(GetLongPath(lower.c_str(), out), 1);
    EXPECT_EQ(out, root_ + L"\\Mixed Case 日本\\File.TXT");
    // Nothing after a file is looked at; a missing element fails.
    ASSERT_EQ(GetLongPath((lower + L"\\more").c_str(), out), 1);
    EXPECT_EQ(out, root_ + L"\\Mixed Case 日本\\File.TXT");
    EXPECT_EQ(GetLongPath((root_ + L"\\absent\\x").c_str(), out), 0);
    EXPECT_EQ(GetLongPath(L"relative\\x", out), 0);
    EXPECT_EQ(GetLongPath((root_ + L"\\*").c_str(), out), 0);
    ASSERT_EQ(GetLongPath(L"C:\\", out), 1);
    EXPECT_EQ(out, L"C:\\");
}

TEST_F(WinUtil, FileAndFolderTests) {
    Touch(root_ + L"\\f.txt");
    EXPECT_TRUE(IsFileExist((root_ + L"\\f.txt").c_str()));
    EXPECT_FALSE(IsFileExist(root_.c_str()));
    EXPECT_FALSE(IsFileExist((root_ + L"\\none").c_str()));
    EXPECT_TRUE(IsDirectory(root_.c_str()));
    EXPECT_TRUE(IsDirectory((root_ + L"\\").c_str()));
    EXPECT_TRUE(IsDirectory(L"C:"));
    EXPECT_TRUE(IsDirectory(L"C:\\"));
    EXPECT_FALSE(IsDirectory((root_ + L"\\f.txt").c_str()));
    EXPECT_FALSE(IsDirectory(L""));
}

TEST_F(WinUtil, FullPathUsesTheCurrentFolder) {
    const std::wstring deep = root_ + L"\\a\\b";
    CreateDirectoryW((root_ + L"\\a").c_str(), nullptr);
    CreateDirectoryW(deep.c_str(), nullptr);
    ASSERT_TRUE(SetCurrentDirectoryW(deep.c_str()));
    std::wstring p = L"..\\..\\x.txt";
    MakeFullPath(p);
    EXPECT_EQ(p, root_ + L"\\x.txt");
    p = L"\\x";
    MakeFullPath(p);
    EXPECT_EQ(p, root_.substr(0, 2) + L"\\x");
    p = L"D:\\x";
    MakeFullPath(p);
    EXPECT_EQ(p, L"D:\\x");

    Touch(deep + L"\\Opened.txt");
    EXPECT_EQ(GetOpenedFilePath(L"Opened.txt"), deep + L"\\Opened.txt");
    EXPECT_EQ(GetOpenedFilePath(L"missing.txt"), L"missing.txt");
}

TEST_F(WinUtil, VersionStringOfAModuleWithAndWithoutVersionBlock) {
    wchar_t sys[MAX_PATH];
    GetSystemDirectoryW(sys, MAX_PATH);
    std::wstring out;
    ASSERT_EQ(GetFileVersionString((std::wstring(sys) + L"\\kernel32.dll").c_str(), out), 1);
    int dots = 0;
    for (wchar_t c : out) {
        if (c == L'.') ++dots;
        else EXPECT_TRUE(c >= L'0' && c <= L'9');
    }
    EXPECT_EQ(dots, 3);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    out = L"unchanged";
    EXPECT_EQ(GetFileVersionString(self, out), 0);
    EXPECT_EQ(out, L"unchanged");
}

TEST_F(WinUtil, BrowserStartsByItsQuotedPathAndReportsAMissingProgramOrAFailure) {
    CreateDirectoryW((root_ + L"\\Web Browser").c_str(), nullptr);
    const std::wstring web = root_ + L"\\Web Browser\\web.exe";
    Touch(web);
    EXPECT_TRUE(ExecBrowser(web.c_str(), L"C:\\my docs\\a.html"));
    ASSERT_EQ(rec.processes.size(), 1u);
    EXPECT_EQ(rec.processes[0], L"\"" + web + L"\" \"C:\\my docs\\a.html\"");
    EXPECT_EQ(rec.applications[0], web);
    EXPECT_TRUE(rec.boxes.empty());

    rec.startSucceeds = false;
    EXPECT_FALSE(ExecBrowser(web.c_str(), L"x"));
    ASSERT_EQ(rec.boxes.size(), 1u);
    EXPECT_EQ(rec.boxes[0], L"Error|アプリケーションの起動に失敗しました。\n"
                            L"ツール→オプション→設定タブで，ブラウザの設定を確認してください。");

    // A setting naming no program starts nothing and says which it is.
    for (const wchar_t* missing : {L"C:\\none\\none.exe", L"", L"web.exe"}) {
        rec.boxes.clear();
        EXPECT_FALSE(ExecBrowser(missing, L"x"));
        ASSERT_EQ(rec.boxes.size(), 1u);
        EXPECT_EQ(rec.boxes[0], std::wstring(L"Error|ブラウザのプログラムが見つかりません。\n") + missing +
                                    L"\nツール→オプション→設定タブで，ブラウザの設定を確認してください。");
    }
    EXPECT_EQ(rec.processes.size(), 2u);
}

TEST_F(WinUtil, OpenUrlStartsTheBrowserWhenNoServiceAnswers) {
    const std::wstring web = root_ + L"\\web.exe";
    Touch(web);
    EXPECT_TRUE(OpenURL(L"NO_SUCH_BROWSER_SERVICE", L"http://example.invalid/", web.c_str()));
    ASSERT_EQ(rec.processes.size(), 1u);
    EXPECT_EQ(rec.processes[0], L"\"" + web + L"\" \"http://example.invalid/\"");
}

TEST_F(WinUtil, HelpDocumentOpensOnlyAnExistingFile) {
    OpenHelpDocument(L"no_such_help_file.html");
    EXPECT_TRUE(rec.opened.empty());
    ASSERT_EQ(rec.boxes.size(), 1u);
    EXPECT_EQ(rec.boxes[0], L"Error|ファイルが見つかりません");

    const std::wstring docDir = GetModuleDir() + L"doc";
    const bool made = CreateDirectoryW(docDir.c_str(), nullptr);
    Touch(docDir + L"\\help_test.html");
    OpenHelpDocument(L"help_test.html");
    DeleteFileW((docDir + L"\\help_test.html").c_str());
    if (made) RemoveDirectoryW(docDir.c_str());
    ASSERT_EQ(rec.opened.size(), 1u);
    EXPECT_EQ(rec.opened[0], L"open|" + docDir + L"\\help_test.html");
}

// Stands in for the folder dialog: records the selection it is asked for.
std::wstring selected;
LRESULT CALLBACK FakeDialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == BFFM_SETSELECTIONW && wp == TRUE) {
        selected = reinterpret_cast<const wchar_t*>(lp);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

TEST_F(WinUtil, BrowseCallbackSelectsTheInitialFolder) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = FakeDialogProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"WUtilFakeBrowse";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowW(L"WUtilFakeBrowse", L"", 0, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr);
    const wchar_t* start = L"C:\\start 日本";
    BrowseFolderCallback(hwnd, BFFM_SELCHANGED, 0, reinterpret_cast<LPARAM>(start));
    EXPECT_TRUE(selected.empty());
    BrowseFolderCallback(hwnd, BFFM_INITIALIZED, 0, reinterpret_cast<LPARAM>(start));
    EXPECT_EQ(selected, start);
    DestroyWindow(hwnd);
}

// The real folder picker opens on the folder it is given, not on the top
// of the drive: its tree's selected item is that folder.
std::wstring g_pickerSelection;
const wchar_t* const g_pickerExpected = L"inner folder";
int g_pickerTicks = 0;

BOOL CALLBACK FindPicker(HWND w, LPARAM found) {
    wchar_t cls[32] = {};
    ::GetClassNameW(w, cls, 32);
    if (std::wstring(cls) == L"#32770" && ::IsWindowVisible(w)) *reinterpret_cast<HWND*>(found) = w;
    return TRUE;
}

BOOL CALLBACK FindTree(HWND w, LPARAM found) {
    wchar_t cls[32] = {};
    ::GetClassNameW(w, cls, 32);
    if (std::wstring(cls) == WC_TREEVIEWW) *reinterpret_cast<HWND*>(found) = w;
    return TRUE;
}

void CALLBACK ReadPicker(HWND, UINT, UINT_PTR id, DWORD) {
    HWND picker = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindPicker, reinterpret_cast<LPARAM>(&picker));
    if (!picker) {
        if (++g_pickerTicks > 100) ::KillTimer(nullptr, id);
        return;
    }
    HWND tree = nullptr;
    ::EnumChildWindows(picker, FindTree, reinterpret_cast<LPARAM>(&tree));
    if (tree) {
        wchar_t text[MAX_PATH] = {};
        TVITEMW item{};
        item.mask = TVIF_TEXT;
        item.hItem = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        if (item.hItem) ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        g_pickerSelection = text;
    }
    // The tree expands to the folder in steps: read again until it is there
    // or the time is up.
    if (g_pickerSelection != g_pickerExpected && ++g_pickerTicks < 300) return;
    ::KillTimer(nullptr, id);
    ::PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(WinUtil, TheFolderPickerOpensOnTheGivenFolder) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring outer = std::wstring(temp) + L"picker start", inner = outer + L"\\inner folder";
    ::CreateDirectoryW(outer.c_str(), nullptr);
    ::CreateDirectoryW(inner.c_str(), nullptr);
    BROWSEINFOW bi{};
    bi.lpszTitle = L"検索フォルダの選択";
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    bi.lpfn = BrowseFolderCallback;
    bi.lParam = reinterpret_cast<LPARAM>(inner.c_str());
    // Rooted at the outer folder, the picker lists no drives: a host whose
    // root folder cannot be read (as in some sandboxes) leaves it unharmed.
    PIDLIST_ABSOLUTE root = nullptr;
    ASSERT_EQ(::SHParseDisplayName(outer.c_str(), nullptr, &root, 0, nullptr), S_OK);
    bi.pidlRoot = root;
    g_pickerSelection.clear();
    g_pickerTicks = 0;
    ::SetTimer(nullptr, 0, 100, ReadPicker);
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&bi);
    if (chosen) ::CoTaskMemFree(chosen);
    ::CoTaskMemFree(root);
    EXPECT_EQ(g_pickerSelection, g_pickerExpected);
    ::RemoveDirectoryW(inner.c_str());
    ::RemoveDirectoryW(outer.c_str());
}

}  // namespace
