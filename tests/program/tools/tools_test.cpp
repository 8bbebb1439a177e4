// The view's tools in the running editor: sulki started on the selection
// (its command line checked on a table), the browser preview and the link
// commands (through the start seam, and once for real with a recording
// program as the browser), the selection run as a macro, and the colour
// picker: its grid's hit test, format, insert, colour dialog, eyedropper
// over a window of a known colour, undo and the [COLORDIALOG] settings.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/macro_calls.h"
#include "app/macro_host_win.h"
#include "app/main_frame.h"
#include "app/pavin_doc.h"
#include "app/profile/app_settings.h"
#include "app/profile/ini_profile.h"
#include "program/pavin_app.h"
#include "app/resource.h"
#include "app/base/winutil.h"
#include "editctrl/edit_ctrl.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "tests/framework/window_test_support.h"
#include "tests/support/clipboard.h"
#include "tests/support/editor_program.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"
#include "view/color_resource.h"
#include "view/pavin_view.h"
#include "view/select_color_dlg.h"

namespace {

// Started as the browser of a test, this program writes the command line it
// was given to the file the environment names, and ends.
constexpr wchar_t kRecordVariable[] = L"WENDREL_TOOLS_TEST_RECORD";
const bool kStartedAsBrowser = [] {
    wchar_t path[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(kRecordVariable, path, MAX_PATH)) return false;
    const std::wstring part = std::wstring(path) + L".part";
    const wchar_t* line = ::GetCommandLineW();
    wtest::WriteBytes(part, line, wcslen(line) * sizeof(wchar_t));
    ::MoveFileW(part.c_str(), path);
    ::ExitProcess(0);
}();

struct Box {
    std::wstring text, caption;
};

// One editor for the whole program: starting it costs seconds under Wine.
// Its program folder has a blank, and a copy of this program waits in a
// folder with blanks to stand in for a browser.
class Tools : public ::testing::Test {
protected:
    // The colour picker's tests share the editor: it starts once.
    static void SetUpTestSuite() {
        if (editor_.app) return;
        const auto prepare = [](const std::wstring& dir) {
            wtest::CopyFolder(wtest::SourcePath("scmlib"), dir);
            file_ = new std::wstring(dir + L"page.html");
            wtest::WriteBytes(*file_, "<p>page</p>\r\n");
            const std::wstring browserDir = dir + L"Program Files\\Web Browser\\";
            ::CreateDirectoryW((dir + L"Program Files").c_str(), nullptr);
            ::CreateDirectoryW(browserDir.c_str(), nullptr);
            browser_ = new std::wstring(browserDir + L"web.exe");
            wchar_t self[MAX_PATH] = {};
            ::GetModuleFileNameW(nullptr, self, MAX_PATH);
            ::CopyFileW(self, browser_->c_str(), FALSE);
            return wtest::QuotedPath(*file_);
        };
        ASSERT_TRUE(editor_.Start(L"wendrel tools ", prepare, SW_SHOWNOACTIVATE));
    }

