// sulki's dialog with its real template: the command line into the fields,
// the search button's enabling, searches over a fixture tree in mixed
// encodings whose result view holds what the engine writes, every result
// of the engine told to the user, histories, placement, the editor's
// display settings, and a double-click handing a hit to an editor.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/base/torka_win_app.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "grep/engine/grep_engine.h"
#include "grep/ui/sulki_dlg.h"
#include "grep/ui/sulki_resource.h"
#include "grep/winfs/grep_folder_win.h"
#include "tests/framework/window_test_support.h"
#include "tests/grep/fake_editor.h"
#include "app/base/instance_handoff.h"
#include "grep/engine/grep_result_line.h"

namespace {

CTorkaWinApp theTestApp;

std::wstring TempRoot() {
    static std::wstring root = [] {
        wchar_t tmp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, tmp);
        ::GetLongPathNameW(tmp, tmp, MAX_PATH);
        std::wstring r = std::wstring(tmp) + L"sulki dlg " + std::to_wstring(::GetCurrentProcessId()) + L"\\";
        ::CreateDirectoryW(r.c_str(), nullptr);
        return r;
    }();
    return root;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    ::CloseHandle(h);
}

std::string ReadBytes(const std::wstring& path) {
    const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string s(1 << 16, '\0');
    DWORD n = 0;
    ::ReadFile(h, s.data(), static_cast<DWORD>(s.size()), &n, nullptr);
    ::CloseHandle(h);
    s.resize(n);
    return s;
}

std::wstring Text(HWND hwnd) {
    wchar_t buf[1024] = {};
    ::GetWindowTextW(hwnd, buf, 1024);
    return buf;
}

// The program folder of the dialog: the editor beside it, and its settings.
std::wstring ProgramDir() {
    const std::wstring dir = TempRoot() + L"prog\\";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    WriteBytes(dir + L"wendrel.exe", "");
    return dir;
}

const char kEditorIni[] =
    "[TEXT_EDITOR]\r\nTABSTOP=8\r\nSHOW_TAB=1\r\nBG_COLOR=15790320\r\nSRARCH_COLOR=65280\r\n"
    "[FONT]\r\nFACENAME=MS Gothic\r\nPOINT=100\r\n";

// One dialog for the whole program: under Wine without a window manager,
// each top-level window taken down costs seconds.
CSulkiDlg& Dialog() {
    static CSulkiDlg* dlg = [] {
        theTestApp.SetProfileFile((TempRoot() + L"sulki.ini").c_str());
        const std::wstring prog = ProgramDir();
        WriteBytes(prog + L"wendrel.ini", kEditorIni);
        auto* d = new CSulkiDlg;
        d->SetProgramDir(prog);
        d->SetCommandLine(L"\"first text\" /d " + TempRoot() + L"tree /c UTF8");
        d->Create(IDD_SULKI_DIALOG, nullptr);
        return d;
    }();
    return *dlg;
}

HWND Item(int id) { return Dialog().GetDlgItem(id); }

// The view's text, lines joined by "\n".
std::wstring ViewText() {
    CEditData& d = Dialog().ResultData();
    std::u16string s;
    for (int i = 0; i < d.GetLineCount(); ++i) {
        if (i) s += u'\n';
        s.append(d.GetLineText(i), static_cast<std::size_t>(d.GetLineLength(i)));
    }
    return ToWide(s);
}

class Collect : public GrepOutput {
public:
    void Append(const std::u16string& t) override { text += t; }
    std::u16string text;
};

