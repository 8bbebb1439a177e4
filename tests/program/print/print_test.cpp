// Printing from the editor as a user does it: the print dialog driven
// through its controls (what it reads from [PRINT], held to its ranges, and
// what its OK writes and remembers), the print command on the file and on
// its selection, the refusals before anything reaches the printer, and the
// dialog on a machine without printers.
//
// The printer cases need a printer named by WENDREL_TEST_PRINTER (the
// script tests/outside/print-scenarios starts a CUPS-PDF queue for them)
// and skip without one; each document they print is added, with the pages
// it must have, to print-jobs.txt of the output folder, and the script
// checks the PDFs against that list. The no-printer case runs only when the
// machine has no printer at all.
#include <gtest/gtest.h>
#include <windows.h>

#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/pavin_doc.h"
#include "program/pavin_app.h"
#include "app/profile/app_settings.h"
#include "editctrl/edit_ctrl.h"
#include "framework/cmdids.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "tests/support/editor_program.h"
#include "tests/support/test_files.h"
#include "view/pavin_view.h"
#include "view/print_dlg.h"
#include "view/print_resource.h"
#include "view/print_layout.h"
#include "view/printer_access.h"
#include "view/view_print.h"

namespace {

struct Box {
    std::wstring text, caption;
    UINT type;
};

// What the dialog showed when the test's hand reached it.
struct DialogView {
    bool shown = false;
    int printers = 0;
    std::wstring printer;
    std::wstring top, bottom, left, right;
    bool title = false, page = false, rowNum = false, date = false;
    bool okEnabled = false, propertiesEnabled = false;
    std::wstring info, face, point;
};

std::wstring Text(HWND dialog, int id) {
    wchar_t buf[256] = {};
    ::GetDlgItemTextW(dialog, id, buf, 256);
    return buf;
}

bool Checked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SetCheck(HWND dialog, int id, bool on) {
    if (Checked(dialog, id) != on) ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

DialogView Look(HWND d) {
    DialogView v;
    v.shown = true;
    v.printers = int(::SendDlgItemMessageW(d, IDC_PRINT_PRINTER, CB_GETCOUNT, 0, 0));
    v.printer = Text(d, IDC_PRINT_PRINTER);
    v.top = Text(d, IDC_PRINT_SPACE_TOP);
    v.bottom = Text(d, IDC_PRINT_SPACE_BOTTOM);
    v.left = Text(d, IDC_PRINT_SPACE_LEFT);
    v.right = Text(d, IDC_PRINT_SPACE_RIGHT);
    v.title = Checked(d, IDC_PRINT_TITLE);
    v.page = Checked(d, IDC_PRINT_PAGE);
    v.rowNum = Checked(d, IDC_PRINT_ROW_NUM);
    v.date = Checked(d, IDC_PRINT_DATE);
    v.okEnabled = ::IsWindowEnabled(::GetDlgItem(d, IDOK)) != FALSE;
    v.propertiesEnabled = ::IsWindowEnabled(::GetDlgItem(d, IDC_PRINT_PROPERTIES)) != FALSE;
    v.info = Text(d, IDC_PRINT_INFO);
    v.face = Text(d, IDC_PRINT_FONT_FACE);
    v.point = Text(d, IDC_PRINT_FONT_POINT);
    return v;
}

// "%d行, %d列" read back; false when the text is not of that form.
bool ReadInfo(const std::wstring& info, int& lines, int& chars) {
    return std::swscanf(info.c_str(), L"%d行, %d列", &lines, &chars) == 2;
}

bool MachineHasPrinters() {
    std::vector<std::wstring> names;
    DWORD error = 0;
    return EnumPrinterNames(names, error) && !names.empty();
}

std::wstring TestPrinter() {
    const wchar_t* name = _wgetenv(L"WENDREL_TEST_PRINTER");
    return name ? name : L"";
}

class Print : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(editor_.Start(L"wendrel_print_", [](const std::wstring& dir) {
            wtest::WriteBytes(dir + L"text.txt", "alpha\r\n");
            return wtest::QuotedPath(dir + L"text.txt");
        }));
    }
    static void TearDownTestSuite() { editor_.End(); }

