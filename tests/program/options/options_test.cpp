// The options sheet and the file-format dialog on the running editor: the
// sheet answered through the modal-dialog seam inside its real modal loop
// (each page's controls, the preview, OK reaching the settings file and
// every open editor, Cancel changing nothing, checks when a page is left),
// and the file format chosen for a file reaching its saved bytes.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/app_resource.h"
#include "app/main_frame.h"
#include "app/pavin_doc.h"
#include "app/profile/app_settings.h"
#include "program/pavin_app.h"
#include "app/resource.h"
#include "editctrl/edit_ctrl.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "tests/support/editor_program.h"
#include "tests/support/test_files.h"
#include "textengine/kanjicode.h"
#include "view/option_sheet.h"
#include "view/options_resource.h"

namespace {

constexpr DWORD kRowNumberBit = 0x20;

// What the window shows, as it paints itself into a bitmap.
std::vector<uint32_t> Picture(CEditCtrl& editor) {
    const CRect rc = editor.GetClientRect();
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), rc.Width(), -rc.Height(), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    editor.PaintTo(dc);
    ::GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + rc.Width() * rc.Height());
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

class Options : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = wtest::MakeProgramFolder(L"wendrel options ");
        app = new CPavinApp;
        app->m_nCmdShow = SW_SHOWNOACTIVATE;
        ASSERT_TRUE(wtest::StartEditor(*app, dir, L""));
        frame = wtest::WindowsOf(*app).frame;
        ASSERT_NE(frame, nullptr);
        // Two files, so that "every open editor" means more than one.
        for (const wchar_t* name : {L"one.txt", L"two.txt"}) {
            wtest::WriteBytes(dir + name, "text\r\n\tindented\r\n");
            ASSERT_NE(app->OpenDocumentFile((dir + name).c_str()), nullptr);
        }
    }

    void SetUp() override {
        ASSERT_NE(frame, nullptr);
        app->Context().openKanjiCode = KanjiCode::Detect;
        SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            boxes.push_back(r.text);
            return boxAnswer;
        });
    }
    void TearDown() override {
        SetMessageBoxHandler(nullptr);
        SetModalDialogHandler(nullptr);
        SetColorDialogHandler(nullptr);
        SetFolderDialogHandler(nullptr);
        SetFileDialogHandler(nullptr);
    }

    static CPavinDoc* Doc() { return dynamic_cast<CPavinDoc*>(frame->GetActiveDocument()); }
    static void Run(UINT id) { frame->RouteCmdMsg(id, nullptr); }
    static std::string Ini() { return wtest::ReadBytes(dir + L"wendrel.ini"); }
    static std::vector<CEditCtrl*> Editors() {
        std::vector<CEditCtrl*> editors;
        for (const auto& r : Doc()->Files().Records())
            if (r->id > 0) editors.push_back(&static_cast<CDocFile*>(r.get())->editor);
        return editors;
    }

    // Runs the options command; inside its modal loop the sheet goes to
    // drive, which ends it.
    void RunOptions(const std::function<void(COptionSheet&)>& drive) {
        int answered = 0;
        SetModalDialogHandler([&](const ModalDialogRequest& r) {
            ++answered;
            COptionSheet* sheet = WndCast<COptionSheet>(r.dialog);
            ASSERT_NE(sheet, nullptr);
            drive(*sheet);
        });
        Run(ID_TOOL_OPTION);
        SetModalDialogHandler(nullptr);
        EXPECT_EQ(answered, 1);
        EXPECT_EQ(::IsWindowEnabled(frame->m_hWnd), TRUE);
    }

    static void Command(HWND page, int id, WORD code) {
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
    }
    static void SetCheck(HWND page, int id, bool on) {
        ::SendMessageW(::GetDlgItem(page, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
        Command(page, id, BN_CLICKED);
    }
    static bool Checked(HWND page, int id) {
        return ::SendMessageW(::GetDlgItem(page, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    // SetWindowText sends the field's EN_CHANGE as typing does.
    static void Type(HWND page, int id, const wchar_t* text) { ::SetWindowTextW(::GetDlgItem(page, id), text); }
    static std::wstring Text(HWND page, int id) {
        wchar_t text[MAX_PATH] = {};
        ::GetWindowTextW(::GetDlgItem(page, id), text, MAX_PATH);
        return text;
    }
    static void SelectData(HWND page, int id, LPARAM data) {
        HWND combo = ::GetDlgItem(page, id);
        const int n = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i)
            if (::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == data)
                ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    }
    static HWND ShowPage(COptionSheet& sheet, int index) {
        sheet.SetActivePage(index);
        return sheet.GetPage(index)->m_hWnd;
    }

    static inline std::wstring dir;
    static inline CPavinApp* app = nullptr;
    static inline CMainFrame* frame = nullptr;
    std::vector<std::wstring> boxes;
    int boxAnswer = IDOK;
};

TEST_F(Options, TheSheetShowsFourPagesInOrderAndThePreviewFollowsTheEditorPage) {
    RunOptions([&](COptionSheet& sheet) {
        EXPECT_EQ(sheet.GetWindowText(), CString(L"オプション"));
        HWND tabs = reinterpret_cast<HWND>(sheet.SendMessage(PSM_GETTABCONTROL));
        ASSERT_EQ(TabCtrl_GetItemCount(tabs), 4);
        const wchar_t* titles[] = {L"エディタ", L"編集", L"設定", L"設定(2)"};
        for (int i = 0; i < 4; ++i) {
            wchar_t text[32] = {};
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = 32;
            TabCtrl_GetItem(tabs, i, &item);
            EXPECT_EQ(std::wstring(text), titles[i]);
        }
        EXPECT_EQ(::GetDlgItem(sheet.m_hWnd, 0x3021) && ::IsWindowVisible(::GetDlgItem(sheet.m_hWnd, 0x3021)),
                  false);

        HWND page = sheet.m_editorPage.m_hWnd;
        CEditCtrl& preview = sheet.m_editorPage.Preview();
        ASSERT_TRUE(preview.IsWindow());
        EXPECT_EQ(preview.GetEditData()->GetLineCount(), 4);
        // The search colour shows on "body" from the start.
        EXPECT_TRUE(preview.IsSearchHighlightOn());
        const std::vector<uint32_t> shown = Picture(preview);
        SetCheck(page, 2045, !Checked(page, 2045));
        EXPECT_EQ((preview.GetStyleWord() & kRowNumberBit) != 0, Checked(page, 2045));
        const std::vector<uint32_t> toggled = Picture(preview);
        EXPECT_NE(toggled, shown);
        SetCheck(page, 2045, !Checked(page, 2045));
        EXPECT_EQ((preview.GetStyleWord() & kRowNumberBit) != 0, Checked(page, 2045));
        EXPECT_NE(Picture(preview), toggled);
        // A colour chosen shows in the preview at once.
        SetColorDialogHandler([](ColorDialogRequest& r) {
            r.color = RGB(255, 255, 0);
            return true;
        });
        Command(page, IDC_COLOR_BG, BN_CLICKED);
        const std::vector<uint32_t> yellow = Picture(preview);
        EXPECT_NE(std::count(yellow.begin(), yellow.end(), 0xFFFF00u), 0);
        // The preview shows numbers clamped as it can show them.
        Type(page, 2016, L"500");
        EXPECT_EQ(sheet.m_editorPage.PreviewData().GetDispData().widths.TabSize(), 200);
        Type(page, 2016, L"8");
        EXPECT_EQ(sheet.m_editorPage.PreviewData().GetDispData().widths.TabSize(), 8);
        const int rowHeight = preview.GetRowHeight();
        Type(page, 2051, L"6");
        EXPECT_EQ(preview.GetRowHeight(), rowHeight + 6);
        sheet.PressButton(PSBTN_CANCEL);
    });
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Options, OkStoresEveryPageSavesTheFileAndReachesEveryOpenEditor) {
    const CAppSettings before = app->Context().settings;
    const bool rowNumbers = app->Context().settings.showRowNum != 0;
    RunOptions([&](COptionSheet& sheet) {
        HWND page = sheet.m_editorPage.m_hWnd;
        SetCheck(page, 2045, !rowNumbers);
        Type(page, 2016, L"8");
        SetColorDialogHandler([](ColorDialogRequest& r) {
            r.color = RGB(1, 2, 3);
            return true;
        });
        Command(page, IDC_COLOR_BG, BN_CLICKED);
        EXPECT_EQ(sheet.m_editorPage.Preview().Disp().GetColor(3), RGB(1, 2, 3));

        page = ShowPage(sheet, 1);
        ::SendMessageW(::GetDlgItem(page, IDC_INDENT_MODE), CB_SETCURSEL, 1, 0);
        SetCheck(page, IDC_DRAG_DROP_EDIT, true);
        Type(page, 1213, L"250");

        page = ShowPage(sheet, 2);
        Type(page, IDC_BROWSER_FIREFOX, L"C:\\fx\\firefox.exe");
        SelectData(page, IDC_DEFAULT_KANJI_CODE, KanjiCodeNumber(KanjiCode::UTF8));
        SelectData(page, IDC_DEFAULT_LINE_TYPE, 2);
        SelectData(page, IDC_FILE_OPEN_KANJI_CODE, KanjiCodeNumber(KanjiCode::EUC));
        ::SendMessageW(::GetDlgItem(page, IDC_DEFAULT_EDIT_MODE), CB_SETCURSEL, 0, 0);  // "前回起動時の設定"

        page = ShowPage(sheet, 3);
        SetCheck(page, 2065, true);  // tabs on several rows
        Type(page, 2015, L"20");
        sheet.PressButton(PSBTN_OK);
    });
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(app->Context().settings.showRowNum, rowNumbers ? 0 : 1);
    EXPECT_EQ(app->Context().settings.tabStop, 8);
    EXPECT_EQ(app->Context().settings.bgColor, RGB(1, 2, 3));
    EXPECT_EQ(app->Context().settings.indentMode, 1);
    EXPECT_EQ(app->Context().settings.dragDropEdit, 1);
    EXPECT_EQ(app->Context().settings.bracketsBlinkTime, 250);
    EXPECT_TRUE(app->Context().settings.browserFirefox == u"C:\\fx\\firefox.exe");
    EXPECT_EQ(app->Context().settings.defaultKanjiCode, KanjiCodeNumber(KanjiCode::UTF8));
    EXPECT_EQ(app->Context().settings.defaultLineType, 2);
    EXPECT_EQ(app->Context().settings.fileOpenKanjiCode, KanjiCodeNumber(KanjiCode::EUC));
    EXPECT_EQ(app->Context().openKanjiCode, KanjiCode::EUC);
    EXPECT_TRUE(app->Context().settings.defaultEditModeStr == u"NONE");
    EXPECT_EQ(app->Context().settings.tabMultiRow, 1);
    EXPECT_EQ(app->Context().settings.maxMru, 16);
    // What the sheet doesn't show is kept.
    EXPECT_EQ(app->Context().settings.lineMode, before.lineMode);
    EXPECT_TRUE(app->Context().settings.fontFaceName == before.fontFaceName);

    const std::string ini = wtest::AsciiOfUtf16(Ini());
    EXPECT_NE(ini.find(rowNumbers ? "SHOW_ROW_NUM=0" : "SHOW_ROW_NUM=1"), std::string::npos);
    EXPECT_NE(ini.find("TABSTOP=8"), std::string::npos);
    EXPECT_NE(ini.find("MAX_MRU=16"), std::string::npos);
    ASSERT_GE(Editors().size(), 2u);
    for (CEditCtrl* editor : Editors()) {
        EXPECT_EQ((editor->GetStyleWord() & kRowNumberBit) != 0, !rowNumbers);
        EXPECT_EQ(editor->Disp().GetColor(3), RGB(1, 2, 3));
        EXPECT_EQ(editor->GetEditData()->GetDispData().widths.TabSize(), 8);
    }
    app->Context().settings = before;
}

TEST_F(Options, CancelChangesNoSettingNoFileAndNoEditor) {
    const CAppSettings before = app->Context().settings;
    const std::string ini = Ini();
    std::vector<DWORD> styles;
    for (CEditCtrl* editor : Editors()) styles.push_back(editor->GetStyleWord());
    RunOptions([&](COptionSheet& sheet) {
        HWND page = sheet.m_editorPage.m_hWnd;
        SetCheck(page, 2045, !Checked(page, 2045));
        Type(page, 2016, L"12");
        Command(page, IDC_DEFAULT_COLORS, BN_CLICKED);
        page = ShowPage(sheet, 3);
        SetCheck(page, 2065, !Checked(page, 2065));
        Command(page, IDC_DEFAULT_COLORS, BN_CLICKED);
        sheet.PressButton(PSBTN_CANCEL);
    });
    EXPECT_EQ(app->Context().settings, before);
    EXPECT_EQ(Ini(), ini);
    std::vector<DWORD> after;
    for (CEditCtrl* editor : Editors()) after.push_back(editor->GetStyleWord());
    EXPECT_EQ(after, styles);
}

TEST_F(Options, NumbersAreCheckedWhenThePageIsLeftNotWhileTyping) {
    const CAppSettings before = app->Context().settings;
    RunOptions([&](COptionSheet& sheet) {
        HWND page = sheet.m_editorPage.m_hWnd;
        // Clearing a field to type anew raises nothing.
        for (const wchar_t* typing : {L"", L"-", L"x", L"0"}) Type(page, 2016, typing);
        EXPECT_TRUE(boxes.empty());
        struct Case {
            int id;
            const wchar_t* typed;
            const wchar_t* box;
        } refused[] = {
            {2016, L"0", L"1 から 200 までの整数を入力してください。"},
            {2016, L"abc", L"整数を入力してください。"},
            {2051, L"-1", L"0 から 20 までの整数を入力してください。"},
            {2059, L"5", L"20 から 200 までの整数を入力してください。"},
        };
        for (const Case& c : refused) {
            boxes.clear();
            Type(page, c.id, c.typed);
            EXPECT_FALSE(sheet.SetActivePage(1));
            EXPECT_EQ(sheet.GetActiveIndex(), 0);
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0], c.box);
            EXPECT_EQ(::GetFocus(), ::GetDlgItem(page, c.id));
            Type(page, c.id, c.id == 2059 ? L"80" : L"4");
        }
        boxes.clear();
        // OK checks the page it is on as well.
        page = ShowPage(sheet, 1);
        EXPECT_EQ(sheet.GetActiveIndex(), 1);
        Type(page, 1213, L"6000");
        sheet.PressButton(PSBTN_OK);
        EXPECT_EQ(boxes, std::vector<std::wstring>{L"0 から 5000 までの整数を入力してください。"});
        EXPECT_TRUE(::IsWindow(sheet.m_hWnd));
        sheet.PressButton(PSBTN_CANCEL);
    });
    EXPECT_EQ(app->Context().settings, before);
}

TEST_F(Options, DefaultsButtonsResetOnlyTheColoursAndEnabledStatesFollowTheChecks) {
    RunOptions([&](COptionSheet& sheet) {
        HWND page = sheet.m_editorPage.m_hWnd;
        SetCheck(page, 2019, false);
        Type(page, 2016, L"7");
        sheet.m_values.textColor = RGB(255, 0, 0);
        Command(page, IDC_DEFAULT_COLORS, BN_CLICKED);
        EXPECT_EQ(sheet.m_values.textColor, 0u);
        EXPECT_EQ(sheet.m_values.ruledLineColor, 0xb4b4b4u);
        EXPECT_FALSE(Checked(page, 2019));
        EXPECT_EQ(Text(page, 2016), L"7");

        page = ShowPage(sheet, 1);
        SetCheck(page, IDC_ENABLE_CONFINEMENT, false);
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_FIRST_CONFINEMENT)));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_LAST_CONFINEMENT)));
        SetCheck(page, IDC_ENABLE_CONFINEMENT, true);
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, IDC_FIRST_CONFINEMENT)));
        SetCheck(page, IDC_DRAG_DROP_EDIT, true);
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_TEXT_DROP_EDIT)));
        SetCheck(page, IDC_DRAG_DROP_EDIT, false);
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, IDC_TEXT_DROP_EDIT)));

        page = ShowPage(sheet, 3);
        sheet.m_values.fileTabTextColor = RGB(9, 9, 9);
        SetCheck(page, 2065, true);
        Command(page, IDC_DEFAULT_COLORS, BN_CLICKED);
        EXPECT_EQ(sheet.m_values.fileTabTextColor, ::GetSysColor(COLOR_WINDOWTEXT));
        EXPECT_EQ(sheet.m_values.fileTabActiveBkColor, ::GetSysColor(COLOR_BTNFACE));
        EXPECT_TRUE(Checked(page, 2065));
        sheet.PressButton(PSBTN_CANCEL);
    });
}