    void SetUp() override {
        const wtest::EditorWindows windows = editor_.Windows();
        frame = windows.frame;
        ASSERT_NE(frame, nullptr);
        view = windows.view;
        ASSERT_NE(view, nullptr);
        doc = windows.doc;
        ASSERT_NE(doc, nullptr);
        editor = windows.editor;
        ASSERT_NE(editor, nullptr);
        SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            boxes.push_back({r.text, r.caption});
            return IDOK;
        });
        SetProcessStartHandler([this](const ProcessStartRequest& r) {
            started.push_back(r);
            return startSucceeds;
        });
        editor_.app->Context().settings.searchDirAsCurrentDir = 0;
        editor_.app->Context().settings.browserIe = ToU16(*browser_);
        editor_.app->Context().settings.browserFirefox = ToU16(*browser_);
        editor_.app->Context().settings.browserNs = ToU16(*browser_);
    }
    void TearDown() override {
        SetMessageBoxHandler(nullptr);
        SetProcessStartHandler(nullptr);
        SetFileDialogHandler(nullptr);
        SetColorDialogHandler(nullptr);
        ::SetCurrentDirectoryW(editor_.dir.c_str());
    }

    void Run(UINT id) { frame->RouteCmdMsg(id, nullptr); }
    // The menu state the route gives the command: MF_GRAYED or not.
    bool Enabled(UINT id) {
        HMENU menu = ::CreatePopupMenu();
        ::AppendMenuW(menu, MF_STRING, id, L"item");
        CCmdUI ui = CCmdUI::ForMenuItem(menu, 0, id);
        ui.DoUpdate(nullptr);
        ::EnableMenuItem(menu, 0, MF_BYPOSITION | MF_ENABLED);
        frame->RouteCmdMsg(id, &ui);
        const UINT state = ::GetMenuState(menu, 0, MF_BYPOSITION);
        ::DestroyMenu(menu);
        return !(state & MF_GRAYED);
    }

    // The current file's text, lines joined by '|', as one undo step from the last.
    void SetText(const char16_t* text) {
        editor = view->CurrentEditor();
        editor->Model().SelectAll();
        editor->Model().ReplaceSelection(text, false);
        editor->Model().ClearSelection(true);
        editor->Model().MoveToTextStart(false);
        editor->GetEditData()->ResetUndo();
        editor->RefreshLayout(0);
    }
    std::u16string Text() {
        CEditData& d = *view->CurrentEditor()->GetEditData();
        std::u16string t;
        for (int i = 0; i < d.GetLineCount(); ++i) {
            if (i) t += u'|';
            t += d.GetLineText(i);
        }
        return t;
    }
    void Select(int c1, int l1, int c2, int l2) { editor->Model().SelectRange({c1, l1}, {c2, l2}, false); }
    void Caret(int column, int line) {
        editor->Model().ClearSelection(true);
        editor->GetEditData()->SetCaretPos(line, column);
        editor->UpdateCaret();
    }
    // Through the program's own loop, so that keys meet its translation.
    void PumpLoop() {
        MSG msg;
        for (int i = 0; i < 1000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); ++i) {
            if (msg.message == WM_QUIT || msg.message == WM_PAINT || msg.message == WM_TIMER) break;
            editor_.app->PumpMessage();
        }
    }

    static inline std::wstring* file_ = nullptr;
    static inline std::wstring* browser_ = nullptr;
    static inline wtest::SuiteEditor editor_;
    CMainFrame* frame = nullptr;
    CPavinView* view = nullptr;
    CPavinDoc* doc = nullptr;
    CEditCtrl* editor = nullptr;
    std::vector<Box> boxes;
    std::vector<ProcessStartRequest> started;
    bool startSucceeds = true;
};

// ---- sulki on the selection.

TEST_F(Tools, GrepStartsSulkiByItsPathWithTheSelectionAndTheFolderRule) {
    const std::wstring sulki = GetModuleDir() + L"sulki.exe";
    const std::wstring folder = editor_.dir + L"検索 フォルダ";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));
    const struct {
        const char16_t* text;
        int c1, l1, c2, l2;  // the selection; all 0: none
        int folderRule;
        std::wstring arguments;  // after the quoted program and a blank
    } cases[] = {
        {u"abc def", 0, 0, 3, 0, 0, L"\"abc\" "},
        {u"abc def", 0, 0, 7, 0, 1, L"\"abc def\" /d \"" + folder + L"\""},
        {u"日本語のテキスト", 0, 0, 3, 0, 1, L"\"日本語\" /d \"" + folder + L"\""},
        // Text that can't be one quoted token: sulki starts without it.
        {u"say \"hi\" now", 0, 0, 8, 0, 1, L"/d \"" + folder + L"\""},
        {u"a\r\nb", 0, 0, 1, 1, 0, L""},
        {u"a\"b", 0, 0, 3, 0, 0, L""},
        {u"nothing selected", 0, 0, 0, 0, 0, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        SetText(c.text);
        if (c.c2 || c.l2) Select(c.c1, c.l1, c.c2, c.l2);
        editor_.app->Context().settings.searchDirAsCurrentDir = c.folderRule;
        started.clear();
        EXPECT_TRUE(Enabled(ID_SEARCH_GREP));
        Run(ID_SEARCH_GREP);
        ASSERT_EQ(started.size(), 1u);
        EXPECT_EQ(started[0].kind, ProcessStartRequest::Process);
        EXPECT_EQ(started[0].application, sulki);
        EXPECT_EQ(started[0].parameters, L"\"" + sulki + L"\" " + c.arguments);
    }
    EXPECT_TRUE(boxes.empty());
    startSucceeds = false;
    Run(ID_SEARCH_GREP);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"起動に失敗しました");
}

