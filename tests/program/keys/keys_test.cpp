// Keyboard macros and key assignment in the running editor: keys typed
// through the input system are recorded, played back into the editor,
// saved, loaded and played once from a file, with the failures reported
// and the commands' states while recording and playing; the key-assignment
// dialog driven through its controls, with OK installing and saving the
// bindings and Cancel leaving them.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/accel_dlg.h"
#include "app/accel_dlg_resource.h"
#include "app/key_macro.h"
#include "app/keycore/command_catalogue.h"
#include "app/main_frame.h"
#include "app/pavin_doc.h"
#include "program/pavin_app.h"
#include "app/resource.h"
#include "editctrl/edit_ctrl.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "tests/support/editor_program.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"

namespace {

struct Box {
    std::wstring text, caption;
};

INPUT Key(WORD vk, bool up, wchar_t ch = 0) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = ch ? 0 : vk;
    in.ki.wScan = ch ? ch : static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (ch ? KEYEVENTF_UNICODE : 0);
    return in;
}

// Presses the keys in order and lets them go in reverse order.
void Chord(std::initializer_list<WORD> keys) {
    std::vector<INPUT> in;
    for (WORD k : keys) in.push_back(Key(k, false));
    for (auto k = std::rbegin(keys); k != std::rend(keys); ++k) in.push_back(Key(*k, true));
    ::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

void TypeChar(wchar_t ch) {
    INPUT in[2] = {Key(0, false, ch), Key(0, true, ch)};
    ::SendInput(2, in, sizeof(INPUT));
}

class Keys : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = wtest::MakeProgramFolder(L"wendrel keys ");
        app = new CPavinApp;
        ASSERT_TRUE(wtest::StartEditor(*app, dir, L""));
        frame = wtest::WindowsOf(*app).frame;
    }

    void SetUp() override {
        ASSERT_NE(frame, nullptr);
        SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            boxes.push_back({r.text, r.caption});
            return boxAnswer;
        });
        Macros().Free();
        CEditData& d = Data();
        d.Clear();
        d.SetCaretPos(0, 0);
        ::SetForegroundWindow(frame->m_hWnd);
        ::SetFocus(Editor().m_hWnd);
        Pump();
    }
    void TearDown() override {
        SetMessageBoxHandler(nullptr);
        SetFileDialogHandler(nullptr);
        SetModalDialogHandler(nullptr);
        Macros().Free();
        Pump();
    }

    static CPavinDoc* Doc() { return dynamic_cast<CPavinDoc*>(frame->GetActiveDocument()); }
    static CKeyMacros& Macros() { return app->Context().keyMacros; }
    static CEditCtrl& Editor() { return Doc()->Current().editor; }
    static CEditData& Data() { return Doc()->Current().data; }
    static std::u16string Text() {
        std::u16string t;
        for (int i = 0; i < Data().GetLineCount(); ++i) {
            if (i) t += u'|';
            t += Data().GetLineText(i);
        }
        return t;
    }
    static void Run(UINT id) { frame->RouteCmdMsg(id, nullptr); }
    static UINT MenuState(UINT id) {
        HMENU menu = ::CreatePopupMenu();
        ::AppendMenuW(menu, MF_STRING, id, L"item");
        CCmdUI ui = CCmdUI::ForMenuItem(menu, 0, id);
        frame->RouteCmdMsg(id, &ui);
        const UINT state = ::GetMenuState(menu, 0, MF_BYPOSITION);
        ::DestroyMenu(menu);
        return state;
    }
    static bool Enabled(UINT id) { return !(MenuState(id) & MF_GRAYED); }
    // The program's own loop: accelerators, dialogs' keys, then dispatch.
    static void Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (app->PreTranslateMessage(&msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    template <class Done>
    static bool PumpUntil(Done done) {
        return wtest::WaitUntil(done, 5000, [](MSG& msg) {
            if (app->PreTranslateMessage(&msg)) return;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        });
    }
    // The file dialog seam answering with path (empty: Cancel).
    void AnswerFile(const std::wstring& path) {
        SetFileDialogHandler([this, path](FileDialogRequest& r) {
            asked.push_back(r);
            r.path = path;
            return !path.empty();
        });
    }
    // Records "aBあ" with real key input.
    void RecordSample() {
        Run(ID_KEYMACRO_RECORD);
        ASSERT_TRUE(Macros().IsRecording());
        Chord({'A'});
        Chord({VK_SHIFT, 'B'});
        TypeChar(L'あ');
        ASSERT_TRUE(PumpUntil([] { return Text() == u"aBあ"; })) << ToWide(Text()).size();
        Run(ID_KEYMACRO_RECORD);
        ASSERT_FALSE(Macros().IsRecording());
    }

    static inline std::wstring dir;
    static inline CPavinApp* app = nullptr;
    static inline CMainFrame* frame = nullptr;
    std::vector<Box> boxes;
    int boxAnswer = IDOK;
    std::vector<FileDialogRequest> asked;
};

TEST_F(Keys, RecordedKeysPlayBackIntoTheEditor) {
    EXPECT_FALSE(Enabled(ID_KEYMACRO_PLAY));  // no macro yet
    RecordSample();
    const std::vector<KeyMacroEvent>* macro = Macros().Events();
    ASSERT_NE(macro, nullptr);
    // Each key down and up with its virtual key; the character beyond ASCII
    // as itself; Shift around B.
    std::vector<uint32_t> seen;
    for (const KeyMacroEvent& e : *macro) seen.push_back(e.message << 16 | (e.paramL & 0xFF));
    const std::vector<uint32_t> expected = {
        WM_KEYDOWN << 16 | 'A',        WM_KEYUP << 16 | 'A',      WM_KEYDOWN << 16 | VK_SHIFT,
        WM_KEYDOWN << 16 | 'B',        WM_KEYUP << 16 | 'B',      WM_KEYUP << 16 | VK_SHIFT,
        WM_KEYDOWN << 16 | VK_PACKET,  WM_KEYUP << 16 | VK_PACKET};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(macro->back().paramL >> 8, 0x3042u);
    EXPECT_TRUE(Enabled(ID_KEYMACRO_PLAY));

    Run(ID_KEYMACRO_PLAY);
    ASSERT_TRUE(Macros().IsPlaying());
    // Nothing loads, records or plays over a macro being played.
    for (UINT id : {ID_KEYMACRO_PLAY, ID_KEYMACRO_RECORD, ID_KEYMACRO_LOAD, ID_KEYMACRO_RUN_FILE, ID_KEYMACRO_SAVE})
        EXPECT_FALSE(Enabled(id)) << id;
    ASSERT_TRUE(PumpUntil([] { return !Macros().IsPlaying(); }));
    EXPECT_EQ(Text(), u"aBあaBあ");
    Run(ID_KEYMACRO_PLAY);
    ASSERT_TRUE(PumpUntil([] { return !Macros().IsPlaying(); }));
    EXPECT_EQ(Text(), u"aBあaBあaBあ");
    EXPECT_EQ(::GetKeyState(VK_SHIFT) & 0x8000, 0);
}

TEST_F(Keys, RecordingStopsWhenTheEditorLosesTheActivationAndLoadWaits) {
    Run(ID_KEYMACRO_RECORD);
    EXPECT_TRUE(MenuState(ID_KEYMACRO_RECORD) & MF_CHECKED);
    EXPECT_FALSE(Enabled(ID_KEYMACRO_LOAD));
    EXPECT_FALSE(Enabled(ID_KEYMACRO_RUN_FILE));
    Chord({'Q'});
    ASSERT_TRUE(PumpUntil([] { return Text() == u"q"; }));
    ::SendMessageW(frame->m_hWnd, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(Macros().IsRecording());
    ASSERT_NE(Macros().Events(), nullptr);
    EXPECT_EQ(Macros().Events()->size(), 2u);
    EXPECT_TRUE(Enabled(ID_KEYMACRO_LOAD));
    EXPECT_FALSE(MenuState(ID_KEYMACRO_RECORD) & MF_CHECKED);
}

// A window of another thread, brought to the front, stands for another
// program: it counts the keys it gets until it is told to quit.
struct OtherProgram {
    HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD thread = 0;
    volatile LONG keys = 0;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_KEYDOWN)
            ::InterlockedIncrement(&reinterpret_cast<OtherProgram*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA))->keys);
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    static DWORD WINAPI Run(LPVOID param) {
        auto* self = static_cast<OtherProgram*>(param);
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"keys test other program";
        ::RegisterClassW(&wc);
        HWND hwnd = ::CreateWindowW(wc.lpszClassName, L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                    nullptr, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        ::SetForegroundWindow(hwnd);
        ::SetFocus(hwnd);
        ::SetEvent(self->ready);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::DestroyWindow(hwnd);
        return 0;
    }
};