TEST_F(Options, SetupPageBrowsesFromTheFieldsAndListsTheCurrentFilterFirst) {
    RunOptions([&](COptionSheet& sheet) {
        HWND page = ShowPage(sheet, 2);
        std::vector<std::wstring> folders;
        SetFolderDialogHandler([&](FolderDialogRequest& r) {
            folders.push_back(r.title + L"|" + r.folder);
            r.folder = L"D:\\chosen";
            return true;
        });
        Type(page, IDC_INITIAL_DIR, L"C:\\start\\here\\");
        Command(page, IDC_BROWSE_INITIAL_DIR, BN_CLICKED);
        EXPECT_EQ(folders, std::vector<std::wstring>{L"起動時のディレクトリの選択|C:\\start\\here"});
        EXPECT_EQ(Text(page, IDC_INITIAL_DIR), L"D:\\chosen");

        // Each browser's button browses for its own field, from its path.
        struct Browse {
            int button, field;
        } browses[] = {{IDC_BROWSE_FIREFOX, IDC_BROWSER_FIREFOX},
                       {IDC_BROWSE_IE, IDC_BROWSER_IE},
                       {IDC_BROWSE_NS, IDC_BROWSER_NS}};
        for (const Browse& b : browses) {
            std::wstring offered;
            SetFileDialogHandler([&](FileDialogRequest& r) {
                offered = r.path;
                r.path = L"C:\\programs\\browser" + std::to_wstring(b.button) + L".exe";
                return true;
            });
            Type(page, b.field, L"C:\\old\\browser.exe");
            Command(page, b.button, BN_CLICKED);
            EXPECT_EQ(offered, L"C:\\old\\browser.exe");
            EXPECT_EQ(Text(page, b.field), L"C:\\programs\\browser" + std::to_wstring(b.button) + L".exe");
        }

        HWND filter = ::GetDlgItem(page, IDC_FILE_LIST_FILTER);
        EXPECT_EQ(::SendMessageW(filter, CB_GETCOUNT, 0, 0), 9);
        EXPECT_EQ(Text(page, IDC_FILE_LIST_FILTER), AsWide(app->Context().settings.fileListFilter.c_str()));
        sheet.PressButton(PSBTN_CANCEL);
    });
}