// ---- Browser preview.

TEST_F(Tools, PreviewSavesTheFileFirstAndStartsTheConfiguredBrowserForReal) {
    SetProcessStartHandler(nullptr);
    const std::wstring record = editor_.dir + L"browser_record.txt";
    ::DeleteFileW(record.c_str());
    doc->ActivateFileByPath(*file_);
    SetText(u"<p>changed</p>");
    ::SetEnvironmentVariableW(kRecordVariable, record.c_str());
    Run(ID_TOOL_BROWSER_IE);
    ::SetEnvironmentVariableW(kRecordVariable, nullptr);
    EXPECT_EQ(wtest::ReadBytes(*file_), "<p>changed</p>");
    wtest::WaitUntil([&] { return ::GetFileAttributesW(record.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000);
    const std::string line = wtest::ReadBytes(record);
    const std::wstring expected = L"\"" + *browser_ + L"\" \"" + doc->GetCurrentPath() + L"\"";
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(line.data()), line.size() / sizeof(wchar_t)), expected);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Tools, PreviewOfANewFileAsksForANameAndACancelStartsNothing) {
    Run(ID_FILE_NEW);
    SetText(u"<b>new</b>");
    int asked = 0;
    SetFileDialogHandler([&](FileDialogRequest&) {
        ++asked;
        return false;
    });
    for (UINT id : {ID_TOOL_BROWSER_IE, ID_TOOL_BROWSER_FIREFOX, ID_TOOL_BROWSER_OTHER}) {
        EXPECT_TRUE(Enabled(id));
        Run(id);
    }
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(started.empty());

    const std::wstring named = editor_.dir + L"新しい ページ.html";
    SetFileDialogHandler([&](FileDialogRequest& r) {
        r.path = named;
        return true;
    });
    Run(ID_TOOL_BROWSER_FIREFOX);
    EXPECT_EQ(wtest::ReadBytes(named), "<b>new</b>");
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].application, *browser_);
    EXPECT_EQ(started[0].parameters, L"\"" + *browser_ + L"\" \"" + doc->GetCurrentPath() + L"\"");

    // A setting naming no program says so and starts nothing.
    started.clear();
    editor_.app->Context().settings.browserNs = u"C:\\no such\\browser.exe";
    Run(ID_TOOL_BROWSER_OTHER);
    EXPECT_TRUE(started.empty());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"ブラウザのプログラムが見つかりません。\nC:\\no such\\browser.exe"), std::wstring::npos);
    doc->CloseCurrentFile(false);
}

// ---- Links under the caret.

TEST_F(Tools, LinkCommandsActOnTheLinkUnderTheCaretOnly) {
    const UINT all[] = {ID_LINK_COPY,    ID_LINK_OPEN,          ID_LINK_OPEN_FIREFOX, ID_LINK_OPEN_IE,
                        ID_LINK_OPEN_OTHER, ID_LINK_NEW_WINDOW_IE, ID_LINK_NEW_WINDOW_NS};
    SetText(u"see http://example.com/a?q=1 now\r\nno link here\r\nat www.example.org\\ end");
    const std::wstring quoted = L"\"" + *browser_ + L"\" ";

    Caret(8, 0);
    for (UINT id : all) EXPECT_TRUE(Enabled(id)) << id;
    ::OpenClipboard(nullptr);
    ::EmptyClipboard();
    ::CloseClipboard();
    Run(ID_LINK_COPY);
    EXPECT_EQ(wtest::ClipboardText(), L"http://example.com/a?q=1");
    for (UINT id : {ID_LINK_OPEN_IE, ID_LINK_OPEN_FIREFOX, ID_LINK_OPEN_OTHER, ID_LINK_NEW_WINDOW_IE,
                    ID_LINK_NEW_WINDOW_NS}) {
        started.clear();
        Run(id);
        ASSERT_EQ(started.size(), 1u) << id;
        EXPECT_EQ(started[0].kind, ProcessStartRequest::Process);
        EXPECT_EQ(started[0].application, *browser_);
        EXPECT_EQ(started[0].parameters, quoted + L"\"http://example.com/a?q=1\"");
    }
    // A www. link becomes an address; its trailing backslash stays its own.
    Caret(5, 2);
    started.clear();
    Run(ID_LINK_NEW_WINDOW_NS);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].parameters, quoted + L"\"http://www.example.org\\\\\"");

    started.clear();
    Caret(3, 1);
    for (UINT id : all) {
        EXPECT_FALSE(Enabled(id)) << id;
        Run(id);
    }
    Caret(1, 0);
    EXPECT_FALSE(Enabled(ID_LINK_OPEN_IE));
    EXPECT_TRUE(started.empty());

    // Links not clickable: nothing is a link.
    editor_.app->Context().settings.clickableUrl = 0;
    frame->GetActiveDocument()->UpdateAllViews(nullptr, HINT_SETTINGS_CHANGED, nullptr);
    Caret(8, 0);
    EXPECT_FALSE(Enabled(ID_LINK_COPY));
    Run(ID_LINK_COPY);
    Run(ID_LINK_OPEN_IE);
    EXPECT_TRUE(started.empty());
    editor_.app->Context().settings.clickableUrl = 1;
    frame->GetActiveDocument()->UpdateAllViews(nullptr, HINT_SETTINGS_CHANGED, nullptr);
    EXPECT_TRUE(boxes.empty());
}