// A fixture tree: the same words in UTF-8, Shift_JIS, EUC-JP and UTF-16LE.
std::wstring MakeTree() {
    const std::wstring tree = TempRoot() + L"tree";
    ::CreateDirectoryW(tree.c_str(), nullptr);
    ::CreateDirectoryW((tree + L"\\sub (2)").c_str(), nullptr);
    WriteBytes(tree + L"\\utf8.txt", "first line\n\xE6\xA4\x9C\xE7\xB4\xA2\xE3\x81\x99\xE3\x82\x8B\xE6\x96\x87\xE5\xAD\x97\n");
    WriteBytes(tree + L"\\sjis.txt",
               "\x82\xB1\x82\xEA\x82\xCD\x8C\x9F\x8D\xF5\x82\xCC\x83\x65\x83\x58\x83\x67\x82\xC5\x82\xB7\r\nno\r\n");
    WriteBytes(tree + L"\\sub (2)\\euc.txt", "x\n\xA4\xB3\xA4\xEC\xA4\xCF\xB8\xA1\xBA\xF7\xA4\xC7\xA4\xB9\n");
    WriteBytes(tree + L"\\sub (2)\\utf16.txt", std::string("\xFF\xFE\x1C\x69\x22\x7D\x0A\x00", 8));
    WriteBytes(tree + L"\\skip.dat", "\xE6\xA4\x9C\xE7\xB4\xA2\n");
    return tree;
}

void SetCombo(int id, const std::wstring& text) {
    ::SetWindowTextW(Item(id), text.c_str());
    Dialog().SendMessage(WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(Item(id)));
}

void Check(int id, bool on) { ::SendMessageW(Item(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

class SulkiDlg : public ::testing::Test {
protected:
    void SetUp() override {
        Dialog();
        SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            boxes.push_back(r.caption + L"|" + r.text);
            return answer;
        });
        SetProcessStartHandler([this](const ProcessStartRequest& r) {
            started.push_back(r.application + L"|" + r.parameters);
            return false;
        });
    }
    void TearDown() override {
        SetMessageBoxHandler(nullptr);
        SetProcessStartHandler(nullptr);
    }
    // A search as the button starts it.
    void Search(const std::wstring& text, const std::wstring& masks, const std::wstring& folder, bool regex = false,
                bool sub = true) {
        SetCombo(IDC_SULKI_TEXT, text);
        SetCombo(IDC_SULKI_FILETYPE, masks);
        SetCombo(IDC_SULKI_FOLDER, folder);
        Check(IDC_SULKI_REGEXP, regex);
        Check(IDC_SULKI_SUBFOLDER, sub);
        Dialog().SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SULKI_SEARCH, BN_CLICKED),
                             reinterpret_cast<LPARAM>(Item(IDC_SULKI_SEARCH)));
    }
    std::vector<std::wstring> boxes;
    std::vector<std::wstring> started;
    int answer = IDOK;
};

TEST_F(SulkiDlg, CommandLineFillsTheFields) {
    // At start-up: the text as typed, the folder, the encoding by its exact name.
    EXPECT_EQ(Text(Item(IDC_SULKI_TEXT)), L"first text");
    EXPECT_EQ(Text(Item(IDC_SULKI_FOLDER)), TempRoot() + L"tree");
    EXPECT_EQ(Text(Item(IDC_SULKI_ENCODING)), L"UTF8");
    EXPECT_TRUE(::IsWindowEnabled(Item(IDC_SULKI_SEARCH)));
    EXPECT_EQ(Dialog().EditorProtocol(), kCurrentEditor);
    EXPECT_EQ(Text(Dialog().ResultView()), kSulkiWindowName);

    struct Case {
        const wchar_t* line;
        const wchar_t* text;
        const wchar_t* folder;
        const wchar_t* encoding;
    };
    const Case cases[] = {
        {L"a/b.c /d C:\\src", L"a/b.c", L"C:\\src", L"自動判別"},
        {L"x /c XYZ", L"x", L"", L"自動判別"},
        {L"x /c utf8", L"x", L"", L"自動判別"},
        {L"\"two words\" /c \"UTF8(no signature)\"", L"two words", L"", L"UTF8(no signature)"},
        {L"abc /d C:\\src /r zz", L"", L"", L"自動判別"},  // malformed: ignored whole
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ::SetWindowTextW(Item(IDC_SULKI_TEXT), L"");
        ::SetWindowTextW(Item(IDC_SULKI_FOLDER), L"");
        ::SendMessageW(Item(IDC_SULKI_ENCODING), CB_SETCURSEL, 0, 0);
        Dialog().SetCommandLine(c.line);
        Dialog().ApplyCommandLine();
        EXPECT_EQ(Text(Item(IDC_SULKI_TEXT)), c.text);
        EXPECT_EQ(Text(Item(IDC_SULKI_FOLDER)), c.folder);
        EXPECT_EQ(Text(Item(IDC_SULKI_ENCODING)), c.encoding);
    }
}