TEST_F(Keys, KeysTypedIntoAnotherProgramAreNeverRecorded) {
    Run(ID_KEYMACRO_RECORD);
    Chord({'K'});
    ASSERT_TRUE(PumpUntil([] { return Text() == u"k"; }));
    OtherProgram other;
    HANDLE thread = ::CreateThread(nullptr, 0, &OtherProgram::Run, &other, 0, &other.thread);
    ASSERT_EQ(::WaitForSingleObject(other.ready, 5000), WAIT_OBJECT_0);
    Chord({'Z'});
    Chord({'Z'});
    EXPECT_TRUE(PumpUntil([&] { return other.keys >= 2; }));
    ::PostThreadMessageW(other.thread, WM_QUIT, 0, 0);
    ::WaitForSingleObject(thread, 5000);
    ::CloseHandle(thread);
    ::CloseHandle(other.ready);
    // The editor lost the activation: the recording ended with its own key.
    EXPECT_FALSE(Macros().IsRecording());
    ASSERT_NE(Macros().Events(), nullptr);
    std::vector<uint32_t> keys;
    for (const KeyMacroEvent& e : *Macros().Events()) keys.push_back(e.paramL & 0xFF);
    EXPECT_EQ(keys, (std::vector<uint32_t>{'K', 'K'}));
    EXPECT_EQ(Text(), u"k");
}