// ---- The selection as a macro.

TEST_F(Tools, SelectionRunsAsOneMacroRunUndoneInOneStep) {
    ASSERT_NE(MacroHostOf(editor_.app->Context()), nullptr);
    SetText(u"A(editor-paste-string \"x\")B\r\nkeep");
    EXPECT_FALSE(Enabled(ID_TOOL_RUN_SELECTION));
    Select(1, 0, 26, 0);
    EXPECT_TRUE(Enabled(ID_TOOL_RUN_SELECTION));
    Run(ID_TOOL_RUN_SELECTION);
    EXPECT_EQ(Text(), u"AxB|keep");
    EXPECT_EQ(editor->GetEditData()->GetLineEndType(), LineEndType::CRLF);
    Run(ID_EDIT_UNDO);
    EXPECT_EQ(Text(), u"A(editor-paste-string \"x\")B|keep");

    // Over two lines, read with line feeds.
    SetText(u"(editor-paste-string\r\n  \"two\")");
    Select(0, 0, 8, 1);
    Run(ID_TOOL_RUN_SELECTION);
    EXPECT_EQ(Text(), u"two");

    // An error is reported and changes nothing.
    SetText(u"(car 1)");
    Select(0, 0, 7, 0);
    boxes.clear();
    Run(ID_TOOL_RUN_SELECTION);
    EXPECT_EQ(Text(), u"(car 1)");
    EXPECT_FALSE(boxes.empty());
}

// ---- The colour picker.

class ColorPicker : public Tools {
protected:
    void SetUp() override {
        Tools::SetUp();
        Run(ID_TOOL_COLOR_DATA);
        picker = view->ColorPicker();
        ASSERT_NE(picker, nullptr);
        ASSERT_TRUE(::IsWindowVisible(picker->m_hWnd));
        grid = &picker->Grid();
        ASSERT_TRUE(grid->IsWindow());
    }
    void TearDown() override {
        if (picker && ::IsWindowVisible(picker->m_hWnd)) Click(IDCANCEL);
        Tools::TearDown();
    }
    void Click(int id) { picker->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void ClickGrid(int x, int y) {
        grid->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        grid->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    void SetFormat(int index) {
        ::SendMessageW(picker->GetDlgItem(IDC_COLOR_FORMAT), CB_SETCURSEL, index, 0);
        picker->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_COLOR_FORMAT, CBN_SELCHANGE),
                            reinterpret_cast<LPARAM>(picker->GetDlgItem(IDC_COLOR_FORMAT)));
    }
    std::wstring DataText() { return picker->GetDlgItemText(IDC_COLOR_DATA).GetString(); }
    static POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

    CSelectColorDlg* picker = nullptr;
    CColorGridWnd* grid = nullptr;
};