    void SetUp() override {
        const wtest::EditorWindows windows = editor_.Windows();
        view = windows.view;
        ASSERT_NE(view, nullptr);
        editor = windows.editor;
        ASSERT_NE(editor, nullptr);
        doc = windows.doc;
        ASSERT_NE(doc, nullptr);
        SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            boxes.push_back({r.text, r.caption, r.type});
            return IDOK;
        });
        editor_.app->Context().printerMemory.Clear();
        for (const char16_t* key : {u"SPACE_TOP", u"SPACE_BOTTOM", u"SPACE_LEFT", u"SPACE_RIGHT", u"PRINT_TITLE",
                                    u"PRINT_PAGE", u"PRINT_ROW_NUM", u"PRINT_DATE", u"FONT_FACE_NAME", u"FONT_POINT",
                                    u"PRINTER_NAME"})
            Ini().Erase(u"PRINT", key);
        editor_.app->Context().settings.lineMode = 0;
    }
    void TearDown() override {
        SetMessageBoxHandler(nullptr);
        SetModalDialogHandler(nullptr);
    }

    static std::wstring JobsFile() { return L"" TEST_OUTPUT_DIR L"\\print-jobs.txt"; }
    // Tells the checking script what a print must have produced.
    // pages 0: no document at all; atLeast: that many or more.
    static void ExpectJob(const std::wstring& title, int pages, bool atLeast = false) {
        std::string line = ToNarrow(title) + "\t" + (atLeast ? ">=" : "") + std::to_string(pages) + "\n";
        std::string all = wtest::ReadBytes(JobsFile());
        if (all == "<missing>") all.clear();
        wtest::WriteBytes(JobsFile(), all + line);
    }
    static std::string ToNarrow(const std::wstring& w) {
        const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), int(w.size()), nullptr, 0, nullptr, nullptr);
        std::string s(std::size_t(n), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), int(w.size()), s.data(), n, nullptr, nullptr);
        return s;
    }

    CIniProfile& Ini() { return *editor_.app->m_pIniProfile; }
    std::wstring IniValue(const char16_t* key) {
        const std::u16string* v = Ini().Find(u"PRINT", key);
        return v ? ToWide(*v) : L"<none>";
    }
    void SetText(const std::u16string& text) {
        editor->Model().SelectAll();
        editor->Model().ReplaceSelection(text.c_str(), false);
        editor->Model().ClearSelection(true);
        editor->Model().MoveToTextStart(false);
    }
    // Lines "line 1" ... "line n".
    static std::u16string Lines(int n) {
        std::u16string text;
        for (int i = 1; i <= n; ++i) text += u"line " + ToU16(std::to_wstring(i)) + (i < n ? u"\n" : u"");
        return text;
    }

    // Runs the print command; the hand looks at the dialog, may change it,
    // and presses the button.
    DialogView PrintWith(const std::function<void(HWND)>& change, int button = IDOK) {
        DialogView seen;
        SetModalDialogHandler([&](const ModalDialogRequest& r) {
            EXPECT_EQ(r.templateId, UINT(IDD_PRINT_DLG));
            seen = Look(r.dialog);
            if (change) change(r.dialog);
            ::SendMessageW(r.dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        });
        boxes.clear();
        view->OnCmdMsg(ID_FILE_PRINT, nullptr);
        SetModalDialogHandler(nullptr);
        return seen;
    }
    bool Told(const wchar_t* text) {
        for (const Box& b : boxes)
            if (b.text == text && b.caption == L"印刷") return true;
        return false;
    }

    static inline wtest::SuiteEditor editor_;
    CPavinView* view = nullptr;
    CEditCtrl* editor = nullptr;
    CPavinDoc* doc = nullptr;
    std::vector<Box> boxes;
};

#define NEED_PRINTER()                                              \
    if (TestPrinter().empty()) {                                    \
        GTEST_SKIP() << "WENDREL_TEST_PRINTER names no printer";     \
    }