TEST_F(Keys, SavesLoadsAndPlaysFilesOnceKeepingTheMacroSetAside) {
    RecordSample();
    const std::vector<KeyMacroEvent> recorded = *Macros().Events();
    const std::wstring saved = dir + L"sample.mac";
    AnswerFile(saved);
    Run(ID_KEYMACRO_SAVE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].save);
    EXPECT_EQ(asked[0].caption, L"キーボードマクロの保存");
    EXPECT_EQ(asked[0].defaultExt, L"mac");
    EXPECT_TRUE(boxes.empty());
    const std::string bytes = wtest::ReadBytes(saved);
    std::string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) text += bytes[i + 1] ? '?' : bytes[i];
    EXPECT_EQ(bytes.substr(0, 2), std::string("/\0", 2));  // UTF-16LE, no signature
    EXPECT_EQ(text.rfind("// pavin keyboard macro file\n// DO NOT EDIT THIS FILE\n256:1:", 0), 0u) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(2 + recorded.size()));
    EXPECT_EQ(text.find('\r'), std::string::npos);

    // A file that is no macro is refused and leaves no macro.
    const std::wstring bad = wtest::WriteFileIn(dir, L"bad.mac", "256:1:65:0\n");
    AnswerFile(bad);
    Run(ID_KEYMACRO_LOAD);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"キーボードマクロの読込に失敗しました。");
    EXPECT_EQ(boxes[0].caption, L"Error");
    EXPECT_FALSE(Macros().Exists());
    EXPECT_FALSE(Enabled(ID_KEYMACRO_PLAY));

    AnswerFile(saved);
    Run(ID_KEYMACRO_LOAD);
    ASSERT_NE(Macros().Events(), nullptr);
    EXPECT_EQ(*Macros().Events(), recorded);

    // Played once from a file ("x"), then the loaded macro is back.
    const std::wstring x = wtest::WriteFileIn(
        dir, L"x.mac", "// pavin keyboard macro file\n// DO NOT EDIT THIS FILE\n256:1:88:0\n257:1:88:0\n");
    AnswerFile(x);
    Run(ID_KEYMACRO_RUN_FILE);
    EXPECT_EQ(asked.back().caption, L"キーボードマクロの実行");
    // A second file while the first plays never takes the place set aside.
    EXPECT_FALSE(Macros().PlayFile(x));
    ASSERT_TRUE(PumpUntil([] { return !Macros().IsPlaying(); }));
    EXPECT_EQ(Text(), u"aBあx");
    ASSERT_NE(Macros().Events(), nullptr);
    EXPECT_EQ(*Macros().Events(), recorded);

    // A file that gives no macro keeps the one there.
    boxes.clear();
    AnswerFile(bad);
    Run(ID_KEYMACRO_RUN_FILE);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"キーボードマクロの実行に失敗しました。");
    ASSERT_NE(Macros().Events(), nullptr);
    EXPECT_EQ(*Macros().Events(), recorded);
    EXPECT_FALSE(Macros().IsPlaying());
}