TEST_F(ColorPicker, HitTestKeepsEveryClickInsideTheGrid) {
    const int w = grid->CellWidth(), h = grid->CellHeight();
    ASSERT_GT(w, 4);
    ASSERT_GT(h, 4);
    const CRect client = grid->GetClientRect();
    const struct {
        int x, y, index;
    } clicks[] = {
        {0, 0, 0},                      // on the edge
        {2 + w - 1, 2 + h - 1, 0},      // the first cell's last pixel
        {2 + w, 2, 1},                  // the offset: the next cell starts here
        {2 + 8 * w, 2 + 8 * h, 63},     // past the last cell
        {client.right - 1, client.bottom - 1, 63},  // the slack
        {client.right - 1, 3, 7},
        {3, client.bottom - 1, 56},
    };
    for (const auto& c : clicks) {
        ClickGrid(c.x, c.y);
        EXPECT_EQ(grid->Model().SelectedIndex(), c.index) << c.x << "," << c.y;
        EXPECT_EQ(picker->CurrentColor(), grid->Model().Color(c.index));
    }
}

TEST_F(ColorPicker, FormatSwitchAndInsertAtTheCaretAsOneUndoStep) {
    SetText(u"color: ;");
    ClickGrid(2 + grid->CellWidth() + 3, 5);  // the second cell: red
    SetFormat(0);
    EXPECT_EQ(DataText(), L"#ff0000");
    SetFormat(1);
    EXPECT_EQ(DataText(), L"RGB(0xff, 0x00, 0x00)");
    SetFormat(0);
    Caret(7, 0);
    Click(IDOK);
    EXPECT_EQ(Text(), u"color: #ff0000;");
    EXPECT_TRUE(::IsWindowVisible(picker->m_hWnd));
    // A double click on a cell inserts as well, here over a selection.
    Select(7, 0, 14, 0);
    ClickGrid(5, 5);
    grid->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(Text(), u"color: #000000;");
    Run(ID_EDIT_UNDO);
    EXPECT_EQ(Text(), u"color: #ff0000;");
    Run(ID_EDIT_UNDO);
    EXPECT_EQ(Text(), u"color: ;");
}