TEST_F(SulkiDlg, SearchButtonNeedsTextTypesAndFolder) {
    const HWND button = Item(IDC_SULKI_SEARCH);
    SetCombo(IDC_SULKI_TEXT, L"a");
    SetCombo(IDC_SULKI_FILETYPE, L"*.txt");
    SetCombo(IDC_SULKI_FOLDER, L"C:\\");
    EXPECT_TRUE(::IsWindowEnabled(button));
    for (int id : {IDC_SULKI_TEXT, IDC_SULKI_FILETYPE, IDC_SULKI_FOLDER}) {
        const std::wstring old = Text(Item(id));
        SetCombo(id, L"");
        EXPECT_FALSE(::IsWindowEnabled(button)) << id;
        SetCombo(id, old);
        EXPECT_TRUE(::IsWindowEnabled(button)) << id;
    }
    // A selection counts with the selected item's text, before the field shows it.
    SetCombo(IDC_SULKI_FILETYPE, L"");
    ::SendMessageW(Item(IDC_SULKI_FILETYPE), CB_SETCURSEL, 1, 0);
    ::SetWindowTextW(Item(IDC_SULKI_FILETYPE), L"");
    Dialog().SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SULKI_FILETYPE, CBN_SELENDOK),
                         reinterpret_cast<LPARAM>(Item(IDC_SULKI_FILETYPE)));
    EXPECT_TRUE(::IsWindowEnabled(button));
}

// The view holds exactly what the engine writes for the same search.
TEST_F(SulkiDlg, MixedEncodingTreeShowsWhatTheEngineWrites) {
    const std::wstring tree = MakeTree();
    ::SendMessageW(Item(IDC_SULKI_ENCODING), CB_SETCURSEL, 0, 0);  // detect per file
    Check(IDC_SULKI_CASE, false);
    Check(IDC_SULKI_WIDTH, false);
    Search(L"検索", L"*.txt", tree + L"\\");
    EXPECT_TRUE(boxes.empty());

    Collect expected;
    GrepParams p;
    p.resultView = &expected;
    p.searchText = u"検索";
    p.masks = u"*.txt";
    p.folder = ToU16(tree);
    p.distinguishCase = p.distinguishWidth = false;
    p.searchSubfolders = true;
    p.fileSystem = &WinGrepFileSystem();
    ASSERT_EQ(GrepThreadProc(p), GREP_DONE);
    EXPECT_EQ(p.hitCount, 4);
    const std::wstring want = L"'" + tree + L"' を検索中...\n" + ToWide(expected.text) + ToWide(p.messageText);
    EXPECT_EQ(ViewText(), want);

    // Remembered for the hand-off, highlighted, and first in the histories.
    EXPECT_EQ(Dialog().LastSearch().text, L"検索");
    EXPECT_TRUE(Dialog().ResultView().IsSearchHighlightOn());
    EXPECT_EQ(Text(Item(IDC_SULKI_TEXT)), L"検索");
    wchar_t first[MAX_PATH] = {};
    ::SendMessageW(Item(IDC_SULKI_FOLDER), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_EQ(std::wstring(first), tree + L"\\");
}

// Every way a search ends reaches the user: a box for what could not start,
// the engine's closing line in the view for the rest.
TEST_F(SulkiDlg, EveryResultIsToldToTheUser) {
    const std::wstring tree = MakeTree();
    WriteBytes(tree + L"\\giveup.log", "hit\n" + std::string(40, 'a') + "\n");
    struct Case {
        const wchar_t* text;
        const wchar_t* masks;
        bool regex;
        const wchar_t* box;       // prefix of the box; null: none
        const wchar_t* viewEnd;   // the view's last text line; null: only the searching line
    };
    const Case cases[] = {
        {L"検索", L"*.txt", false, nullptr, L"4個，検索されました。"},
        {L"nothing here", L"*.txt", false, nullptr, L"0個，検索されました。"},
        {L"(unclosed", L"*.txt", true, L"Error|", nullptr},
        {L"x", L"*.t<(xt", false, L"Error|", nullptr},
        {L"hit|(a|a)*\\1b", L"*.log", true, nullptr, L"正規表現の照合が複雑すぎるため、検索を中断しました"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        boxes.clear();
        Search(c.text, c.masks, tree, c.regex);
        if (c.box) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].rfind(c.box, 0), 0u) << boxes[0];
            EXPECT_GT(boxes[0].size(), wcslen(c.box));  // the engine's reason
        } else {
            EXPECT_TRUE(boxes.empty());
        }
        CEditData& d = Dialog().ResultData();
        const int last = d.GetLineCount() - 2;  // the closing line ends the text
        const std::wstring lastLine = ToWide(std::u16string(d.GetLineText(last), d.GetLineLength(last)));
        if (c.viewEnd)
            EXPECT_EQ(lastLine, c.viewEnd);
        else
            EXPECT_EQ(d.GetLineCount(), 2);
    }
    // A folder that is not there.
    boxes.clear();
    Search(L"x", L"*.txt", tree + L"\\missing");
    EXPECT_EQ(boxes, std::vector<std::wstring>{L"Error|フォルダが存在しません"});
}