TEST_F(Print, WithoutPrintersTheDialogOffersNothingToPrintOn) {
    // The printing script asks for this case with no server running.
    if (_wgetenv(L"WENDREL_TEST_NO_PRINTER")) {
        ASSERT_FALSE(MachineHasPrinters());
    }
    if (MachineHasPrinters()) {
        GTEST_SKIP() << "this machine has printers";
    }
    const DialogView seen = PrintWith(nullptr);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.printers, 0);
    EXPECT_FALSE(seen.okEnabled);
    EXPECT_FALSE(seen.propertiesEnabled);
    EXPECT_EQ(seen.info, L"");
    EXPECT_EQ(seen.top, L"20") << "the settings are shown all the same";
    EXPECT_FALSE(Told(L"印刷しました"));
}

TEST_F(Print, DialogShowsThePrintSettingsHeldToItsRangesAndOkKeepsThem) {
    NEED_PRINTER();
    Ini().WriteInt(u"PRINT", u"SPACE_TOP", 70);
    Ini().WriteInt(u"PRINT", u"SPACE_LEFT", -5);
    Ini().WriteInt(u"PRINT", u"PRINT_PAGE", 1);
    Ini().WriteInt(u"PRINT", u"FONT_POINT", 9999);
    Ini().WriteString(u"PRINT", u"FONT_FACE_NAME", u"IPAGothic");
    Ini().WriteString(u"PRINT", u"PRINTER_NAME", ToU16(TestPrinter()));

    DialogView changed;
    int linesBefore = 0, chars = 0, linesAfter = 0, charsWithNumbers = 0;
    const DialogView seen = PrintWith(
        [&](HWND d) {
            ASSERT_TRUE(ReadInfo(Text(d, IDC_PRINT_INFO), linesBefore, chars));
            // The counts follow the edits and the check.
            ::SetDlgItemTextW(d, IDC_PRINT_SPACE_TOP, L"10");
            ::SetDlgItemTextW(d, IDC_PRINT_SPACE_BOTTOM, L"0");
            ::SetDlgItemTextW(d, IDC_PRINT_SPACE_RIGHT, L"30");
            SetCheck(d, IDC_PRINT_ROW_NUM, true);
            SetCheck(d, IDC_PRINT_TITLE, false);
            SetCheck(d, IDC_PRINT_DATE, true);
            changed = Look(d);
        },
        IDCANCEL);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.printer, TestPrinter());
    EXPECT_EQ(seen.top, L"50");
    EXPECT_EQ(seen.left, L"0");
    EXPECT_EQ(seen.bottom, L"15");
    EXPECT_TRUE(seen.title);
    EXPECT_TRUE(seen.page);
    EXPECT_FALSE(seen.rowNum);
    EXPECT_EQ(seen.face, L"IPAGothic");
    EXPECT_EQ(seen.point, L"72");
    EXPECT_TRUE(seen.okEnabled);
    EXPECT_TRUE(seen.propertiesEnabled);
    EXPECT_GT(linesBefore, 0);
    EXPECT_GT(chars, 0);
    ASSERT_TRUE(ReadInfo(changed.info, linesAfter, charsWithNumbers)) << changed.info;
    EXPECT_GT(linesAfter, linesBefore) << "margins of 10 and 0 instead of 50 and 15 leave more rows";
    EXPECT_LT(charsWithNumbers, chars) << "line numbers take room from the row";
    EXPECT_EQ(IniValue(u"SPACE_TOP"), L"70") << "cancel writes nothing";

    // OK keeps them (held to the range) and remembers the printer; nothing
    // is printed on a file of one short line beyond the one page listed.
    SetText(u"alpha");
    doc->SetTitle(L"print-settings.txt");
    PrintWith([&](HWND d) {
        ::SetDlgItemTextW(d, IDC_PRINT_SPACE_TOP, L"10");
        ::SetDlgItemTextW(d, IDC_PRINT_SPACE_BOTTOM, L"80");
        SetCheck(d, IDC_PRINT_ROW_NUM, true);
        SetCheck(d, IDC_PRINT_TITLE, false);
        SetCheck(d, IDC_PRINT_DATE, true);
    });
    ExpectJob(L"print-settings.txt", 1);
    EXPECT_TRUE(Told(L"印刷しました"));
    EXPECT_EQ(IniValue(u"SPACE_TOP"), L"10");
    EXPECT_EQ(IniValue(u"SPACE_BOTTOM"), L"50");
    EXPECT_EQ(IniValue(u"SPACE_LEFT"), L"0");
    EXPECT_EQ(IniValue(u"PRINT_ROW_NUM"), L"1");
    EXPECT_EQ(IniValue(u"PRINT_TITLE"), L"0");
    EXPECT_EQ(IniValue(u"PRINT_DATE"), L"1");
    EXPECT_EQ(IniValue(u"FONT_POINT"), L"720");
    EXPECT_EQ(IniValue(u"PRINTER_NAME"), TestPrinter());
    EXPECT_NE(wtest::AsciiOfUtf16(wtest::ReadBytes(editor_.dir + L"wendrel.ini")).find("SPACE_TOP=10"), std::string::npos)
        << "the settings file is saved";
    EXPECT_EQ(editor_.app->Context().printerMemory.name, TestPrinter());
    EXPECT_FALSE(editor_.app->Context().printerMemory.devMode.empty()) << "the driver settings are remembered";

    // The remembered printer wins over the file's until the program ends;
    // the settings come back as OK left them.
    Ini().WriteString(u"PRINT", u"PRINTER_NAME", u"no such printer");
    const DialogView again = PrintWith(nullptr, IDCANCEL);
    EXPECT_EQ(again.printer, TestPrinter());
    EXPECT_EQ(again.top, L"10");
    EXPECT_EQ(again.bottom, L"50");
    EXPECT_TRUE(again.rowNum);
    EXPECT_FALSE(again.title);
}