// ---- The file format of the current file.

struct FormatCase {
    KanjiCode code;
    int lineEnd;
    std::string bytes;  // "あ", the line end, "b"
};

TEST_F(Options, FileFormatChoiceReachesTheSavedBytes) {
    const FormatCase cases[] = {
        {KanjiCode::UTF8NoSig, 2, "\xE3\x81\x82\nb"},
        {KanjiCode::UTF8, 1, "\xEF\xBB\xBF\xE3\x81\x82\r\nb"},
        {KanjiCode::SJIS, 3, "\x82\xA0\rb"},
        {KanjiCode::EUC, 2, "\xA4\xA2\nb"},
        {KanjiCode::JIS, 1, "\x1B$B$\"\x1B(J\r\nb"},
        {KanjiCode::Unicode, 2, std::string("\xFF\xFE\x42\x30\n\0b\0", 8)},
        {KanjiCode::UTF16BENoSig, 1, std::string("\x30\x42\0\r\0\n\0b", 8)},
    };
    const std::wstring path = dir + L"format.txt";
    wtest::WriteBytes(path, "\x82\xA0\r\nb");
    ASSERT_NE(app->OpenDocumentFile(path.c_str()), nullptr);
    for (const FormatCase& c : cases) {
        int shown = 0;
        SetModalDialogHandler([&](const ModalDialogRequest& r) {
            ++shown;
            EXPECT_EQ(r.templateId, static_cast<UINT>(IDD_FILE_FORMAT));
            SelectData(r.dialog, IDC_FILE_KANJI_CODE, KanjiCodeNumber(c.code));
            SelectData(r.dialog, IDC_FILE_LINE_END, c.lineEnd);
            ::SendMessageW(r.dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        Run(ID_FILE_FORMAT);
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(Doc()->Current().kanjiCode, c.code);
        EXPECT_EQ(LineEndTypeNumber(Doc()->Current().lineEnd), c.lineEnd);
        EXPECT_TRUE(Doc()->Current().IsModified());
        Run(ID_FILE_SAVE);
        EXPECT_EQ(wtest::ReadBytes(path), c.bytes) << KanjiCodeNumber(c.code) << "/" << c.lineEnd << wtest::Utf8(boxes.empty() ? L"" : boxes.back());
        EXPECT_FALSE(Doc()->Current().IsModified());
    }
    EXPECT_EQ(boxes, std::vector<std::wstring>{});
}

TEST_F(Options, AFormatThatLosesTextAsksFirstAndTheOldFormatUndoesTheChange) {
    const std::wstring path = dir + L"lossy.txt";
    wtest::WriteBytes(path, "\xEF\xBB\xBF\xF0\x9F\x98\x80\n");  // an emoji in UTF-8
    ASSERT_NE(app->OpenDocumentFile(path.c_str()), nullptr);
    ASSERT_EQ(Doc()->Current().kanjiCode, KanjiCode::UTF8);
    auto choose = [&](KanjiCode code, int lineEnd) {
        SetModalDialogHandler([=](const ModalDialogRequest& r) {
            SelectData(r.dialog, IDC_FILE_KANJI_CODE, KanjiCodeNumber(code));
            SelectData(r.dialog, IDC_FILE_LINE_END, lineEnd);
            ::SendMessageW(r.dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        Run(ID_FILE_FORMAT);
    };
    boxAnswer = IDNO;
    choose(KanjiCode::SJIS, 2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(L"表せない文字が 1 個"), std::wstring::npos);
    EXPECT_EQ(Doc()->Current().kanjiCode, KanjiCode::UTF8);
    EXPECT_FALSE(Doc()->Current().IsModified());

    boxAnswer = IDYES;
    choose(KanjiCode::SJIS, 2);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(Doc()->Current().kanjiCode, KanjiCode::SJIS);
    EXPECT_TRUE(Doc()->Current().IsModified());
    EXPECT_NE(std::wstring(Doc()->GetTitle()).find(L" *"), std::wstring::npos);
    // Choosing the file's own format again takes the change back.
    choose(KanjiCode::UTF8, 2);
    EXPECT_FALSE(Doc()->Current().IsModified());
    EXPECT_EQ(std::wstring(Doc()->GetTitle()).find(L" *"), std::wstring::npos);
    EXPECT_EQ(boxes.size(), 2u);  // UTF-8 holds everything: no question
}

}  // namespace