// The user cancels: the view ends with the engine's line for that. The
// question is answered as soon as the progress dialog is up, before the
// worker can pass its first report.
HHOOK g_hook = nullptr;
LRESULT CALLBACK PressCancelOnStart(int code, WPARAM wParam, LPARAM lParam) {
    const auto* m = reinterpret_cast<CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && m->message == WM_INITDIALOG && Text(m->hwnd) == L"実行中")
        ::SendMessageW(m->hwnd, WM_COMMAND, IDCANCEL, 0);
    return ::CallNextHookEx(g_hook, code, wParam, lParam);
}

TEST_F(SulkiDlg, CancelledSearchSaysSo) {
    const std::wstring tree = MakeTree();
    answer = IDYES;
    g_hook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, PressCancelOnStart, nullptr, ::GetCurrentThreadId());
    Search(L"検索", L"*.txt", tree);
    ::UnhookWindowsHookEx(g_hook);
    EXPECT_EQ(boxes, std::vector<std::wstring>{L"確認|キャンセルしますか"});
    EXPECT_NE(ViewText().find(L"検索を中断しました\n"), std::wstring::npos) << ViewText();
}

// Histories keep the ten entries a start loads, most recent first.
TEST_F(SulkiDlg, HistoriesKeepTenMostRecentFirst) {
    const HWND combo = Item(IDC_SULKI_TEXT);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < 12; ++i) CSulkiDlg::AddHistory(combo, L"text" + std::to_wstring(i));
    CSulkiDlg::AddHistory(combo, L"text5");  // again: moves to the top, once
    EXPECT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 12);
    CSulkiDlg::SaveHistory(combo, L"test_history");
    CSulkiDlg::LoadHistory(combo, L"test_history");
    ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 10);
    const std::wstring want[] = {L"text5", L"text11", L"text10", L"text9", L"text8",
                                 L"text7", L"text6",  L"text4",  L"text3", L"text2"};
    for (int i = 0; i < 10; ++i) {
        wchar_t item[64] = {};
        ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        EXPECT_EQ(std::wstring(item), want[i]);
    }
    EXPECT_TRUE(theTestApp.CWinApp::GetProfileString(L"test_history", L"10").IsEmpty());
    // Fewer entries later: the keys after them go.
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    CSulkiDlg::AddHistory(combo, L"only");
    CSulkiDlg::SaveHistory(combo, L"test_history");
    EXPECT_EQ(theTestApp.CWinApp::GetProfileString(L"test_history", L"0"), CString(L"only"));
    EXPECT_TRUE(theTestApp.CWinApp::GetProfileString(L"test_history", L"1").IsEmpty());
}