TEST_F(Print, WithoutAChoiceTheDefaultPrinterIsTaken) {
    NEED_PRINTER();
    const DialogView seen = PrintWith(nullptr, IDCANCEL);
    EXPECT_EQ(seen.printer, DefaultPrinterName());
    EXPECT_FALSE(seen.printer.empty());
    EXPECT_TRUE(seen.okEnabled);
}

TEST_F(Print, TheFileIsPrintedOnThePagesTheDialogPromised) {
    NEED_PRINTER();
    SetText(Lines(130));
    // A modified file: its window title carries the mark, its own title does not.
    doc->SetModifiedFlag(TRUE);
    doc->SetTitle(L"print-file.txt");
    int lines = 0, chars = 0;
    PrintWith([&](HWND d) {
        SetCheck(d, IDC_PRINT_PAGE, true);
        SetCheck(d, IDC_PRINT_ROW_NUM, true);
        ASSERT_TRUE(ReadInfo(Text(d, IDC_PRINT_INFO), lines, chars));
    });
    ASSERT_GT(lines, 0);
    // The modified mark is no part of the title.
    ExpectJob(L"print-file.txt", (130 + lines - 1) / lines);
    EXPECT_TRUE(Told(L"印刷しました"));
    doc->SetModifiedFlag(FALSE);
}

TEST_F(Print, LongLinesWrapOntoMoreRows) {
    NEED_PRINTER();
    int lines = 0, chars = 0;
    PrintWith([&](HWND d) { ReadInfo(Text(d, IDC_PRINT_INFO), lines, chars); }, IDCANCEL);
    ASSERT_GT(chars, 0);
    // A page of lines, each of Japanese text as many characters long as a
    // row holds average ones: every line takes two rows at least, so at
    // least two pages come out.
    std::u16string text;
    for (int i = 0; i < lines; ++i) text += std::u16string(std::size_t(chars), u'あ') + u"\n";
    text.pop_back();
    SetText(text);
    doc->SetTitle(L"print-wrapped.txt");
    PrintWith(nullptr);
    ExpectJob(L"print-wrapped.txt", 2, true);
    EXPECT_TRUE(Told(L"印刷しました"));
}