TEST_F(ColorPicker, ColoursChangeByTheColourDialogAndUndoInTheGrid) {
    ClickGrid(2 + 2 * grid->CellWidth() + 3, 5);
    const COLORREF before = grid->Model().SelectedColor();
    COLORREF offered = CLR_INVALID;
    SetColorDialogHandler([&](ColorDialogRequest& r) {
        offered = r.color;
        r.color = RGB(0x12, 0x34, 0x56);
        return true;
    });
    Click(IDC_COLOR_CHOOSE);
    EXPECT_EQ(offered, before);
    EXPECT_EQ(grid->Model().SelectedColor(), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(DataText(), L"#123456");
    SetColorDialogHandler([](ColorDialogRequest& r) {
        r.color = RGB(1, 1, 1);
        return false;
    });
    Click(IDC_COLOR_CHOOSE);
    EXPECT_EQ(grid->Model().SelectedColor(), RGB(0x12, 0x34, 0x56));

    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    grid->SendMessage(WM_KEYDOWN, 'Z', 0);
    EXPECT_EQ(grid->Model().Color(2), before);
    grid->SendMessage(WM_KEYDOWN, 'Y', 0);
    EXPECT_EQ(grid->Model().Color(2), RGB(0x12, 0x34, 0x56));
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    // Arrow keys move the selection, clamped at the grid's edge.
    grid->SendMessage(WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(grid->Model().SelectedIndex(), 2);
    grid->SendMessage(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(grid->Model().SelectedIndex(), 10);
}

LRESULT CALLBACK SolidWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST_F(ColorPicker, EyedropperTakesAScreenPixelAndLetsGoOnEscapeAndLostCapture) {
    const COLORREF known = RGB(0x33, 0x66, 0x99);
    HBRUSH brush = ::CreateSolidBrush(known);
    WNDCLASSW wc{};
    wc.lpfnWndProc = SolidWindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = brush;
    wc.lpszClassName = L"ToolsTestSolid";
    ::RegisterClassW(&wc);
    HWND solid = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, L"ToolsTestSolid", L"", WS_POPUP | WS_VISIBLE,
                                   1000, 800, 120, 120, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(solid, nullptr);
    ::UpdateWindow(solid);
    wtest::Pump(300);

    ClickGrid(2 + 3 * grid->CellWidth() + 3, 2 + grid->CellHeight() + 3);  // cell 11
    const COLORREF cellBefore = grid->Model().SelectedColor();
    const POINT dropper = Centre(picker->EyedropperRect());
    const auto start = [&] {
        picker->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(dropper.x, dropper.y));
        ASSERT_TRUE(picker->IsEyedropperOn());
        EXPECT_EQ(::GetCapture(), picker->m_hWnd);
        ::SetCursorPos(1060, 860);
        picker->SendMessage(WM_MOUSEMOVE, 0, 0);
        EXPECT_EQ(picker->CurrentColor(), known);
        EXPECT_EQ(grid->Model().SelectedColor(), cellBefore);  // the grid waits
    };
    const auto released = [&] {
        EXPECT_FALSE(picker->IsEyedropperOn());
        EXPECT_NE(::GetCapture(), picker->m_hWnd);
        EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_ARROW));
    };

    // Escape through the program's loop: the colour shown before comes back.
    start();
    ::PostMessageW(grid->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
    PumpLoop();
    released();
    EXPECT_EQ(picker->CurrentColor(), cellBefore);
    EXPECT_EQ(grid->Model().SelectedColor(), cellBefore);
    EXPECT_TRUE(::IsWindowVisible(picker->m_hWnd));  // Escape ended the eyedropper only

    // Another window takes the mouse.
    start();
    ::SetCapture(view->m_hWnd);
    released();
    ::ReleaseCapture();
    EXPECT_EQ(picker->CurrentColor(), cellBefore);

    // Letting go over the window: the selected cell takes its colour.
    start();
    picker->SendMessage(WM_LBUTTONUP, 0, 0);
    released();
    EXPECT_EQ(grid->Model().SelectedColor(), known);
    EXPECT_EQ(DataText(), L"#336699");

    ::DestroyWindow(solid);
    ::DeleteObject(brush);
}

TEST_F(ColorPicker, ColoursAreReadOncePerOpeningAndKeptInTheSettingsOnClose) {
    ClickGrid(2 + grid->CellWidth() + 3, 2 + grid->CellHeight() + 3);  // cell 9
    grid->SetSelectedColor(RGB(0xab, 0xcd, 0xef));
    SetFormat(1);
    // Shown again while open: nothing unsaved is lost.
    Run(ID_TOOL_COLOR_DATA);
    EXPECT_EQ(grid->Model().Color(9), RGB(0xab, 0xcd, 0xef));
    EXPECT_EQ(picker->Format(), 1);

    // What shows on screen: the selected cell and the result area.
    picker->UpdateWindow();
    grid->UpdateWindow();
    wtest::Pump(200);
    const wtest::Pixels cells = wtest::CaptureClient(grid->m_hWnd);
    const RECT cell9 = grid->CellRect(1, 1);
    const POINT middle = Centre(cell9);
    EXPECT_EQ(cells.At(middle.x, middle.y), RGB(0xab, 0xcd, 0xef));
    const wtest::Pixels dialog = wtest::CaptureClient(picker->m_hWnd);
    const POINT result = Centre(picker->ResultRect());
    EXPECT_EQ(dialog.At(result.x, result.y), RGB(0xab, 0xcd, 0xef));
    wtest::WriteBmp(TEST_OUTPUT_DIR "/color_picker.bmp", dialog);

    // 挿入 keeps nothing; the close box keeps it all.
    Click(IDOK);
    EXPECT_EQ(wtest::AsciiOfUtf16(wtest::ReadBytes(editor_.dir + L"wendrel.ini")).find("=" + std::to_string(RGB(0xab, 0xcd, 0xef))),
              std::string::npos);
    picker->SendMessage(WM_CLOSE);
    wtest::Pump(300);  // the close box's Cancel comes posted
    EXPECT_FALSE(::IsWindowVisible(picker->m_hWnd));
    const std::string ini = wtest::AsciiOfUtf16(wtest::ReadBytes(editor_.dir + L"wendrel.ini"));
    EXPECT_NE(ini.find("CUSTOMER_COLOR_9=" + std::to_string(RGB(0xab, 0xcd, 0xef))), std::string::npos);
    EXPECT_NE(ini.find("FORMAT=1"), std::string::npos);

    // Read again on the next opening.
    editor_.app->m_pIniProfile->WriteInt(u"COLORDIALOG", u"CUSTOMER_COLOR_9", 0x0000ff);
    Run(ID_TOOL_COLOR_DATA);
    EXPECT_EQ(grid->Model().Color(9), 0x0000ffu);
    EXPECT_EQ(DataText(), L"RGB(0xff, 0x00, 0x00)");
    SetFormat(0);
}

}  // namespace