TEST_F(Keys, ASaveThatCannotBeWrittenSaysSoAndLeavesTheFileAsItWas) {
    RecordSample();
    boxes.clear();
    AnswerFile(dir + L"no such folder\\a.mac");
    Run(ID_KEYMACRO_SAVE);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"キーボードマクロの保存に失敗しました。");
    EXPECT_EQ(boxes[0].caption, L"Error");
    // A folder in the file's place cannot be replaced: it stays, nothing beside it.
    const std::wstring folder = dir + L"taken.mac";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    boxes.clear();
    AnswerFile(folder);
    Run(ID_KEYMACRO_SAVE);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_NE(::GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((dir + L"*.tmp").c_str(), &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE) << found.cFileName;
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
}

// ---- The key-assignment dialog.

HWND Item(HWND dialog, int id) { return ::GetDlgItem(dialog, id); }

int Rows(HWND list) { return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring Cell(HWND list, int row, int column) {
    wchar_t text[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 256;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

int RowOf(HWND list, const std::wstring& text) {
    for (int row = 0; row < Rows(list); ++row)
        if (Cell(list, row, 0) == text) return row;
    return -1;
}

void Choose(HWND list, int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void Press(HWND dialog, int id) { ::SendMessageW(Item(dialog, id), BM_CLICK, 0, 0); }

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

// Keys pressed into the key field, through the input system.
void PressInto(HWND dialog, std::initializer_list<WORD> keys, const std::wstring& expected) {
    ::SetForegroundWindow(dialog);
    ::SetFocus(Item(dialog, IDC_ACCEL_KEY_EDIT));
    Chord(keys);
    wtest::WaitUntil([&] { return TextOf(Item(dialog, IDC_ACCEL_KEY_EDIT)) == expected; }, 3000, [&](MSG& msg) {
        if (::IsDialogMessageW(dialog, &msg)) return;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    });
}

TEST_F(Keys, EveryCatalogueCommandHasANameOfItsOwn) {
    std::set<std::wstring> names;
    for (const CatalogueRow& row : CommandCatalogue()) {
        const std::wstring name = GetCommandName(row.command);
        EXPECT_FALSE(name.empty()) << row.command;
        EXPECT_TRUE(names.insert(name).second) << row.command << " repeats a name";
        // No name is written twice over.
        EXPECT_TRUE(name.size() % 2 || name.substr(0, name.size() / 2) != name.substr(name.size() / 2)) << row.command;
        EXPECT_FALSE(GetCommandDescription(row.command).empty()) << row.command;
    }
    EXPECT_EQ(GetCommandName(ID_VIEW_EDIT_MODE_BAR), L"編集モードツールバー");
    EXPECT_EQ(GetCommandName(ID_EDIT_DELETE_WORD_AFTER), L"カーソル位置の単語の後ろを削除");
}

TEST_F(Keys, AssigningMovesAKeyAndOkInstallsAndSavesTheBindings) {
    const WORD editModeBar = ID_VIEW_EDIT_MODE_BAR;
    std::vector<std::wstring> seen;
    SetModalDialogHandler([&](const ModalDialogRequest& r) {
        HWND d = r.dialog;
        EXPECT_EQ(r.templateId, static_cast<UINT>(IDD_ACCELERATOR));
        HWND categories = Item(d, IDC_ACCEL_CATEGORIES), commands = Item(d, IDC_ACCEL_COMMANDS),
             keys = Item(d, IDC_ACCEL_KEYS);
        EXPECT_EQ(Rows(categories), 9);
        EXPECT_EQ(Cell(categories, 2, 0), L"カーソル移動");
        EXPECT_EQ(Rows(commands), 0);
        Choose(categories, RowOf(categories, L"ツール"));
        EXPECT_EQ(Rows(commands), 30);
        const int record = RowOf(commands, L"キーボードマクロの記録/停止");
        const int play = RowOf(commands, L"キーボードマクロの再生");
        ASSERT_GE(record, 0);
        ASSERT_GE(play, 0);
        EXPECT_EQ(Cell(commands, play, 2), L"F4");
        EXPECT_FALSE(::IsWindowEnabled(Item(d, IDC_ACCEL_ASSIGN)));
        Choose(commands, record);
        ASSERT_EQ(Rows(keys), 1);
        EXPECT_EQ(Cell(keys, 0, 0), L"Shift+F4");

        // A plain key shows once; an unfinished chord cannot be assigned.
        PressInto(d, {'Q'}, L"Q");
        seen.push_back(TextOf(Item(d, IDC_ACCEL_KEY_EDIT)));
        ::SetWindowTextW(Item(d, IDC_ACCEL_KEY_EDIT), L"Ctrl+");
        EXPECT_FALSE(::IsWindowEnabled(Item(d, IDC_ACCEL_ASSIGN)));
        PressInto(d, {VK_CONTROL, VK_SHIFT, VK_F5}, L"Ctrl+Shift+F5");
        seen.push_back(TextOf(Item(d, IDC_ACCEL_KEY_EDIT)));
        EXPECT_TRUE(::IsWindowEnabled(Item(d, IDC_ACCEL_ASSIGN)));
        EXPECT_EQ(TextOf(Item(d, IDC_ACCEL_INFO)), L"");

        // F4 moves from play to record, visibly.
        ::SetWindowTextW(Item(d, IDC_ACCEL_KEY_EDIT), L"F4");
        EXPECT_EQ(TextOf(Item(d, IDC_ACCEL_INFO)), L"現在の割り当て：キーボードマクロの再生");
        Press(d, IDC_ACCEL_ASSIGN);
        EXPECT_EQ(TextOf(Item(d, IDC_ACCEL_KEY_EDIT)), L"");
        EXPECT_EQ(Cell(commands, play, 2), L"");
        EXPECT_EQ(Cell(commands, record, 2), L"Shift+F4, F4");
        ASSERT_EQ(Rows(keys), 2);

        // Shift+F4 removed from record.
        EXPECT_FALSE(::IsWindowEnabled(Item(d, IDC_ACCEL_REMOVE)));
        Choose(keys, 0);
        EXPECT_TRUE(::IsWindowEnabled(Item(d, IDC_ACCEL_REMOVE)));
        Press(d, IDC_ACCEL_REMOVE);
        EXPECT_EQ(Cell(commands, record, 2), L"F4");

        // Ctrl+Shift+F5 to the edit-mode toolbar, in the view category.
        Choose(categories, RowOf(categories, L"表示"));
        const int bar = RowOf(commands, L"編集モードツールバー");
        ASSERT_GE(bar, 0);
        Choose(commands, bar);
        ::SetWindowTextW(Item(d, IDC_ACCEL_KEY_EDIT), L"Ctrl+Shift+F5");
        Press(d, IDC_ACCEL_ASSIGN);
        EXPECT_EQ(Cell(commands, bar, 2), L"Ctrl+Shift+F5");
        ::SendMessageW(d, WM_COMMAND, IDOK, 0);
    });
    Run(ID_KEY_ASSIGN);
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"Q", L"Ctrl+Shift+F5"}));
    CAcceleratorTable& table = frame->GetAccelTable();
    EXPECT_EQ(table.FindKey(VK_F4, kAccelBase), ID_KEYMACRO_RECORD);
    EXPECT_EQ(table.FindKey(VK_F4, kAccelBase | kAccelShift), 0);
    EXPECT_EQ(table.FindKey(VK_F5, kAccelBase | kAccelCtrl | kAccelShift), editModeBar);
    const std::string ini = wtest::AsciiOfUtf16(wtest::ReadBytes(dir + L"wendrel.ini"));
    EXPECT_NE(ini.find("ACCEL_CNT=" + std::to_string(table.GetCount())), std::string::npos) << ini;
    EXPECT_NE(ini.find("CMD_0072=32958"), std::string::npos);
    EXPECT_NE(ini.find("KEY_0072=116"), std::string::npos);
    EXPECT_NE(ini.find("VIRT_0072=15"), std::string::npos);

    // The new key runs its command through the accelerators at once.
    const bool shown = ::IsWindowVisible(frame->m_wndEditModeBar.m_hWnd);
    ::SetForegroundWindow(frame->m_hWnd);
    ::SetFocus(Editor().m_hWnd);
    Chord({VK_CONTROL, VK_SHIFT, VK_F5});
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(frame->m_wndEditModeBar.m_hWnd) != shown; }));
    frame->ShowControlBar(&frame->m_wndEditModeBar, shown);

    // Defaults: asked first; Cancel keeps the table, OK restores it.
    SetModalDialogHandler([&](const ModalDialogRequest& r) {
        HWND d = r.dialog;
        boxAnswer = IDCANCEL;
        Choose(Item(d, IDC_ACCEL_CATEGORIES), 0);
        Press(d, IDC_ACCEL_DEFAULTS);
        EXPECT_GT(Rows(Item(d, IDC_ACCEL_COMMANDS)), 0);  // nothing happened
        boxAnswer = IDOK;
        Press(d, IDC_ACCEL_DEFAULTS);
        EXPECT_EQ(Rows(Item(d, IDC_ACCEL_COMMANDS)), 0);  // the lists start again
        ::SendMessageW(d, WM_COMMAND, IDOK, 0);
    });
    boxes.clear();
    Run(ID_KEY_ASSIGN);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, L"キー割り当てをデフォルトの設定に戻します。\nよろしいですか？");
    EXPECT_EQ(boxes[0].caption, L"確認");
    CAcceleratorTable defaults;
    defaults.LoadDefault();
    ASSERT_EQ(table.GetCount(), defaults.GetCount());
    EXPECT_EQ(table.FindKey(VK_F4, kAccelBase), ID_KEYMACRO_PLAY);
}

TEST_F(Keys, CancelLeavesEveryBindingAsItWas) {
    CAcceleratorTable before;
    before.Copy(frame->GetAccelTable());
    SetModalDialogHandler([&](const ModalDialogRequest& r) {
        HWND d = r.dialog;
        Choose(Item(d, IDC_ACCEL_CATEGORIES), 0);
        Choose(Item(d, IDC_ACCEL_COMMANDS), 0);
        ::SetWindowTextW(Item(d, IDC_ACCEL_KEY_EDIT), L"Ctrl+S");
        Press(d, IDC_ACCEL_ASSIGN);
        boxAnswer = IDOK;
        Press(d, IDC_ACCEL_DEFAULTS);
        ::SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
    });
    Run(ID_KEY_ASSIGN);
    const CAcceleratorTable& after = frame->GetAccelTable();
    ASSERT_EQ(after.GetCount(), before.GetCount());
    for (int i = 0; i < after.GetCount(); ++i) {
        EXPECT_EQ(after.GetAt(i).key, before.GetAt(i).key);
        EXPECT_EQ(after.GetAt(i).cmd, before.GetAt(i).cmd);
        EXPECT_EQ(after.GetAt(i).fVirt, before.GetAt(i).fVirt);
    }
}

}  // namespace