TEST_F(SulkiDlg, StoredRectangleIsKeptOnTheScreen) {
    const int cx = ::GetSystemMetrics(SM_CXSCREEN);
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    struct Case {
        int left, top, width, height;
        RECT want;
    };
    const Case cases[] = {
        {40, 50, 100, 100, {40, 50, 40 + 560, 50 + 300}},
        {-20, -5, 700, 400, {0, 0, 700, 400}},
        {cx - 100, 10, 600, 400, {work.left, work.top, work.left + 600, work.top + 400}},
    };
    for (const Case& c : cases) {
        theTestApp.CWinApp::WriteProfileInt(L"WINDOW", L"LEFT", c.left);
        theTestApp.CWinApp::WriteProfileInt(L"WINDOW", L"TOP", c.top);
        theTestApp.CWinApp::WriteProfileInt(L"WINDOW", L"WIDTH", c.width);
        theTestApp.CWinApp::WriteProfileInt(L"WINDOW", L"HEIGHT", c.height);
        Dialog().PlaceWindow();
        const CRect r = Dialog().GetWindowRect();
        EXPECT_EQ(r.left, c.want.left);
        EXPECT_EQ(r.top, c.want.top);
        EXPECT_EQ(r.right, c.want.right);
        EXPECT_EQ(r.bottom, c.want.bottom);
    }
}

// The result view takes the editor's display settings, and the editor's
// file is left as it was.
TEST_F(SulkiDlg, ResultViewUsesTheEditorSettingsReadOnly) {
    CEditCtrl& view = Dialog().ResultView();
    EXPECT_EQ(view.Disp().Widths().TabSize(), 8);
    EXPECT_EQ(view.GetStyleWord(), static_cast<DWORD>(ECS_SHOW_TAB | ECS_CTRL_KEYS_FROM_CHAR));
    LOGFONTW lf{};
    ::GetObjectW(view.GetNormalFont(), sizeof lf, &lf);
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"MS Gothic");
    EXPECT_EQ(ReadBytes(ProgramDir() + L"wendrel.ini"), kEditorIni);
}

// A double-click on a hit hands that line's file and the last completed
// search (not what the fields hold now) to the editor that has the file;
// other lines and lines past the end hand nothing.
TEST_F(SulkiDlg, DoubleClickHandsTheHitToTheEditor) {
    const std::wstring tree = MakeTree();
    Check(IDC_SULKI_CASE, true);
    ::SendMessageW(Item(IDC_SULKI_ENCODING), CB_SETCURSEL, 0, 0);
    Search(L"検索", L"*.txt", tree);
    ASSERT_GE(Dialog().ResultData().GetLineCount(), 4) << ViewText();
    SetCombo(IDC_SULKI_TEXT, L"typed later");
    CEditData& d = Dialog().ResultData();
    std::u16string path;
    int line = 0;
    ASSERT_TRUE(ParseGrepResultLine(std::u16string(d.GetLineText(2), d.GetLineLength(2)), path, line));
    GetHandoffTimeouts() = HandoffTimeouts{500, 500, 300};
    gtest_sulki::FakeEditor editor(gtest_sulki::FakeEditor::Current, {ToWide(path)});
    for (LPARAM at : {LPARAM(0), LPARAM(d.GetLineCount()), LPARAM(-1)})
        Dialog().SendMessage(WM_EDIT_DBLCLK, 0, at);
    EXPECT_TRUE(editor.Got().empty());
    Dialog().SendMessage(WM_EDIT_DBLCLK, 0, 2);
    const auto got = editor.Got();
    ASSERT_EQ(got.size(), 2u);
    ASSERT_EQ(got[1].code, static_cast<ULONG_PTR>(CD_OPEN_AND_SEARCH));
    CopyDataOpenAndSearch r{};
    ASSERT_TRUE(ReadOpenAndSearchRecord(got[1].bytes.data(), got[1].bytes.size(), r));
    EXPECT_EQ(std::u16string(r.path), path);
    EXPECT_EQ(std::u16string(r.pattern), u"検索");
    EXPECT_EQ(r.matchCase, 1);
    EXPECT_EQ(r.line, line);
    EXPECT_TRUE(started.empty());
}

}  // namespace