TEST_F(Print, OnlyTheSelectionIsPrintedAndWithoutOneNothing) {
    NEED_PRINTER();
    SetText(Lines(500));
    doc->SetTitle(L"print-selection.txt");
    editor->Model().SelectRange({0, 10}, {0, 13}, false);
    PrintWith([](HWND d) { SetCheck(d, IDC_PRINT_SELECTION, true); });
    ExpectJob(L"print-selection.txt", 1);
    EXPECT_TRUE(Told(L"印刷しました"));

    editor->Model().ClearSelection(true);
    doc->SetTitle(L"print-no-selection.txt");
    PrintWith([](HWND d) { SetCheck(d, IDC_PRINT_SELECTION, true); });
    ExpectJob(L"print-no-selection.txt", 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"選択範囲がありません");
    EXPECT_EQ(boxes[0].caption, L"印刷");
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, UINT(MB_ICONERROR));
}

// The printing script makes its queue refuse jobs for this case.
TEST_F(Print, ADocumentTheQueueRefusesIsReportedAsNotPrinted) {
    const wchar_t* refusing = _wgetenv(L"WENDREL_TEST_REFUSING_PRINTER");
    if (!refusing) {
        GTEST_SKIP() << "WENDREL_TEST_REFUSING_PRINTER names no printer";
    }
    SetText(u"alpha");
    doc->SetTitle(L"print-refused.txt");
    Ini().WriteString(u"PRINT", u"PRINTER_NAME", ToU16(refusing));
    const DialogView seen = PrintWith(nullptr);
    ExpectJob(L"print-refused.txt", 0);
    EXPECT_EQ(seen.printer, refusing);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"印刷");
    EXPECT_EQ(boxes[0].text.rfind(L"印刷できませんでした。", 0), 0u) << ToNarrow(boxes[0].text);
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, UINT(MB_ICONERROR));
}

TEST_F(Print, APageWithNoRoomIsRefusedBeforeAnythingIsSent) {
    NEED_PRINTER();
    // A million lines take seven-digit numbers; at 72 points and the widest
    // margins they leave no room for a character on the row.
    std::u16string text(1000000, u'\n');
    SetText(text);
    doc->SetTitle(L"print-no-room.txt");
    Ini().WriteInt(u"PRINT", u"FONT_POINT", 720);
    for (const char16_t* key : {u"SPACE_TOP", u"SPACE_BOTTOM", u"SPACE_LEFT", u"SPACE_RIGHT"})
        Ini().WriteInt(u"PRINT", key, 50);
    const DialogView seen = PrintWith([](HWND d) { SetCheck(d, IDC_PRINT_ROW_NUM, true); });
    ExpectJob(L"print-no-room.txt", 0);
    EXPECT_TRUE(seen.okEnabled);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"印刷");
    EXPECT_NE(boxes[0].text.find(L"ページに文字が入りません"), std::wstring::npos) << ToNarrow(boxes[0].text);
    EXPECT_FALSE(Told(L"印刷しました"));
    SetText(u"alpha");
}

// A device that is no printer refuses the document: the print stops there
// and says so, with the font put back.
TEST(PrintDocument, ADocumentTheDeviceRefusesIsNotPrinted) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(dc, 200, 200);
    HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
    HGDIOBJ font = ::GetCurrentObject(dc, OBJ_FONT);
    CEditData data;
    data.InsertText(u"alpha\nbeta", 0);
    CPrintLayout layout;
    layout.SetUp(L"title", {0, 0, 0, 0}, true, true, 2, dc);
    ASSERT_TRUE(layout.Measure(L"IPAGothic", 100, -1, &data));
    ASSERT_TRUE(layout.Geometry().HasRoom());
    DWORD error = 0;
    EXPECT_FALSE(PrintDocument(dc, layout, data, L"refused", error));
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_FONT), font);
    ::SelectObject(dc, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

}  // namespace
